#include "browser/ui/NoteList.h"

#include "browser/NoteListRows.h"

NoteList::NoteList(QWidget* parent)
    : TaskDetailList(QStringLiteral("lvNotes"), {{QString(), 9700}, {QStringLiteral("Timestamp"), 3175}}, parent)
{
}

void NoteList::FillNoteList(std::optional<qint64> taskId)
{
    fillForTask(taskId, &NoteListRows::build);
}

std::optional<qint64> NoteList::selectedNoteId() const
{
    const QTreeWidgetItem* item = selectedRow();
    if (!item) {
        return std::nullopt;
    }
    return tag(item).toLongLong();
}
