#pragma once

#include <QString>

// Replays one step of the undo log (UndoLog): backwards puts every row the step touched
// back as it was before the step, forwards as it was after it, in one transaction, and
// marks the step undone or done. Refused, changing nothing, when a row the step touched
// is no longer as the step left it, or when rows written since depend on what the replay
// would remove; the message names the step ("Cannot undo "<name>": …") and the row.
// A file's rows are found by rowid and written with its foreign keys off, checked as a
// whole at the end; a server's rows are found by primary key, its cascades stay on and
// carry exactly the rows the step logged as carried, and every row written gets a new
// row version, as any change does. No transaction may be open on the connection.
class UndoReplay
{
public:
    static bool apply(const QString& connection, qint64 step, const QString& name, bool backwards, QString* error);
};
