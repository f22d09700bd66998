#pragma once

#include <QString>

struct sqlite3;

// The engine handle behind a Qt SQL connection, for the statements that go
// straight through SQLite's C interface. Two copies of SQLite in one process
// would each keep their own file locks and drop the other's, so the handle is
// handed out only when the library this program links is proven to be the very
// one the Qt driver loaded: the driver resolves its SQLite functions to the same
// loaded object, and the connection's file system layer is one this library
// registered. Display-free; UI thread (or the connection's own thread) only.
class SqliteHandle
{
public:
    // The open connection's handle, or null when it cannot be used safely (another
    // driver, another copy of the library, no open connection).
    static sqlite3* of(const QString& connection);

    // Lets the connection's page cache go (clean pages only; the transaction and its
    // changes are untouched): for a long computation after a large read. Nothing
    // happens where the handle cannot be used.
    static void releaseCache(const QString& connection);

    // The engine's result code and message in the program's error wording
    // (the cause in words, the code and text on a details line).
    static QString describe(sqlite3* db);
};
