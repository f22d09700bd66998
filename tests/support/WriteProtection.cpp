#include "tests/support/WriteProtection.h"

#include <QProcess>

#include <unistd.h>

WriteProtection::WriteProtection(const QString& path)
    : m_path(path)
    , m_permissions(QFile::permissions(path))
{
    if (::geteuid() == 0) {
        m_attribute = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    } else {
        QFile::setPermissions(
            path, m_permissions & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther));
    }
}

WriteProtection::~WriteProtection()
{
    lift();
}

bool WriteProtection::holds() const
{
    return ::access(QFile::encodeName(m_path).constData(), W_OK) != 0;
}

void WriteProtection::lift()
{
    if (m_attribute) {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        m_attribute = false;
    }
    QFile::setPermissions(m_path, m_permissions);
}
