// chart: print a history chart's pivoted table as CSV.
#include "charts/ChartCsv.h"
#include "charts/ChartPivot.h"
#include "charts/ChartState.h"
#include "cli/CliCommand.h"
#include "common/Stamp.h"

#include "db/Sql.h"

#include <cstdio>

namespace {

// The first chosen goal, task, assignment or member that neither the project nor
// any snapshot holds, described for the user; empty when all exist. A chart of
// something that exists nowhere would print a bare header and pass for a result.
bool findMissing(const QString& connection, const ChartFilter& filter, QString* missing, QString* error)
{
    using Kind = ChartFilter::Kind;
    missing->clear();
    // A snapshot whose stamp is not a date and time has no place on the chart.
    const QString stamped = Stamp::sqlIsStamp(QStringLiteral("TimeStamp"));
    for (const ChartFilter::Term& term : filter.terms()) {
        QString sql;
        QVariantList values;
        QString what;
        switch (term.kind) {
        case Kind::Root:
            continue;
        case Kind::Goal:
            // GT_ID 0 is the root's row in a snapshot, not a goal.
            sql = QStringLiteral("SELECT 1 FROM GOALS_SW WHERE ID = ? UNION ALL "
                                 "SELECT 1 FROM CompDates WHERE OBJ = 'G' AND GT_ID = ? AND GT_ID <> 0 AND %1 LIMIT 1");
            values = {term.id, term.id};
            what = QStringLiteral("There is no goal with ID %1").arg(term.id);
            break;
        case Kind::Task:
            sql = QStringLiteral("SELECT 1 FROM TASKS_OBJECTS WHERE ID = ? UNION ALL "
                                 "SELECT 1 FROM CompDates WHERE OBJ = 'T' AND GT_ID = ? AND %1 LIMIT 1");
            values = {term.id, term.id};
            what = QStringLiteral("There is no task with ID %1").arg(term.id);
            break;
        case Kind::Assignment:
            sql = QStringLiteral("SELECT 1 FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ? AND FK_R_NAME = ? UNION ALL "
                                 "SELECT 1 FROM CompDates WHERE OBJ = 'R' AND GT_Parent_ID = ? AND Res = ? AND %1 "
                                 "LIMIT 1");
            values = {term.id, term.member, term.id, term.member};
            what = QStringLiteral("There is no assignment of \"%1\" to task %2").arg(term.member).arg(term.id);
            break;
        case Kind::Member:
            sql = QStringLiteral("SELECT 1 FROM RESOURCES WHERE R_NAME = ? UNION ALL "
                                 "SELECT 1 FROM CompDates WHERE OBJ = 'R' AND Res = ? AND %1 LIMIT 1");
            values = {term.member, term.member};
            what = QStringLiteral("There is no team member \"%1\"").arg(term.member);
            break;
        }
        QSqlQuery query(Sql::db(connection));
        if (!Sql::run(query, sql.arg(stamped), values, error)) {
            return false;
        }
        if (!query.next()) {
            *missing = what + QStringLiteral(" in the project or any of its snapshots");
            return true;
        }
    }
    return true;
}

int runChart(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption measure(
        QStringLiteral("measure"),
        QStringLiteral("Planned, Est, PerComp, Needed, Diff, Completion_Date or Progress (default Diff)"),
        QStringLiteral("M"));
    const QCommandLineOption aggregate(
        QStringLiteral("aggregate"), QStringLiteral("Avg, Sum, First or Last (default Last)"), QStringLiteral("A"));
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Year, Quarter, Month, Week or Day (default Month)"),
                                    QStringLiteral("P"));
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("chart the whole project"));
    const QCommandLineOption goal(QStringLiteral("goal"), QStringLiteral("chart a goal"), QStringLiteral("ID"));
    const QCommandLineOption task(QStringLiteral("task"), QStringLiteral("chart a task"), QStringLiteral("ID"));
    const QCommandLineOption assignment(QStringLiteral("assignment"),
                                        QStringLiteral("chart a member's assignment to a task"),
                                        QStringLiteral("TASKID:NAME"));
    const QCommandLineOption member(
        QStringLiteral("member"), QStringLiteral("chart a team member"), QStringLiteral("NAME"));
    parser.addOptions({measure, aggregate, period, root, goal, task, assignment, member});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("chart"))) {
        return rc;
    }

    ChartState state = ChartState::defaults();
    if (parser.isSet(measure)) {
        const auto m = ChartState::measureFromText(parser.value(measure));
        if (!m) {
            return CliCommand::usage(QStringLiteral("--measure takes Planned, Est, PerComp, Needed, Diff, "
                                                    "Completion_Date or Progress"));
        }
        state.measure = *m;
    }
    if (parser.isSet(aggregate)) {
        const auto a = ChartState::aggregateFromText(parser.value(aggregate));
        if (!a) {
            return CliCommand::usage(QStringLiteral("--aggregate takes Avg, Sum, First or Last"));
        }
        state.aggregate = *a;
    }
    if (parser.isSet(period)) {
        const auto g = ChartState::groupingFromText(parser.value(period));
        if (!g) {
            return CliCommand::usage(QStringLiteral("--period takes Year, Quarter, Month, Week or Day"));
        }
        state.grouping = *g;
    }

    // The choice goes through the same tags the chart window's trees carry.
    QList<ChartTreeNode> nodes;
    auto isId = [](const QString& text) {
        bool ok = false;
        text.toLongLong(&ok);
        return ok;
    };
    if (parser.isSet(root)) {
        nodes << ChartTreeNode{QStringLiteral("ROOT"), {}, true, true};
    }
    for (const QString& id : parser.values(goal)) {
        if (!isId(id)) {
            return CliCommand::usage(QStringLiteral("--goal takes a goal ID, not \"%1\"").arg(id));
        }
        nodes << ChartTreeNode{QStringLiteral("G") + id.trimmed(), QStringLiteral("ROOT"), true, false};
    }
    for (const QString& id : parser.values(task)) {
        if (!isId(id)) {
            return CliCommand::usage(QStringLiteral("--task takes a task ID, not \"%1\"").arg(id));
        }
        nodes << ChartTreeNode{QStringLiteral("T") + id.trimmed(), {}, true, false};
    }
    for (const QString& value : parser.values(assignment)) {
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        if (colon <= 0 || colon == value.size() - 1 || !isId(value.left(colon))) {
            return CliCommand::usage(QStringLiteral("--assignment takes TASKID:NAME, not \"%1\"").arg(value));
        }
        nodes << ChartTreeNode{
            QStringLiteral("R") + value.mid(colon + 1), QStringLiteral("T") + value.left(colon).trimmed(), true, false};
    }
    const QStringList members = parser.values(member);
    if (!members.isEmpty() && !nodes.isEmpty()) {
        return CliCommand::usage(QStringLiteral(
            "--member charts the member tree; it cannot be mixed with --root, --goal, --task or --assignment"));
    }
    for (const QString& name : members) {
        nodes << ChartTreeNode{name, QStringLiteral("MTEAM"), true, false};
    }
    if (nodes.isEmpty()) {
        return CliCommand::usage(
            QStringLiteral("choose what to chart: --root, --goal ID, --task ID, --assignment TASKID:NAME or --member "
                           "NAME (each may be repeated)"));
    }
    state.source = members.isEmpty() ? ChartSource::Goals : ChartSource::Members;
    state.filter = ChartFilter::BuildChartFilter(state.source, &nodes);

    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }
    QString error;
    QString missing;
    if (!findMissing(CliCommand::connection(), state.filter, &missing, &error)) {
        return CliCommand::fail(error);
    }
    if (!missing.isEmpty()) {
        return CliCommand::fail(missing);
    }
    ChartTable table;
    if (!ChartPivot::run(CliCommand::connection(), state, &table, &error)) {
        return CliCommand::fail(error);
    }
    const QByteArray csv = ChartCsv::write(table, state).toUtf8();
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    return CliCommand::Ok;
}

const CliCommand::Registrar chartCommand(
    QStringLiteral("chart"),
    QStringLiteral("chart FILE [--measure M] [--aggregate A] [--period P]\n"
                   "                          (--root | --goal ID | --task ID | --assignment TASKID:NAME | --member "
                   "NAME)...\n"
                   "                          print a history chart's table as CSV"),
    runChart);

} // namespace
