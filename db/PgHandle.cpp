#include "db/PgHandle.h"

#include "db/DriverLibrary.h"
#include "db/Sql.h"

#include <QSqlDriver>
#include <libpq-fe.h>

namespace {
QString trimmed(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8).trimmed() : QString();
}
} // namespace

PGconn* PgHandle::of(const QString& connection)
{
    const QSqlDriver* driver = nullptr;
    // Qt names the handle's type after the structure behind libpq's typedef.
    const QVariant handle = DriverLibrary::handle(connection, "QPSQL", {"pg_conn*", "PGconn*"}, &driver);
    if (!handle.isValid()) {
        return nullptr;
    }
    // Every QPSQL driver of the process comes from the same plugin.
    static const bool proven =
        DriverLibrary::resolvesTo(driver, "PQputCopyData", reinterpret_cast<const void*>(&PQputCopyData));
    PGconn* conn = *static_cast<PGconn* const*>(handle.constData());
    // ACTIVE: a query of the driver is still being read row by row; a request of
    // ours now would throw its remaining rows away.
    if (!proven || !conn || PQstatus(conn) != CONNECTION_OK || PQisnonblocking(conn) ||
        PQtransactionStatus(conn) == PQTRANS_ACTIVE || PQtransactionStatus(conn) == PQTRANS_UNKNOWN ||
        qstrcmp(pg_encoding_to_char(PQclientEncoding(conn)), "UTF8") != 0) {
        return nullptr;
    }
    return conn;
}

QString PgHandle::describe(const PGresult* result, PGconn* conn)
{
    QString message = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (message.isEmpty()) {
        return Sql::describe(QSqlError(QString(), trimmed(PQerrorMessage(conn)), QSqlError::ConnectionError));
    }
    const QString detail = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL));
    if (!detail.isEmpty()) {
        message += QStringLiteral("\nDETAIL:  ") + detail;
    }
    return Sql::describe(QSqlError(QString(),
                                   QStringLiteral("ERROR:  ") + message,
                                   QSqlError::StatementError,
                                   trimmed(PQresultErrorField(result, PG_DIAG_SQLSTATE))));
}
