// cairnwork-cli: scripting, scheduled snapshots, exports and benchmarks.
#include "cli/DemoProject.h"
#include "cli/SyntheticProject.h"
#include "common/Clock.h"
#include "db/Database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kConnection = QStringLiteral("cli");

enum Exit { Ok = 0, Failed = 1, Usage = 2 };

int fail(const QString& message)
{
    std::fprintf(stderr, "cairnwork-cli: %s\n", qPrintable(message));
    return Failed;
}

int usage(const QString& message)
{
    std::fprintf(stderr, "cairnwork-cli: %s\nTry 'cairnwork-cli --help'.\n", qPrintable(message));
    return Usage;
}

const char* const kHelp = "Usage: cairnwork-cli COMMAND FILE [OPTIONS]\n"
                          "\n"
                          "Commands:\n"
                          "  init FILE                 create an empty project database\n"
                          "  demo FILE                 create the sample project\n"
                          "  synth FILE --goals N --tasks N --members N [--depth D] [--seed S]\n"
                          "                            create a large synthetic project (deterministic per seed)\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help                show this help\n"
                          "  -v, --version             show the version\n"
                          "\n"
                          "Exit status: 0 success, 1 error (message on stderr), 2 usage error.\n";

// Parses the options of one command; returns Usage on a bad command line.
int parseCommand(QCommandLineParser& parser, const QStringList& args, const QString& command)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the project file"));
    if (!parser.parse(args)) {
        return usage(parser.errorText());
    }
    if (parser.positionalArguments().size() != 1) {
        return usage(QStringLiteral("%1 takes exactly one FILE").arg(command));
    }
    return Ok;
}

int createProject(const QString& path)
{
    QString error;
    if (QFileInfo::exists(path) && QFileInfo(path).size() > 0) {
        return fail(QStringLiteral("%1 already exists; choose a new file").arg(path));
    }
    if (!Database::create(path, kConnection, &error)) {
        return fail(error);
    }
    return Ok;
}

int runInit(const QStringList& args)
{
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, QStringLiteral("init"))) {
        return rc;
    }
    return createProject(parser.positionalArguments().first());
}

int runDemo(const QStringList& args)
{
    QCommandLineParser parser;
    if (const int rc = parseCommand(parser, args, QStringLiteral("demo"))) {
        return rc;
    }
    const QString path = parser.positionalArguments().first();
    if (const int rc = createProject(path)) {
        return rc;
    }
    QString error;
    if (!DemoProject::build(kConnection, Clock::system(), &error)) {
        Database::close(kConnection);
        QFile::remove(path);
        return fail(error);
    }
    return Ok;
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
    if (const int rc = parseCommand(parser, args, QStringLiteral("synth"))) {
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
        return usage(QStringLiteral(
            "--goals, --members and --depth take whole numbers of at least 1, --tasks and --seed of at least 0"));
    }
    params.seed = quint64(seedValue);
    const QString path = parser.positionalArguments().first();
    if (const int rc = createProject(path)) {
        return rc;
    }
    const bool terminal = isatty(fileno(stderr));
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool ok = SyntheticProject::build(kConnection, params, &error, [terminal](int percent) {
        if (terminal) {
            std::fprintf(stderr, "\rBuilding project... %3d%%", percent);
        }
    });
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (!ok) {
        Database::close(kConnection);
        QFile::remove(path);
        return fail(error);
    }
    std::fprintf(stderr,
                 "%d goals, %d tasks, %d members in %.2f s\n",
                 params.goals,
                 params.tasks,
                 params.members,
                 double(timer.elapsed()) / 1000.0);
    return Ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cairnwork-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fputs(kHelp, stderr);
        return Usage;
    }
    const QString command = args.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        args.contains(QStringLiteral("--help"))) {
        std::fputs(kHelp, stdout);
        return Ok;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("cairnwork-cli %s\n", CAIRNWORK_VERSION);
        return Ok;
    }
    args.removeAt(1);
    int rc = Usage;
    if (command == QLatin1String("init")) {
        rc = runInit(args);
    } else if (command == QLatin1String("demo")) {
        rc = runDemo(args);
    } else if (command == QLatin1String("synth")) {
        rc = runSynth(args);
    } else {
        return usage(QStringLiteral("unknown command '%1'").arg(command));
    }
    Database::close(kConnection);
    return rc;
}
