#include "db/Transaction.h"

#include "db/Database.h"
#include "db/Sql.h"
#include "db/UndoLog.h"

#include <QHash>

namespace {
QHash<QString, int>& depths()
{
    static QHash<QString, int> d;
    return d;
}
} // namespace

Transaction::Transaction(const QString& connection, Reading reading)
    : m_connection(connection)
{
    int& depth = depths()[connection];
    if (depth > 0) {
        m_savepoint = QStringLiteral("cw_sp%1").arg(depth);
        if (Sql::exec(connection, QStringLiteral("SAVEPOINT ") + m_savepoint, &m_error)) {
            m_active = true;
            ++depth;
        }
        return;
    }
    // Every write of the program starts here: the one place that refuses writing to a
    // read-only project, or to a file a newer version or another program has changed.
    if (!Database::reconnectIfLost(connection, &m_error) || !Database::writableCheck(connection, &m_error)) {
        return;
    }
    QSqlQuery begin(Sql::db(connection));
    if (!begin.exec(reading == Reading::Consistent ? Database::beginConsistentStatement(connection)
                                                   : Database::beginStatement(connection))) {
        m_error = Database::inUseMessage(Database::filePath(connection), begin.lastError());
        if (m_error.isEmpty()) {
            m_error = Sql::describe(begin);
        }
        return;
    }
    m_active = true;
    ++depth;
    QString refusal;
    if (!Database::formatCheck(connection, &refusal) || !UndoLog::openStep(connection, &refusal)) {
        rollback();
        m_error = refusal;
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
    // The step a user can take back commits with what it changed.
    if ((m_savepoint.isEmpty() && !UndoLog::closeStep(m_connection, &m_error)) ||
        !Sql::exec(m_connection, sql, &m_error)) {
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
