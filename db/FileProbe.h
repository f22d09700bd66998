#pragma once

#include <QString>

// Reads a file's first bytes to tell whether it is a Cairnwork project, without
// opening it through SQLite (which could change a foreign file).
class FileProbe
{
public:
    enum class Kind { Missing, Empty, Project, NotProject, Damaged, Newer, Unreadable };
    struct Result
    {
        Kind kind = Kind::Unreadable;
        int version = 0;
        QString message; // for the user; names the file
    };
    static Result probe(const QString& path);
};
