#pragma once

#include <QString>

// Opening and creating project files on named Qt SQL connections. Never changes
// a file that is not a Cairnwork project; never creates a file unless asked to.
class Database
{
public:
    // Opens an existing project on a new connection `connection` (foreign keys on,
    // WAL journal, busy timeout), migrating an older format in one transaction.
    // On failure the connection is removed and *error names the file.
    static bool open(const QString& path, const QString& connection, QString* error);
    // Creates a new, empty project at `path`, which must not exist or be empty,
    // and leaves it open on `connection`.
    static bool create(const QString& path, const QString& connection, QString* error);
    static void close(const QString& connection);
    static bool isOpen(const QString& connection);
    // The file behind an open connection (a plain path, never a URI).
    static QString filePath(const QString& connection);
    // True when a connection of this process has the file at `path` open (the same
    // file by device and inode, whatever the path or link that names it). Nothing in
    // the process may then open that file, or its -wal/-shm, by other means: closing
    // any descriptor of it drops all of the process's locks on it.
    static bool isOpenInProcess(const QString& path);

private:
    static bool connect(const QString& path, const QString& connection, QString* error);
    static bool configure(const QString& connection, QString* error);
};
