// cairnwork-cli: scripting, scheduled snapshots, exports and benchmarks.
#include "cli/CliCommand.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
QString help()
{
    QString text = QStringLiteral("Usage: cairnwork-cli COMMAND FILE [OPTIONS]\n\nCommands:\n");
    for (const CliCommand::Entry& entry : CliCommand::all()) {
        text += QStringLiteral("  ") + entry.synopsis + QLatin1Char('\n');
    }
    text += QStringLiteral("\nOptions:\n"
                           "  -h, --help              show this help\n"
                           "  -v, --version           show the version\n"
                           "\nExit status: 0 success, 1 error (message on stderr), 2 usage error.\n");
    return text;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cairnwork-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fputs(qPrintable(help()), stderr);
        return CliCommand::Usage;
    }
    const QString command = args.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        args.contains(QStringLiteral("--help"))) {
        std::fputs(qPrintable(help()), stdout);
        return CliCommand::Ok;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("cairnwork-cli %s\n", CAIRNWORK_VERSION);
        return CliCommand::Ok;
    }
    args.removeAt(1);
    for (const CliCommand::Entry& entry : CliCommand::all()) {
        if (entry.name == command) {
            const int rc = entry.run(args);
            Database::close(CliCommand::connection());
            return rc;
        }
    }
    return CliCommand::usage(QStringLiteral("unknown command '%1'").arg(command));
}
