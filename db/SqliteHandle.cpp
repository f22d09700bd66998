#include "db/SqliteHandle.h"

#include "db/DriverLibrary.h"
#include "db/Sql.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {

// The verdict for the driver class, worked out once: every QSQLITE driver of the
// process comes from the same plugin.
bool libraryProven(const QSqlDriver* driver)
{
    static const bool proven =
        DriverLibrary::resolvesTo(driver, "sqlite3_open_v2", reinterpret_cast<const void*>(&sqlite3_open_v2));
    return proven;
}

} // namespace

sqlite3* SqliteHandle::of(const QString& connection)
{
    const QSqlDriver* driver = nullptr;
    const QVariant handle = DriverLibrary::handle(connection, "QSQLITE", {"sqlite3*"}, &driver);
    if (!handle.isValid() || !libraryProven(driver)) {
        return nullptr;
    }
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
    if (!sqlite) {
        return nullptr;
    }
    // The connection itself agrees: its file system layer is the one this library
    // registered under that name (another copy would hold its own).
    sqlite3_vfs* vfs = nullptr;
    if (sqlite3_file_control(sqlite, "main", SQLITE_FCNTL_VFS_POINTER, &vfs) != SQLITE_OK || !vfs ||
        sqlite3_vfs_find(vfs->zName) != vfs) {
        return nullptr;
    }
    return sqlite;
}

void SqliteHandle::releaseCache(const QString& connection)
{
    if (sqlite3* db = of(connection)) {
        sqlite3_db_release_memory(db);
    }
}

QString SqliteHandle::describe(sqlite3* db)
{
    return Sql::describe(sqlite3_extended_errcode(db),
                         QString::fromUtf16(static_cast<const char16_t*>(sqlite3_errmsg16(db))));
}
