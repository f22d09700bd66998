#include "db/FileProbe.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
quint32 be32(const QByteArray& b, int at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) | (quint32(quint8(b[at + 2])) << 8) |
        quint32(quint8(b[at + 3]));
}

FileProbe::Result make(FileProbe::Kind kind, const QString& message, int version = 0)
{
    return {kind, version, false, message};
}
} // namespace

FileProbe::Result FileProbe::probe(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        return make(Kind::Missing, QStringLiteral("The project file \"%1\" does not exist.").arg(shown));
    }
    if (!info.isFile()) {
        return make(Kind::NotProject, QStringLiteral("\"%1\" is not a file.").arg(shown));
    }
    if (info.size() == 0) {
        return make(Kind::Empty, QString());
    }
    if (Database::isOpenInProcess(path)) {
        return make(Kind::OpenInProcess, QString());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return make(Kind::Unreadable,
                    QStringLiteral("The file \"%1\" cannot be read: %2").arg(shown, file.errorString()));
    }
    const QByteArray header = file.read(100);
    const QString notOurs = notProjectMessage(path);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        return make(Kind::NotProject, notOurs);
    }
    if (qint32(be32(header, 68)) != Schema::kApplicationId) {
        return make(Kind::NotProject, notOurs);
    }
    const int version = int(be32(header, 60));
    // The header states the database size in pages when its change counter agrees.
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    if (pageSize == 1) {
        pageSize = 65536;
    }
    const quint32 pages = be32(header, 28);
    const bool sizeValid = be32(header, 92) == be32(header, 24) && pages > 0;
    const bool hasWal = QFileInfo::exists(path + QStringLiteral("-wal"));
    if (pageSize < 512 || (sizeValid && !hasWal && quint64(info.size()) < quint64(pages) * pageSize)) {
        return make(
            Kind::Damaged,
            QStringLiteral("The project file \"%1\" is damaged (it is shorter than its header says).").arg(shown),
            version);
    }
    if (version > Schema::kVersion) {
        return make(Kind::Newer, newerMessage(path, version), version);
    }
    Result result = make(Kind::Project, QString(), version);
    // Read and write format versions: 2 means WAL.
    result.walFormat = header[18] == 2 && header[19] == 2;
    return result;
}

QString FileProbe::notProjectMessage(const QString& path)
{
    return QStringLiteral("\"%1\" is not a Cairnwork database.").arg(QDir::toNativeSeparators(path));
}

QString FileProbe::newerMessage(const QString& path, int version)
{
    return QStringLiteral("The project file \"%1\" was written by a newer version of Cairnwork (format %2; "
                          "this version reads up to %3).")
        .arg(QDir::toNativeSeparators(path))
        .arg(version)
        .arg(Schema::kVersion);
}
