#include "browser/ui/ResourceList.h"

#include "browser/ResourceListRows.h"

ResourceList::ResourceList(QWidget* parent)
    : TaskDetailList(QStringLiteral("lvResource"),
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

void ResourceList::FillResourceList(std::optional<qint64> taskId)
{
    fillForTask(taskId, &ResourceListRows::build);
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
