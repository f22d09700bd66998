#include "reports/ExportTarget.h"

#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
// More links in a row than this are taken as a loop, as the kernel does.
constexpr int kMaxLinks = 40;

bool refuse(const QString& path, const QString& target, const QString& reason, QString* error)
{
    QString shown = QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(path));
    if (!target.isEmpty() && QFileInfo(path).absoluteFilePath() != target) {
        shown += QStringLiteral(" (which leads to \"%1\")").arg(QDir::toNativeSeparators(target));
    }
    if (error) {
        *error = QStringLiteral("Cannot export to %1: %2.").arg(shown, reason);
    }
    return false;
}

// stat() of `path` (links followed); false with errno set when it fails.
bool statOf(const QString& path, struct stat* st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

// Callers make sure that no connection of this process has `path` open and that
// it is a regular file (reading a pipe would block).
bool isSqlite(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString notRegular(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QStringLiteral("it is a device, not a regular file");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("it is a named pipe, not a regular file");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("it is a socket, not a regular file");
    }
    return QStringLiteral("it is not a regular file");
}
} // namespace

bool ExportTarget::resolve(const QString& path, QString* target, QString* error)
{
    if (path.isEmpty()) {
        return refuse(path, {}, QStringLiteral("no file name was given"), error);
    }
    // Follow the links one by one: the last name is the file a save file must
    // replace; a dangling link names the file to create.
    QString resolved = QFileInfo(path).absoluteFilePath();
    for (int links = 0; QFileInfo(resolved).isSymLink(); ++links) {
        if (links == kMaxLinks) {
            return refuse(path, {}, QStringLiteral("it leads through too many symbolic links"), error);
        }
        resolved = QFileInfo(resolved).symLinkTarget();
    }
    resolved = QDir::cleanPath(resolved);

    if (Database::isOpenInProcess(resolved)) {
        return refuse(path, resolved, QStringLiteral("it is an open Cairnwork project"), error);
    }
    struct stat st;
    const bool exists = statOf(resolved, &st);
    if (!exists && errno != ENOENT) {
        return refuse(path, resolved, QString::fromLocal8Bit(std::strerror(errno)), error);
    }
    if (exists && S_ISDIR(st.st_mode)) {
        return refuse(path, resolved, QStringLiteral("it is a folder"), error);
    }
    if (exists && !S_ISREG(st.st_mode)) {
        return refuse(path, resolved, notRegular(st.st_mode), error);
    }
    // A database's companion files hold its newest changes: replacing one loses them
    // or damages the database, whether or not the companion exists right now.
    for (const QLatin1String suffix : {QLatin1String("-wal"), QLatin1String("-shm"), QLatin1String("-journal")}) {
        if (!resolved.endsWith(suffix)) {
            continue;
        }
        const QString base = resolved.chopped(suffix.size());
        struct stat baseStat;
        if (Database::isOpenInProcess(base)) {
            return refuse(
                path,
                resolved,
                QStringLiteral("it belongs to the open Cairnwork project \"%1\"").arg(QDir::toNativeSeparators(base)),
                error);
        }
        if (statOf(base, &baseStat) && S_ISREG(baseStat.st_mode) && isSqlite(base)) {
            return refuse(path,
                          resolved,
                          QStringLiteral("it belongs to the database \"%1\"").arg(QDir::toNativeSeparators(base)),
                          error);
        }
    }
    if (exists && isSqlite(resolved)) {
        return refuse(path, resolved, QStringLiteral("it is a database (SQLite) file"), error);
    }
    *target = resolved;
    return true;
}
