#include "schedule/NumberCompletionOrder.h"

#include "db/ProjectRecords.h"

#include <QHash>
#include <algorithm>

namespace {
void numberGroup(std::vector<SnapshotRow>& rows, std::vector<int>& group)
{
    std::sort(group.begin(), group.end(), [&rows](int a, int b) {
        return rows[std::size_t(a)].order < rows[std::size_t(b)].order;
    });
    int counter = 0;
    int previous = -1;
    for (int i : group) {
        SnapshotRow& row = rows[std::size_t(i)];
        if (row.order != previous) {
            ++counter;
        }
        row.compOrder = counter;
        previous = row.order;
    }
}
} // namespace

void NumberCompletionOrder::run(std::vector<SnapshotRow>& rows)
{
    std::vector<int> goals;
    std::vector<int> tasks;
    QHash<QString, std::vector<int>> assignments;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotRow& row = rows[i];
        if (row.calc != 1 || !row.isOpen()) {
            continue;
        }
        switch (row.kind) {
        case SnapshotRow::Kind::Goal:
            goals.push_back(int(i));
            break;
        case SnapshotRow::Kind::Task:
            tasks.push_back(int(i));
            break;
        case SnapshotRow::Kind::Assignment:
            assignments[MemberName::key(*row.member)].push_back(int(i));
            break;
        case SnapshotRow::Kind::Root:
            break;
        }
    }
    numberGroup(rows, goals);
    numberGroup(rows, tasks);
    for (auto& group : assignments) {
        numberGroup(rows, group);
    }
}
