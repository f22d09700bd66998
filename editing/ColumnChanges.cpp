#include "editing/ColumnChanges.h"

#include "editing/EditSql.h"

void ColumnChanges::change(bool differs, const char* column, const QVariant& value)
{
    if (differs) {
        m_columns << QLatin1String(column) + QStringLiteral(" = ?");
        m_values << value;
    }
}

bool ColumnChanges::update(const QString& connection,
                           const QString& table,
                           const QString& where,
                           const QVariantList& keys,
                           const QString& missing,
                           QString* error) const
{
    QSqlQuery update(Sql::db(connection));
    if (!Sql::run(update,
                  QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + m_columns.join(QStringLiteral(", ")) +
                      QLatin1Char(' ') + where,
                  m_values + keys,
                  error)) {
        return false;
    }
    if (update.numRowsAffected() != 1) {
        Sql::setError(error, missing);
        return false;
    }
    return true;
}
