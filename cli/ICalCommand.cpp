// ical: one member's schedule of a snapshot as an iCalendar file.
#include "charts/ICalendar.h"
#include "charts/Timeline.h"
#include "cli/CliCommand.h"
#include "common/Stamp.h"

#include <QFileInfo>

namespace {

int runICal(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption memberOption(
        QStringLiteral("member"), QStringLiteral("the team member"), QStringLiteral("NAME"));
    const QCommandLineOption stampOption(QStringLiteral("stamp"),
                                         QStringLiteral("the snapshot (the newest when omitted)"),
                                         QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("the file to write (.ics); standard output when omitted"),
                                 QStringLiteral("PATH"));
    parser.addOptions({memberOption, stampOption, out});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("ical"))) {
        return rc;
    }
    const QString member = parser.value(memberOption);
    if (member.trimmed().isEmpty()) {
        return CliCommand::usage(QStringLiteral("ical needs --member NAME"));
    }
    const QString stamp = parser.value(stampOption);
    if (parser.isSet(stampOption) && !Stamp::fromText(stamp).isValid()) {
        return CliCommand::usage(
            QStringLiteral("a snapshot stamp is written \"YYYY-MM-DD HH:MM:SS\", not \"%1\"").arg(stamp));
    }
    const QString path = parser.value(out);
    if (parser.isSet(out) && QFileInfo(path).suffix().toLower() != QLatin1String("ics")) {
        return CliCommand::usage(QStringLiteral("--out takes a file name ending in .ics"));
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }
    QString error;
    Timeline timeline;
    if (!Timeline::load(CliCommand::connection(), stamp, &timeline, &error)) {
        return CliCommand::fail(error);
    }
    QByteArray ics;
    if (!ICalendar::memberCalendar(timeline, member, &ics, &error)) {
        return CliCommand::fail(error);
    }
    return CliCommand::writeOutput(path, ics);
}

const CliCommand::Registrar icalCommand(
    QStringLiteral("ical"),
    QStringLiteral("ical FILE --member NAME [--stamp STAMP] [--out X.ics]\n"
                   "                          a member's scheduled work in a snapshot (the newest without --stamp)\n"
                   "                          as iCalendar events in floating local time, one per assignment, each\n"
                   "                          keeping its UID from snapshot to snapshot; standard output without\n"
                   "                          --out"),
    runICal);

} // namespace
