#include "db/Statement.h"

#include "common/Figure.h"
#include "db/PgHandle.h"
#include "db/PgStatement.h"
#include "db/QtStatement.h"
#include "db/Sql.h"
#include "db/SqliteHandle.h"
#include "db/SqliteStatement.h"

namespace {
bool& nativeSwitch()
{
    static bool enabled = true;
    return enabled;
}
} // namespace

std::unique_ptr<Statement> Statement::prepare(const QString& connection, const QString& sql, QString* error)
{
    if (nativeSwitch()) {
        if (sqlite3* handle = SqliteHandle::of(connection)) {
            return SqliteStatement::prepare(handle, sql, error);
        }
        if (PGconn* conn = PgHandle::of(connection)) {
            QString failure;
            if (auto statement = PgStatement::prepare(conn, sql, &failure)) {
                return statement;
            }
            // Declined without a failure: a result only Qt's driver reads as it should.
            if (!failure.isEmpty()) {
                Sql::setError(error, failure);
                return nullptr;
            }
        }
    }
    return QtStatement::prepare(connection, sql, error);
}

double Statement::figure(int column) const
{
    return isNumber(column) ? Figure::checked(real(column)) : Figure::kUnknown;
}

void Statement::setNativeEnabled(bool enabled)
{
    nativeSwitch() = enabled;
}

bool Statement::nativeEnabled()
{
    return nativeSwitch();
}
