#pragma once

#include "app/AppState.h"

// Which items of the context menu "mnuPop" a right click offers, as a pure
// function of the pane clicked and what is selected there.
class PopMenuRules
{
public:
    enum class TaskRow { Goal, Task, Summary, None };
    enum class ResourceRow { Assignment, Totals, None };

    struct Selection
    {
        bool treeRootSelected = true;
        TaskRow taskRow = TaskRow::Summary;
        int resourceRows = 0; // rows of the resource list, totals row included
        ResourceRow resourceRow = ResourceRow::None;
        int noteRows = 0;
        bool noteSelected = false;
    };

    struct Items
    {
        bool addGoal = false;
        bool addTask = false;
        bool addRes = false;
        bool addNote = false;
        bool deleteGoal = false;
        bool deleteTask = false;
        bool deleteRes = false;
        bool deleteNote = false;
        bool separator = false;
        bool propertiesGoal = false;
        bool propertiesTask = false;
        bool propertiesRes = false;
        bool propertiesNote = false;
        bool showMenu = false; // false: no menu at all
    };

    static Items SetPopMenu(AppState::Pane pane, const Selection& selection);
};
