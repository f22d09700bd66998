#pragma once

#include <QObject>

class MainWindow;
class QAction;
class QDialog;
class QMenu;
class QUndoStack;
class QUndoView;

// The "&Edit" menu between "&File" and "&View": "Undo <step>" (Ctrl+Z), "Redo <step>"
// (Ctrl+Shift+Z, Ctrl+Y) and "History...", the list of kept steps where a double-click
// goes back or forward to a step. Undo and Redo are also on the toolbar. Makes this
// process record steps. The steps kept in the project stay the truth; an undo stack
// mirrors them, one command per step, and moving on the stack undoes or redoes the
// stored steps. After a move the tree, the lists and an open team window show the
// project again. UI thread only.
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

    // Brings the stack (so the captions, enabled states and the History list) up to
    // date with the stored steps; replays nothing.
    void refresh();
    void showHistory();

private:
    class StepCommand;

    // Called by a command as the stack moves over it: takes back (or re-applies) one
    // stored step unless the stack is being rebuilt or an earlier step of this move was refused.
    void move(bool back);
    // After a move: the refusal if any, then the views, then the stack again if a step
    // stayed where it was.
    void finish();

    MainWindow& m_window;
    QUndoStack* m_stack = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_historyAction = nullptr;
    QDialog* m_history = nullptr;
    QUndoView* m_view = nullptr;
    bool m_rebuilding = false;
    QString m_refusal;
};
