#pragma once

#include <QVariant>
#include <initializer_list>

class QSqlDriver;
class QString;

// Whether a Qt SQL driver calls into the very engine library this program links.
// Two copies of an engine's client library in one process keep their own state
// (SQLite's file locks, a connection's protocol state): an engine handle taken from
// a driver is used directly only when the driver's code resolves `symbol` to the
// loaded object that holds `ours` (this program's own address of that symbol).
class DriverLibrary
{
public:
    static bool resolvesTo(const QSqlDriver* driver, const char* symbol, const void* ours);
    // The engine handle of an open connection of the driver `driverName`, when Qt names its
    // type as one of `typeNames`; invalid otherwise. *driver gets the connection's driver.
    static QVariant handle(const QString& connection,
                           const char* driverName,
                           std::initializer_list<const char*> typeNames,
                           const QSqlDriver** driver);
};
