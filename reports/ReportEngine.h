#pragma once

#include <QImage>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class ReportDocument;

// Sends a laid-out report to a paged device (a PDF file, a printer) or to an image.
// The same page painting feeds the preview, so what is printed is what was previewed.
class ReportEngine
{
public:
    // Called after each page with the pages done and the total; returning false cancels.
    using Progress = std::function<bool(int done, int total)>;

    // Paints pages `first` to `last` (1-based, inclusive; 0 for the last page) onto
    // `device`, which must not have a painter yet. The device's page layout is set to
    // A4 landscape without margins: the report paints its own margins. A printer must
    // be in full-page mode for the same reason.
    static bool print(const ReportDocument& document,
                      QPagedPaintDevice* device,
                      QString* error,
                      const Progress& progress = {},
                      int first = 1,
                      int last = 0);
    // Writes the whole report as a PDF file; the file is replaced only when all pages
    // were written (a cancelled or failed export leaves any earlier file untouched).
    // A path ExportTarget refuses (the project, a device...) is not touched.
    static bool
    writePdf(const ReportDocument& document, const QString& path, QString* error, const Progress& progress = {});
    // One page as a picture at `dpi` dots per inch (white paper).
    static QImage renderPage(const ReportDocument& document, int page, qreal dpi);
};
