#pragma once

#include <QString>
#include <QStringList>

// The project's schema on a PostgreSQL server: the same tables, columns, rules and
// views as a project file, in that engine's terms. Member names are case-insensitive
// (citext); text sorts byte by byte ("C") as in a file, so lists come out in the same
// order. A one-row table CW_FORMAT stands for the file header's application id and
// schema version. Each row a person edits carries ROW_VERSION, raised by every update.
class ServerSchema
{
public:
    static constexpr const char* kFormatTable = "cw_format";
    static constexpr const char* kVersionColumn = "row_version";
    // The channel on which every committed change is announced; the payload is the
    // changed table's name, lower case.
    static constexpr const char* kChangeChannel = "cairnwork";
    // The transaction-local setting naming the undo step a transaction writes for;
    // empty or unset outside a step.
    static constexpr const char* kUndoStepSetting = "cairnwork.undo_step";

    // Creates the whole schema, the COUNTERS row and the format mark in the connection's
    // current schema, which must hold no tables. The caller holds the transaction.
    static bool create(const QString& connection, QString* error);
    // The tables of the connection's current schema, lower case.
    static bool tables(const QString& connection, QStringList* names, QString* error);
    // Whether the database folds letter case as a project file does: member names are
    // case-insensitive text, which follows the database's character type, and only the
    // C type folds ASCII letters alone. *ctype gets the type's name.
    static bool foldsAsciiOnly(const QString& connection, bool* ascii, QString* ctype, QString* error);
    // Gives a database made without them the triggers that announce changes, and enables
    // any another program disabled; a no-op when all are there and on. The caller holds the transaction.
    static bool ensureNotifications(const QString& connection, QString* error);
    // Gives a database made before it the undo log; a no-op when it is there. The caller
    // holds the transaction.
    static bool ensureUndoLog(const QString& connection, QString* error);
    // Whether the database has the undo log and the connection's role may write it.
    static bool hasUndoLog(const QString& connection, bool* present, QString* error);
    // Whether the connection's role may change the project; *user gets the role's name.
    static bool mayWrite(const QString& connection, bool* writable, QString* user, QString* error);
    // The triggers that keep saves from overwriting each other and the goals from forming
    // a cycle, where another program removed or disabled them; empty when all work.
    static bool missingGuards(const QString& connection, QStringList* names, QString* error);
    // Those of `tables` the connection's role may not read (lower case); *user gets the
    // role's name when there are any.
    static bool
    unreadable(const QString& connection, const QStringList& tables, QStringList* names, QString* user, QString* error);
    // Reads the format mark; false with *error when it cannot be read.
    static bool format(const QString& connection, int* applicationId, int* version, QString* error);
};
