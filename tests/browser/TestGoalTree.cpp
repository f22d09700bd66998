#include "browser/ui/GoalTree.h"
#include "common/ui/MessageBox.h"
#include "common/ui/TreeImages.h"
#include "db/Sql.h"
#include "tests/support/TempProject.h"
#include "tests/support/WidgetTest.h"

#include <QImage>
#include <QSet>
#include <QtTest>

using namespace WidgetTest;

class TestGoalTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clickLoadsChildrenOnce();
    void refreshUpdatesInPlace();
    void largeIdentifiersShow();
    void imagesAreDistinct();
};

void TestGoalTree::clickLoadsChildrenOnce()
{
    TempProject p;
    const qint64 parent = p.goal(QStringLiteral("Parent"));
    p.goal(QStringLiteral("One"), parent);
    p.goal(QStringLiteral("Two"), parent, QStringLiteral("On Hold"), QStringLiteral("Application"));
    p.goal(QStringLiteral("Two"), parent, QStringLiteral("Closed")); // same name: a node of its own
    GoalTree tree;
    tree.setConnection(p.connection());
    QTreeWidgetItem* root = tree.addRoot();
    QVERIFY(tree.BuildGoalLevel(root));
    QTreeWidgetItem* parentNode = childNamed(root, QStringLiteral("Parent"));
    QVERIFY(parentNode);
    // Sub-goals exist, so the node offers its expand sign before it is loaded.
    QCOMPARE(parentNode->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(parentNode->childCount(), 0);

    QSignalSpy clicked(&tree, &GoalTree::nodeClicked);
    clickNode(parentNode);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(parentNode->childCount(), 3);
    QStringList keys;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(parentNode->child(i)->font(0).bold());
        keys << GoalTree::imageKey(parentNode->child(i));
    }
    QCOMPARE(keys, (QStringList{"GoalOpen", "ApplicationOn Hold", "GoalClosed"}));
    QVERIFY(GoalTree::goalId(parentNode->child(1)) != GoalTree::goalId(parentNode->child(2)));
    clickNode(parentNode);
    QCOMPARE(parentNode->childCount(), 3);
}

void TestGoalTree::refreshUpdatesInPlace()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("Old name"));
    GoalTree tree;
    tree.setConnection(p.connection());
    QTreeWidgetItem* root = tree.addRoot();
    tree.BuildGoalLevel(root);
    QVERIFY(Sql::exec(
        p.connection(),
        QStringLiteral("UPDATE GOALS_SW SET SHORT_NAME = 'New name', STATUS = 'Completed' WHERE ID = %1").arg(g),
        nullptr));
    const qint64 added = p.goal(QStringLiteral("Added later"));
    clickNode(root);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(0)->text(0), QStringLiteral("New name"));
    QCOMPARE(GoalTree::imageKey(root->child(0)), QStringLiteral("GoalCompleted"));
    QCOMPARE(GoalTree::goalId(root->child(1)), added);
    using R = GoalTree::UpdateResult;
    QCOMPARE(
        tree.UpdateGoalNode(root, QStringLiteral("Goal"), QStringLiteral("New name"), g, QStringLiteral("Completed")),
        R::Unchanged);
    QCOMPARE(
        tree.UpdateGoalNode(root, QStringLiteral("Goal"), QStringLiteral("new name"), g, QStringLiteral("Completed")),
        R::Changed);
    QCOMPARE(tree.UpdateGoalNode(root, QStringLiteral("Goal"), QStringLiteral("x"), 777, QStringLiteral("Open")),
             R::Added);
    QCOMPARE(root->childCount(), 3);
}

// Identifiers are 64-bit: goals far beyond 32767 load and show.
void TestGoalTree::largeIdentifiersShow()
{
    TempProject p;
    QVERIFY(
        Sql::exec(p.connection(),
                  QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID, CREATED)"
                                 " VALUES (40000, 'Goal', 'Big', 1, 'Open', NULL, 'x'),"
                                 " (5000000000, 'Goal', 'Huge', 1, 'Open', NULL, 'x'),"
                                 " (40001, 'Goal', 'Child', 1, 'Open', 40000, 'x')"),
                  nullptr));
    MessageBox::setAutoAnswer(true);
    GoalTree tree;
    tree.setConnection(p.connection());
    QTreeWidgetItem* root = tree.addRoot();
    tree.BuildGoalLevel(root);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(GoalTree::goalId(root->child(0)), 40000);
    QCOMPARE(GoalTree::goalId(root->child(1)), Q_INT64_C(5000000000));
    clickNode(root->child(0));
    QCOMPARE(root->child(0)->child(0)->text(0), QStringLiteral("Child"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    MessageBox::setAutoAnswer(false);
}

void TestGoalTree::imagesAreDistinct()
{
    QCOMPARE(TreeImages::keys().size(), 18);
    QSet<QByteArray> pictures;
    for (const QString& key : TreeImages::keys()) {
        const QIcon icon = TreeImages::icon(key);
        QVERIFY2(!icon.isNull(), qPrintable(key));
        const QImage image = icon.pixmap(16, 16).toImage();
        pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(pictures.size(), 18);
    QVERIFY(TreeImages::icon(QStringLiteral("GoalBogus")).isNull());
}

QTEST_MAIN(TestGoalTree)
#include "TestGoalTree.moc"
