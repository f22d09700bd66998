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

// The connection's libpq handle when the driver is proven to call this program's own
// libpq; null otherwise.
PGconn* provenHandle(const QString& connection)
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
    return proven ? *static_cast<PGconn* const*>(handle.constData()) : nullptr;
}
} // namespace

PGconn* PgHandle::of(const QString& connection)
{
    PGconn* conn = provenHandle(connection);
    // ACTIVE: a query of the driver is still being read row by row; a request of
    // ours now would throw its remaining rows away.
    if (!conn || PQstatus(conn) != CONNECTION_OK || PQisnonblocking(conn) ||
        PQtransactionStatus(conn) == PQTRANS_ACTIVE || PQtransactionStatus(conn) == PQTRANS_UNKNOWN ||
        qstrcmp(pg_encoding_to_char(PQclientEncoding(conn)), "UTF8") != 0) {
        return nullptr;
    }
    return conn;
}

bool PgHandle::isLost(const QString& connection)
{
    PGconn* conn = provenHandle(connection);
    return conn && PQstatus(conn) == CONNECTION_BAD;
}

QString PgHandle::describe(const PGresult* result, PGconn* conn)
{
    QString message = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (message.isEmpty()) {
        // Without a result the server's own state is all there is: a session that has
        // gone is told as such (SQLSTATE connection_failure), whatever libpq's wording.
        return Sql::describe(QSqlError(QString(),
                                       trimmed(PQerrorMessage(conn)),
                                       QSqlError::ConnectionError,
                                       PQstatus(conn) == CONNECTION_BAD ? QStringLiteral("08006") : QString()));
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
