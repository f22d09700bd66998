#pragma once

#include <QString>

class AppSettings;

// Where something sits in the main window, in twips (1/1440 inch), relative to
// the window's client area below the menu bar.
struct TwipsRect
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    bool operator==(const TwipsRect&) const = default;
};

// The geometry of the main window "frmMain" without any widget: the goal tree on
// the left, the task, resource and note lists stacked on the right, the three
// splitters between them with their grab strips (imgSplitter, imgSplitterV1,
// imgSplitterV2) and the bars shown while one is dragged (picSplitter,
// picSplitterV1, picSplitterV2), the remembered settings, and the resize and
// drag rules. All lengths in twips; the window applies them at its screen's DPI.
class MainLayout
{
public:
    enum class Splitter { Vertical, First, Second };

    static constexpr double kMinimumWidth = 3000;
    static constexpr double kGap = 40; // between a splitter and the list right of or below it
    static constexpr double kStripThickness = 60; // the grab strips' designed width or height

    MainLayout();

    // Load step: window place and size, splitter strips and visibility of the
    // resource list, note list and status bar from `settings` (defaults for
    // missing keys; a stored value that is not a number leaves the designed
    // value). The toolbar is hidden at every start.
    void load(const AppSettings& settings);
    // Close step: writes the visibility of the lists and the status bar; unless
    // `minimized`, also the window's place and size and the splitter bars.
    void save(AppSettings& settings, bool minimized) const;

    // What the window reports before a layout pass: outer size (width, height),
    // the client height below the menu bar, and the toolbar's and status bar's
    // heights when shown.
    void setWindowPosition(double left, double top);
    void setWindowSize(double width, double height);
    void setChrome(double clientHeight, double toolbarHeight, double statusBarHeight);

    // Resize handler: widens a window narrower than kMinimumWidth (the window
    // must then follow windowRect()), scales the splitters with the window's size,
    // and lays out the panes.
    void resized();
    // Lays out every pane from the splitter bars. A hidden list keeps its old
    // geometry and its strip its old place; a negative size leaves that size.
    void SizeControls();

    // Splitter drags: mouse down, move and up on a grab strip; `mouse` is the
    // mouse x (vertical splitter) or y (horizontal ones) relative to the strip.
    void beginDrag(Splitter splitter);
    void dragTo(Splitter splitter, double mouse);
    void endDrag(Splitter splitter);
    bool isMoving(Splitter splitter) const { return m_moving[int(splitter)]; }
    bool isBarVisible(Splitter splitter) const { return m_barVisible[int(splitter)]; }

    // View menu toggles; each lays the panes out again.
    void setResourceListVisible(bool visible);
    void setNoteListVisible(bool visible);
    void setToolbarVisible(bool visible);
    void setStatusBarVisible(bool visible);
    bool resourceListVisible() const { return m_resourceVisible; }
    bool noteListVisible() const { return m_notesVisible; }
    bool toolbarVisible() const { return m_toolbarVisible; }
    bool statusBarVisible() const { return m_statusBarVisible; }

    TwipsRect windowRect() const { return m_window; }
    TwipsRect tree() const { return m_tree; }
    TwipsRect taskList() const { return m_taskList; }
    TwipsRect resourceList() const { return m_resourceList; }
    TwipsRect noteList() const { return m_noteList; }
    TwipsRect strip(Splitter splitter) const { return m_strip[int(splitter)]; }
    TwipsRect bar(Splitter splitter) const { return m_bar[int(splitter)]; }
    double toolbarHeight() const { return m_toolbarVisible ? m_toolbarHeight : 0; }

    // "1"/"0" and numbers in the user's number format, as the settings hold them.
    static QString numberText(double value);
    // Reads a stored number (single precision); false when it is not one.
    static bool parseNumber(const QString& text, double* value);

private:
    static void setIfNotNegative(double* target, double value);

    TwipsRect m_window;
    double m_clientHeight = 0;
    double m_toolbarHeight = 0;
    double m_statusBarHeight = 0;
    double m_previousWidth = 0;
    double m_previousHeight = 0;
    bool m_resourceVisible = true;
    bool m_notesVisible = true;
    bool m_toolbarVisible = false;
    bool m_statusBarVisible = true;
    bool m_moving[3] = {false, false, false};
    bool m_barVisible[3] = {false, false, false};

    TwipsRect m_tree;
    TwipsRect m_taskList;
    TwipsRect m_resourceList;
    TwipsRect m_noteList;
    TwipsRect m_strip[3];
    TwipsRect m_bar[3];
};
