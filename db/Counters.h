#pragma once

#include <QString>
#include <optional>

// Identifier allocation from the one-row table COUNTERS. Each counter holds the
// last identifier handed out. Must run inside the caller's Transaction: a
// rolled-back save gives its identifier back.
class Counters
{
public:
    enum class Kind { Goal, Task, Note };
    static std::optional<qint64> next(const QString& connection, Kind kind, QString* error);
    static std::optional<qint64> last(const QString& connection, Kind kind, QString* error);
    static QString column(Kind kind);
};
