// report: export a report of a snapshot as PDF or as CSV rows.
#include "cli/CliCommand.h"
#include "reports/CsvExport.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLoader.h"
#include "reports/ReportRows.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

int runReport(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption kind(
        QStringLiteral("kind"), QStringLiteral("overview, tasks or members"), QStringLiteral("KIND"));
    const QCommandLineOption stamp(QStringLiteral("stamp"),
                                   QStringLiteral("the snapshot (newest when omitted)"),
                                   QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption out(
        QStringLiteral("out"), QStringLiteral("the file to write, .pdf or .csv"), QStringLiteral("PATH"));
    parser.addOptions({kind, stamp, out});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("report"))) {
        return rc;
    }
    ReportLoader::Kind reportKind;
    if (!ReportLoader::kindFromName(parser.value(kind), &reportKind)) {
        return CliCommand::usage(QStringLiteral("--kind takes overview, tasks or members"));
    }
    const QString path = parser.value(out);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (path.isEmpty() || (suffix != QLatin1String("pdf") && suffix != QLatin1String("csv"))) {
        return CliCommand::usage(QStringLiteral("--out takes a file name ending in .pdf or .csv"));
    }
    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }

    QString error;
    QString snapshot = parser.value(stamp);
    if (snapshot.isEmpty()) {
        if (!ReportRows::newestStamp(CliCommand::connection(), &snapshot, &error)) {
            return CliCommand::fail(error);
        }
        if (snapshot.isEmpty()) {
            return CliCommand::fail(
                QStringLiteral("the project has no snapshot yet; run 'cairnwork-cli snapshot' first"));
        }
    } else {
        bool exists = false;
        if (!ReportRows::stampExists(CliCommand::connection(), snapshot, &exists, &error)) {
            return CliCommand::fail(error);
        }
        if (!exists) {
            return CliCommand::fail(QStringLiteral("there is no snapshot with the stamp \"%1\"").arg(snapshot));
        }
    }

    if (suffix == QLatin1String("csv")) {
        if (!CsvExport::write(CliCommand::connection(), reportKind, snapshot, path, &error)) {
            return CliCommand::fail(error);
        }
        return CliCommand::Ok;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return CliCommand::fail(QStringLiteral("PDF output needs the graphical application object"));
    }
    const bool terminal = CliCommand::progressWanted();
    QElapsedTimer timer;
    timer.start();
    const std::unique_ptr<ReportDocument> document =
        ReportLoader::load(CliCommand::connection(), reportKind, snapshot, &error);
    if (!document) {
        return CliCommand::fail(error);
    }
    int shown = -1;
    const bool ok = ReportEngine::writePdf(*document, path, &error, [&](int done, int total) {
        const int percent = int(qint64(done) * 100 / std::max(1, total));
        if (terminal && percent != shown && timer.elapsed() > 300) {
            shown = percent;
            std::fprintf(stderr, "\rWriting %d pages... %3d%%", total, percent);
        }
        return true;
    });
    if (shown >= 0) {
        std::fprintf(stderr, "\n");
    }
    if (!ok) {
        return CliCommand::fail(error);
    }
    return CliCommand::Ok;
}

const CliCommand::Registrar reportCommand(
    QStringLiteral("report"),
    QStringLiteral("report FILE --kind overview|tasks|members [--stamp S] --out PATH.pdf|PATH.csv\n"
                   "                          export a report of a snapshot (the newest when --stamp is omitted)"),
    runReport,
    true);

} // namespace
