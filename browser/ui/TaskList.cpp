#include "browser/ui/TaskList.h"

#include "browser/TaskListRows.h"
#include "common/ui/MessageBox.h"

namespace {
const QString kSummaryTag = QStringLiteral("SUMMARY");
}

TaskList::TaskList(QWidget* parent)
    : ListPane(QStringLiteral("lvTask"),
               {{QString(), 4470},
                {QStringLiteral("Priority"), 1445},
                {QStringLiteral("Days Planned"), 1498},
                {QStringLiteral("% done"), 1498},
                {QStringLiteral("Days Needed"), 1498},
                {QStringLiteral("Estimated Days Needed"), 1498},
                {QStringLiteral("Schedule +/-"), 1498}},
               parent)
{
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!m_filling && current) {
            m_chosenSincePress = true;
            Q_EMIT rowChosen(rowIndex(current));
        }
    });
    // A click on the row that was already current chooses it again.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (!m_chosenSincePress) {
            Q_EMIT rowChosen(rowIndex(item));
        }
    });
}

bool TaskList::FillTaskList(std::optional<qint64> goalId)
{
    QList<ListRow> rows;
    QString error;
    const bool ok = TaskListRows::build(m_connection, goalId, &rows, &error);
    m_filling = true;
    showRows(rows);
    m_filling = false;
    if (!ok) {
        MessageBox::error(this, error);
    }
    return ok;
}

bool TaskList::isSummaryRow(const QTreeWidgetItem* item)
{
    const QVariant t = tag(item);
    return t.typeId() == QMetaType::QString && t.toString() == kSummaryTag;
}

bool TaskList::isGoalRow(const QTreeWidgetItem* item)
{
    return item && !isSummaryRow(item) && isBold(item);
}

bool TaskList::isTaskRow(const QTreeWidgetItem* item)
{
    return item && !isSummaryRow(item) && !isBold(item);
}

std::optional<qint64> TaskList::rowId(const QTreeWidgetItem* item)
{
    if (!item || isSummaryRow(item)) {
        return std::nullopt;
    }
    return tag(item).toLongLong();
}

std::optional<qint64> TaskList::selectedTaskId() const
{
    const QTreeWidgetItem* item = selectedRow();
    return isTaskRow(item) ? rowId(item) : std::nullopt;
}

std::optional<qint64> TaskList::detailTaskId(int itemIndex) const
{
    const QTreeWidgetItem* item = row(itemIndex);
    return selectedCount() <= 1 && isTaskRow(item) ? rowId(item) : std::nullopt;
}

std::optional<qint64> TaskList::selectedGoalId() const
{
    const QTreeWidgetItem* item = selectedRow();
    return isGoalRow(item) ? rowId(item) : std::nullopt;
}

bool TaskList::selectTaskRow(qint64 taskId)
{
    return selectById(taskId, false);
}

bool TaskList::selectGoalRow(qint64 goalId)
{
    return selectById(goalId, true);
}

bool TaskList::selectById(qint64 id, bool bold)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (!isSummaryRow(item) && isBold(item) == bold && rowId(item) == id) {
            m_filling = true;
            selectRow(i);
            m_filling = false;
            return true;
        }
    }
    return false;
}

void TaskList::mousePressEvent(QMouseEvent* event)
{
    m_chosenSincePress = false;
    ListPane::mousePressEvent(event);
}
