#include "charts/ui/GraphPropertiesDialog.h"

#include "common/Twips.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton* option(QGroupBox* frame, QBoxLayout* layout, const char* name, const QString& caption)
{
    auto* button = new QRadioButton(caption, frame);
    button->setObjectName(QLatin1String(name));
    layout->addWidget(button);
    return button;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, QBoxLayout* layout)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setLayout(layout);
    return box;
}

template <typename Key>
void check(const QMap<Key, QRadioButton*>& options, Key key)
{
    if (QRadioButton* button = options.value(key)) {
        button->setChecked(true);
    }
}

template <typename Key>
std::optional<Key> checked(const QMap<Key, QRadioButton*>& options)
{
    for (auto it = options.begin(); it != options.end(); ++it) {
        if (it.value()->isChecked()) {
            return it.key();
        }
    }
    return std::nullopt;
}

} // namespace

GraphPropertiesDialog::GraphPropertiesDialog(const Options& options, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
{
    setObjectName(QStringLiteral("frmPropertiesGraph"));
    setWindowTitle(QStringLiteral("Properties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    using M = ChartState::Measure;
    using A = ChartState::Aggregate;
    using G = ChartState::Grouping;

    auto* indicatorLayout = new QVBoxLayout;
    QGroupBox* fIndicator = frame(this, "fIndicator", QStringLiteral("Progress Indicator"), indicatorLayout);
    m_measures.insert(M::Planned, option(fIndicator, indicatorLayout, "oPlanned", QStringLiteral("Days Planned")));
    m_measures.insert(M::Est, option(fIndicator, indicatorLayout, "oEstimate", QStringLiteral("New Estimate (Days)")));
    m_measures.insert(M::PerComp, option(fIndicator, indicatorLayout, "oPerComp", QStringLiteral("% Completed")));
    m_measures.insert(M::Needed, option(fIndicator, indicatorLayout, "oDays", QStringLiteral("Days Worked")));
    m_measures.insert(M::Diff, option(fIndicator, indicatorLayout, "oDiff", QStringLiteral("Days Ahead/Behind Plan")));
    m_measures.insert(M::Completion_Date,
                      option(fIndicator, indicatorLayout, "oCompDate", QStringLiteral("Completion date")));
    m_measures.insert(
        M::Progress, option(fIndicator, indicatorLayout, "oProgress", QStringLiteral("Progress = (#Plan-#Est)/#Plan")));
    indicatorLayout->addStretch();

    auto* aggregateLayout = new QVBoxLayout;
    QGroupBox* fAggregate = frame(this, "fAggregate", QStringLiteral("Aggregation Funktion"), aggregateLayout);
    m_aggregates.insert(A::Avg, option(fAggregate, aggregateLayout, "oAvg", QStringLiteral("Average")));
    m_aggregates.insert(A::First, option(fAggregate, aggregateLayout, "oFirst", QStringLiteral("First")));
    m_aggregates.insert(A::Last, option(fAggregate, aggregateLayout, "oLast", QStringLiteral("Last")));
    m_aggregates.insert(A::Sum, option(fAggregate, aggregateLayout, "oSum", QStringLiteral("Sum")));
    m_aggregates.value(A::Sum)->setVisible(false); // offered nowhere, still understood
    aggregateLayout->addStretch();

    auto* groupLayout = new QVBoxLayout;
    QGroupBox* fGroup = frame(this, "fGroup", QStringLiteral("Grouping"), groupLayout);
    m_groupings.insert(G::Year, option(fGroup, groupLayout, "oYear", QStringLiteral("Year")));
    m_groupings.insert(G::Quarter, option(fGroup, groupLayout, "oQuarter", QStringLiteral("Quarter")));
    m_groupings.insert(G::Month, option(fGroup, groupLayout, "oMonth", QStringLiteral("Month")));
    m_groupings.insert(G::Week, option(fGroup, groupLayout, "oWeek", QStringLiteral("Week")));
    m_groupings.insert(G::Day, option(fGroup, groupLayout, "oDay", QStringLiteral("Day")));
    groupLayout->addStretch();

    auto* treeLayout = new QHBoxLayout;
    QGroupBox* treeFrame = frame(this, "treeFrame", QStringLiteral("Tree"), treeLayout);
    m_otvGoal = option(treeFrame, treeLayout, "otvGoal", QStringLiteral("Goals/Applications"));
    m_otvTeam = option(treeFrame, treeLayout, "otvTeam", QStringLiteral("Team Members"));
    treeLayout->addStretch();

    auto* frames = new QHBoxLayout;
    frames->addWidget(fIndicator);
    frames->addWidget(fAggregate);
    frames->addWidget(fGroup);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* cmdApply = new QPushButton(QStringLiteral("Apply"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    for (QPushButton* button : {cmdOK, cmdCancel, cmdApply}) {
        button->setAutoDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addWidget(treeFrame);
    layout->addStretch();
    layout->addLayout(buttons);

    // Escape rejects, which is the Cancel button's meaning.
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, &GraphPropertiesDialog::apply);
    connect(cmdOK, &QPushButton::clicked, this, &GraphPropertiesDialog::ok);

    resize(Twips::toPixels(6105, logicalDpiX()), Twips::toPixels(4305, logicalDpiY()));
    load();
}

GraphPropertiesDialog::~GraphPropertiesDialog() = default;

void GraphPropertiesDialog::load()
{
    check(m_measures, m_options.measure);
    check(m_aggregates, m_options.aggregate);
    check(m_groupings, m_options.grouping);
    (m_options.goalTree ? m_otvGoal : m_otvTeam)->setChecked(true);
}

void GraphPropertiesDialog::ApplyGraphOptions()
{
    m_options.goalTree = m_otvGoal->isChecked();
    if (const auto measure = checked(m_measures)) {
        m_options.measure = *measure;
    }
    if (const auto aggregate = checked(m_aggregates)) {
        m_options.aggregate = *aggregate;
    }
    if (const auto grouping = checked(m_groupings)) {
        m_options.grouping = *grouping;
    }
    Q_EMIT optionsApplied(m_options);
}

void GraphPropertiesDialog::apply()
{
    ApplyGraphOptions();
    // The chart was raised to redraw; the dialog stays the one the user works in.
    activateWindow();
}

void GraphPropertiesDialog::ok()
{
    ApplyGraphOptions();
    accept();
}
