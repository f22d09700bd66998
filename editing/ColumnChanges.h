#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <optional>

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

// A stored value that may be NULL against the text of a field. NULL differs from
// any text but the empty one: an empty field over a NULL column is no change, so
// pressing OK on an untouched object never stamps it as edited.
inline bool textDiffers(const std::optional<QString>& stored, const QString& text)
{
    return stored ? *stored != text : !text.isEmpty();
}
