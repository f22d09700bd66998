#include "browser/ui/NoteList.h"

#include "browser/NoteListRows.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"

NoteList::NoteList(QWidget* parent)
    : ListPane(QStringLiteral("lvNotes"), {{QString(), 9700}, {QStringLiteral("Timestamp"), 3175}}, parent)
{
}

void NoteList::FillNoteList(const TaskList& tasks, int itemIndex)
{
    if (isHidden()) {
        return;
    }
    clear();
    if (tasks.selectedCount() > 1) {
        return;
    }
    const QTreeWidgetItem* taskRow = tasks.row(itemIndex);
    if (!TaskList::isTaskRow(taskRow)) {
        return;
    }
    QList<ListRow> rows;
    QString error;
    const bool ok = NoteListRows::build(m_connection, *TaskList::rowId(taskRow), &rows, &error);
    showRows(rows);
    if (!ok) {
        MessageBox::error(this, error);
    }
}

std::optional<qint64> NoteList::selectedNoteId() const
{
    const QTreeWidgetItem* item = selectedRow();
    if (!item) {
        return std::nullopt;
    }
    return tag(item).toLongLong();
}
