#pragma once

#include "reports/ReportEngine.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QToolButton;
class ReportDocument;

// A modeless window that shows one report page by page: page through, zoom, print
// through the system's print dialog, export to PDF. Only the page on screen is painted,
// so even a report of thousands of pages shows its first page at once. The window owns
// the report's rows and deletes itself when closed. UI thread only.
class ReportPreviewWindow : public QWidget
{
    Q_OBJECT

public:
    // The window's objectName is the report's name (rptHierarchy, rptTaskSched,
    // rptTeamMemSched), its title the report's title.
    explicit ReportPreviewWindow(std::unique_ptr<ReportDocument> document, QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    const ReportDocument& document() const { return *m_document; }
    // 0-based page shown.
    int currentPage() const;
    void setPage(int page);
    // Zoom as a factor of the paper's real size; 0 fits the page width, -1 the whole page.
    void setZoom(double zoom);
    double zoomFactor() const;

    // Writes the report as a PDF with a progress dialog; shows the error box on failure.
    bool exportPdf(const QString& path);
    // Prints pages `first` to `last` (1-based, 0 = last page) on a set-up printer.
    bool printTo(QPrinter* printer, int first = 1, int last = 0);

public Q_SLOTS:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void print();
    void exportPdfAs();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class PageView;
    void updatePageView();
    void updateControls();
    // Stamps the pages as printed now, then runs `write` with the error to fill and a
    // progress callback under a cancellable box captioned `label`. A failure other
    // than a cancel goes to the error box.
    bool writePages(const QString& label,
                    const std::function<bool(QString* error, const ReportEngine::Progress& progress)>& write);

    std::unique_ptr<ReportDocument> m_document;
    QScrollArea* m_scroll = nullptr;
    PageView* m_view = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageCount = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    double m_zoom = 0; // as setZoom
};
