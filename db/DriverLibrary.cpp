#include "db/DriverLibrary.h"

#include "db/Sql.h"

#include <QSqlDriver>
#include <dlfcn.h>

namespace {
// The base address of the loaded object that defines `address`, or null.
const void* objectOf(const void* address)
{
    Dl_info info{};
    return address && dladdr(address, &info) ? info.dli_fbase : nullptr;
}
} // namespace

// The driver's virtual table lies in its plugin (or in whatever object holds the
// driver); dlsym on that object searches it and its dependencies in the order the
// loader binds them.
bool DriverLibrary::resolvesTo(const QSqlDriver* driver, const char* symbol, const void* ours)
{
    if (!driver) {
        return false;
    }
    const void* vtable = *reinterpret_cast<const void* const*>(driver);
    Dl_info info{};
    if (!dladdr(vtable, &info) || !info.dli_fname) {
        return false;
    }
    void* object = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!object) {
        return false;
    }
    const void* theirs = dlsym(object, symbol);
    dlclose(object);
    const void* base = objectOf(ours);
    return base && objectOf(theirs) == base;
}

QVariant DriverLibrary::handle(const QString& connection,
                               const char* driverName,
                               std::initializer_list<const char*> typeNames,
                               const QSqlDriver** driver)
{
    const QSqlDatabase db = Sql::db(connection);
    *driver = db.driver();
    if (!db.isOpen() || !*driver || db.driverName() != QLatin1String(driverName)) {
        return {};
    }
    const QVariant handle = (*driver)->handle();
    for (const char* type : typeNames) {
        if (handle.isValid() && qstrcmp(handle.typeName(), type) == 0) {
            return handle;
        }
    }
    return {};
}
