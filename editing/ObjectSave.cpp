#include "editing/ObjectSave.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectChecks.h"

bool ObjectSave::loadRow(const QString& connection,
                         const QString& source,
                         const QStringList& keyColumns,
                         const QVariantList& keys,
                         const QString& missing,
                         RowImage* row,
                         QString* error)
{
    if (!RowImage::read(connection, source, keyColumns, keys, row, error)) {
        return false;
    }
    if (!row->exists()) {
        Sql::setError(error, missing);
        return false;
    }
    return true;
}

QString ObjectSave::describedAs(const ObjectRecord& object)
{
    return QStringLiteral("%1 \"%2\"").arg(object.objectType, object.shortName);
}

EditOutcome ObjectSave::write(const QString& connection,
                              const RowImage& loaded,
                              const QString& what,
                              const QString& table,
                              qint64 id,
                              std::optional<qint64> parentId,
                              const QString& missing,
                              ColumnChanges changes,
                              const EditOutcome& saved,
                              Prompter& prompter,
                              const Clock& clock)
{
    if (changes.isEmpty()) {
        EditOutcome unchanged = saved;
        unchanged.ok = true;
        return unchanged;
    }
    changes.change(true, "LAST_EDITED", Stamp::toText(clock.now()));
    return EditTransaction::run(connection, saved, [&](EditOutcome& outcome, QString* error) {
        if (!loaded.stillCurrent(connection, what, &outcome.conflict, error) ||
            !changes.update(connection, table, QStringLiteral("WHERE ID = ?"), {id}, missing, error) ||
            !ObjectChecks::CheckParentStatus(connection, parentId, prompter, &outcome.statusChanges, error)) {
            return false;
        }
        outcome.written = true;
        return true;
    });
}
