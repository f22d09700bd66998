// init, demo and synth: commands that create a project file.
#include "cli/CliCommand.h"
#include "cli/DemoProject.h"
#include "cli/SyntheticProject.h"
#include "common/Clock.h"
#include "db/Database.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

int createProject(const QString& path)
{
    QString error;
    if (QFileInfo::exists(path) && QFileInfo(path).size() > 0) {
        return CliCommand::fail(QStringLiteral("%1 already exists; choose a new file").arg(path));
    }
    if (!Database::create(path, CliCommand::connection(), &error)) {
        return CliCommand::fail(error);
    }
    return CliCommand::Ok;
}

int runInit(const QStringList& args)
{
    QCommandLineParser parser;
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("init"))) {
        return rc;
    }
    return createProject(parser.positionalArguments().first());
}

int runDemo(const QStringList& args)
{
    QCommandLineParser parser;
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("demo"))) {
        return rc;
    }
    const QString path = parser.positionalArguments().first();
    if (const int rc = createProject(path)) {
        return rc;
    }
    QString error;
    if (!DemoProject::build(CliCommand::connection(), Clock::system(), &error)) {
        Database::close(CliCommand::connection());
        QFile::remove(path);
        return CliCommand::fail(error);
    }
    return CliCommand::Ok;
}

int runSynth(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption goals(QStringLiteral("goals"), QStringLiteral("number of goals"), QStringLiteral("N"));
    const QCommandLineOption tasks(QStringLiteral("tasks"), QStringLiteral("number of tasks"), QStringLiteral("N"));
    const QCommandLineOption members(
        QStringLiteral("members"), QStringLiteral("number of members"), QStringLiteral("N"));
    const QCommandLineOption depth(QStringLiteral("depth"), QStringLiteral("deepest goal level"), QStringLiteral("D"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("random seed"), QStringLiteral("S"));
    parser.addOptions({goals, tasks, members, depth, seed});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("synth"))) {
        return rc;
    }
    SyntheticProject::Params params;
    auto number = [&](const QCommandLineOption& option, int* target, int minimum) {
        if (!parser.isSet(option)) {
            return true;
        }
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value < minimum) {
            return false;
        }
        *target = value;
        return true;
    };
    int seedValue = 1;
    if (!number(goals, &params.goals, 1) || !number(tasks, &params.tasks, 0) || !number(members, &params.members, 1) ||
        !number(depth, &params.depth, 1) || !number(seed, &seedValue, 0)) {
        return CliCommand::usage(QStringLiteral(
            "--goals, --members and --depth take whole numbers of at least 1, --tasks and --seed of at least 0"));
    }
    params.seed = quint64(seedValue);
    const QString path = parser.positionalArguments().first();
    if (const int rc = createProject(path)) {
        return rc;
    }
    const bool terminal = CliCommand::progressWanted();
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool ok = SyntheticProject::build(CliCommand::connection(), params, &error, [terminal](int percent) {
        if (terminal) {
            std::fprintf(stderr, "\rBuilding project... %3d%%", percent);
        }
    });
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (!ok) {
        Database::close(CliCommand::connection());
        QFile::remove(path);
        return CliCommand::fail(error);
    }
    std::fprintf(stderr,
                 "%d goals, %d tasks, %d members in %.2f s\n",
                 params.goals,
                 params.tasks,
                 params.members,
                 double(timer.elapsed()) / 1000.0);
    return CliCommand::Ok;
}

const CliCommand::Registrar
    initCommand(QStringLiteral("init"),
                QStringLiteral("init FILE\n                          create an empty project database"),
                runInit);
const CliCommand::Registrar demoCommand(
    QStringLiteral("demo"),
    QStringLiteral("demo FILE\n                          create the sample project, with a year of snapshots"),
    runDemo);
const CliCommand::Registrar
    synthCommand(QStringLiteral("synth"),
                 QStringLiteral("synth FILE --goals N --tasks N --members N [--depth D] [--seed S]\n"
                                "                          create a large synthetic project (deterministic per seed)"),
                 runSynth);

} // namespace
