#pragma once

#include <QString>

// A GT_Path as the snapshot stores it: the names from the top of the tree down,
// each after a "\", kept to SnapshotRow::kMaxPathLength characters. A longer path
// keeps its start and its end around "…"; from then on every path below it is
// shortened the same way.
struct SnapshotPath
{
    QString text;
    bool elided = false; // text is a shortened form of a longer path

    // This path, "\" and `name`.
    SnapshotPath child(const QString& name) const;
};
