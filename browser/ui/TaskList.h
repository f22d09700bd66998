#pragma once

#include "browser/ui/ListPane.h"

#include <optional>

// The task list "lvTask" of the selected tree node: bold goal rows (tag = goal
// ID), plain task rows (tag = task ID), the bold summary row (tag "SUMMARY").
// Rows are told apart by tag and boldness only. UI thread only.
class TaskList : public ListPane
{
    Q_OBJECT

public:
    explicit TaskList(QWidget* parent = nullptr);

    void setConnection(const QString& connection) { m_connection = connection; }

    // Rebuilds the list for goal `goalId` (the root when empty) and selects its
    // first row. A database error is shown in the error box; rows added before
    // it stay. Returns false on an error.
    bool FillTaskList(std::optional<qint64> goalId);

    static bool isSummaryRow(const QTreeWidgetItem* item);
    static bool isGoalRow(const QTreeWidgetItem* item);
    static bool isTaskRow(const QTreeWidgetItem* item);
    // The goal or task ID of a row; empty for the summary row or no row.
    static std::optional<qint64> rowId(const QTreeWidgetItem* item);

    // The selected row's task ID when it is a task row.
    std::optional<qint64> selectedTaskId() const;
    // The task whose assignments and notes the lists below show when row
    // `itemIndex` is chosen: its ID when that row is a task row and it is the
    // only row selected.
    std::optional<qint64> detailTaskId(int itemIndex) const;
    // The selected row's goal ID when it is a goal row.
    std::optional<qint64> selectedGoalId() const;
    // Selects the task row (not bold) with `taskId`; false when there is none.
    bool selectTaskRow(qint64 taskId);
    // Selects the goal row (bold) with `goalId`; false when there is none.
    bool selectGoalRow(qint64 goalId);

Q_SIGNALS:
    // The user chose a row, by mouse or keyboard: the lists below follow it.
    void rowChosen(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool selectById(qint64 id, bool bold);

    QString m_connection;
    bool m_filling = false;
    bool m_chosenSincePress = false;
};
