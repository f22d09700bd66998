// The timeline command's picture files: PDF pages and one PNG.
#include "charts/TimelinePicture.h"
#include "cli/TimelinePictures.h"
#include "reports/ExportFile.h"

#include <cstdio>

namespace {

// The finest zoom whose scale fits a wide screen, else the coarsest.
constexpr double kFitWidth = 3000;

TimelinePicture picture(const Timeline& timeline, Timeline::View view)
{
    std::vector<TimelinePicture::Row> rows = TimelinePicture::rowsOf(timeline, view);
    for (const TimelinePicture::Zoom zoom :
         {TimelinePicture::Zoom::Days, TimelinePicture::Zoom::Weeks, TimelinePicture::Zoom::Months}) {
        TimelinePicture p(timeline, view, zoom, rows);
        if (p.chartWidth() <= kFitWidth) {
            return p;
        }
    }
    return TimelinePicture(timeline, view, TimelinePicture::Zoom::Quarters, std::move(rows));
}

bool write(const Timeline& timeline, Timeline::View view, const QString& path, bool pdf, QString* error)
{
    const TimelinePicture p = picture(timeline, view);
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    bool cut = false;
    if (!(pdf ? p.writePdf(file, error) : p.writePng(file, &cut, error))) {
        file.cancel();
        *error = QStringLiteral("%1: \"%2\"").arg(*error, path);
        return false;
    }
    if (cut) {
        std::fprintf(stderr,
                     "note: the PNG stops at %d pixels a side (%lld in all); write a PDF for the whole timeline\n",
                     TimelinePicture::kMaxPngSide,
                     static_cast<long long>(TimelinePicture::kMaxPngArea));
    }
    return file.commit(error);
}

const TimelinePictures::Registrar pdfWriter(QStringLiteral("pdf"),
                                            [](const Timeline& t, Timeline::View v, const QString& path, QString* e) {
                                                return write(t, v, path, true, e);
                                            });
const TimelinePictures::Registrar pngWriter(QStringLiteral("png"),
                                            [](const Timeline& t, Timeline::View v, const QString& path, QString* e) {
                                                return write(t, v, path, false, e);
                                            });

} // namespace
