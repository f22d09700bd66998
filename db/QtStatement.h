#pragma once

#include "db/Statement.h"

#include <QSqlQuery>

// A Statement through Qt SQL: the path for any connection whose engine handle
// cannot be used directly, with the same values bound and read.
class QtStatement final : public Statement
{
public:
    // Null with *error when `sql` does not prepare.
    static std::unique_ptr<QtStatement> prepare(const QString& connection, const QString& sql, QString* error);

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
    bool isNative() const override { return false; }

private:
    explicit QtStatement(const QString& connection);

    QSqlQuery m_query;
    bool m_started = false; // step() has run the query since it was last bound
};
