#pragma once

#include "browser/ui/ListPane.h"

#include <optional>

class TaskList;

// The note list "lvNotes": the notes of the task chosen in the task list, each
// with its timestamp; the tag is the note's NID. UI thread only.
class NoteList : public ListPane
{
    Q_OBJECT

public:
    explicit NoteList(QWidget* parent = nullptr);

    void setConnection(const QString& connection) { m_connection = connection; }

    // Refills the list for row `itemIndex` of `tasks`: empty unless that row is a
    // task row. A hidden list is left as it is. Errors go to the error box.
    void FillNoteList(const TaskList& tasks, int itemIndex);

    // The NID of the selected note.
    std::optional<qint64> selectedNoteId() const;

private:
    QString m_connection;
};
