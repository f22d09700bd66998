// compare: two snapshots (or a snapshot and the project now) side by side, with the
// change of every date split into its causes.
#include "cli/CliCommand.h"
#include "common/Stamp.h"
#include "history/ComparisonCsv.h"
#include "history/ComparisonReport.h"
#include "history/SnapshotComparison.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "schedule/MemberCalendar.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>

namespace {

int runCompare(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption from(
        QStringLiteral("from"), QStringLiteral("the earlier snapshot A"), QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("the later snapshot B, or \"now\" for the project as it is"),
                                QStringLiteral("STAMP|now"));
    const QCommandLineOption now(QStringLiteral("now"),
                                 QStringLiteral("the moment \"now\" stands for instead of the current time"),
                                 QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("the file to write (.csv); standard output when omitted"),
                                 QStringLiteral("PATH"));
    parser.addOptions({from, to, now, out});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("compare"))) {
        return rc;
    }
    if (!parser.isSet(from) || !parser.isSet(to)) {
        return CliCommand::usage(QStringLiteral("compare needs --from STAMP and --to STAMP|now"));
    }
    const QString fromStamp = parser.value(from);
    const QString toStamp = parser.value(to);
    const bool toNow = toStamp == QLatin1String("now");
    for (const QString& stamp : {fromStamp, toNow ? QString() : toStamp}) {
        if (!stamp.isNull() && !Stamp::fromText(stamp).isValid()) {
            return CliCommand::usage(
                QStringLiteral("a snapshot stamp is written \"YYYY-MM-DD HH:MM:SS\", not \"%1\"").arg(stamp));
        }
    }
    QDateTime moment = QDateTime::currentDateTime();
    if (parser.isSet(now)) {
        moment = Stamp::fromText(parser.value(now));
        if (!moment.isValid()) {
            return CliCommand::usage(
                QStringLiteral("--now takes a date and time as \"YYYY-MM-DD HH:MM:SS\", not \"%1\"")
                    .arg(parser.value(now)));
        }
    }
    const QString path = parser.value(out);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (parser.isSet(out) && suffix != QLatin1String("csv") && suffix != QLatin1String("pdf")) {
        return CliCommand::usage(QStringLiteral("--out takes a file name ending in .csv or .pdf"));
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }

    const QString connection = CliCommand::connection();
    QString error;
    QStringList stamps;
    if (!SnapshotState::stamps(connection, &stamps, &error)) {
        return CliCommand::fail(error);
    }
    if (stamps.isEmpty()) {
        return CliCommand::fail(QStringLiteral("the project has no snapshot yet; run 'cairnwork-cli snapshot' first"));
    }
    for (const QString& stamp : {fromStamp, toNow ? QString() : toStamp}) {
        if (!stamp.isNull() && !stamps.contains(stamp)) {
            return CliCommand::fail(QStringLiteral("there is no snapshot with the stamp \"%1\"").arg(stamp));
        }
    }
    SnapshotState a;
    SnapshotState b;
    if (!SnapshotState::loadPair(
            connection, fromStamp, toNow ? QString() : toStamp, MemberCalendar::toSeconds(moment), &a, &b, &error)) {
        return CliCommand::fail(error);
    }
    SnapshotComparison comparison;
    if (!comparison.compare(a, b, &error)) {
        return CliCommand::fail(error);
    }
    if (suffix == QLatin1String("pdf")) {
        const ReportDocument document(std::make_unique<ComparisonReport>(comparison));
        return ReportEngine::writePdf(document, path, &error) ? CliCommand::Ok : CliCommand::fail(error);
    }
    if (parser.isSet(out)) {
        return ComparisonCsv::write(comparison, path, &error) ? CliCommand::Ok : CliCommand::fail(error);
    }
    ComparisonCsv::forEachLine(comparison, [](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    });
    return CliCommand::Ok;
}

const CliCommand::Registrar compareCommand(
    QStringLiteral("compare"),
    QStringLiteral("compare FILE --from STAMP --to STAMP|now [--now \"YYYY-MM-DD HH:MM:SS\"] [--out X.csv|X.pdf]\n"
                   "                          compare two snapshots (B may be the project now) and split each\n"
                   "                          date's change into time passed, working hours, scope, queue,\n"
                   "                          re-planning and progress (days); CSV on standard output"),
    runCompare,
    true);

} // namespace
