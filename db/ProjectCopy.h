#pragma once

#include <QString>
#include <functional>

// Copies a whole project (members, goals, tasks, assignments, notes, counters and the
// whole snapshot history) from one open connection to a new, empty project on another,
// whichever engines they run on. Values keep their types and identifiers.
class ProjectCopy
{
public:
    // Told the name of each table as its rows start to go across.
    using Progress = std::function<void(const QString& table)>;

    // Reads `from` in one read transaction and writes `to`, whose caller holds the write
    // transaction (see Database::create's fill); then compares every table's row count
    // and the counters on both sides. False with *error on any failure or difference.
    static bool copy(const QString& from, const QString& to, QString* error, const Progress& progress = {});
};
