#include "editing/ObjectSave.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectChecks.h"

EditOutcome ObjectSave::write(const QString& connection,
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
        if (!changes.update(connection, table, QStringLiteral("WHERE ID = ?"), {id}, missing, error) ||
            !ObjectChecks::CheckParentStatus(connection, parentId, prompter, &outcome.statusChanges, error)) {
            return false;
        }
        outcome.written = true;
        return true;
    });
}
