#pragma once

#include "db/Statement.h"

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A Statement straight on SQLite's C interface, on a handle SqliteHandle gave out:
// one prepared statement, typed sqlite3_bind_*, sqlite3_step and sqlite3_reset.
class SqliteStatement final : public Statement
{
public:
    // Null with *error when `sql` does not prepare.
    static std::unique_ptr<SqliteStatement> prepare(sqlite3* db, const QString& sql, QString* error);
    ~SqliteStatement() override;

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

private:
    SqliteStatement(sqlite3* db, sqlite3_stmt* statement, int parameters);

    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    // Bound texts are held here, so the engine reads them in place without a copy.
    std::vector<QString> m_texts;
};
