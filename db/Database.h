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
    // The file behind an open connection.
    static QString filePath(const QString& connection);

private:
    static bool connect(const QString& path, const QString& connection, QString* error);
    static bool configure(const QString& connection, QString* error);
};
