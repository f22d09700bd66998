#pragma once

#include <QFile>
#include <QString>

// Makes a file or folder unwritable for this process until destroyed or lifted. Root
// ignores permission bits, so as root the immutable attribute (chattr +i) stands in;
// holds() tells whether the file system now really refuses writing.
class WriteProtection
{
public:
    explicit WriteProtection(const QString& path);
    ~WriteProtection();
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

    bool holds() const;
    void lift();

private:
    QString m_path;
    QFile::Permissions m_permissions;
    bool m_attribute = false;
};
