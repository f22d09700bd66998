#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"

#include "common/ui/MessageBox.h"
#include "reports/ui/CauseBars.h"
#include "reports/ui/CompareWindow.h"
#include "reports/ui/ReportPreviewWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using P = SnapshotProbe;

namespace {
const qint64 kDay = 86400;

QTreeWidgetItem* findRow(QTreeWidget* tree, const QString& name)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0).trimmed() == name) {
            return tree->topLevelItem(i);
        }
    }
    return nullptr;
}
} // namespace

class TestCompareWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageBox::setAutoAnswer(true); }
    void cleanup() { QCOMPARE(MessageBox::takeShown().size(), 0); }
    void selectedRowExplainsItsMove();
};

// Ann's "API" is re-planned from 5 to 7 days between two Sunday snapshots; Bob's
// "Docs" stays as it was. Both from Sunday 1 March, for a member working 08:00-16:00.
void TestCompareWindow::selectedRowExplainsItsMove()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 goal = p.goal(QStringLiteral("Build"));
    const qint64 api = p.task(goal, QStringLiteral("API"), 5);
    p.assign(api, QStringLiteral("Ann"), 100, 0, 0);
    p.assign(p.task(goal, QStringLiteral("Docs"), 2), QStringLiteral("Bob"), 100, 0, 0);
    P::generate(p, QStringLiteral("2026-03-01 12:00:00"));
    runSql(p, QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = 7 WHERE ID = ?"), {api});
    const QString b = P::generate(p, QStringLiteral("2026-03-01 12:00:01"));

    CompareWindow window(p.connection());
    FixedClock clock(Stamp::fromText(b));
    window.setClock(&clock);
    window.show();
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvCompare"));
    auto* causes = window.findChild<CauseBars*>(QStringLiteral("wCauses"));
    auto* largest = window.findChild<QListWidget*>(QStringLiteral("lstLargest"));
    auto* stampB = window.findChild<QComboBox*>(QStringLiteral("cboStampB"));
    QVERIFY(tree && causes && largest && stampB);
    // The two newest snapshots, A the older; B offers "Now" first.
    QCOMPARE(stampB->itemText(0), QStringLiteral("Now"));
    QCOMPARE(stampB->currentData().toString(), b);

    for (int choice : {1, 0}) { // the stored B, then the project now (at B's moment)
        stampB->setCurrentIndex(choice);
        Q_EMIT stampB->activated(choice);
        QTreeWidgetItem* row = findRow(tree, QStringLiteral("API"));
        QVERIFY(row);
        tree->setCurrentItem(row);
        QCOMPARE(row->text(5), QStringLiteral("4.00"));
        QVERIFY(causes->shares().has_value());
        QCOMPARE(*causes->shares(), (std::array<qint64, 6>{0, 0, 0, 0, 4 * kDay, 0}));
        // The words of the change: the comparison tests.
        QCOMPARE(largest->count(), 1);
        QVERIFY(largest->item(0)->text().contains(QStringLiteral("'API'")));
    }

    // Bob's rows did not change: the filter hides them, API stays.
    QVERIFY(findRow(tree, QStringLiteral("Docs")));
    window.findChild<QCheckBox*>(QStringLiteral("chkChangedOnly"))->setChecked(true);
    QVERIFY(!findRow(tree, QStringLiteral("Docs")));
    QVERIFY(findRow(tree, QStringLiteral("API")));

    // Print / PDF opens the comparison in a preview, which keeps it after a new comparison.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("bPrint")), Qt::LeftButton);
    auto* preview = window.findChild<ReportPreviewWindow*>();
    QVERIFY(preview);
    window.compare();
    QVERIFY(!preview->grab().isNull());
}

QTEST_MAIN(TestCompareWindow)
#include "TestCompareWindow.moc"
