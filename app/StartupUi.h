#pragma once

#include <QString>

class QWidget;

// The questions start-up asks: the file dialog, "create a new project?" and the
// error box. The program shows real dialogs; tests script the answers.
class StartupUi
{
public:
    virtual ~StartupUi();
    // The file dialog; returns the chosen path, or an empty text when cancelled.
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
};
