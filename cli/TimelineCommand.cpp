// timeline: a snapshot's schedule laid out in time, by member or by goal.
#include "charts/Timeline.h"
#include "charts/TimelineCsv.h"
#include "cli/CliCommand.h"
#include "cli/TimelinePictures.h"
#include "common/Stamp.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

int runTimeline(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption stampOption(QStringLiteral("stamp"),
                                         QStringLiteral("the snapshot (the newest when omitted)"),
                                         QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption by(QStringLiteral("by"), QStringLiteral("member or goal"), QStringLiteral("VIEW"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("the file to write (.csv; CSV on standard output when omitted)"),
                                 QStringLiteral("PATH"));
    parser.addOptions({stampOption, by, out});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("timeline"))) {
        return rc;
    }
    const QString byText = parser.value(by).toLower();
    if (byText != QLatin1String("member") && byText != QLatin1String("goal")) {
        return CliCommand::usage(QStringLiteral("timeline needs --by member or --by goal"));
    }
    const Timeline::View view = byText == QLatin1String("member") ? Timeline::View::ByMember : Timeline::View::ByGoal;
    const QString stamp = parser.value(stampOption);
    if (parser.isSet(stampOption) && !Stamp::fromText(stamp).isValid()) {
        return CliCommand::usage(
            QStringLiteral("a snapshot stamp is written \"YYYY-MM-DD HH:MM:SS\", not \"%1\"").arg(stamp));
    }
    const QString path = parser.value(out);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const TimelinePictures::Writer* picture = nullptr;
    if (parser.isSet(out) && suffix != QLatin1String("csv")) {
        picture = TimelinePictures::find(suffix);
        if (!picture) {
            QStringList kinds{QStringLiteral(".csv")};
            for (const QString& s : TimelinePictures::suffixes()) {
                kinds << QLatin1Char('.') + s;
            }
            return CliCommand::usage(
                QStringLiteral("--out takes a file name ending in %1").arg(kinds.join(QStringLiteral(" or "))));
        }
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }
    QString error;
    Timeline timeline;
    if (!Timeline::load(CliCommand::connection(), stamp, &timeline, &error)) {
        return CliCommand::fail(error);
    }
    if (picture) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            return CliCommand::fail(QStringLiteral("a picture needs the graphical application object"));
        }
        return (*picture)(timeline, view, path, &error) ? CliCommand::Ok : CliCommand::fail(error);
    }
    return CliCommand::writeOutput(path, TimelineCsv::write(timeline, view).toUtf8());
}

const CliCommand::Registrar timelineCommand(
    QStringLiteral("timeline"),
    QStringLiteral("timeline FILE [--stamp STAMP] --by member|goal [--out X.csv]\n"
                   "                          a snapshot's schedule in time (the newest snapshot without --stamp):\n"
                   "                          CSV \"Lane,Kind,ID,Member,Name,Start,End\" on standard output without\n"
                   "                          --out. By member: a lane per member, Kind R, ID the task's number,\n"
                   "                          the bars in the member's order of work. By goal: the outline, Lane\n"
                   "                          the name indented four spaces a level, Kind G (the root, ID 0) or T,\n"
                   "                          from the earliest start below to the completion date (empty when\n"
                   "                          undated)"),
    runTimeline,
    true);

} // namespace
