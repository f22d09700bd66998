#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The project's own record of what each user action changed, so it can be taken back.
// Triggers on the editable tables copy the before- and after-image of every row a write
// touches (cascades and status walks included) into log tables, in the same transaction,
// while a step is open. A step is one outermost write Transaction of a process that
// captures (the window, not the command line); it is named from the rows it changed
// unless its caller names it. A transaction that changed no editable row (a snapshot)
// leaves no step. Snapshot tables are never logged. On a server the log is shared by
// everyone, and each step belongs to the role that made it (ownSteps).
class UndoLog
{
public:
    // The most recent steps a project keeps; older ones are dropped.
    static constexpr int kMaxSteps = 500;

    // The log tables and triggers, for a file at the current version. The editable
    // tables must exist already; the caller holds the transaction.
    static bool create(const QString& connection, QString* error);
    // The tables whose rows a step may change, in the order the log describes them.
    static QStringList capturedTables();
    // The log table holding the images of `table`'s rows.
    static QString imageTable(const QString& table);

    // A condition on UndoStep rows that keeps the steps the connection's user may undo.
    static QString ownSteps(const QString& connection);

    // Whether outermost transactions of this process open steps (off unless set).
    static void setCapturing(bool on);
    static bool isCapturing();
    // Told (with the connection) each time a step is recorded, just before its
    // transaction commits; a window queues its refresh from here. Empty: nobody listens.
    static void setListener(std::function<void(const QString& connection)> listener);

    // Names the step the next (or the open) outermost transaction on `connection` makes,
    // in place of the name derived from its rows; gone when it goes out of scope.
    class Naming
    {
    public:
        Naming(const QString& connection, const QString& name);
        ~Naming();
        Naming(const Naming&) = delete;
        Naming& operator=(const Naming&) = delete;

    private:
        QString m_connection;
    };

    // Keeps transactions on `connection` from opening steps while it lives: the undo
    // engine's own writes are not steps.
    class Pause
    {
    public:
        explicit Pause(const QString& connection);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        QString m_connection;
    };

    // Called by the outermost Transaction right after it began and right before it
    // commits. False with *error makes the transaction fail.
    static bool openStep(const QString& connection, QString* error);
    static bool closeStep(const QString& connection, QString* error);

    // Words for the row an image holds ("goal "Alpha"", "the assignment of Ann on task 4").
    static QString describeRow(const QString& connection, const QString& table, qint64 log, int side);
};
