#pragma once

#include "reports/ReportLoader.h"

#include <QWidget>

class Clock;
class QListWidget;
class QPushButton;

// The reports window frmReports: lists the snapshots newest first, generates a new
// snapshot, and opens the three reports of the selected snapshot, each in its own
// modeless preview window. UI thread only.
class ReportsWindow : public QWidget
{
    Q_OBJECT

public:
    // Works on the open project connection `connection` (the main connection, "dbConn").
    explicit ReportsWindow(const QString& connection, QWidget* parent = nullptr);
    ~ReportsWindow() override;

    // Refills dParTStamp from the snapshots and selects the newest; shows the error box
    // when the snapshots cannot be read.
    void FillTimestampList();
    // The stored stamp of the selected entry; empty when nothing is selected.
    QString selectedStamp() const;
    // Test seam: the clock that stamps new snapshots (the system clock by default).
    void setClock(const Clock* clock);

public Q_SLOTS:
    void generateData();
    void showOverview();
    void showTaskSchedule();
    void showTeamMemberSchedule();

private:
    void showReport(ReportLoader::Kind kind);
    void updateButtons();

    QString m_connection;
    const Clock* m_clock;
    QListWidget* m_list = nullptr;
    QPushButton* m_generate = nullptr;
    QPushButton* m_overview = nullptr;
    QPushButton* m_memberSchedule = nullptr;
    QPushButton* m_taskSchedule = nullptr;
};
