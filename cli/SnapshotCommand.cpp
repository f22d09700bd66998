// snapshot: generate one schedule snapshot and print its stamp.
#include "cli/CliCommand.h"
#include "common/Clock.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "schedule/SnapshotGenerator.h"

#include <cstdio>
#include <memory>

namespace {

int runSnapshot(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption now(QStringLiteral("now"),
                                 QStringLiteral("the snapshot's moment instead of the current time"),
                                 QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    parser.addOption(now);
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("snapshot"))) {
        return rc;
    }
    std::unique_ptr<FixedClock> fixed;
    if (parser.isSet(now)) {
        const QDateTime moment = Stamp::fromText(parser.value(now));
        if (!moment.isValid()) {
            return CliCommand::usage(
                QStringLiteral("--now takes a date and time as \"YYYY-MM-DD HH:MM:SS\", not \"%1\"")
                    .arg(parser.value(now)));
        }
        fixed = std::make_unique<FixedClock>(moment);
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadWrite)) {
        return rc;
    }
    const bool terminal = CliCommand::progressWanted();
    QString stamp;
    QString error;
    // A given moment must be the stamp itself; the current time may move on to the next free second.
    const bool ok = SnapshotGenerator::GenerateCompDates(
        CliCommand::connection(),
        fixed ? static_cast<const Clock&>(*fixed) : Clock::system(),
        &stamp,
        &error,
        fixed != nullptr,
        [terminal](int percent) {
            if (terminal) {
                std::fprintf(stderr, "\rGenerating snapshot... %3d%%", percent);
            }
        },
        [told = false](const QString& message) mutable {
            // Said once: a script's log gets one line, not one per try.
            if (!told) {
                std::fprintf(stderr, "%s\n", qPrintable(message));
                std::fflush(stderr);
                told = true;
            }
            return true;
        });
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (!ok) {
        return CliCommand::fail(error);
    }
    std::printf("%s\n", qPrintable(stamp));
    return CliCommand::Ok;
}

const CliCommand::Registrar
    snapshotCommand(QStringLiteral("snapshot"),
                    QStringLiteral("snapshot FILE [--now \"YYYY-MM-DD HH:MM:SS\"]\n"
                                   "                          generate a schedule snapshot; print its stamp"),
                    runSnapshot);

} // namespace
