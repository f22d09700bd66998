#pragma once

#include "charts/ChartState.h"
#include "charts/TrendLine.h"
#include "charts/ui/ChartTreeItems.h"

#include <QList>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>

class QChart;
class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The forecast trend window "frmTrend" ("Forecast Trend"), modeless. Left: the
// goal tree tvGoal of the chart window (root, goals, tasks; loaded as nodes are
// opened) with check boxes, one line per ticked node. Middle: the period
// (cboPeriod), the number of points the trend is fitted to (spnLast) and the
// slip per week beyond which a line is flagged (spnThreshold), over the chart
// (xyTrend): stamp against forecast on one date scale, the diagonal with the
// area below it shaded. Right: the table twTrend, one row per line. Hovering a
// line between two of its points shows why the forecast moved in that step: the
// comparison of the two snapshots split into its six causes. Reads on
// `connection`; deletes itself when closed. UI thread only.
class TrendWindow : public QWidget
{
    Q_OBJECT

public:
    enum : int { TagRole = ChartTreeItems::TagRole };
    enum Column { Node, FirstForecast, LatestForecast, Slip, SlipPerWeek, DirectionChanges, TrendFinish, Flag };

    explicit TrendWindow(const QString& connection, QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Reads the ticked nodes' history and draws the chart and the table.
    void refresh();
    // The lines of the last drawing.
    const QList<TrendLine>& lines() const { return m_lines; }
    QChart* chart() const;

    // The hover text for the step of line `line` from its point `segment` to the
    // next: the node, both forecasts, its slip and that slip's six causes in days
    // (or why they are not known). Comparisons are kept per pair of stamps.
    QString segmentTip(int line, int segment);

private:
    struct Compared;
    // The comparison of the snapshots `from` and `to`, read once; null with *error.
    std::shared_ptr<const Compared> comparison(const QString& from, const QString& to, QString* error);
    void showTip(int line, const QPointF& at);

    void BuildNode(QTreeWidgetItem* node);
    std::optional<ChartState::Grouping> grouping() const;
    void drawChart();
    void fillTable();

    QString m_connection;
    QList<TrendLine> m_lines;
    QTreeWidget* m_tvGoal = nullptr;
    QComboBox* m_cboPeriod = nullptr;
    QSpinBox* m_spnLast = nullptr;
    QDoubleSpinBox* m_spnThreshold = nullptr;
    QChartView* m_xy = nullptr;
    QTableWidget* m_twTrend = nullptr;
    QLabel* m_status = nullptr;
    bool m_building = false;
    // Comparisons by (from, to) stamps, the oldest read dropped beyond a few: each
    // holds two whole snapshots.
    std::map<std::pair<QString, QString>, std::shared_ptr<const Compared>> m_compared;
    QList<std::pair<QString, QString>> m_comparedOrder;
};
