#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// The SET list of an editor's UPDATE: only the columns whose edited value differs
// from the stored one, each bound as a parameter.
class ColumnChanges
{
public:
    void change(bool differs, const char* column, const QVariant& value);
    bool isEmpty() const { return m_columns.isEmpty(); }

    // Runs "UPDATE <table> SET <changed columns> <where>" with the changed values
    // and then `keys` bound. Fails with `missing` unless exactly one row changed.
    bool update(const QString& connection,
                const QString& table,
                const QString& where,
                const QVariantList& keys,
                const QString& missing,
                QString* error) const;

private:
    QStringList m_columns;
    QVariantList m_values;
};
