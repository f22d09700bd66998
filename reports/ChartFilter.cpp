#include "reports/ChartFilter.h"

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

QString ChartFilter::sql() const
{
    QStringList parts;
    for (const Term& term : m_terms) {
        switch (term.kind) {
        case Kind::Root:
            parts << QStringLiteral("(OBJ = 'G' AND GT_ID = 0)");
            break;
        case Kind::Goal:
            parts << QStringLiteral("(OBJ = 'G' AND GT_ID = ?)");
            break;
        case Kind::Task:
            parts << QStringLiteral("(OBJ = 'T' AND GT_ID = ?)");
            break;
        case Kind::Assignment:
            // '+': the member's rows (Res index) are far fewer than all assignment rows.
            parts << QStringLiteral("(+OBJ = 'R' AND Res = ? AND GT_Parent_ID = ?)");
            break;
        case Kind::Member:
            parts << QStringLiteral("(Res = ?)");
            break;
        }
    }
    return parts.join(QStringLiteral(" OR "));
}

QVariantList ChartFilter::values() const
{
    QVariantList values;
    for (const Term& term : m_terms) {
        switch (term.kind) {
        case Kind::Root:
            break;
        case Kind::Goal:
        case Kind::Task:
            values << term.id;
            break;
        case Kind::Assignment:
            values << term.member << term.id;
            break;
        case Kind::Member:
            values << term.member;
            break;
        }
    }
    return values;
}
