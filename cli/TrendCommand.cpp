// trend: the forecast trend of the root, goals and tasks over the snapshots.
#include "charts/TrendCsv.h"
#include "charts/TrendPicture.h"
#include "charts/TrendQuery.h"
#include "cli/CliCommand.h"
#include "reports/ExportFile.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace {

// The picture's size in pixels for `lines` lines: a square plot with the legend
// below. A PDF page shows the same drawing at 96 dpi.
QSize pictureSize(qsizetype lines)
{
    return {1000, 1000 + int(std::min<qsizetype>(lines, 200)) * 18};
}

bool writePicture(const QList<TrendLine>& lines, int last, const QString& path, bool pdf, QString* error)
{
    const QSize size = pictureSize(lines.size());
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    if (pdf) {
        QPdfWriter writer(&file);
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        writer.setPageMargins({});
        QPainter painter(&writer);
        const QRectF page(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        TrendPicture::paint(painter, page, lines, last);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        TrendPicture::paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), lines, last);
        painter.end();
        if (!image.save(&file, "PNG")) {
            file.cancel();
            *error = QStringLiteral("cannot write the picture to \"%1\"").arg(path);
            return false;
        }
    }
    return file.commit(error);
}

int runTrend(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("the whole project"));
    const QCommandLineOption goal(QStringLiteral("goal"), QStringLiteral("a goal"), QStringLiteral("ID"));
    const QCommandLineOption task(QStringLiteral("task"), QStringLiteral("a task"), QStringLiteral("ID"));
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Week, Month or Quarter: the last snapshot of each"),
                                    QStringLiteral("P"));
    const QCommandLineOption last(
        QStringLiteral("last"), QStringLiteral("points the trend is fitted to (default 4)"), QStringLiteral("N"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("the file to write, .csv, .pdf or .png (CSV on standard output "
                                                "when omitted)"),
                                 QStringLiteral("PATH"));
    parser.addOptions({root, goal, task, period, last, out});
    if (const int rc = CliCommand::parse(parser, args, QStringLiteral("trend"))) {
        return rc;
    }

    std::optional<ChartState::Grouping> grouping;
    if (parser.isSet(period)) {
        const auto g = ChartState::groupingFromText(parser.value(period));
        if (!g ||
            (*g != ChartState::Grouping::Week && *g != ChartState::Grouping::Month &&
             *g != ChartState::Grouping::Quarter)) {
            return CliCommand::usage(QStringLiteral("--period takes Week, Month or Quarter"));
        }
        grouping = *g;
    }
    int points = TrendSummary::kDefaultLast;
    if (parser.isSet(last)) {
        bool ok = false;
        points = parser.value(last).toInt(&ok);
        if (!ok || points < 2) {
            return CliCommand::usage(QStringLiteral("--last takes a number of points, 2 or more"));
        }
    }
    const QString path = parser.value(out);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (parser.isSet(out) && suffix != QLatin1String("csv") && suffix != QLatin1String("pdf") &&
        suffix != QLatin1String("png")) {
        return CliCommand::usage(QStringLiteral("--out takes a file name ending in .csv, .pdf or .png"));
    }

    ChartFilter filter;
    if (parser.isSet(root)) {
        filter.add({ChartFilter::Kind::Root, 0, {}});
    }
    for (const auto& [option, kind] : {std::pair{&goal, ChartFilter::Kind::Goal}, {&task, ChartFilter::Kind::Task}}) {
        for (const QString& text : parser.values(*option)) {
            bool ok = false;
            const qint64 id = text.trimmed().toLongLong(&ok);
            if (!ok || id < 1) {
                return CliCommand::usage(
                    QStringLiteral("--%1 takes an ID, not \"%2\"").arg(option->names().first(), text));
            }
            filter.add({kind, id, {}});
        }
    }
    if (filter.isEmpty()) {
        return CliCommand::usage(QStringLiteral("choose the lines: --root, --goal ID or --task ID (each may be "
                                                "repeated)"));
    }

    if (const int rc = CliCommand::openProject(parser.positionalArguments().first(), Database::Access::ReadOnly)) {
        return rc;
    }
    QString error;
    QList<TrendLine> lines;
    if (!TrendQuery::load(CliCommand::connection(), filter, grouping, &lines, &error)) {
        return CliCommand::fail(error);
    }
    for (const TrendLine& line : lines) {
        // A line of something no snapshot holds would pass for a node without history.
        if (!line.found) {
            const bool isTask = line.node.kind == ChartFilter::Kind::Task;
            return CliCommand::fail(line.node.kind == ChartFilter::Kind::Root
                                        ? QStringLiteral("the project has no snapshot yet; run 'cairnwork-cli "
                                                         "snapshot' first")
                                        : QStringLiteral("no snapshot holds a %1 with ID %2")
                                              .arg(isTask ? QStringLiteral("task") : QStringLiteral("goal"))
                                              .arg(line.node.id));
        }
    }

    if (suffix == QLatin1String("pdf") || suffix == QLatin1String("png")) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            return CliCommand::fail(QStringLiteral("a picture needs the graphical application object"));
        }
        return writePicture(lines, points, path, suffix == QLatin1String("pdf"), &error) ? CliCommand::Ok
                                                                                         : CliCommand::fail(error);
    }
    return CliCommand::writeOutput(path, TrendCsv::write(lines, points).toUtf8());
}

const CliCommand::Registrar trendCommand(
    QStringLiteral("trend"),
    QStringLiteral("trend FILE (--root | --goal ID | --task ID)... [--period Week|Month|Quarter] [--last N]\n"
                   "                          [--out X.csv|X.pdf|X.png]\n"
                   "                          the forecast completion dates over the snapshots and their trend\n"
                   "                          (CSV on standard output without --out)"),
    runTrend,
    true);

} // namespace
