#pragma once

#include <QString>

class QWidget;

// The questions start-up asks: the file dialog, "create a new project?" and the
// error box. The program shows real dialogs; tests script the answers.
class StartupUi
{
public:
    virtual ~StartupUi();
    // The file dialog; returns the chosen path or server address, or an empty text when
    // cancelled. A server address never holds a password.
    virtual QString askDatabasePath(QWidget* parent) = 0;
    virtual bool confirmCreate(QWidget* parent, const QString& path) = 0;
    virtual void showError(QWidget* parent, const QString& text) = 0;
};

// The real dialogs.
class DialogStartupUi : public StartupUi
{
public:
    QString askDatabasePath(QWidget* parent) override;
    bool confirmCreate(QWidget* parent, const QString& path) override;
    void showError(QWidget* parent, const QString& text) override;

private:
    // Asks for a server address until a usable one is given; empty when cancelled.
    static QString askServerAddress(QWidget* parent);
};
