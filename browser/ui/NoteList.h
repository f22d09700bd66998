#pragma once

#include "browser/ui/TaskDetailList.h"

#include <optional>

// The note list "lvNotes": the notes of the task chosen in the task list, each
// with its timestamp; the tag is the note's NID. UI thread only.
class NoteList : public TaskDetailList
{
    Q_OBJECT

public:
    explicit NoteList(QWidget* parent = nullptr);

    // Shows the notes of task `taskId` (see fillForTask).
    void FillNoteList(std::optional<qint64> taskId);

    // The NID of the selected note.
    std::optional<qint64> selectedNoteId() const;
};
