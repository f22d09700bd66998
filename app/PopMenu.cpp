#include "app/PopMenu.h"

PopMenu::PopMenu(QWidget* parent)
    : QMenu(QStringLiteral("Pop"), parent)
{
    setObjectName(QStringLiteral("mnuPop"));
    const QString del = QStringLiteral("Delete");
    const QString properties = QStringLiteral("Properties");
    const std::pair<const char*, QString> items[ItemCount] = {
        {"mnuPopAddGoal", QStringLiteral("Add Goal / Application")},
        {"mnuPopAddTask", QStringLiteral("Add Task / Software Object")},
        {"mnuPopAddRes", QStringLiteral("Add Resource")},
        {"mnuPopAddNote", QStringLiteral("Add Note")},
        {"mnuPopDeleteGoal", del},
        {"mnuPopDeleteTask", del},
        {"mnuPopDeleteRes", del},
        {"mnuPopDeleteNote", del},
        {"mnuPopSep1", QString()},
        {"mnuPopPropertiesGoal", properties},
        {"mnuPopPropertiesTask", properties},
        {"mnuPopPropertiesRes", properties},
        {"mnuPopPropertiesNote", properties},
    };
    for (int i = 0; i < ItemCount; ++i) {
        QAction* action = i == Sep1 ? addSeparator() : addAction(items[i].second);
        action->setObjectName(QLatin1String(items[i].first));
        m_items[i] = action;
    }
}

void PopMenu::apply(const PopMenuRules::Items& items)
{
    const bool visible[ItemCount] = {items.addGoal,
                                     items.addTask,
                                     items.addRes,
                                     items.addNote,
                                     items.deleteGoal,
                                     items.deleteTask,
                                     items.deleteRes,
                                     items.deleteNote,
                                     items.separator,
                                     items.propertiesGoal,
                                     items.propertiesTask,
                                     items.propertiesRes,
                                     items.propertiesNote};
    for (int i = 0; i < ItemCount; ++i) {
        m_items[i]->setVisible(visible[i]);
    }
}

QStringList PopMenu::visibleItems() const
{
    QStringList names;
    for (QAction* action : m_items) {
        if (action->isVisible()) {
            names << action->objectName();
        }
    }
    return names;
}

void PopMenu::setWritable(bool writable)
{
    for (int i = AddGoal; i <= DeleteNote; ++i) {
        m_items[i]->setEnabled(writable);
    }
}
