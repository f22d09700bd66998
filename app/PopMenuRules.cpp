#include "app/PopMenuRules.h"

PopMenuRules::Items PopMenuRules::SetPopMenu(AppState::Pane pane, const Selection& s)
{
    Items items; // everything hidden unless the pane's rule shows it
    switch (pane) {
    case AppState::Pane::Tree:
        items.addGoal = true;
        items.deleteGoal = items.separator = items.propertiesGoal = !s.treeRootSelected;
        items.showMenu = true;
        break;
    case AppState::Pane::TaskList:
        items.addGoal = true;
        if (s.taskRow == TaskRow::Goal) {
            items.deleteGoal = items.separator = items.propertiesGoal = true;
        } else if (s.taskRow == TaskRow::Task) {
            items.deleteTask = items.separator = items.propertiesTask = true;
        }
        items.addTask = !s.treeRootSelected;
        items.showMenu = true;
        break;
    case AppState::Pane::ResourceList:
        // Only a task's own assignments can be added to or changed here.
        if (s.taskRow != TaskRow::Task) {
            break;
        }
        items.addRes = true;
        items.showMenu = true;
        if (s.resourceRows > 0 && s.resourceRow == ResourceRow::Assignment) {
            items.separator = items.propertiesRes = true;
            // A task keeps its last assignment: one row plus the totals row.
            items.deleteRes = s.resourceRows > 2;
        }
        break;
    case AppState::Pane::NoteList:
        if (s.taskRow != TaskRow::Task) {
            break;
        }
        items.addNote = true;
        items.showMenu = true;
        if (s.noteRows > 0 && s.noteSelected) {
            items.deleteNote = items.separator = items.propertiesNote = true;
        }
        break;
    }
    return items;
}
