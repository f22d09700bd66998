#pragma once

#include "db/ProjectRecords.h"
#include "db/RowImage.h"
#include "db/Sql.h"
#include "editing/ColumnChanges.h"
#include "editing/EditOutcome.h"

#include <optional>

class Clock;
class Prompter;

// What saving a goal and saving a task have in common: the columns both rows
// carry, and the write that stamps the row and walks the statuses from its parent.
class ObjectSave
{
public:
    // Type, name, priority, status and description (texts compared by textDiffers).
    template <typename Properties>
    static void changeCommonColumns(ColumnChanges& changes, const Properties& stored, const Properties& edited)
    {
        const QString description = edited.description.value_or(QString());
        changes.change(edited.objectType != stored.objectType, "OBJECT_TYPE", edited.objectType);
        changes.change(edited.shortName != stored.shortName, "SHORT_NAME", edited.shortName);
        changes.change(edited.priority != stored.priority, "PRIORITY", edited.priority);
        changes.change(edited.status != stored.status, "STATUS", edited.status);
        changes.change(textDiffers(stored.description, description), "DESCRIPTION", description);
    }

    // Reads the row through a whole-row image; false with `missing` when it is gone.
    static bool loadRow(const QString& connection,
                        const QString& source,
                        const QStringList& keyColumns,
                        const QVariantList& keys,
                        const QString& missing,
                        RowImage* row,
                        QString* error);

    // The columns goals and tasks share, from the row as read.
    template <typename Properties>
    static void readCommonColumns(const RowImage& row, Properties* stored)
    {
        stored->id = row.value(QStringLiteral("ID")).toLongLong();
        stored->objectType = row.value(QStringLiteral("OBJECT_TYPE")).toString();
        stored->shortName = row.value(QStringLiteral("SHORT_NAME")).toString();
        stored->priority = row.value(QStringLiteral("PRIORITY")).toLongLong();
        stored->status = row.value(QStringLiteral("STATUS")).toString();
        stored->description = Sql::optionalText(row.value(QStringLiteral("DESCRIPTION")));
        stored->created = row.value(QStringLiteral("CREATED")).toString();
        stored->lastEdited = Sql::optionalText(row.value(QStringLiteral("LAST_EDITED")));
    }

    // How a goal or task is named to the user: its kind and name, as `Goal "Alpha"`.
    static QString describedAs(const ObjectRecord& object);

    // Writes `changes` to row `id` of `table` with LAST_EDITED now, then walks from
    // `parentId`, all in one transaction. The row must still be as `loaded` shows
    // it (`what` names it in the refusal). `saved` describes the row as saved; it
    // comes back ok, written only when something differed.
    static EditOutcome write(const QString& connection,
                             const RowImage& loaded,
                             const QString& what,
                             const QString& table,
                             qint64 id,
                             std::optional<qint64> parentId,
                             const QString& missing,
                             ColumnChanges changes,
                             const EditOutcome& saved,
                             Prompter& prompter,
                             const Clock& clock);
};
