#include "db/QtStatement.h"

#include "db/Sql.h"

std::unique_ptr<QtStatement> QtStatement::prepare(const QString& connection, const QString& sql, QString* error)
{
    std::unique_ptr<QtStatement> statement(new QtStatement(connection));
    statement->m_query.setForwardOnly(true);
    if (!Sql::prepare(statement->m_query, sql, error)) {
        return nullptr;
    }
    return statement;
}

QtStatement::QtStatement(const QString& connection)
    : m_query(Sql::db(connection))
{
}

void QtStatement::bindNull(int index)
{
    m_query.bindValue(index, QVariant());
    m_started = false;
}

void QtStatement::bindInteger(int index, qint64 value)
{
    m_query.bindValue(index, value);
    m_started = false;
}

void QtStatement::bindReal(int index, double value)
{
    m_query.bindValue(index, value);
    m_started = false;
}

void QtStatement::bindText(int index, const QString& value)
{
    m_query.bindValue(index, value.isNull() ? Sql::nullText() : QVariant(value));
    m_started = false;
}

bool QtStatement::run(QString* error)
{
    m_started = false;
    const bool ok = Sql::exec(m_query, error);
    m_query.finish();
    return ok;
}

Statement::Step QtStatement::step(QString* error)
{
    if (!m_started) {
        m_started = true;
        if (!Sql::exec(m_query, error)) {
            m_started = false;
            return Step::Failed;
        }
    }
    if (m_query.next()) {
        return Step::Row;
    }
    m_started = false;
    if (m_query.lastError().isValid()) {
        Sql::setError(error, Sql::describe(m_query));
        m_query.finish();
        return Step::Failed;
    }
    m_query.finish();
    return Step::Done;
}

bool QtStatement::isNull(int column) const
{
    return m_query.isNull(column);
}

qint64 QtStatement::integer(int column) const
{
    return m_query.value(column).toLongLong();
}

double QtStatement::real(int column) const
{
    return m_query.value(column).toDouble();
}

QString QtStatement::text(int column) const
{
    const QVariant value = m_query.value(column);
    return value.isNull() ? QString() : value.toString();
}

bool QtStatement::isNumber(int column) const
{
    const QVariant value = m_query.value(column);
    if (value.isNull()) {
        return false;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}
