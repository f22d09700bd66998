#pragma once

#include <QString>
#include <memory>

// One prepared statement on a named connection, with typed binding and typed
// column reads: the engine-neutral way the hot paths (snapshot rows, roll-up
// reads) talk to the database. Where the connection's own engine handle can be
// reached safely the statement goes straight through the engine's interface;
// otherwise through Qt SQL. Both write and read the same values.
//
// Parameters and columns count from 0. A statement belongs to the thread of its
// connection and must be destroyed before the connection is closed.
class Statement
{
public:
    enum class Step { Row, Done, Failed };

    virtual ~Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Prepares `sql` on `connection`: natively when nativeHandleUsable() allows it and
    // native statements are not switched off. Null with *error on failure.
    static std::unique_ptr<Statement> prepare(const QString& connection, const QString& sql, QString* error);

    // Native statements are on by default. Off, every statement takes the Qt SQL
    // path: how tests and benchmarks compare the two. Process-wide; UI thread only.
    static void setNativeEnabled(bool enabled);
    static bool nativeEnabled();

    virtual void bindNull(int index) = 0;
    virtual void bindInteger(int index, qint64 value) = 0;
    virtual void bindReal(int index, double value) = 0;
    // An empty but non-null text binds as '', a null QString as NULL.
    virtual void bindText(int index, const QString& value) = 0;

    // Runs a statement that returns no rows with the values bound; it is then ready
    // for the next values. False with *error (the engine's cause) on failure.
    virtual bool run(QString* error) = 0;
    // Steps through the rows of a query; the first call runs it. After Done or
    // Failed the statement can be bound anew and stepped again.
    virtual Step step(QString* error) = 0;

    // Columns of the current row.
    virtual bool isNull(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
    // True when the column holds an integer or a real number (not NULL, text or a blob).
    virtual bool isNumber(int column) const = 0;
    // The column as a figure of the project (see Figure): unknown (NaN) unless it
    // holds a number of a magnitude the program can write.
    virtual double figure(int column) const;

    // True when the statement goes through the engine's own interface.
    virtual bool isNative() const = 0;

protected:
    Statement() = default;
};
