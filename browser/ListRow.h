#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// One row of the task, resource or note list as the list shows it, built without
// a display so the command line and the widgets show the same thing.
struct ListRow
{
    enum class Kind { Goal, Task, Summary, Assignment, Totals, Note };
    // Text colour of a cell: the list's own, red (192, 0, 0), bright green
    // (0, 255, 0), or the list's background so the cell does not show.
    enum class Colour { Normal, Red, Green, Hidden };

    Kind kind = Kind::Task;
    // Goal, task and note rows carry their identifier (qint64); the others their
    // text tag: "SUMMARY", "R" (assignment) or "W" (totals).
    QVariant tag;
    QString imageKey; // icon key of the tree images; empty for none
    bool bold = false; // the row and all its cells
    QStringList cells; // cells[0] is the row's own text
    QList<Colour> colours; // one per cell

    QString tagText() const { return tag.toString(); }
};
