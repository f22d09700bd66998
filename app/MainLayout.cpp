#include "app/MainLayout.h"

#include "app/AppSettings.h"
#include "common/Rounding.h"

#include <QLocale>

namespace {
constexpr double kDesignedLeft = 1000;
constexpr double kDesignedTop = 1000;
constexpr double kDesignedSize = 6500;
constexpr double kEdge = 500; // nearest a splitter comes to an edge or to the other splitter
constexpr double kFirstTop = 1000; // highest place of the splitter above the resource list
constexpr double kBottom = 1500; // nearest a horizontal splitter comes to the window's bottom

// Layout positions are whole twips, as the settings keep them: half a length
// rounds the length to a whole twip first and then drops the odd twip.
double halfOf(double value)
{
    return double(Rounding::toInteger(value) / 2);
}

double scaled(double position, double previous, double current)
{
    return double(Rounding::toInteger(position / previous * current));
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

MainLayout::MainLayout()
{
    m_window = {kDesignedLeft, kDesignedTop, kDesignedSize, kDesignedSize};
    m_clientHeight = kDesignedSize;
    using S = Splitter;
    m_strip[int(S::Vertical)] = {1625, 0, kStripThickness, kDesignedSize};
    m_strip[int(S::First)] = {1665, 2167, kDesignedSize - 1765, kStripThickness};
    m_strip[int(S::Second)] = {1665, 4333, kDesignedSize - 1765, kStripThickness};
    for (int i = 0; i < 3; ++i) {
        m_bar[i] = m_strip[i];
    }
}

QString MainLayout::numberText(double value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // Stored as single precision, as the values are read back.
    return locale.toString(double(float(value)), 'g', 7);
}

bool MainLayout::parseNumber(const QString& text, double* value)
{
    bool ok = false;
    float number = QLocale::system().toFloat(text.trimmed(), &ok);
    if (!ok) {
        number = QLocale::c().toFloat(text.trimmed(), &ok);
    }
    if (ok) {
        *value = double(number);
    }
    return ok;
}

void MainLayout::load(const AppSettings& settings)
{
    auto read = [&settings](const QString& key, double fallback, double* target) {
        parseNumber(settings.value(key, numberText(fallback)), target);
    };
    read(QStringLiteral("MainLeft"), 1000, &m_window.left);
    read(QStringLiteral("MainTop"), 1000, &m_window.top);
    read(QStringLiteral("MainWidth"), 6500, &m_window.width);
    read(QStringLiteral("MainHeight"), 6500, &m_window.height);
    m_previousWidth = m_window.width;
    m_previousHeight = m_window.height;
    const QString viewResource = settings.value(QStringLiteral("ViewResource"), QStringLiteral("1"));
    const QString viewNotes = settings.value(QStringLiteral("ViewNotes"), QStringLiteral("1"));
    // Splitter defaults follow the window size just restored.
    using S = Splitter;
    read(QStringLiteral("SP1"), double(Rounding::toInteger(m_window.width / 4)), &m_strip[int(S::Vertical)].left);
    read(QStringLiteral("SPV1"), double(Rounding::toInteger(m_window.height / 3)), &m_strip[int(S::First)].top);
    read(QStringLiteral("SPV2"), double(Rounding::toInteger(m_window.height * 2 / 3)), &m_strip[int(S::Second)].top);
    for (int i = 0; i < 3; ++i) {
        m_bar[i].left = m_strip[i].left;
        m_bar[i].top = m_strip[i].top;
    }
    m_resourceVisible = viewResource == QStringLiteral("1");
    m_notesVisible = viewNotes == QStringLiteral("1");
    m_toolbarVisible = false;
    m_statusBarVisible = settings.value(QStringLiteral("ViewStatusBar"), QStringLiteral("1")) == QStringLiteral("1");
}

void MainLayout::save(AppSettings& settings, bool minimized) const
{
    settings.setValue(QStringLiteral("ViewResource"), flag(m_resourceVisible));
    settings.setValue(QStringLiteral("ViewNotes"), flag(m_notesVisible));
    settings.setValue(QStringLiteral("ViewStatusBar"), flag(m_statusBarVisible));
    if (minimized) {
        return;
    }
    settings.setValue(QStringLiteral("MainLeft"), numberText(m_window.left));
    settings.setValue(QStringLiteral("MainTop"), numberText(m_window.top));
    settings.setValue(QStringLiteral("MainWidth"), numberText(m_window.width));
    settings.setValue(QStringLiteral("MainHeight"), numberText(m_window.height));
    settings.setValue(QStringLiteral("SP1"), numberText(m_bar[int(Splitter::Vertical)].left));
    settings.setValue(QStringLiteral("SPV1"), numberText(m_bar[int(Splitter::First)].top));
    settings.setValue(QStringLiteral("SPV2"), numberText(m_bar[int(Splitter::Second)].top));
}

void MainLayout::setWindowPosition(double left, double top)
{
    m_window.left = left;
    m_window.top = top;
}

void MainLayout::setWindowSize(double width, double height)
{
    m_window.width = width;
    m_window.height = height;
}

void MainLayout::setChrome(double clientHeight, double toolbarHeight, double statusBarHeight)
{
    m_clientHeight = clientHeight;
    m_toolbarHeight = toolbarHeight;
    m_statusBarHeight = statusBarHeight;
}

void MainLayout::resized()
{
    if (m_window.width < kMinimumWidth) {
        m_window.width = kMinimumWidth;
    }
    using S = Splitter;
    if (m_previousWidth > 0) {
        TwipsRect& strip = m_strip[int(S::Vertical)];
        strip.left = scaled(strip.left, m_previousWidth, m_window.width);
        m_bar[int(S::Vertical)].left = strip.left;
        m_previousWidth = m_window.width;
    }
    if (m_previousHeight > 0) {
        for (S s : {S::First, S::Second}) {
            TwipsRect& strip = m_strip[int(s)];
            strip.top = scaled(strip.top, m_previousHeight, m_window.height);
            m_bar[int(s)].top = strip.top;
        }
        m_previousHeight = m_window.height;
    }
    SizeControls();
}

void MainLayout::setIfNotNegative(double* target, double value)
{
    if (value >= 0) {
        *target = value;
    }
}

void MainLayout::SizeControls()
{
    using S = Splitter;
    const double left = m_bar[int(S::Vertical)].left;
    const double t1 = m_bar[int(S::First)].top;
    const double t2 = m_bar[int(S::Second)].top;
    const double tb = m_toolbarVisible ? m_toolbarHeight : 0;
    const double sb = m_statusBarVisible ? m_statusBarHeight : 0;

    setIfNotNegative(&m_tree.width, left);
    m_tree.top = tb;
    setIfNotNegative(&m_tree.height, m_clientHeight - tb - sb);

    m_taskList.left = left + kGap;
    setIfNotNegative(&m_taskList.width, m_window.width - (left + 140));
    m_taskList.top = tb;
    setIfNotNegative(&m_taskList.height, m_resourceVisible ? t1 - tb : m_notesVisible ? t2 - tb : m_tree.height);

    if (m_resourceVisible) {
        m_resourceList.left = left + kGap;
        setIfNotNegative(&m_resourceList.width, m_taskList.width);
        m_resourceList.top = t1 + kGap;
        setIfNotNegative(&m_resourceList.height,
                         m_notesVisible ? t2 - t1 - kGap : m_tree.height - m_taskList.height - kGap);
    }
    if (m_notesVisible) {
        m_noteList.left = left + kGap;
        setIfNotNegative(&m_noteList.width, m_taskList.width);
        m_noteList.top = t2 + kGap;
        setIfNotNegative(&m_noteList.height,
                         m_resourceVisible ? m_tree.height - m_taskList.height - kGap - m_resourceList.height - kGap
                                           : m_tree.height - m_taskList.height - kGap);
    }

    TwipsRect& vertical = m_strip[int(S::Vertical)];
    vertical.left = left;
    vertical.top = m_tree.top;
    setIfNotNegative(&vertical.height, m_tree.height);
    if (m_resourceVisible) {
        TwipsRect& first = m_strip[int(S::First)];
        first.left = m_taskList.left;
        first.top = t1;
        setIfNotNegative(&first.width, m_taskList.width);
    }
    if (m_notesVisible) {
        TwipsRect& second = m_strip[int(S::Second)];
        second.left = m_taskList.left;
        second.top = t2;
        setIfNotNegative(&second.width, m_taskList.width);
    }
}

void MainLayout::beginDrag(Splitter splitter)
{
    const int i = int(splitter);
    const TwipsRect& strip = m_strip[i];
    TwipsRect& bar = m_bar[i];
    bar.left = strip.left;
    bar.top = strip.top;
    if (splitter == Splitter::Vertical) {
        bar.width = halfOf(strip.width);
        bar.height = strip.height - 20;
    } else {
        bar.width = strip.width - 20;
        bar.height = halfOf(strip.height);
    }
    m_barVisible[i] = true;
    m_moving[i] = true;
}

void MainLayout::dragTo(Splitter splitter, double mouse)
{
    const int i = int(splitter);
    if (!m_moving[i]) {
        return;
    }
    using S = Splitter;
    const double bottom = m_window.height - kBottom;
    const double wanted = splitter == S::Vertical ? m_strip[i].left + mouse : m_strip[i].top + mouse;
    switch (splitter) {
    case S::Vertical:
        m_bar[i].left = wanted < kEdge ? kEdge : wanted > m_window.width - kEdge ? m_window.width - kEdge : wanted;
        break;
    case S::First: {
        const double second = m_strip[int(S::Second)].top - kEdge;
        m_bar[i].top = wanted < kFirstTop       ? kFirstTop
            : m_notesVisible && wanted > second ? second
            : wanted > bottom                   ? bottom
                                                : wanted;
        break;
    }
    case S::Second: {
        const double first = m_strip[int(S::First)].top + kEdge;
        m_bar[i].top = m_resourceVisible && wanted < first ? first
            : wanted < kEdge                               ? kEdge
            : wanted > bottom                              ? bottom
                                                           : wanted;
        break;
    }
    }
}

void MainLayout::endDrag(Splitter splitter)
{
    SizeControls();
    m_barVisible[int(splitter)] = false;
    m_moving[int(splitter)] = false;
}

void MainLayout::setResourceListVisible(bool visible)
{
    m_resourceVisible = visible;
    SizeControls();
}

void MainLayout::setNoteListVisible(bool visible)
{
    m_notesVisible = visible;
    SizeControls();
}

void MainLayout::setToolbarVisible(bool visible)
{
    m_toolbarVisible = visible;
    SizeControls();
}

void MainLayout::setStatusBarVisible(bool visible)
{
    m_statusBarVisible = visible;
    SizeControls();
}
