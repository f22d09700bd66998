#include "charts/ChartFilter.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

const QString kGoalRoot = QStringLiteral("ROOT");

// The number after the type letter of a goal-tree tag; nullopt when it is not one.
std::optional<qint64> idOf(const QString& tag)
{
    bool ok = false;
    const qint64 id = tag.mid(1).toLongLong(&ok);
    return ok && tag.size() > 1 ? std::optional<qint64>(id) : std::nullopt;
}

std::optional<ChartFilter::Term> goalTreeTerm(const ChartTreeNode& node)
{
    using Kind = ChartFilter::Kind;
    if (node.tag == kGoalRoot) {
        return ChartFilter::Term{Kind::Root, 0, {}};
    }
    const QChar type = node.tag.isEmpty() ? QChar() : node.tag.at(0);
    if (type == QLatin1Char('G') || type == QLatin1Char('T')) {
        const auto id = idOf(node.tag);
        if (!id) {
            return std::nullopt;
        }
        return ChartFilter::Term{type == QLatin1Char('G') ? Kind::Goal : Kind::Task, *id, {}};
    }
    if (type == QLatin1Char('R')) {
        // An assignment row carries no GT_ID of its own: it is known by member and task.
        const auto task = node.parentTag.startsWith(QLatin1Char('T')) ? idOf(node.parentTag) : std::nullopt;
        if (!task || node.tag.size() < 2) {
            return std::nullopt;
        }
        return ChartFilter::Term{Kind::Assignment, *task, node.tag.mid(1)};
    }
    return std::nullopt;
}

} // namespace

ChartFilter ChartFilter::BuildChartFilter(ChartSource source, QList<ChartTreeNode>* nodes)
{
    ChartFilter filter;
    if (!nodes) {
        return filter;
    }
    for (ChartTreeNode& node : *nodes) {
        if (!node.ticked) {
            continue;
        }
        if (source == ChartSource::Goals) {
            if (const auto term = goalTreeTerm(node)) {
                filter.add(*term);
            }
        } else if (node.topLevel) {
            node.ticked = false;
        } else {
            filter.add(Term{Kind::Member, 0, node.tag});
        }
    }
    return filter;
}

namespace {

// The terms grouped for the statement: one condition per kind, and one per member
// or per task for assignments, each with an IN list, so that the statement's size and depth do
// not grow with the number of ticked nodes (SQLite refuses an expression deeper
// than 1,000 levels) while every group still reaches its rows through an index.
struct Groups
{
    bool root = false;
    QVariantList goals;
    QVariantList tasks;
    QVariantList members;
    // Assignments by member ("Res = ? AND GT_Parent_ID IN (...)") or by task ("GT_Parent_ID
    // = ? AND Res IN (...)"), whichever makes fewer groups: from about 2,500 groups on,
    // SQLite plans a scan of all snapshot rows instead of one index search per group.
    bool assignmentsByMember = true;
    QList<std::pair<QVariant, QVariantList>> assignments;
};

Groups groupsOf(const QList<ChartFilter::Term>& terms)
{
    using Kind = ChartFilter::Kind;
    Groups g;
    QList<const ChartFilter::Term*> pairs;
    for (const ChartFilter::Term& term : terms) {
        switch (term.kind) {
        case Kind::Root:
            g.root = true;
            break;
        case Kind::Goal:
            g.goals << term.id;
            break;
        case Kind::Task:
            g.tasks << term.id;
            break;
        case Kind::Assignment:
            pairs << &term;
            break;
        case Kind::Member:
            g.members << term.member;
            break;
        }
    }
    QSet<QString> members;
    QSet<qint64> tasks;
    for (const ChartFilter::Term* pair : pairs) {
        members.insert(pair->member);
        tasks.insert(pair->id);
    }
    g.assignmentsByMember = members.size() <= tasks.size();
    QHash<QString, qsizetype> groupOf; // member or task -> index in g.assignments, in order of first appearance
    for (const ChartFilter::Term* pair : pairs) {
        const QString key = g.assignmentsByMember ? pair->member : QString::number(pair->id);
        auto it = groupOf.constFind(key);
        if (it == groupOf.constEnd()) {
            it = groupOf.insert(key, g.assignments.size());
            g.assignments.append({g.assignmentsByMember ? QVariant(pair->member) : QVariant(pair->id), {}});
        }
        g.assignments[*it].second << (g.assignmentsByMember ? QVariant(pair->id) : QVariant(pair->member));
    }
    return g;
}

QString marks(qsizetype count)
{
    return QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
}

// "a OR b OR c ..." nests one level per term; joined in pairs, then pairs of pairs,
// it nests log2(n) levels, and SQLite still sees one flat list of alternatives.
QString balancedOr(QStringList parts)
{
    while (parts.size() > 1) {
        QStringList joined;
        for (qsizetype i = 0; i < parts.size(); i += 2) {
            joined << (i + 1 < parts.size() ? QStringLiteral("(%1 OR %2)").arg(parts.at(i), parts.at(i + 1))
                                            : parts.at(i));
        }
        parts = joined;
    }
    return parts.value(0);
}

} // namespace

QString ChartFilter::sql() const
{
    const Groups g = groupsOf(m_terms);
    QStringList parts;
    if (g.root) {
        parts << QStringLiteral("(OBJ = 'G' AND GT_ID = 0)");
    }
    if (!g.goals.isEmpty()) {
        parts << QStringLiteral("(OBJ = 'G' AND GT_ID IN (%1))").arg(marks(g.goals.size()));
    }
    if (!g.tasks.isEmpty()) {
        parts << QStringLiteral("(OBJ = 'T' AND GT_ID IN (%1))").arg(marks(g.tasks.size()));
    }
    // '+': the Res index finds an assignment's rows, far fewer than all assignment rows.
    // (A list of (Res, GT_Parent_ID) pairs would use only the index's first column:
    // this SQLite does not match a NOCASE column to a pair list on both.)
    const QString assignment = g.assignmentsByMember
        ? QStringLiteral("(+OBJ = 'R' AND Res = ? AND GT_Parent_ID IN (%1))")
        : QStringLiteral("(+OBJ = 'R' AND GT_Parent_ID = ? AND Res IN (%1))");
    for (const auto& group : g.assignments) {
        parts << assignment.arg(marks(group.second.size()));
    }
    if (!g.members.isEmpty()) {
        parts << QStringLiteral("(Res IN (%1))").arg(marks(g.members.size()));
    }
    return balancedOr(parts);
}

QVariantList ChartFilter::values() const
{
    const Groups g = groupsOf(m_terms);
    QVariantList values = g.goals + g.tasks;
    for (const auto& group : g.assignments) {
        values << group.first;
        values += group.second;
    }
    return values + g.members;
}
