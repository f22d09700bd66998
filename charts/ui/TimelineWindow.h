#pragma once

#include "charts/Timeline.h"
#include "charts/TimelinePicture.h"

#include <QSet>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class TimelineCanvas;

// The timeline window "frmTimeline" ("Timeline"), modeless: a snapshot (cboStamp,
// newest first) laid out by member or by goal (cboView) at a zoom from days to
// quarters (cboZoom, Ctrl+wheel, +/-) in the canvas cvTimeline, whose names and
// date scale stay in place while the bars scroll. In the goal view rows collapse
// and expand as the overview's outline does. Print... (bPrint), Save PDF...
// (bSavePdf), Save PNG... (bSavePng); a lane's context menu (mnuLane) exports
// the member's calendar. The status line (lblStatus) says when the snapshot kept
// no working hours. Reads on `connection`; deletes itself when closed. UI thread only.
class TimelineWindow : public QWidget
{
    Q_OBJECT

public:
    // Asks for a file to write: (title, suggested path, filter) -> path, empty to cancel.
    using PathChooser = std::function<QString(const QString&, const QString&, const QString&)>;

    // Shows the snapshot `stamp`, or the newest one when it is empty or unknown.
    explicit TimelineWindow(const QString& connection, QWidget* parent = nullptr, const QString& stamp = {});
    ~TimelineWindow() override;

    // Test seam: where the Save and Export buttons ask for a file (a file dialog by default).
    void setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }

    void showStamp(const QString& stamp);
    const Timeline& timeline() const { return m_timeline; }
    const TimelinePicture* picture() const { return m_picture.get(); }
    TimelineCanvas* canvas() const { return m_canvas; }
    QMenu* laneMenu() const { return m_laneMenu; }

    // The files the buttons write, through the export guard; false with *error.
    bool savePng(const QString& path, QString* error);
    bool savePdf(const QString& path, QString* error);
    bool exportCalendar(const QString& member, const QString& path, QString* error);

private:
    void fillStamps(const QString& wanted);
    void load();
    void rebuild();
    void expand(int row, int how);
    void zoomBy(int step);
    void print();
    void saveAs(bool pdf);
    void exportCalendarOf(int row);
    QString chooseFile(const QString& title, const QString& suggested, const QString& filter) const;

    QString m_connection;
    Timeline m_timeline;
    bool m_loaded = false;
    std::shared_ptr<const TimelinePicture> m_picture;
    QSet<qint64> m_collapsed; // goal ids (0 the root) whose rows below are hidden
    QComboBox* m_cboStamp = nullptr;
    QComboBox* m_cboView = nullptr;
    QComboBox* m_cboZoom = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_savePdf = nullptr;
    QPushButton* m_savePng = nullptr;
    TimelineCanvas* m_canvas = nullptr;
    QLabel* m_status = nullptr;
    QMenu* m_laneMenu = nullptr;
    int m_menuRow = -1;
    PathChooser m_choosePath;
};
