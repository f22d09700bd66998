#include "db/Transaction.h"

#include "db/Sql.h"

#include <QHash>

namespace {
QHash<QString, int>& depths()
{
    static QHash<QString, int> d;
    return d;
}
} // namespace

Transaction::Transaction(const QString& connection)
    : m_connection(connection)
{
    int& depth = depths()[connection];
    const QString begin =
        depth == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT cw_sp%1").arg(depth);
    if (depth > 0) {
        m_savepoint = QStringLiteral("cw_sp%1").arg(depth);
    }
    if (Sql::exec(connection, begin, &m_error)) {
        m_active = true;
        ++depth;
    }
}

Transaction::~Transaction()
{
    if (m_active) {
        rollback();
    }
}

bool Transaction::commit()
{
    if (!m_active) {
        if (m_error.isEmpty()) {
            m_error = QStringLiteral("No transaction is active.");
        }
        return false;
    }
    const QString sql = m_savepoint.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + m_savepoint;
    if (!Sql::exec(m_connection, sql, &m_error)) {
        rollback();
        return false;
    }
    m_active = false;
    --depths()[m_connection];
    return true;
}

void Transaction::rollback()
{
    if (!m_active) {
        return;
    }
    QString ignored;
    if (m_savepoint.isEmpty()) {
        Sql::exec(m_connection, QStringLiteral("ROLLBACK"), &ignored);
    } else {
        Sql::exec(m_connection, QStringLiteral("ROLLBACK TO ") + m_savepoint, &ignored);
        Sql::exec(m_connection, QStringLiteral("RELEASE ") + m_savepoint, &ignored);
    }
    m_active = false;
    --depths()[m_connection];
}

bool Transaction::isOpen(const QString& connection)
{
    return depths().value(connection) > 0;
}
