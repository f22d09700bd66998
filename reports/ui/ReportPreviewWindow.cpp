#include "reports/ui/ReportPreviewWindow.h"

#include "common/ui/MessageBox.h"
#include "common/ui/SavePath.h"
#include "common/ui/WaitCursor.h"
#include "reports/ExportTarget.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

// The paper of the current page at the current scale.
class ReportPreviewWindow::PageView : public QWidget
{
public:
    explicit PageView(const ReportDocument& document, QWidget* parent)
        : QWidget(parent)
        , m_document(document)
    {
        setObjectName(QStringLiteral("pageView"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void show(int page, qreal scale)
    {
        m_page = page;
        m_scale = scale;
        setFixedSize((ReportDocument::pageSizeTwips() * scale).toSize());
        update();
    }
    int page() const { return m_page; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(m_scale, m_scale);
        m_document.paintPage(painter, m_page);
    }

private:
    const ReportDocument& m_document;
    int m_page = 0;
    qreal m_scale = 0.05;
};

namespace {
struct ZoomChoice
{
    const char* text;
    double zoom;
};
const ZoomChoice kZooms[] = {
    {"Page Width", 0}, {"Whole Page", -1}, {"50%", 0.5}, {"75%", 0.75}, {"100%", 1.0}, {"150%", 1.5}, {"200%", 2.0}};

QToolButton* toolButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setAutoRaise(true);
    return button;
}
} // namespace

ReportPreviewWindow::ReportPreviewWindow(std::unique_ptr<ReportDocument> document, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(m_document->layout().name());
    setWindowTitle(m_document->layout().title());

    auto* bar = new QHBoxLayout;
    m_first = toolButton(QStringLiteral("|<"), QStringLiteral("firstPage"), this);
    m_previous = toolButton(QStringLiteral("<"), QStringLiteral("previousPage"), this);
    m_next = toolButton(QStringLiteral(">"), QStringLiteral("nextPage"), this);
    m_last = toolButton(QStringLiteral(">|"), QStringLiteral("lastPage"), this);
    m_first->setToolTip(QStringLiteral("First page"));
    m_previous->setToolTip(QStringLiteral("Previous page"));
    m_next->setToolTip(QStringLiteral("Next page"));
    m_last->setToolTip(QStringLiteral("Last page"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("pageNumber"));
    m_pageBox->setRange(1, std::max(1, m_document->pageCount()));
    m_pageBox->setKeyboardTracking(false);
    m_pageCount = new QLabel(QStringLiteral("of %1").arg(m_document->pageCount()), this);
    m_pageCount->setObjectName(QStringLiteral("pageCount"));
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoom"));
    for (const ZoomChoice& z : kZooms) {
        m_zoomBox->addItem(QString::fromLatin1(z.text), z.zoom);
    }
    auto* printButton = new QPushButton(QStringLiteral("Print..."), this);
    printButton->setObjectName(QStringLiteral("print"));
    auto* pdfButton = new QPushButton(QStringLiteral("Export PDF..."), this);
    pdfButton->setObjectName(QStringLiteral("exportPdf"));
    bar->addWidget(m_first);
    bar->addWidget(m_previous);
    bar->addWidget(m_pageBox);
    bar->addWidget(m_pageCount);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
    bar->addSpacing(16);
    bar->addWidget(m_zoomBox);
    bar->addStretch(1);
    bar->addWidget(printButton);
    bar->addWidget(pdfButton);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("pages"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView(*m_document, m_scroll);
    m_scroll->setWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QToolButton::clicked, this, &ReportPreviewWindow::firstPage);
    connect(m_previous, &QToolButton::clicked, this, &ReportPreviewWindow::previousPage);
    connect(m_next, &QToolButton::clicked, this, &ReportPreviewWindow::nextPage);
    connect(m_last, &QToolButton::clicked, this, &ReportPreviewWindow::lastPage);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { setPage(value - 1); });
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        setZoom(m_zoomBox->itemData(index).toDouble());
    });
    connect(printButton, &QPushButton::clicked, this, &ReportPreviewWindow::print);
    connect(pdfButton, &QPushButton::clicked, this, &ReportPreviewWindow::exportPdfAs);

