#pragma once

#include <QObject>

class MainWindow;
class QAction;
class QDialog;
class QListWidget;
class QListWidgetItem;
class QMenu;

// The "&Edit" menu between "&File" and "&View": "Undo <step>" (Ctrl+Z), "Redo <step>"
// (Ctrl+Shift+Z, Ctrl+Y) and "History...", the list of kept steps where a double-click
// goes back or forward to a step. Undo and Redo are also on the toolbar. Makes this
// process record steps. After an undo or redo the tree, the lists and an open team
// window show the project again. UI thread only.
class UndoMenu : public QObject
{
    Q_OBJECT

public:
    explicit UndoMenu(MainWindow& window);
    ~UndoMenu() override;

    QMenu* menu() const { return m_menu; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    // The History window, created on first use; null before.
    QDialog* historyWindow() const { return m_history; }

    // Brings the captions and enabled states (and an open History list) up to date
    // with the stored steps.
    void refresh();
    void undo();
    void redo();
    void showHistory();

private:
    // Goes back or forward so that step `lastDone` (0: none) is the latest done one.
    void goTo(qint64 lastDone);
    // After an undo or redo: the error if any, then the views and captions.
    void finish(bool ok, const QString& error);
    void fillHistory();

    MainWindow& m_window;
    QMenu* m_menu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_historyAction = nullptr;
    QDialog* m_history = nullptr;
    QListWidget* m_list = nullptr;
};
