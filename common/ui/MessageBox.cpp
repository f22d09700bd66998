#include "common/ui/MessageBox.h"

#include "common/ErrorText.h"

#include <QList>

namespace {
QList<QMessageBox::StandardButton> g_nextAnswers;
QList<MessageBox::Shown> g_shown;
bool g_autoAnswer = false;
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent,
                                             QMessageBox::Icon icon,
                                             const QString& title,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    // Engine codes and texts stay out of the main text, one click away for support.
    const ErrorText::Parts parts = ErrorText::split(text);
    if (!g_nextAnswers.isEmpty() || g_autoAnswer) {
        g_shown.append({icon, title, parts.text, defaultButton, parts.details});
        return g_nextAnswers.isEmpty() ? defaultButton : g_nextAnswers.takeFirst();
    }
    QMessageBox box(icon, title, parts.text, buttons, parent);
    box.setDetailedText(parts.details);
    box.setDefaultButton(defaultButton);
    if (buttons.testFlag(QMessageBox::No)) {
        box.setEscapeButton(QMessageBox::No);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::error(QWidget* parent, const QString& text)
{
    show(parent, QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::plain(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::NoIcon, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBox::question(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault)
{
    const auto answer = show(parent,
                             QMessageBox::Question,
                             title,
                             text,
                             QMessageBox::Yes | QMessageBox::No,
                             yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    g_nextAnswers.append(answer);
}

QList<MessageBox::Shown> MessageBox::takeShown()
{
    QList<Shown> shown;
    shown.swap(g_shown);
    return shown;
}

void MessageBox::setAutoAnswer(bool on)
{
    g_autoAnswer = on;
}
