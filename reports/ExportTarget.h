#pragma once

#include <QString>

// Where an export may write. A user names the output file, but a name can lead
// (through symbolic links) to the open project, another database, a device or a
// pipe; an export that replaced such a file would destroy data or hang. Display-free.
class ExportTarget
{
public:
    // Follows symbolic links from `path` to the file an export would replace and
    // judges it. Refuses, with *error naming the path and the reason, when that file
    // is a project open in this process, any SQLite database, the -wal, -shm or
    // -journal of one, a folder, or anything but a regular file. On success
    // *target is the regular file to write (existing or not, links resolved), so
    // that a save file replaces the file and leaves the link in place.
    // The open-project test comes first and goes by device and inode: nothing here
    // opens a file that a connection of this process holds.
    static bool resolve(const QString& path, QString* target, QString* error);
};
