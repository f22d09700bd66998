#pragma once

#include "charts/ChartState.h"
#include "charts/TrendLine.h"
#include "charts/ui/ChartTreeItems.h"

#include <QList>
#include <QWidget>
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
// area below it shaded. Right: the table twTrend, one row per line. Reads on
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

private:
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
};
