#pragma once

class QSqlDriver;

// Whether a Qt SQL driver calls into the very engine library this program links.
// Two copies of an engine's client library in one process keep their own state
// (SQLite's file locks, a connection's protocol state): an engine handle taken from
// a driver is used directly only when the driver's code resolves `symbol` to the
// loaded object that holds `ours` (this program's own address of that symbol).
class DriverLibrary
{
public:
    static bool resolvesTo(const QSqlDriver* driver, const char* symbol, const void* ours);
};
