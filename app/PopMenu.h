#pragma once

#include "app/PopMenuRules.h"

#include <QMenu>

// The context menu "mnuPop" (caption "Pop") of the main window's panes: its
// thirteen items in their fixed order, shown and hidden as PopMenuRules decides.
// Item visibility stays as the last apply() left it. UI thread only.
class PopMenu : public QMenu
{
    Q_OBJECT

public:
    enum Item {
        AddGoal,
        AddTask,
        AddRes,
        AddNote,
        DeleteGoal,
        DeleteTask,
        DeleteRes,
        DeleteNote,
        Sep1,
        PropertiesGoal,
        PropertiesTask,
        PropertiesRes,
        PropertiesNote,
        ItemCount
    };

    explicit PopMenu(QWidget* parent = nullptr);

    QAction* item(Item which) const { return m_items[which]; }
    // Shows exactly the items `items` names and hides the others.
    void apply(const PopMenuRules::Items& items);
    // Off: the items that add or delete stay disabled (a project this person may only read).
    void setWritable(bool writable);
    // The items now visible, by objectName, in menu order (separator included).
    QStringList visibleItems() const;

private:
    QAction* m_items[ItemCount] = {};
};