    resize(1100, 760);
    updatePageView();
    updateControls();
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

int ReportPreviewWindow::currentPage() const
{
    return m_view->page();
}

void ReportPreviewWindow::setPage(int page)
{
    page = std::clamp(page, 0, std::max(0, m_document->pageCount() - 1));
    if (page == m_view->page() && m_pageBox->value() == page + 1) {
        return;
    }
    m_view->show(page, zoomFactor() * logicalDpiX() / ReportLayout::kTwipsPerInch);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportPreviewWindow::setZoom(double zoom)
{
    m_zoom = zoom;
    const int index = m_zoomBox->findData(zoom);
    if (index >= 0 && index != m_zoomBox->currentIndex()) {
        const QSignalBlocker block(m_zoomBox);
        m_zoomBox->setCurrentIndex(index);
    }
    updatePageView();
}

double ReportPreviewWindow::zoomFactor() const
{
    if (m_zoom > 0) {
        return m_zoom;
    }
    // Fit to the visible area, leaving room for the scroll bar and a small border.
    const QSize area =
        m_scroll->maximumViewportSize() - QSize(m_scroll->verticalScrollBar()->sizeHint().width() + 8, 8);
    const qreal dpi = logicalDpiX();
    const qreal widthZoom = area.width() * ReportLayout::kTwipsPerInch / (ReportLayout::kPageWidth * dpi);
    const qreal heightZoom = area.height() * ReportLayout::kTwipsPerInch / (ReportLayout::kPageHeight * dpi);
    const qreal fit = m_zoom < 0 ? std::min(widthZoom, heightZoom) : widthZoom;
    return std::max<qreal>(0.1, fit);
}

void ReportPreviewWindow::updatePageView()
{
    m_view->show(m_view->page(), zoomFactor() * logicalDpiX() / ReportLayout::kTwipsPerInch);
}

void ReportPreviewWindow::updateControls()
{
    const int page = m_view->page();
    const int last = m_document->pageCount() - 1;
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(page + 1);
    }
    m_first->setEnabled(page > 0);
    m_previous->setEnabled(page > 0);
    m_next->setEnabled(page < last);
    m_last->setEnabled(page < last);
}

void ReportPreviewWindow::firstPage()
{
    setPage(0);
}

void ReportPreviewWindow::previousPage()
{
    setPage(currentPage() - 1);
}

void ReportPreviewWindow::nextPage()
{
    setPage(currentPage() + 1);
}

void ReportPreviewWindow::lastPage()
{
    setPage(m_document->pageCount() - 1);
}

void ReportPreviewWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        nextPage();
        break;
    case Qt::Key_PageUp:
        previousPage();
        break;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            firstPage();
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            lastPage();
        }
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

void ReportPreviewWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_zoom <= 0) {
        updatePageView();
    }
}

namespace {
// A long report shows its progress and can be cancelled.
ReportEngine::Progress progressIn(QProgressDialog& dialog)
{
    return [&dialog](int done, int total) {
        if (dialog.maximum() != total) {
            dialog.setMaximum(total);
        }
        dialog.setValue(done);
        return !dialog.wasCanceled();
    };
}
} // namespace

bool ReportPreviewWindow::writePages(
    const QString& label, const std::function<bool(QString* error, const ReportEngine::Progress& progress)>& write)
{
    QProgressDialog progress(label, QStringLiteral("Cancel"), 0, m_document->pageCount(), this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    // The footer shows when the pages were printed, not when the preview opened.
    m_document->setPrintedAt(QDateTime::currentDateTime());
    m_view->update();
    QString error;
    const bool ok = write(&error, progressIn(progress));
    progress.reset();
    if (!ok && !progress.wasCanceled()) {
        MessageBox::error(this, error);
    }
    return ok;
}

bool ReportPreviewWindow::exportPdf(const QString& path)
{
    return writePages(QStringLiteral("Exporting..."), [&](QString* error, const ReportEngine::Progress& progress) {
        return ReportEngine::writePdf(*m_document, path, error, progress);
    });
}

bool ReportPreviewWindow::printTo(QPrinter* printer, int first, int last)
{
    // Printing to a file writes as an export does, and may not land on a project either.
    if (!printer->outputFileName().isEmpty()) {
        QString target;
        QString error;
        if (!ExportTarget::resolve(printer->outputFileName(), &target, &error)) {
            MessageBox::error(this, error);
            return false;
        }
        printer->setOutputFileName(target);
    }
    printer->setFullPage(true);
    return writePages(QStringLiteral("Printing..."), [&](QString* error, const ReportEngine::Progress& progress) {
        return ReportEngine::print(*m_document, printer, error, progress, first, last);
    });
}

void ReportPreviewWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(ReportDocument::pageLayout());
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, m_document->pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    int first = 1;
    int last = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        first = printer.fromPage();
        last = printer.toPage();
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = currentPage() + 1;
    }
    printTo(&printer, first, last);
}

void ReportPreviewWindow::exportPdfAs()
{
    const QString path = QFileDialog::getSaveFileName(this,
                                                      QStringLiteral("Export PDF"),
                                                      SavePath::inDocuments(windowTitle() + QStringLiteral(".pdf")),
                                                      QStringLiteral("PDF files (*.pdf);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    WaitCursor wait;
    exportPdf(SavePath::withSuffix(path, QStringLiteral("pdf")));
}
