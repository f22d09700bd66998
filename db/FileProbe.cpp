#include "db/FileProbe.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>
#include <optional>

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

// The first 100 bytes of the newest committed image of page 1 in a write-ahead log,
// or nothing when the log holds no committed page 1. A program that crashed or still
// runs may have committed a new application_id or user_version only there. Frames
// count only while their salts match the log's and their running checksum agrees,
// as the engine itself reads the log.
std::optional<QByteArray> committedHeaderInWal(const QString& walPath)
{
    QFile wal(walPath);
    if (!wal.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray head = wal.read(32);
    const quint32 magic = head.size() == 32 ? be32(head, 0) : 0;
    if ((magic & 0xfffffffe) != 0x377f0682) {
        return std::nullopt;
    }
    const bool bigEndian = magic & 1;
    const quint32 pageSize = be32(head, 8);
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) {
        return std::nullopt;
    }
    quint32 s0 = 0;
    quint32 s1 = 0;
    const auto sum = [&](const char* data, qsizetype size) {
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            quint32 x0;
            quint32 x1;
            memcpy(&x0, data + i, 4);
            memcpy(&x1, data + i + 4, 4);
            if (bigEndian) {
                x0 = qFromBigEndian(x0);
                x1 = qFromBigEndian(x1);
            } else {
                x0 = qFromLittleEndian(x0);
                x1 = qFromLittleEndian(x1);
            }
            s0 += x0 + s1;
            s1 += x1 + s0;
        }
    };
    sum(head.constData(), 24);
    if (s0 != be32(head, 24) || s1 != be32(head, 28)) {
        return std::nullopt;
    }
    std::optional<QByteArray> pending; // page 1 written since the last commit
    std::optional<QByteArray> committed;
    QByteArray frame;
    while ((frame = wal.read(24 + pageSize)).size() == qsizetype(24 + pageSize)) {
        if (frame.mid(8, 8) != head.mid(16, 8)) {
            break;
        }
        sum(frame.constData(), 8);
        sum(frame.constData() + 24, pageSize);
        if (s0 != be32(frame, 16) || s1 != be32(frame, 20)) {
            break;
        }
        if (be32(frame, 0) == 1) {
            pending = frame.mid(24, 100);
        }
        if (be32(frame, 4) != 0 && pending) {
            committed = pending;
        }
    }
    return committed;
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
    // Opening would read the log and closing would fold it into the file: judge it first.
    if (hasWal) {
        if (const std::optional<QByteArray> logged = committedHeaderInWal(path + QStringLiteral("-wal"))) {
            if (qint32(be32(*logged, 68)) != Schema::kApplicationId) {
                return make(Kind::NotProject, notOurs);
            }
            if (int(be32(*logged, 60)) > Schema::kVersion) {
                return make(Kind::Newer, newerMessage(path, int(be32(*logged, 60))), int(be32(*logged, 60)));
            }
        }
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
