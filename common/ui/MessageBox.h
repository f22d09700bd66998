#pragma once

#include <QMessageBox>
#include <QString>

// Every message box of the program goes through here, so offscreen tests can
// answer the next box instead of hanging on a modal one. UI thread only.
class MessageBox
{
public:
    // The program's error box: critical icon, OK, title "Error".
    static void error(QWidget* parent, const QString& text);
    // A notice with an information icon and OK.
    static void information(QWidget* parent, const QString& title, const QString& text);
    // A box with the program's title as caption and OK only.
    static void plain(QWidget* parent, const QString& title, const QString& text);
    // A Yes/No question; returns true for Yes.
    static bool question(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault);

    // Test seam: the next box is not shown; it answers with `answer`
    // (QMessageBox::Yes, No or Ok). Boxes answered this way are recorded.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    struct Shown
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButton defaultButton;
        QString details; // the "Details: " lines, kept out of `text`
    };
    static QList<Shown> takeShown();
    // With auto-answer on, every box is answered with its default button and recorded.
    static void setAutoAnswer(bool on);

private:
    static QMessageBox::StandardButton show(QWidget* parent,
                                            QMessageBox::Icon icon,
                                            const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
};
