#include "tests/support/TempProject.h"

#include "db/Database.h"
#include "db/Sql.h"
#include "tests/support/ServerDatabase.h"

#include <QtTest>
#include <cstdio>
#include <cstdlib>

namespace {
// A server run without a server is skipped as a whole, before any test starts.
void requireServerWhenAsked()
{
    if (!TempProject::onServer()) {
        return;
    }
    QString reason;
    if (ServerDatabase::answers(&reason)) {
        return;
    }
    if (ServerDatabase::mustRun()) {
        std::fprintf(stderr, "No PostgreSQL server in CI: %s\n", qPrintable(reason));
        std::exit(1);
    }
    std::fprintf(stderr, "Skipped: no PostgreSQL server (run under pg_virtualenv): %s\n", qPrintable(reason));
    std::exit(77);
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(requireServerWhenAsked)

bool TempProject::onServer()
{
    static const bool server = qEnvironmentVariable("CW_TEST_ENGINE") == QLatin1String("server");
    return server;
}

TempProject::TempProject(const QString& connection)
    : m_connection(connection)
    , m_path(m_dir.filePath(QStringLiteral("project.cwk")))
{
    if (onServer()) {
        m_server = std::make_unique<ServerDatabase>();
        if (!m_server->isValid()) {
            qFatal("TempProject: no server database: %s", qPrintable(m_server->reason()));
        }
        m_path = m_server->url();
    }
    QString error;
    m_open = Database::create(m_path, m_connection, &error);
    if (!m_open) {
        qFatal("TempProject: %s", qPrintable(error));
    }
    m_writer = std::make_unique<ProjectWriter>(m_connection);
}

TempProject::~TempProject()
{
    close();
}

void TempProject::close()
{
    m_writer.reset();
    if (m_open) {
        Database::close(m_connection);
        m_open = false;
    }
}

void TempProject::check(bool ok, const QString& error) const
{
    if (!ok) {
        qFatal("TempProject: %s", qPrintable(error));
    }
}

void TempProject::member(const QString& name, const QString& from, const QString& to)
{
    QString error;
    check(m_writer->addMember(MemberRecord::withHours(name, from, to), &error), error);
}

qint64 TempProject::goal(
    const QString& name, std::optional<qint64> parent, const QString& status, const QString& type, qint64 priority)
{
    GoalRecord g;
    g.shortName = name;
    g.parentId = parent;
    g.status = status;
    g.objectType = type;
    g.priority = priority;
    g.created = QStringLiteral("2026-01-01 09:00:00");
    QString error;
    Transaction tx(m_connection);
    check(m_writer->addGoal(g, &error) && tx.commit(), error + tx.error());
    return g.id;
}

qint64 TempProject::task(
    qint64 goalId, const QString& name, double daysPlanned, const QString& status, qint64 priority, const QString& type)
{
    TaskRecord t;
    t.goalId = goalId;
    t.shortName = name;
    t.daysPlanned = daysPlanned;
    t.status = status;
    t.priority = priority;
    t.objectType = type;
    t.created = QStringLiteral("2026-01-01 09:00:00");
    QString error;
    Transaction tx(m_connection);
    check(m_writer->addTask(t, &error) && tx.commit(), error + tx.error());
    return t.id;
}

void TempProject::assign(qint64 taskId, const QString& member, double workload, double completed, double daysNeeded)
{
    QString error;
    check(m_writer->addAssignment({taskId, member, workload, completed, daysNeeded}, &error), error);
}

qint64 TempProject::note(qint64 taskId, const QString& text, const QString& timestamp)
{
    NoteRecord n;
    n.taskId = taskId;
    n.notes = text;
    n.timestamp = timestamp;
    QString error;
    Transaction tx(m_connection);
    check(m_writer->addNote(n, &error) && tx.commit(), error + tx.error());
    return n.id;
}

QVariant TempProject::scalar(const QString& sql, const QVariantList& values) const
{
    QSqlQuery query(Sql::db(m_connection));
    if (!query.prepare(sql)) {
        qFatal("TempProject::scalar: %s", qPrintable(Sql::describe(query.lastError())));
    }
    for (const QVariant& v : values) {
        query.addBindValue(v);
    }
    if (!query.exec() || !query.next()) {
        qFatal("TempProject::scalar: %s (%s)", qPrintable(Sql::describe(query.lastError())), qPrintable(sql));
    }
    return query.value(0);
}
