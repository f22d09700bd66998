#pragma once

#include "charts/ChartFilter.h"

#include <QList>
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

// The ticked trees of the chart windows: items made the same way, their children
// read from the project the first time a node opens, and the ticks read back as
// ChartFilter nodes. UI thread only.
class ChartTreeItems
{
public:
    enum : int { TagRole = Qt::UserRole, ImageKeyRole, CheckedRole };

    // An unticked, tickable item; a node that may have children shows the expander
    // until it is opened.
    static QTreeWidgetItem* add(QTreeWidgetItem* parent,
                                const QString& text,
                                const QString& tag,
                                const QString& imageKey,
                                bool bold,
                                bool mayHaveChildren);
    // Adds the children of `node` the project gives, those whose tag `keep` accepts
    // (all when empty); a child may have children when `mayHaveChildren` says so.
    // False with *error when they could not all be read.
    static bool addChildren(const QString& connection,
                            QTreeWidgetItem* node,
                            const std::function<bool(const QString& tag)>& keep,
                            const std::function<bool(const QString& tag)>& mayHaveChildren,
                            QString* error);
    // Every item of `tree` in tree order, as the filter reads ticks.
    static QList<ChartTreeNode> nodes(QTreeWidget* tree, QList<QTreeWidgetItem*>* items = nullptr);
};
