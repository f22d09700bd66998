// tasklist: the task list of a tree node as the main window shows it.
#include "browser/TaskListRows.h"
#include "cli/CliCommand.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <cstdio>

namespace {

QString kindLetter(ListRow::Kind kind)
{
    switch (kind) {
    case ListRow::Kind::Goal:
        return QStringLiteral("G");
    case ListRow::Kind::Summary:
        return QStringLiteral("S");
    default:
        return QStringLiteral("T");
    }
}

// Tabs and line breaks inside a name would break the columns.
QString field(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

int runTaskList(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption goal(
        QStringLiteral("goal"), QStringLiteral("list the goal ID instead of the root"), QStringLiteral("ID"));
    parser.addOption(goal);
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("tasklist"))) {
        return rc;
    }
    std::optional<qint64> goalId;
    if (parser.isSet(goal)) {
        bool ok = false;
        goalId = parser.value(goal).toLongLong(&ok);
        if (!ok) {
            return CliCommand::usage(QStringLiteral("--goal takes a goal ID (a whole number)"));
        }
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }
    const QString connection = CliCommand::connection();
    if (goalId) {
        QSqlQuery query(Sql::db(connection));
        QString error;
        if (!Sql::prepare(query, QStringLiteral("SELECT 1 FROM GOALS_SW WHERE ID = ?"), &error)) {
            return CliCommand::fail(error);
        }
        query.addBindValue(*goalId);
        if (!Sql::exec(query, &error)) {
            return CliCommand::fail(error);
        }
        if (!query.next()) {
            return CliCommand::fail(QStringLiteral("There is no goal with ID %1").arg(*goalId));
        }
    }
    QList<ListRow> rows;
    QString error;
    const bool ok = TaskListRows::build(connection, goalId, &rows, &error);
    for (const ListRow& row : rows) {
        QStringList fields{kindLetter(row.kind), row.tagText()};
        for (const QString& cell : row.cells) {
            fields << field(cell);
        }
        std::printf("%s\n", fields.join(QLatin1Char('\t')).toUtf8().constData());
    }
    std::fflush(stdout);
    Database::close(connection);
    return ok ? CliCommand::Ok : CliCommand::fail(error);
}

const CliCommand::Registrar
    taskListCommand(QStringLiteral("tasklist"),
                    QStringLiteral("tasklist FILE [--goal ID]\n                          print the task list of the "
                                   "root or a goal, tab-separated:\n"
                                   "                          kind (G, T, S), tag, then the seven cells"),
                    runTaskList);

} // namespace
