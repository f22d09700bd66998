#include "db/RowImage.h"

#include "db/Database.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include <QSqlQuery>

namespace {
QString rowQuery(const QString& table, const QStringList& keyColumns)
{
    QStringList terms;
    for (const QString& column : keyColumns) {
        terms << column + QStringLiteral(" = ?");
    }
    return QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}
} // namespace

bool RowImage::read(const QString& connection,
                    const QString& table,
                    const QStringList& keyColumns,
                    const QVariantList& keys,
                    RowImage* image,
                    QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, rowQuery(table, keyColumns), keys, error)) {
        return false;
    }
    RowImage result;
    if (query.next()) {
        result = fromRecord(table, keyColumns, query.record());
    }
    result.m_table = table;
    result.m_keyColumns = keyColumns;
    result.m_keys = keys;
    *image = result;
    return true;
}

RowImage RowImage::fromRecord(const QString& table, const QStringList& keyColumns, const QSqlRecord& record)
{
    RowImage image;
    image.m_table = table;
    image.m_keyColumns = keyColumns;
    for (const QString& column : keyColumns) {
        image.m_keys << record.value(column);
    }
    for (int i = 0; i < record.count(); ++i) {
        image.m_columns << record.fieldName(i);
        image.m_values << record.value(i);
    }
    image.m_exists = true;
    return image;
}

QVariant RowImage::value(const QString& column) const
{
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0) {
            return m_values.at(i);
        }
    }
    return {};
}

bool RowImage::stillCurrent(const QString& connection, const QString& what, bool* conflict, QString* error) const
{
    *conflict = false;
    if (m_table.isEmpty()) {
        return true;
    }
    if (!Transaction::isOpen(connection)) {
        Sql::setError(error, QStringLiteral("A row is checked only inside the transaction that writes it."));
        return false;
    }
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, rowQuery(m_table, m_keyColumns) + lockClause(connection), m_keys, error)) {
        return false;
    }
    QVariantList now;
    if (query.next()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            now << record.value(i);
        }
    }
    const bool same = m_exists ? now == m_values : now.isEmpty();
    if (same) {
        return true;
    }
    *conflict = true;
    Sql::setError(error, changedMessage(what));
    return false;
}

QString RowImage::lockClause(const QString& connection)
{
    // A file's writer holds the whole file from BEGIN IMMEDIATE on; a server locks the
    // rows a transaction reads this way, and makes others wait for them until it ends.
    return Database::isServer(connection) ? QStringLiteral(" FOR UPDATE") : QString();
}

QString RowImage::changedMessage(const QString& what)
{
    return what + QStringLiteral(" was changed by someone else since you opened it. Nothing was saved.");
}
