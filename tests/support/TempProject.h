#pragma once

#include "db/ProjectRecords.h"
#include "db/ProjectWriter.h"
#include "db/Transaction.h"

#include <QTemporaryDir>
#include <memory>

class ServerDatabase;

// A real project file with the real schema in a temporary folder, open on its
// own connection, with builders for members, goals, tasks, assignments and notes.
// Builders abort the test (QFAIL-style) on a database error.
// In a test process run with CW_TEST_ENGINE=server the project is a fresh database on
// the environment's PostgreSQL server instead, created as `init` creates one and
// dropped afterwards; path() is then its address. Such a process exits with 77
// (skipped) at start-up when no server answers, and fails under CI=true.
class TempProject
{
public:
    explicit TempProject(const QString& connection = QStringLiteral("test"));
    ~TempProject();

    // True when this process keeps its projects on a server.
    static bool onServer();

    const QString& connection() const { return m_connection; }
    // The project's file, or its server address.
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    bool isOpen() const { return m_open; }
    // The server holding the project, or null for a file.
    ServerDatabase* server() const { return m_server.get(); }

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
    std::unique_ptr<ServerDatabase> m_server;
    QString m_connection;
    QString m_path;
    bool m_open = false;
    std::unique_ptr<ProjectWriter> m_writer;
};

// Skips a test about the project file itself (its bytes, locks, modes or SQLite's own
// tables) when projects live on a server; `reason` says what makes it file-only.
#define CW_FILE_ONLY(reason)                                                                                           \
    do {                                                                                                               \
        if (TempProject::onServer()) {                                                                                 \
            QSKIP("About the project file: " reason);                                                                  \
        }                                                                                                              \
    } while (false)
