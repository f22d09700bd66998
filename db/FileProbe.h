#pragma once

#include <QString>

// Reads a file's first bytes to tell whether it is a Cairnwork project, without
// opening it through SQLite (which could change a foreign file). Never reads a file
// a connection of this process has open (closing the descriptor would drop the
// process's locks on it): that gives OpenInProcess, and the connection judges it.
class FileProbe
{
public:
    enum class Kind { Missing, Empty, Project, NotProject, Damaged, Newer, Unreadable, OpenInProcess };
    struct Result
    {
        Kind kind = Kind::Unreadable;
        int version = 0;
        bool walFormat = false; // the header asks for a WAL journal
        QString message; // for the user; names the file
    };
    static Result probe(const QString& path);

    static QString notProjectMessage(const QString& path);
    static QString newerMessage(const QString& path, int version);
};
