#pragma once

#include "db/ProjectRecords.h"
#include "db/ProjectWriter.h"
#include "db/Transaction.h"

#include <QTemporaryDir>
#include <memory>

// A real project file with the real schema in a temporary folder, open on its
// own connection, with builders for members, goals, tasks, assignments and notes.
// Builders abort the test (QFAIL-style) on a database error.
class TempProject
{
public:
    explicit TempProject(const QString& connection = QStringLiteral("test"));
    ~TempProject();

    const QString& connection() const { return m_connection; }
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    bool isOpen() const { return m_open; }

    void member(const QString& name,
                const QString& from = QStringLiteral("08:00"),
                const QString& to = QStringLiteral("16:00"));
    qint64 goal(const QString& name,
                std::optional<qint64> parent = std::nullopt,
                const QString& status = QStringLiteral("Open"),
                const QString& type = QStringLiteral("Goal"),
                qint64 priority = 50);
    qint64 task(qint64 goalId,
                const QString& name,
                double daysPlanned,
                const QString& status = QStringLiteral("Open"),
                qint64 priority = 50,
                const QString& type = QStringLiteral("Task"));
    void assign(qint64 taskId, const QString& member, double workload, double completed, double daysNeeded);
    qint64 note(qint64 taskId, const QString& text, const QString& timestamp = QStringLiteral("2026-01-01 10:00:00"));

    // Runs a query expected to yield one value.
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const;
    // Closes the connection (the file stays).
    void close();

private:
    void check(bool ok, const QString& error) const;

    QTemporaryDir m_dir;
    QString m_connection;
    QString m_path;
    bool m_open = false;
    std::unique_ptr<ProjectWriter> m_writer;
};
