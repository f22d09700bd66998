#include "charts/ui/ChartTreeItems.h"

#include "charts/ChartTreeSource.h"
#include "common/ui/TreeImages.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

QTreeWidgetItem* ChartTreeItems::add(QTreeWidgetItem* parent,
                                     const QString& text,
                                     const QString& tag,
                                     const QString& imageKey,
                                     bool bold,
                                     bool mayHaveChildren)
{
    auto* node = new QTreeWidgetItem;
    node->setText(0, text);
    node->setData(0, TagRole, tag);
    node->setData(0, ImageKeyRole, imageKey);
    node->setIcon(0, TreeImages::icon(imageKey));
    if (bold) {
        QFont f = node->font(0);
        f.setBold(true);
        node->setFont(0, f);
    }
    node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
    node->setCheckState(0, Qt::Unchecked);
    node->setData(0, CheckedRole, false);
    node->setChildIndicatorPolicy(mayHaveChildren ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (parent) {
        parent->addChild(node);
    }
    return node;
}

bool ChartTreeItems::addChildren(const QString& connection,
                                 QTreeWidgetItem* node,
                                 const std::function<bool(const QString& tag)>& keep,
                                 const std::function<bool(const QString& tag)>& mayHaveChildren,
                                 QString* error)
{
    QList<ChartNodeRow> rows;
    const bool ok = ChartTreeSource::children(connection, node->data(0, TagRole).toString(), &rows, error);
    for (const ChartNodeRow& row : rows) {
        if (!keep || keep(row.tag)) {
            add(node, row.text, row.tag, row.imageKey, row.bold, mayHaveChildren(row.tag));
        }
    }
    if (node->childCount() == 0) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    return ok;
}

QList<ChartTreeNode> ChartTreeItems::nodes(QTreeWidget* tree, QList<QTreeWidgetItem*>* items)
{
    QList<ChartTreeNode> nodes;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        if (items) {
            items->append(item);
        }
        nodes << ChartTreeNode{item->data(0, TagRole).toString(),
                               item->parent() ? item->parent()->data(0, TagRole).toString() : QString(),
                               item->checkState(0) == Qt::Checked,
                               item->parent() == nullptr};
    }
    return nodes;
}
