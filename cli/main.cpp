// cairnwork-cli: scripting, scheduled snapshots, exports and benchmarks.
#include "cli/CliCommand.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
QString help()
{
    QString text = QStringLiteral("Usage: cairnwork-cli COMMAND FILE [OPTIONS]\n\nCommands:\n");
    QList<CliCommand::Entry> entries = CliCommand::all();
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const CliCommand::Entry& entry : entries) {
        text += QStringLiteral("  ") + entry.synopsis + QLatin1Char('\n');
    }
    text += QStringLiteral("\nOptions:\n"
                           "  -h, --help              show this help\n"
                           "  -v, --version           show the version\n"
                           "\nExit status: 0 success, 1 error (message on stderr), 2 usage error.\n");
    return text;
}

QtMessageHandler g_defaultHandler = nullptr;

void quietWithoutSession(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) && g_defaultHandler) {
        g_defaultHandler(type, context, message);
    }
}

// Commands that paint (report PDFs) need a QGuiApplication; without a display it runs
// on the offscreen platform. Every other command keeps the lighter QCoreApplication.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[])
{
    if (argc > 1) {
        for (const CliCommand::Entry& entry : CliCommand::all()) {
            if (entry.gui && entry.name == QLatin1String(argv[1])) {
                if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                    qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                    qputenv("QT_QPA_PLATFORM", "offscreen");
                    // Without a desktop session (a cron job) Qt would warn about this on every run.
                    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
                        g_defaultHandler = qInstallMessageHandler(quietWithoutSession);
                    }
                }
                return std::make_unique<QGuiApplication>(argc, argv);
            }
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}
} // namespace

int main(int argc, char* argv[])
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
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
