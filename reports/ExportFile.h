#pragma once

#include <QIODevice>
#include <QSaveFile>

// The file an export writes. The path is judged by ExportTarget (never the
// project, a device or a pipe) and written through a save file, so the earlier
// file stays until commit() and a failed export leaves it intact. A failure names
// the file system's own reason ("No space left on device"): a write that the disk
// cuts short is repeated for the rest, which is where the system says why.
// Display-free; write-only.
class ExportFile : public QIODevice
{
public:
    explicit ExportFile(const QString& path);
    ~ExportFile() override;

    // Opens the save file for writing; false with *error when the path is refused
    // or the file cannot be created.
    bool open(QString* error);
    // Writes out what is left and replaces the file; on failure the earlier file
    // stays and *error names the path and the cause.
    bool commit(QString* error);
    // Drops what was written; the earlier file stays.
    void cancel();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flushBuffer();
    bool failed(const QString& reason, QString* error) const;

    QString m_path; // as the user gave it, for messages
    QSaveFile m_file;
    QByteArray m_buffer;
    QString m_failure; // the first write error, empty while all is well
};
