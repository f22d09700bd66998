#pragma once

#include "db/ProjectRecords.h"
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

    // Writes `changes` to row `id` of `table` with LAST_EDITED now, then walks from
    // `parentId`, all in one transaction. `saved` describes the row as saved; it comes
    // back ok, written only when something differed.
    static EditOutcome write(const QString& connection,
                             const QString& table,
                             qint64 id,
                             std::optional<qint64> parentId,
                             const QString& missing,
                             ColumnChanges changes,
                             const EditOutcome& saved,
                             Prompter& prompter,
                             const Clock& clock);
};
