#include "browser/ui/GoalTree.h"

#include "browser/GoalTreeSource.h"
#include "common/ui/MessageBox.h"
#include "common/ui/TreeImages.h"
#include "db/Database.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

namespace {
const QString kRootTag = QStringLiteral("ROOT");

void makeBold(QTreeWidgetItem* item)
{
    QFont f = item->font(0);
    f.setBold(true);
    item->setFont(0, f);
}
} // namespace

GoalTree::GoalTree(QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("tvGoal"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { onNodeClicked(item); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { onNodeClicked(item); });
    // Expanding with the mouse or the keyboard loads the level as a click does.
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!item->data(0, LoadedRole).toBool()) {
            RefreshGoalLevel(item);
        }
    });
}

QTreeWidgetItem* GoalTree::addRoot()
{
    clear();
    auto* root = new QTreeWidgetItem(this);
    root->setText(0, QStringLiteral("Goals/Applications"));
    root->setData(0, TagRole, kRootTag);
    setImageKey(root, QStringLiteral("Root"));
    makeBold(root);
    setCurrentItem(root);
    return root;
}

bool GoalTree::isRoot(const QTreeWidgetItem* node)
{
    return node && node->data(0, TagRole).toString() == kRootTag;
}

std::optional<qint64> GoalTree::goalId(const QTreeWidgetItem* node)
{
    if (!node || isRoot(node)) {
        return std::nullopt;
    }
    return node->data(0, TagRole).toLongLong();
}

QString GoalTree::imageKey(const QTreeWidgetItem* node)
{
    return node ? node->data(0, ImageKeyRole).toString() : QString();
}

void GoalTree::setImageKey(QTreeWidgetItem* node, const QString& key)
{
    node->setData(0, ImageKeyRole, key);
    node->setIcon(0, TreeImages::icon(key));
}

bool GoalTree::BuildGoalLevel(QTreeWidgetItem* node)
{
    return loadLevel(node, false);
}

bool GoalTree::RefreshGoalLevel(QTreeWidgetItem* node)
{
    return loadLevel(node, true);
}

bool GoalTree::refreshLoadedLevels()
{
    // Iterative: a tree another program wrote may be deep.
    QList<QTreeWidgetItem*> pending;
    if (root()) {
        pending << root();
    }
    while (!pending.isEmpty()) {
        QTreeWidgetItem* node = pending.takeLast();
        if (!node->data(0, LoadedRole).toBool()) {
            continue;
        }
        if (!loadLevel(node, true, true) && node->childCount() > 0) {
            return false;
        }
        for (int i = 0; i < node->childCount(); ++i) {
            pending << node->child(i);
        }
    }
    return true;
}

bool GoalTree::loadLevel(QTreeWidgetItem* node, bool refresh, bool prune)
{
    if (!node) {
        return false;
    }
    QList<GoalNodeRow> rows;
    QString error;
    if (!GoalTreeSource::childGoals(m_connection, goalId(node), &rows, &error)) {
        MessageBox::error(this, error);
        return false;
    }
    node->setData(0, LoadedRole, true);
    if (prune) {
        QSet<qint64> present;
        for (const GoalNodeRow& row : rows) {
            present.insert(row.id);
        }
        for (int i = node->childCount() - 1; i >= 0; --i) {
            QTreeWidgetItem* child = node->child(i);
            if (present.contains(goalId(child).value_or(0))) {
                continue;
            }
            for (QTreeWidgetItem* up = currentItem(); up; up = up->parent()) {
                if (up == child) {
                    setCurrentItem(node);
                    break;
                }
            }
            delete child;
        }
    }
    for (const GoalNodeRow& row : rows) {
        QTreeWidgetItem* child = nullptr;
        if (refresh) {
            UpdateGoalNode(node, row.objectType, row.shortName, row.id, row.status);
        } else {
            child = AddGoalNode(node, row.objectType, row.shortName, row.id, row.status);
        }
        if (row.hasChildren) {
            for (int i = 0; !child && i < node->childCount(); ++i) {
                if (goalId(node->child(i)) == row.id) {
                    child = node->child(i);
                }
            }
            if (child && child->childCount() == 0) {
                // Offer the expand sign for sub-goals not loaded yet.
                child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            }
        }
    }
    if (node->childCount() == 0) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    return !rows.isEmpty();
}

QTreeWidgetItem* GoalTree::AddGoalNode(QTreeWidgetItem* parent,
                                       const QString& nodeType,
                                       const QString& nodeText,
                                       qint64 nodeTag,
                                       const QString& nodeStatus)
{
    auto* node = new QTreeWidgetItem(parent);
    node->setText(0, nodeText);
    node->setData(0, TagRole, nodeTag);
    setImageKey(node, nodeType + nodeStatus);
    makeBold(node);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return node;
}

GoalTree::UpdateResult GoalTree::UpdateGoalNode(QTreeWidgetItem* parent,
                                                const QString& nodeType,
                                                const QString& nodeText,
                                                qint64 nodeTag,
                                                const QString& nodeStatus)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (goalId(child) != nodeTag) {
            continue;
        }
        UpdateResult result = UpdateResult::Unchanged;
        if (child->text(0) != nodeText) {
            child->setText(0, nodeText);
            result = UpdateResult::Changed;
        }
        const QString key = nodeType + nodeStatus;
        if (imageKey(child) != key) {
            setImageKey(child, key);
            result = UpdateResult::Changed;
        }
        return result;
    }
    AddGoalNode(parent, nodeType, nodeText, nodeTag, nodeStatus);
    return UpdateResult::Added;
}

void GoalTree::onNodeClicked(QTreeWidgetItem* node)
{
    if (!node) {
        return;
    }
    // Choosing a goal is how people look again after the server dropped the window's
    // session: it connects anew, as a save does.
    QString lost;
    if (!Database::reconnectIfLost(m_connection, &lost)) {
        MessageBox::error(this, lost);
        return;
    }
    RefreshGoalLevel(node);
    node->setExpanded(true);
    Q_EMIT nodeClicked(node);
}

void GoalTree::mousePressEvent(QMouseEvent* event)
{
    m_rightButton = event->button() == Qt::RightButton;
    QTreeWidget::mousePressEvent(event);
}

void GoalTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    Q_EMIT paneClicked(m_rightButton);
}

// Only moves made by keys count here: a click reports its node through itemClicked,
// and nodes made current by the program (a new root, a refreshed level) are not
// the user's choice.
void GoalTree::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before) {
        onNodeClicked(after);
    }
}
