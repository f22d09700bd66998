#include "browser/ui/ListPane.h"

#include "common/Twips.h"
#include "common/ui/TreeImages.h"

#include <QHeaderView>
#include <QMouseEvent>

ListPane::ListPane(const QString& objectName, const QList<Column>& columns, QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName(objectName);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnCount(int(columns.size()));
    QStringList headers;
    for (const Column& c : columns) {
        headers << c.header;
    }
    setHeaderLabels(headers);
    const int dpi = logicalDpiX();
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, Twips::toPixels(columns[i].twips, dpi));
    }
}

QColor ListPane::colour(ListRow::Colour colour) const
{
    switch (colour) {
    case ListRow::Colour::Red:
        return QColor(192, 0, 0);
    case ListRow::Colour::Green:
        return QColor(0, 255, 0);
    case ListRow::Colour::Hidden:
        return palette().color(QPalette::Base);
    case ListRow::Colour::Normal:
        break;
    }
    return palette().color(QPalette::Text);
}

QTreeWidgetItem* ListPane::addRow(const ListRow& row)
{
    QTreeWidgetItem* item = makeItem(row);
    addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* ListPane::makeItem(const ListRow& row) const
{
    auto* item = new QTreeWidgetItem;
    for (int i = 0; i < row.cells.size(); ++i) {
        item->setText(i, row.cells[i]);
    }
    item->setData(0, TagRole, row.tag);
    if (!row.imageKey.isEmpty()) {
        item->setData(0, ImageKeyRole, row.imageKey);
        item->setIcon(0, TreeImages::icon(row.imageKey));
    }
    if (row.bold) {
        QFont bold = font();
        bold.setBold(true);
        for (int i = 0; i < row.cells.size(); ++i) {
            item->setFont(i, bold);
        }
    }
    for (int i = 0; i < row.colours.size(); ++i) {
        if (row.colours[i] != ListRow::Colour::Normal) {
            item->setForeground(i, colour(row.colours[i]));
        }
    }
    return item;
}

void ListPane::showRows(const QList<ListRow>& rows)
{
    setUpdatesEnabled(false);
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const ListRow& row : rows) {
        items.append(makeItem(row));
    }
    addTopLevelItems(items);
    if (!items.isEmpty()) {
        selectRow(0);
    }
    setUpdatesEnabled(true);
}

int ListPane::rowIndex(const QTreeWidgetItem* item) const
{
    return item ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

QTreeWidgetItem* ListPane::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ListPane::selectRow(int index)
{
    QTreeWidgetItem* item = topLevelItem(index);
    if (item) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

void ListPane::mousePressEvent(QMouseEvent* event)
{
    m_rightButton = event->button() == Qt::RightButton;
    QTreeWidget::mousePressEvent(event);
}

void ListPane::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    Q_EMIT paneClicked(m_rightButton);
}
