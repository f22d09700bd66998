#pragma once

#include "charts/ChartAxis.h"
#include "charts/ChartColours.h"
#include "charts/ChartLabels.h"
#include "charts/ChartState.h"
#include "charts/ChartTable.h"
#include "charts/ui/ChartTreeItems.h"
#include "charts/ui/GraphPropertiesDialog.h"

#include <QPointer>
#include <QWidget>

class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QMenu;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// The history chart window "frmChart" ("Progress Analysis"), modeless. Left: the
// goal tree tvGoal (live tables, loaded as nodes are clicked) or the member
// tree tvTeam (members found in the snapshots), with check boxes; every ticked
// node is one series. Right: the chart XY, covered by the placeholder picIcon
// while nothing is chosen. A divider between them can be dragged; a right click
// on the chart offers "Properties...". Reads on `connection` (the main
// connection "dbConn"); deletes itself when closed. UI thread only.
class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    enum : int {
        TagRole = ChartTreeItems::TagRole,
        ImageKeyRole = ChartTreeItems::ImageKeyRole,
        CheckedRole = ChartTreeItems::CheckedRole
    };

    explicit ChartWindow(const QString& connection, QWidget* parent = nullptr);
    ~ChartWindow() override;

    // The chart settings; whoever changes them calls refresh() to redraw.
    ChartState& state() { return m_state; }
    // The table and scale of the last drawing.
    const ChartTable& table() const { return m_table; }
    const ChartAxis& axis() const { return m_axis; }
    QChart* chart() const;

    bool goalTreeShown() const;
    // Shows the goal tree (and charts CompDates) or the member tree (CompDatesRes).
    void showGoalTree(bool goals);

    // The filter for the ticks of the visible tree; a ticked member root loses its tick.
    ChartFilter BuildChartFilter();
    // Draws the chart for the current state, or shows the placeholder when nothing is chosen.
    void DrawChart();
    // Takes the choice from the ticks, then draws: what every tick change does.
    void refresh();
    // Adds the children of a goal-tree node the first time it is clicked.
    void BuildNode(QTreeWidgetItem* node);
    // Opens the properties dialog (or brings the open one to the front).
    void showProperties();
    // Opens a forecast trend window (context menu "Forecast Trend...").
    void showTrend();
    // Takes the options handed back by the properties dialog and redraws.
    void applyOptions(const GraphPropertiesDialog::Options& options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void load();
    void layoutPanes();
    void fillChart();
    // Writes the period labels the plot's present width has room for (ChartLabels).
    void placeLabels();
    void onItemChanged(QTreeWidgetItem* item);
    int px(int twips) const;
    int twips(int pixels) const;

    QString m_connection;
    ChartState m_state;
    ChartTable m_table;
    ChartAxis m_axis;
    ChartColours m_colours; // for the window's life
    QStringList m_periodLabels; // one per period, distinct
    QPointer<QCategoryAxis> m_periods;
    std::optional<ChartLabels> m_labels; // as last written

    QTreeWidget* m_tvGoal = nullptr;
    QTreeWidget* m_tvTeam = nullptr;
    QChartView* m_xy = nullptr;
    QLabel* m_picIcon = nullptr;
    QWidget* m_imgSplitter = nullptr;
    QWidget* m_picSplitter = nullptr;
    QMenu* m_mnuPop = nullptr;
    QAction* m_mnuPopProperties = nullptr;
    QPointer<GraphPropertiesDialog> m_dialog;

    int m_split = 0; // divider position in twips
    int m_dragSplit = 0;
    bool m_moving = false;
    bool m_rightButton = false;
    bool m_refreshing = false;
};
