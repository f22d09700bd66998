#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One node of the chart window's trees as read from the project.
struct ChartNodeRow
{
    QString tag; // "G<id>", "T<id>" or "R<member>"
    QString text;
    QString imageKey; // kind followed directly by status
    bool bold = false;
};

// Reads the chart window's trees from the live tables and the snapshots.
// Display-free; every value bound.
class ChartTreeSource
{
public:
    // The children of the goal-tree node `tag`: for "ROOT" the top-level goals;
    // for "G<id>" its sub-goals, then its tasks; for "T<id>" its assignments
    // (tag "R" and the member's name). Other tags have none. False with *error
    // on a database error (rows read before it stay in *rows).
    static bool children(const QString& connection, const QString& tag, QList<ChartNodeRow>* rows, QString* error);
    // Every member that some snapshot holds an assignment row for, by name;
    // names that differ only in case count once.
    static bool members(const QString& connection, QStringList* names, QString* error);
};
