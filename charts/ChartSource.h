#pragma once

// Which tree of the chart window chooses the series, and with it the rows read:
// the goal tree charts snapshot rows of CompDates (root, goals, tasks,
// assignments), the member tree the per-member rows of CompDatesRes.
enum class ChartSource { Goals, Members };
