#pragma once

// Program-wide state the panes, menus and dialogs share. UI thread only.
struct AppState
{
    // The main window's four panes, in the order the window lays them out.
    enum class Pane { Tree, TaskList, ResourceList, NoteList };

    Pane activePane = Pane::Tree; // the pane clicked last: the one the edit commands act on
};
