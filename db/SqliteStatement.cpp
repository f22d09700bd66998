#include "db/SqliteStatement.h"

#include "common/Figure.h"
#include "db/SqliteHandle.h"

#include <sqlite3.h>

std::unique_ptr<SqliteStatement> SqliteStatement::prepare(sqlite3* db, const QString& sql, QString* error)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK || !statement) {
        if (error) {
            *error = SqliteHandle::describe(db);
        }
        sqlite3_finalize(statement);
        return nullptr;
    }
    return std::unique_ptr<SqliteStatement>(
        new SqliteStatement(db, statement, sqlite3_bind_parameter_count(statement)));
}

SqliteStatement::SqliteStatement(sqlite3* db, sqlite3_stmt* statement, int parameters)
    : m_db(db)
    , m_statement(statement)
    , m_texts(std::size_t(parameters))
{
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index + 1);
}

void SqliteStatement::bindInteger(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index + 1, value);
}

void SqliteStatement::bindReal(int index, double value)
{
    sqlite3_bind_double(m_statement, index + 1, value);
}

void SqliteStatement::bindText(int index, const QString& value)
{
    if (value.isNull() || std::size_t(index) >= m_texts.size()) {
        sqlite3_bind_null(m_statement, index + 1);
        return;
    }
    QString& held = m_texts[std::size_t(index)];
    held = value;
    // The length is given, so no terminating zero is needed (utf16() would copy a
    // literal to add one). An empty text still has a valid pointer: '' stays ''.
    sqlite3_bind_text16(m_statement, index + 1, held.constData(), int(held.size() * 2), SQLITE_STATIC);
}

bool SqliteStatement::run(QString* error)
{
    int rc = sqlite3_step(m_statement);
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(m_statement);
    }
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_statement);
        return true;
    }
    // The error text belongs to the connection until the next call on it.
    if (error) {
        *error = SqliteHandle::describe(m_db);
    }
    sqlite3_reset(m_statement);
    return false;
}

Statement::Step SqliteStatement::step(QString* error)
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        return Step::Row;
    }
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_statement);
        return Step::Done;
    }
    if (error) {
        *error = SqliteHandle::describe(m_db);
    }
    sqlite3_reset(m_statement);
    return Step::Failed;
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_value_int64(sqlite3_column_value(m_statement, column));
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QString SqliteStatement::text(int column) const
{
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL) {
        return QString();
    }
    const void* data = sqlite3_column_text16(m_statement, column);
    const int bytes = sqlite3_column_bytes16(m_statement, column);
    return QString(reinterpret_cast<const QChar*>(data), bytes / 2);
}

bool SqliteStatement::isNumber(int column) const
{
    const int type = sqlite3_column_type(m_statement, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

double SqliteStatement::figure(int column) const
{
    // One look at the value serves both the type and the number: the roll-ups read
    // hundreds of thousands of figures.
    sqlite3_value* value = sqlite3_column_value(m_statement, column);
    const int type = sqlite3_value_type(value);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT ? Figure::checked(sqlite3_value_double(value))
                                                          : Figure::kUnknown;
}
