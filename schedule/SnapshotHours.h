#pragma once

#include "db/ProjectRecords.h"

#include <QString>
#include <vector>

// The members' weekly hours a snapshot was scheduled with (table CompDatesHours),
// kept so that the snapshot can be replayed later. Snapshots of files older than
// that table keep none. Display-free.
class SnapshotHours
{
public:
    // Stores `members`' hours under `stamp`. The caller holds the snapshot's transaction.
    static bool
    write(const QString& connection, const QString& stamp, const std::vector<MemberRecord>& members, QString* error);
    // Reads the hours stored under `stamp` into *members (names and the fourteen
    // times). *stored is false, and *members empty, when the snapshot keeps no hours
    // (taken before they were kept, or a file of the older format opened read-only).
    static bool read(const QString& connection,
                     const QString& stamp,
                     std::vector<MemberRecord>* members,
                     bool* stored,
                     QString* error);
    // Reads the team's present hours (RESOURCES) into *members.
    static bool team(const QString& connection, std::vector<MemberRecord>* members, QString* error);
};
