#pragma once

#include <QString>

// RAII write transaction on a named connection. The outermost one starts an
// IMMEDIATE transaction (so a second connection waits instead of deadlocking);
// nested ones are savepoints. Destroyed without commit() it rolls back, leaving
// the file as it was. UI thread (or the connection's own thread) only.
class Transaction
{
public:
    enum class Reading {
        Current, // each statement sees what others have committed by then (a server's default)
        Consistent, // the whole transaction sees one state of the project (a snapshot's)
    };

    explicit Transaction(const QString& connection, Reading reading = Reading::Current);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the transaction could not be started; error() says why.
    bool isActive() const { return m_active; }
    bool commit();
    void rollback();
    const QString& error() const { return m_error; }

    // True when a Transaction is open on the connection.
    static bool isOpen(const QString& connection);

private:
    QString m_connection;
    QString m_savepoint;
    QString m_error;
    bool m_active = false;
};
