#include "reports/ExportFile.h"

#include "reports/ExportTarget.h"

#include <QDir>

namespace {
// Writes are gathered into blocks of this size: the save file itself is unbuffered,
// so that each short write is seen here.
constexpr qsizetype kBlock = 64 * 1024;
} // namespace

ExportFile::ExportFile(const QString& path)
    : m_path(path)
{
}

ExportFile::~ExportFile()
{
    cancel();
}

bool ExportFile::open(QString* error)
{
    QString target;
    if (!ExportTarget::resolve(m_path, &target, error)) {
        return false;
    }
    m_file.setFileName(target);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return failed(m_file.errorString(), error);
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool ExportFile::commit(QString* error)
{
    if (!m_file.isOpen()) {
        return failed(QStringLiteral("the file is not open"), error);
    }
    if (!flushBuffer()) {
        const QString reason = m_failure;
        cancel();
        return failed(reason, error);
    }
    QIODevice::close();
    if (!m_file.commit()) {
        return failed(m_file.errorString(), error);
    }
    return true;
}

void ExportFile::cancel()
{
    m_buffer.clear();
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // removes the unfinished temporary file
    }
    QIODevice::close();
}

qint64 ExportFile::readData(char*, qint64)
{
    return -1;
}

qint64 ExportFile::writeData(const char* data, qint64 size)
{
    if (!m_failure.isEmpty()) {
        return -1;
    }
    m_buffer.append(data, size);
    if (m_buffer.size() >= kBlock && !flushBuffer()) {
        return -1;
    }
    return size;
}

bool ExportFile::flushBuffer()
{
    if (!m_failure.isEmpty()) {
        return false;
    }
    // A write that the disk cuts short reports no error; the next one, for the rest,
    // fails with the system's reason.
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 n = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0) {
            m_failure = m_file.errorString();
            m_buffer.clear();
            return false;
        }
        done += n;
    }
    m_buffer.clear();
    return true;
}

bool ExportFile::failed(const QString& reason, QString* error) const
{
    if (error) {
        *error = QStringLiteral("\"%1\" cannot be written: %2").arg(QDir::toNativeSeparators(m_path), reason);
    }
    return false;
}
