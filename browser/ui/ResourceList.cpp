#include "browser/ui/ResourceList.h"

#include "browser/ResourceListRows.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"

ResourceList::ResourceList(QWidget* parent)
    : ListPane(QStringLiteral("lvResource"),
               {{QString(), 4470},
                {QStringLiteral("% Workload"), 1446},
                {QStringLiteral("% done"), 1498},
                {QStringLiteral("% Total Workload Done"), 1498},
                {QStringLiteral("Days Needed"), 1498},
                {QStringLiteral("Estimated Days Needed"), 1498},
                {QStringLiteral("Schedule +/-"), 1498}},
               parent)
{
}

void ResourceList::FillResourceList(const TaskList& tasks, int itemIndex)
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
    const bool ok = ResourceListRows::build(m_connection, *TaskList::rowId(taskRow), &rows, &error);
    showRows(rows);
    if (!ok) {
        MessageBox::error(this, error);
    }
}

bool ResourceList::isAssignmentRow(const QTreeWidgetItem* item)
{
    return tag(item).toString() == QStringLiteral("R");
}

bool ResourceList::isTotalsRow(const QTreeWidgetItem* item)
{
    return tag(item).toString() == QStringLiteral("W");
}

QString ResourceList::selectedMember() const
{
    const QTreeWidgetItem* item = selectedRow();
    return isAssignmentRow(item) ? item->text(0) : QString();
}
