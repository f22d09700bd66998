#include "reports/ReportEngine.h"

#include "reports/ExportFile.h"
#include "reports/ReportDocument.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {
void setError(QString* error, const QString& text)
{
    if (error) {
        *error = text;
    }
}
} // namespace

bool ReportEngine::print(const ReportDocument& document,
                         QPagedPaintDevice* device,
                         QString* error,
                         const Progress& progress,
                         int first,
                         int last)
{
    const int pages = document.pageCount();
    if (last <= 0 || last > pages) {
        last = pages;
    }
    first = std::clamp(first, 1, last);
    device->setPageLayout(ReportDocument::pageLayout());
    QPainter painter;
    if (!painter.begin(device)) {
        setError(error, QStringLiteral("The report cannot be printed: the output device could not be opened."));
        return false;
    }
    const qreal sx = device->logicalDpiX() / qreal(ReportLayout::kTwipsPerInch);
    const qreal sy = device->logicalDpiY() / qreal(ReportLayout::kTwipsPerInch);
    for (int page = first; page <= last; ++page) {
        if (page > first && !device->newPage()) {
            painter.end();
            setError(error, QStringLiteral("The report cannot be printed: a new page could not be started."));
            return false;
        }
        painter.save();
        painter.scale(sx, sy);
        document.paintPage(painter, page - 1);
        painter.restore();
        if (progress && !progress(page - first + 1, last - first + 1)) {
            painter.end();
            setError(error, QStringLiteral("Cancelled."));
            return false;
        }
    }
    if (!painter.end()) {
        setError(error, QStringLiteral("The report could not be finished."));
        return false;
    }
    return true;
}

bool ReportEngine::writePdf(const ReportDocument& document,
                            const QString& path,
                            QString* error,
                            const Progress& progress)
{
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    bool ok = false;
    {
        QPdfWriter writer(&file);
        // One device unit per twip keeps the PDF's coordinates exact.
        writer.setResolution(ReportLayout::kTwipsPerInch);
        writer.setTitle(document.layout().title());
        writer.setCreator(QStringLiteral("Cairnwork"));
        ok = print(document, &writer, error, progress);
    }
    if (!ok) {
        file.cancel();
        return false;
    }
    // The PDF writer does not look at write errors; commit() reports the first one.
    return file.commit(error);
}

QImage ReportEngine::renderPage(const ReportDocument& document, int page, qreal dpi)
{
    const qreal scale = dpi / ReportLayout::kTwipsPerInch;
    const QSizeF paper = ReportDocument::pageSizeTwips() * scale;
    QImage image(paper.toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    document.paintPage(painter, page);
    return image;
}
