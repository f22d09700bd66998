#pragma once

#include <QSqlError>
#include <QString>
#include <functional>

class ServerAddress;

// Opening and creating projects on named Qt SQL connections. A project is a file, or a
// database on a team server named by its postgresql:// URL (ServerAddress) wherever a
// path may stand. Never changes a file or database that is not a Cairnwork project;
// never creates one unless asked to. Only db/ knows which engine a connection runs on.
class Database
{
public:
    enum class Access { ReadWrite, ReadOnly };
    // How a connection reaches its file. Read-only connections never change a byte of it.
    enum class Mode {
        Normal, // read and write; WAL journal
        QueryOnly, // writable file and folder: SQLite manages (and removes) -wal/-shm, but nothing is written
        ReadOnly, // not writable, or a reader of a file with a -wal: SQLite's read-only mode
        Immutable, // not writable, WAL format, no -wal: nobody can be writing it, and no -wal/-shm may be made
    };

    // Opens an existing project on a new connection `connection`, migrating an older
    // format in one transaction. ReadWrite falls back to read-only when the file or its
    // folder is not writable; isReadOnly() tells. A file this process has open already
    // is judged through the new connection only (see isOpenInProcess()). On failure the
    // connection is removed and *error names the file and the cause.
    static bool open(const QString& path, const QString& connection, QString* error, Access access = Access::ReadWrite);
    // Fills a new project inside the transaction that creates it; false with *error
    // undoes the whole creation.
    using Fill = std::function<bool(QString* error)>;
    // Creates a new, empty project at `path`, which must not exist or be empty (on a
    // server: a database without tables), runs `fill` in the same transaction, and
    // leaves it open on `connection`. On failure nothing of it remains.
    static bool create(const QString& path, const QString& connection, QString* error, const Fill& fill = {});
    static void close(const QString& connection);
    static bool isOpen(const QString& connection);
    // True when writes on the connection are refused (by Transaction).
    static bool isReadOnly(const QString& connection);
    // Why a read-only connection may not write, for the people using it; empty when it may.
    static QString readOnlyReason(const QString& connection);
    // True when the connection's project lives on a team server.
    static bool isServer(const QString& connection);
    // The statement that starts the outermost write transaction on the connection.
    static QString beginStatement(const QString& connection);
    // Called while another snapshot generation holds the lock, with a message naming its
    // holder where the server tells; returns false to stop waiting.
    using Waiting = std::function<bool(const QString& message)>;
    // Before the snapshot's transaction: waits until no other snapshot generation of the
    // project runs, and keeps others waiting until unlockSnapshots(). On a file the write
    // transaction's own lock does this, so it returns at once. False with *error when the
    // lock cannot be taken or `waiting` gave up.
    static bool lockSnapshots(const QString& connection, const Waiting& waiting, QString* error);
    static void unlockSnapshots(const QString& connection);
    // The statement that starts the outermost write transaction that reads one state of
    // the project throughout (a snapshot's).
    static QString beginConsistentStatement(const QString& connection);
    // The statement that starts a read transaction seeing one state of the project
    // throughout; ended by ROLLBACK.
    static QString beginReadStatement(const QString& connection);
    // The file behind an open connection (a plain path, never a URI); for a server
    // project its address, without a password.
    static QString filePath(const QString& connection);
    // True when a connection of this process has the file at `path` open (the same
    // file by device and inode, whatever the path or link that names it). Nothing in
    // the process may then open that file, or its -wal/-shm, by other means: closing
    // any descriptor of it drops all of the process's locks on it.
    static bool isOpenInProcess(const QString& path);

    // A server connection whose session has gone (the server restarted or ended it, the
    // network dropped it) is made again, with the same settings and listening to the same
    // announcements, when no transaction is open on it; false with *error when the server
    // cannot be reached. Every other connection passes as it is. The outermost Transaction,
    // a snapshot's lock and a copy's read ask first, so the next action after a lost
    // connection works.
    static bool reconnectIfLost(const QString& connection, QString* error);
    // The outermost Transaction asks before BEGIN: false (with the message) when the
    // connection is read-only.
    static bool writableCheck(const QString& connection, QString* error);
    // The outermost Transaction asks after BEGIN IMMEDIATE: false when the file is no
    // longer one this version may write, because a newer version or another program
    // changed application_id or user_version since it was opened (possibly only in the
    // -wal). Connections not opened through open() or create() pass.
    static bool formatCheck(const QString& connection, QString* error);
    // The message for a SQLite error that means another program holds the file
    // (busy or locked); empty for any other error.
    static QString inUseMessage(const QString& path, const QSqlError& error);

private:
    // The mode for a file from what the file system allows. `walFormat`: the header
    // asks for a WAL journal; `walExists`: a -wal file lies beside it.
    static Mode chooseMode(Access access, bool writable, bool walFormat, bool walExists);
    static bool connect(const QString& path, const QString& connection, Mode mode, QString* error);
    static bool connectServer(const ServerAddress& address, const QString& connection, Mode mode, QString* error);
    static bool applySessionSettings(const QString& connection, Mode mode, QString* error);
    static bool openServerConnection(const ServerAddress& address, const QString& connection, QString* error);
    static bool openServer(const QString& location, const QString& connection, QString* error, Access access);
    static bool createServer(const QString& location, const QString& connection, QString* error, const Fill& fill);
    static bool configure(const QString& connection, Mode mode, QString* error);
    // Reads the file through the connection: our application_id, a version we read,
    // the tables, identifiers >= 1 and a goal tree without cycles. *version gets user_version.
    // `wholeTables` false skips the identifier and cycle scans, for a file another connection
    // of this process has judged already (the team window's, beside the main window's).
    static bool judge(const QString& connection, bool wholeTables, int* version, QString* error);
};
