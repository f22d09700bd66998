#pragma once

#include "reports/ChartState.h"

#include <QDialog>
#include <QMap>
#include <QPointer>

class ChartWindow;
class QRadioButton;

// The graph properties dialog "frmPropertiesGraph" ("Properties"): measure,
// aggregate, period and tree of a chart window. Modeless and without owner;
// "Apply" redraws and stays, "OK" redraws and closes, "Cancel" (or Escape, or
// closing the window) leaves what was applied before. Deletes itself when
// closed. UI thread only.
class GraphPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GraphPropertiesDialog(ChartWindow* chart, QWidget* parent = nullptr);
    ~GraphPropertiesDialog() override;

    // Copies the chosen options into the chart window: tree first, then
    // measure, aggregate and grouping; a frame without a choice changes nothing.
    void ApplyGraphOptions();

private:
    void load();
    void apply();
    void ok();

    QPointer<ChartWindow> m_chart;
    QMap<ChartState::Measure, QRadioButton*> m_measures;
    QMap<ChartState::Aggregate, QRadioButton*> m_aggregates;
    QMap<ChartState::Grouping, QRadioButton*> m_groupings;
    QRadioButton* m_otvGoal = nullptr;
    QRadioButton* m_otvTeam = nullptr;
};
