#pragma once

#include "browser/ListRow.h"

#include <QTreeWidget>

// A list in report mode: rows of text with optional small icon, bold rows and
// coloured cells, a tag per row (Qt::UserRole), column widths given in twips.
// Remembers whether the last mouse button pressed over it was the right one.
// UI thread only.
class ListPane : public QTreeWidget
{
    Q_OBJECT

public:
    enum : int { TagRole = Qt::UserRole, ImageKeyRole };

    struct Column
    {
        QString header;
        int twips;
    };

    ListPane(const QString& objectName, const QList<Column>& columns, QWidget* parent = nullptr);

    // Replaces every row with `rows` and selects the first one.
    void showRows(const QList<ListRow>& rows);
    // Appends one row (no selection change).
    QTreeWidgetItem* addRow(const ListRow& row);

    static QVariant tag(const QTreeWidgetItem* item) { return item ? item->data(0, TagRole) : QVariant(); }
    static bool isBold(const QTreeWidgetItem* item) { return item && item->font(0).bold(); }
    // The row's index, -1 for none.
    int rowIndex(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* row(int index) const { return topLevelItem(index); }
    // The first selected row, or null.
    QTreeWidgetItem* selectedRow() const;
    int selectedIndex() const { return rowIndex(selectedRow()); }
    int selectedCount() const { return int(selectedItems().size()); }
    // Selects row `index` and makes it current.
    void selectRow(int index);
    // The colour a cell of `colour` is drawn in.
    QColor colour(ListRow::Colour colour) const;

Q_SIGNALS:
    // Any click on the pane; `rightButton` asks for the context menu.
    void paneClicked(bool rightButton);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTreeWidgetItem* makeItem(const ListRow& row) const;

    bool m_rightButton = false;
};
