#include "editing/ui/PropertiesDialog.h"

#include "common/Clock.h"
#include "common/ui/MessageBox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

PropertiesDialog::PropertiesDialog(QWidget* parent, const QString& objectName)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);
}

PropertiesDialog::~PropertiesDialog() = default;

void PropertiesDialog::finishLayout(QLayout* form)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &PropertiesDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addSpacing(6);
    outer->addLayout(buttons);
}

const Clock& PropertiesDialog::clock() const
{
    return m_clock ? *m_clock : Clock::system();
}

void PropertiesDialog::begin(const QString& connection)
{
    m_connection = connection;
    m_outcome = EditOutcome();
    m_loaded = RowImage();
}

bool PropertiesDialog::run()
{
    exec();
    return m_outcome.ok && m_outcome.written;
}

void PropertiesDialog::showProblem(const PropertiesValidation::Problem& problem)
{
    MessageBox::error(this, problem.message);
    if (QWidget* field = findChild<QWidget*>(problem.field)) {
        field->setFocus();
    }
}

void PropertiesDialog::showError(const QString& message)
{
    MessageBox::error(this, message);
}

void PropertiesDialog::finish(const EditOutcome& outcome)
{
    if (!outcome.ok) {
        showError(outcome.error);
        if (outcome.conflict && !reload()) {
            reject();
        }
        return;
    }
    m_outcome = outcome;
    accept();
}
