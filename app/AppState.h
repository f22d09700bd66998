#pragma once

// Program-wide state the panes, menus and dialogs share. UI thread only.
struct AppState
{
    enum Pane { Tree = 0, TaskList = 1, ResourceList = 2, NoteList = 3 };
    enum Mode { Add = 0, Edit = 1 };

    int activePane = Tree; // the pane clicked last
    int editMode = Add; // how the next property dialog opens
    bool rightButton = false;
};
