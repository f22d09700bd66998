#pragma once

#include <QIcon>

// The toolbar images of the task list's four view modes, drawn rather than taken
// from the style, whose set has no four distinct ones: 0 large icons, 1 small
// icons, 2 list, 3 details.
class ViewModeIcons
{
public:
    static QIcon icon(int mode);
};
