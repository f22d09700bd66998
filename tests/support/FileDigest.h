#pragma once

#include <QCryptographicHash>
#include <QFile>

// A file's bytes; empty when the file cannot be read (or does not exist).
inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The SHA-256 of a file's bytes, to show that a file stayed as it was; empty when
// the file cannot be read (or does not exist).
inline QByteArray fileDigest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}
