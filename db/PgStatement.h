#pragma once

#include "db/Statement.h"

#include <string>
#include <vector>

struct pg_conn;
using PGconn = pg_conn;
struct pg_result;
using PGresult = pg_result;

// A Statement straight on libpq, on a handle PgHandle gave out. The statement is
// checked and its columns' types learnt once, when it is prepared; each run sends
// the text and its values in one request (PQexecParams) and takes the whole result
// at once, so the rows stay ours whatever else then runs on the connection. Values
// read as Qt's driver reads them: the same numbers, texts and NULLs.
class PgStatement final : public Statement
{
public:
    // Null with *error when `sql` does not prepare. Null with an empty *error when
    // a column of the result has a type that only Qt's own conversion reads (dates,
    // times, binary data): such a statement takes the Qt SQL path.
    static std::unique_ptr<PgStatement> prepare(PGconn* conn, const QString& sql, QString* error);
    ~PgStatement() override;

    void bindNull(int index) override;
    void bindInteger(int index, qint64 value) override;
    void bindReal(int index, double value) override;
    void bindText(int index, const QString& value) override;
    bool run(QString* error) override;
    Step step(QString* error) override;
    bool isNull(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;
    bool isNumber(int column) const override;
    double figure(int column) const override;
    bool isNative() const override { return true; }

    // How Qt's driver types a column: a text, a truth value, a 32-bit or 64-bit
    // integer, or a double (numeric too).
    enum class Kind { Text, Bool, Int, Int8, Double };

    // `sql` with each ? outside quotes numbered $1, $2, … as the server takes them.
    static QByteArray numbered(const QString& sql);

private:
    PgStatement(PGconn* conn, QByteArray sql, int parameters, std::vector<Kind> kinds);
    bool execute(QString* error);
    const char* value(int column) const;
    // The column's double as Qt's driver reads it; false where it reads none.
    bool readDouble(int column, double* value) const;
    // The column as the QVariant Qt's driver makes of it, for the conversions Qt
    // alone defines (a double as text or integer, a text as a number).
    QVariant variant(int column) const;

    PGconn* m_conn;
    QByteArray m_sql;
    std::vector<Kind> m_kinds;
    std::vector<std::string> m_values;
    std::vector<bool> m_null;
    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
    bool m_started = false; // step() has run the query since it was last bound
};
