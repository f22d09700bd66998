#include "db/DriverLibrary.h"

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
