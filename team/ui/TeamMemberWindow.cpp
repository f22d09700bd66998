#include "team/ui/TeamMemberWindow.h"

#include "common/Twips.h"
#include "common/ui/MessageBox.h"
#include "db/ChangeListener.h"
#include "db/Database.h"
#include "team/MemberFields.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Layout in twips (1/1440 inch) of the window's inner area, converted at the screen's logical DPI.
constexpr int kInnerWidth = 5835;
constexpr int kInnerHeight = 4605;
constexpr int kRowHeight = 300; // picButtons and picStatBox
constexpr int kFollowDelayMs = 300; // announcements of one save arrive together
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1300;
constexpr int kFieldLeft = 1500;
constexpr int kFieldHeight = 285;
constexpr int kWideWidth = 4215;
constexpr int kHalfWidth = 2040;
constexpr int kEndLeft = 3675;
constexpr int kFirstTop = 120;
constexpr int kRowPitch = 340;
constexpr int kNotesTop = kFirstTop + 8 * kRowPitch;
constexpr int kNotesHeight = 1105;
constexpr int kButtonWidth = 1095;
constexpr int kButtonLeft = 59;
constexpr int kButtonPitch = 1154;
constexpr int kPictureWidth = 345;
constexpr int kStatusLeft = 690;

// The navigation pictures: a triangle pointing left or right, with a bar for first and last.
QIcon navigationIcon(bool forward, bool toEnd)
{
    const int size = 16;
    QPixmap pixmap(size * 2, size * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    QPainterPath triangle;
    if (forward) {
        triangle.moveTo(5, 3);
        triangle.lineTo(11, 8);
        triangle.lineTo(5, 13);
    } else {
        triangle.moveTo(11, 3);
        triangle.lineTo(5, 8);
        triangle.lineTo(11, 13);
    }
    triangle.closeSubpath();
    painter.drawPath(triangle.translated(toEnd ? (forward ? -1 : 1) : 0, 0));
    if (toEnd) {
        painter.drawRect(forward ? QRectF(11, 3, 2, 10) : QRectF(3, 3, 2, 10));
    }
    painter.end();
    return QIcon(pixmap);
}

int s_windows = 0;

} // namespace

TeamMemberWindow::TeamMemberWindow(const QString& dbPath, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_connection(QStringLiteral("frmResources-%1").arg(++s_windows))
    , m_form(m_connection)
{
    setObjectName(QStringLiteral("frmResources"));
    setWindowTitle(QStringLiteral("Team Members"));
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    resize(px(kInnerWidth), px(kInnerHeight));

    QString error;
    if (!Database::open(dbPath, m_connection, &error)) {
        MessageBox::error(this, error);
    } else {
        if (const TeamMemberForm::Result loaded = m_form.load(); !loaded.ok) {
            MessageBox::error(this, loaded.description);
        }
        m_followTimer = new QTimer(this);
        m_followTimer->setSingleShot(true);
        m_followTimer->setInterval(kFollowDelayMs);
        connect(m_followTimer, &QTimer::timeout, this, &TeamMemberWindow::followServer);
        auto* listener = new ChangeListener(m_connection, this);
        connect(listener, &ChangeListener::changed, this, [this](const QString& table) {
            if (table == QLatin1String("resources")) {
                m_othersChanged = true;
                m_followTimer->start();
            }
        });
    }
    showRecord();
}

void TeamMemberWindow::followServer()
{
    if (!m_othersChanged) {
        return;
    }
    TeamMemberForm::Result result;
    if (!m_form.followChanges(&result)) {
        return; // the step that ends the addition, edit or typing comes back here
    }
    m_othersChanged = false;
    showRecord();
    if (!result.ok) {
        MessageBox::error(this, result.description);
    }
}

void TeamMemberWindow::reload()
{
    // A member being added, edited or typed over keeps what was typed: its save checks that the
    // row is still as loaded, and the next reload after it catches up.
    if (m_form.mode() != TeamMemberForm::Mode::Browse || m_form.hasPendingChange()) {
        return;
    }
    if (const TeamMemberForm::Result loaded = m_form.load(); !loaded.ok) {
        MessageBox::error(this, loaded.description);
    }
    showRecord();
}

TeamMemberWindow::~TeamMemberWindow()
{
    Database::close(m_connection);
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
    }
}

int TeamMemberWindow::px(int twips) const
{
    return Twips::toPixels(twips, logicalDpiX());
}

int TeamMemberWindow::twips(int pixels) const
{
    return Twips::toTwips(pixels, logicalDpiX());
}

