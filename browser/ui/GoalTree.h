#pragma once

#include <QTreeWidget>
#include <optional>

// The goal tree "tvGoal": one bold root "Goals/Applications" (tag "ROOT") and the
// goals below it (tag = goal ID), loaded level by level as nodes are clicked or
// expanded. Errors are shown in the error box. UI thread only.
class GoalTree : public QTreeWidget
{
    Q_OBJECT

public:
    enum : int { TagRole = Qt::UserRole, ImageKeyRole, LoadedRole };
    enum class UpdateResult { Unchanged = 1, Changed = 2, Added = 3 };

    explicit GoalTree(QWidget* parent = nullptr);

    void setConnection(const QString& connection) { m_connection = connection; }

    // Replaces everything with the root node and selects it.
    QTreeWidgetItem* addRoot();
    QTreeWidgetItem* root() const { return topLevelItemCount() ? topLevelItem(0) : nullptr; }

    bool BuildGoalLevel(QTreeWidgetItem* node);
    bool RefreshGoalLevel(QTreeWidgetItem* node);
    // Brings every loaded level up to date after others changed the project: new goals
    // appear, changed ones are updated, goals gone are removed. The current node stays
    // current while it exists, else its nearest remaining ancestor becomes current.
    // Returns false on a database error (shown in the error box).
    bool refreshLoadedLevels();
    QTreeWidgetItem* AddGoalNode(QTreeWidgetItem* parent,
                                 const QString& nodeType,
                                 const QString& nodeText,
                                 qint64 nodeTag,
                                 const QString& nodeStatus);
    UpdateResult UpdateGoalNode(QTreeWidgetItem* parent,
                                const QString& nodeType,
                                const QString& nodeText,
                                qint64 nodeTag,
                                const QString& nodeStatus);
    // Sets a node's image by key (kind followed by status).
    static void setImageKey(QTreeWidgetItem* node, const QString& key);

    static bool isRoot(const QTreeWidgetItem* node);
    // The goal ID of a node; empty for the root.
    static std::optional<qint64> goalId(const QTreeWidgetItem* node);
    static QString imageKey(const QTreeWidgetItem* node);

Q_SIGNALS:
    // A node was clicked, activated, or made current from the keyboard; its level is
    // already refreshed.
    void nodeClicked(QTreeWidgetItem* node);
    // Any click on the pane; `rightButton` asks for the context menu.
    void paneClicked(bool rightButton);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // `prune`: children no longer in the project are removed.
    bool loadLevel(QTreeWidgetItem* node, bool refresh, bool prune = false);
    void onNodeClicked(QTreeWidgetItem* node);

    QString m_connection;
    bool m_rightButton = false;
};
