#pragma once

#include "charts/ChartSource.h"

#include <QList>
#include <QString>
#include <QVariantList>

// One node of a chart tree as the filter sees it. Goal-tree tags are "ROOT",
// "G<goal id>", "T<task id>" and "R<member name>" (whose parent is the task
// node "T<task id>"); member-tree nodes carry the member's name, the root "MTEAM".
struct ChartTreeNode
{
    QString tag;
    QString parentTag;
    bool ticked = false;
    bool topLevel = false;
};

// The choice of series: one term per ticked node. Identifiers
// and names are bound values, never part of the statement text, so any name
// (quotes included) works. Empty means nothing is chosen. Display-free.
class ChartFilter
{
public:
    enum class Kind { Root, Goal, Task, Assignment, Member };
    struct Term
    {
        Kind kind = Kind::Root;
        qint64 id = 0; // goal or task id; the parent task's id for an assignment
        QString member; // assignment and member terms
        bool operator==(const Term& other) const = default;
    };

    // Builds the filter from the nodes of the visible tree, in node order. A
    // ticked root of the member tree stands for no member: its tick is cleared
    // in `nodes` and it adds no term. Nodes whose tag does not parse add nothing.
    static ChartFilter BuildChartFilter(ChartSource source, QList<ChartTreeNode>* nodes);

    bool isEmpty() const { return m_terms.isEmpty(); }
    const QList<Term>& terms() const { return m_terms; }
    void add(const Term& term) { m_terms.append(term); }

    // The condition over CompDates (goal terms) or CompDatesRes (member terms)
    // with one placeholder per bound value; values() gives them in order. Terms
    // of one kind share one IN list, so any number of nodes makes a shallow
    // condition (bounded by SQLite's number of bound values, 32,766 or more).
    QString sql() const;
    QVariantList values() const;

    bool operator==(const ChartFilter& other) const = default;

private:
    QList<Term> m_terms;
};