void TeamMemberWindow::build()
{
    const QStringList labels = {QStringLiteral("Name:"),
                                QStringLiteral("Monday:"),
                                QStringLiteral("Tuesday:"),
                                QStringLiteral("Wednesday:"),
                                QStringLiteral("Thursday:"),
                                QStringLiteral("Friday:"),
                                QStringLiteral("Saturday:"),
                                QStringLiteral("Sunday:"),
                                QStringLiteral("Notes:")};
    for (int row = 0; row < labels.size(); ++row) {
        auto* label = new QLabel(labels.at(row), this);
        label->setObjectName(QStringLiteral("lblLabels_%1").arg(row));
        const int top = row < 8 ? kFirstTop + row * kRowPitch : kNotesTop;
        label->setGeometry(px(kLabelLeft), px(top), px(kLabelWidth), px(kFieldHeight));
        label->setAlignment(Qt::AlignLeft | (row < 8 ? Qt::AlignVCenter : Qt::AlignTop));
        m_labels << label;
    }

    for (int i = 0; i < MemberFields::kCount; ++i) {
        QWidget* field = nullptr;
        if (i == MemberFields::kNotes) {
            auto* notes = new QPlainTextEdit(this);
            notes->setTabChangesFocus(true);
            notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            connect(notes, &QPlainTextEdit::textChanged, this, [this, notes] {
                fieldEdited(MemberFields::kNotes, notes->toPlainText());
            });
            notes->setGeometry(px(kFieldLeft), px(kNotesTop), px(kWideWidth), px(kNotesHeight));
            field = notes;
        } else {
            auto* line = new QLineEdit(this);
            connect(line, &QLineEdit::textEdited, this, [this, i](const QString& text) { fieldEdited(i, text); });
            if (i == MemberFields::kName) {
                line->setGeometry(px(kFieldLeft), px(kFirstTop), px(kWideWidth), px(kFieldHeight));
            } else {
                const int top = kFirstTop + (MemberFields::weekday(i) + 1) * kRowPitch;
                const int left = MemberFields::isBegin(i) ? kFieldLeft : kEndLeft;
                line->setGeometry(px(left), px(top), px(kHalfWidth), px(kFieldHeight));
            }
            field = line;
        }
        field->setObjectName(QStringLiteral("txtFields_%1").arg(i));
        field->installEventFilter(this);
        m_fields << field;
    }
    for (int i = 0; i + 1 < m_fields.size(); ++i) {
        setTabOrder(m_fields.at(i), m_fields.at(i + 1));
    }

    m_picButtons = new QWidget(this);
    m_picButtons->setObjectName(QStringLiteral("picButtons"));
    auto makeButton = [this](QWidget* row, const char* name, const QString& text, int slot) {
        auto* button = new QPushButton(text, row);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(px(kButtonLeft + slot * kButtonPitch), 0, px(kButtonWidth), px(kRowHeight));
        button->setAutoDefault(false);
        button->installEventFilter(this);
        return button;
    };
    m_cmdAdd = makeButton(m_picButtons, "cmdAdd", QStringLiteral("&Add"), 0);
    m_cmdEdit = makeButton(m_picButtons, "cmdEdit", QStringLiteral("&Edit"), 1);
    m_cmdDelete = makeButton(m_picButtons, "cmdDelete", QStringLiteral("&Delete"), 2);
    m_cmdRefresh = makeButton(m_picButtons, "cmdRefresh", QStringLiteral("&Refresh"), 3);
    m_cmdClose = makeButton(m_picButtons, "cmdClose", QStringLiteral("&Close"), 4);
    m_cmdUpdate = makeButton(m_picButtons, "cmdUpdate", QStringLiteral("&Update"), 0);
    m_cmdCancel = makeButton(m_picButtons, "cmdCancel", QStringLiteral("&Cancel"), 1);
    m_cmdUpdate->hide();
    m_cmdCancel->hide();

    m_picStatBox = new QWidget(this);
    m_picStatBox->setObjectName(QStringLiteral("picStatBox"));
    auto makePicture = [this](const char* name, const QString& accessible, bool forward, bool toEnd) {
        auto* button = new QPushButton(m_picStatBox);
        button->setObjectName(QLatin1String(name));
        button->setAccessibleName(accessible);
        button->setIcon(navigationIcon(forward, toEnd));
        button->setAutoDefault(false);
        button->resize(px(kPictureWidth), px(kRowHeight));
        button->setIconSize(QSize(qMin(16, px(kRowHeight) - 4), qMin(16, px(kRowHeight) - 4)));
        button->installEventFilter(this);
        return button;
    };
    m_cmdFirst = makePicture("cmdFirst", QStringLiteral("First"), false, true);
    m_cmdPrevious = makePicture("cmdPrevious", QStringLiteral("Previous"), false, false);
    m_cmdNext = makePicture("cmdNext", QStringLiteral("Next"), true, false);
    m_cmdLast = makePicture("cmdLast", QStringLiteral("Last"), true, true);
    m_cmdFirst->move(0, 0);
    m_cmdPrevious->move(px(kPictureWidth), 0);
    m_lblStatus = new QLabel(m_picStatBox);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lblStatus->setIndent(px(60));

    connect(m_cmdAdd, &QPushButton::clicked, this, [this] {
        recordStep(m_form.add());
        m_fields.at(MemberFields::kName)->setFocus();
    });
    connect(m_cmdEdit, &QPushButton::clicked, this, [this] {
        recordStep(m_form.edit());
        m_fields.at(MemberFields::kName)->setFocus();
    });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { recordStep(m_form.update()); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_form.cancel();
        showRecord();
    });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { recordStep(m_form.remove()); });
    connect(m_cmdRefresh, &QPushButton::clicked, this, [this] { recordStep(m_form.refresh()); });
    connect(m_cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdFirst, &QPushButton::clicked, this, [this] { recordStep(m_form.moveFirst()); });
    connect(m_cmdPrevious, &QPushButton::clicked, this, [this] { recordStep(m_form.movePrevious()); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { recordStep(m_form.moveNext()); });
    connect(m_cmdLast, &QPushButton::clicked, this, [this] { recordStep(m_form.moveLast()); });
}

