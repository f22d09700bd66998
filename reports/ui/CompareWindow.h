#pragma once

#include <QWidget>
#include <memory>

class CauseBars;
class Clock;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QTreeWidget;

// The window frmCompare: two snapshots (B may be the project now) side by side as
// the plan's outline with both dates, the change and flags; for the selected row,
// why its date moved (the six causes as bars and the changes that moved it most).
// Print, PDF and CSV export. UI thread only.
class CompareWindow : public QWidget
{
    Q_OBJECT

public:
    // Works on the open project connection `connection`.
    explicit CompareWindow(const QString& connection, QWidget* parent = nullptr);
    ~CompareWindow() override;

    // Refills both stamp choosers (A the older of the two newest, B the newest) and compares.
    void fillStamps();
    // Test seam: the clock that "Now" stands for (the system clock by default).
    void setClock(const Clock* clock);

public Q_SLOTS:
    // Compares the chosen snapshots and refills the outline; a failure is shown.
    void compare();
    void exportCsv();
    void preview();

private:
    struct Compared;

    void fillOutline();
    void showWhy();

    QString m_connection;
    const Clock* m_clock;
    std::shared_ptr<Compared> m_compared;
    QComboBox* m_stampA = nullptr;
    QComboBox* m_stampB = nullptr;
    QCheckBox* m_changedOnly = nullptr;
    QTreeWidget* m_outline = nullptr;
    CauseBars* m_causes = nullptr;
    QListWidget* m_largest = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_csv = nullptr;
};
