#pragma once

#include "charts/ChartState.h"

#include <QDialog>
#include <QMap>

class QRadioButton;

// The graph properties dialog "frmPropertiesGraph" ("Properties"): measure,
// aggregate, period and tree of a chart. It edits a copy of the options and
// hands it back through optionsApplied(): "Apply" hands back and stays, "OK"
// hands back and closes, "Cancel" (or Escape, or closing the window) leaves
// what was handed back before. Modeless and without owner; deletes itself when
// closed. UI thread only.
class GraphPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    struct Options
    {
        ChartState::Measure measure = ChartState::Measure::Planned;
        ChartState::Aggregate aggregate = ChartState::Aggregate::Avg;
        ChartState::Grouping grouping = ChartState::Grouping::Day;
        bool goalTree = true;
    };

    explicit GraphPropertiesDialog(const Options& options, QWidget* parent = nullptr);
    ~GraphPropertiesDialog() override;

    // Takes the chosen options into the dialog's copy (a frame without a choice
    // keeps its value) and hands the copy back.
    void ApplyGraphOptions();

Q_SIGNALS:
    // The receiver takes the tree first, then measure, aggregate and grouping,
    // and redraws.
    void optionsApplied(const GraphPropertiesDialog::Options& options);

private:
    void load();
    void apply();
    void ok();

    Options m_options;
    QMap<ChartState::Measure, QRadioButton*> m_measures;
    QMap<ChartState::Aggregate, QRadioButton*> m_aggregates;
    QMap<ChartState::Grouping, QRadioButton*> m_groupings;
    QRadioButton* m_otvGoal = nullptr;
    QRadioButton* m_otvTeam = nullptr;
};