void TeamMemberWindow::placeRows()
{
    const int rowHeight = px(kRowHeight);
    m_picButtons->setGeometry(0, height() - 2 * rowHeight, width(), rowHeight);
    m_picStatBox->setGeometry(0, height() - rowHeight, width(), rowHeight);
    // The status label takes the width the picture buttons leave; next and last follow it.
    const int statusWidth = std::max(0, twips(frameGeometry().width()) - 1500);
    m_lblStatus->setGeometry(px(kStatusLeft), 0, px(statusWidth), rowHeight);
    m_cmdNext->move(px(statusWidth + 700), 0);
    m_cmdLast->move(px(statusWidth + 700 + 340), 0);
}

void TeamMemberWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeRows();
}

void TeamMemberWindow::closeEvent(QCloseEvent* event)
{
    const TeamMemberForm::Result result = m_form.closing();
    if (!result.ok) {
        recordStep(result);
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TeamMemberWindow::showRecord()
{
    m_showing = true;
    const bool current = m_form.hasCurrent();
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString text = m_form.field(i);
        if (auto* line = qobject_cast<QLineEdit*>(m_fields.at(i))) {
            if (line->text() != text) {
                line->setText(text);
            }
            line->setReadOnly(!current);
        } else if (auto* notes = qobject_cast<QPlainTextEdit*>(m_fields.at(i))) {
            if (notes->toPlainText() != text) {
                notes->setPlainText(text);
            }
            notes->setReadOnly(!current);
        }
    }
    m_showing = false;
    m_lblStatus->setText(m_form.statusText());
    const TeamMemberForm::Buttons buttons = m_form.buttons();
    for (QPushButton* button : {m_cmdAdd, m_cmdEdit, m_cmdDelete, m_cmdRefresh, m_cmdClose}) {
        button->setVisible(buttons.recordButtons);
    }
    m_cmdUpdate->setVisible(buttons.updateCancel);
    m_cmdCancel->setVisible(buttons.updateCancel);
    for (QPushButton* button : {m_cmdFirst, m_cmdPrevious, m_cmdNext, m_cmdLast}) {
        button->setEnabled(buttons.navigation);
    }
}

void TeamMemberWindow::fieldEdited(int index, const QString& text)
{
    if (!m_showing) {
        m_form.setField(index, text);
    }
}

void TeamMemberWindow::recordStep(const TeamMemberForm::Result& result)
{
    followServer();
    showRecord();
    if (result.beep) {
        QApplication::beep();
    }
    if (!result.ok) {
        MessageBox::plain(this, QStringLiteral("Cairnwork"), result.description);
        if (result.field >= 0 && result.field < m_fields.size()) {
            QWidget* field = m_fields.at(result.field);
            field->setFocus();
            if (auto* line = qobject_cast<QLineEdit*>(field)) {
                line->selectAll();
            }
        }
    }
}

void TeamMemberWindow::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_form.mode() != TeamMemberForm::Mode::Browse ||
        TeamMemberForm::keyAction(key, modifiers) == TeamMemberForm::KeyAction::None) {
        return; // typing, or keys while adding or editing: the field alone handles them
    }
    const TeamMemberForm::Result result = m_form.key(key, modifiers);
    if (result.close) {
        close();
        return;
    }
    recordStep(result);
}

bool TeamMemberWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees a key before the field or button that has the focus, which
    // then gets it as usual. Only those widgets are watched, so a key a field
    // ignores and passes up to the window is not handled twice.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        handleKey(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}
