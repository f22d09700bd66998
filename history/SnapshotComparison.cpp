#include "history/SnapshotComparison.h"

#include "history/ScheduleReplay.h"

#include <QHash>
#include <cmath>

namespace {
// Identity of a row across snapshots: kind, goal or task number, and for an
// assignment its member as a number (one per member, whatever the letter case).
struct RowKey
{
    SnapshotRow::Kind kind;
    qint64 id;
    int member;

    bool operator==(const RowKey& o) const { return kind == o.kind && id == o.id && member == o.member; }
};

size_t qHash(const RowKey& k, size_t seed = 0)
{
    return qHashMulti(seed, int(k.kind), k.id, k.member);
}

// Numbers members by their folded names, folding each spelling once.
class MemberNumbers
{
public:
    int of(const QString& name)
    {
        const auto known = m_bySpelling.constFind(name);
        if (known != m_bySpelling.constEnd()) {
            return *known;
        }
        const QString key = MemberName::key(name);
        const int number = m_byKey.value(key, int(m_byKey.size()));
        m_byKey.insert(key, number);
        m_bySpelling.insert(name, number);
        return number;
    }

private:
    QHash<QString, int> m_bySpelling;
    QHash<QString, int> m_byKey;
};

RowKey keyOf(const SnapshotState& side, std::size_t i, MemberNumbers& members)
{
    const SnapshotRow& row = side.rows[i];
    switch (row.kind) {
    case SnapshotRow::Kind::Root:
        return {row.kind, 0, -1};
    case SnapshotRow::Kind::Assignment:
        return {row.kind, side.parentIds[i], members.of(row.memberText())};
    default:
        return {row.kind, row.gtId, -1};
    }
}

bool differs(double x, double y)
{
    return !(x == y || (std::isnan(x) && std::isnan(y)));
}

// A task's key is lengthened to its snapshot's deepest level, which moves with
// other parts of the tree: only the part its own levels spell tells its place.
QString ownKey(const SnapshotState& side, int i)
{
    const QString& key = side.keys[std::size_t(i)];
    const qsizetype own = 1 + 2 * qsizetype(std::max(0, side.rows[std::size_t(i)].depth));
    return key.contains(QLatin1Char('~')) || key.size() <= own ? key : key.left(own);
}

const char* const kFlagWords[] = {"added",
                                  "removed",
                                  "status",
                                  "replanned",
                                  "progressed",
                                  "requeued",
                                  "moved",
                                  "undated",
                                  "hours-unknown",
                                  "unexplained"};
} // namespace

QString SnapshotComparison::flagWords(unsigned flags)
{
    QStringList words;
    for (int i = 0; i < int(std::size(kFlagWords)); ++i) {
        if (flags & (1u << i)) {
            words << QLatin1String(kFlagWords[i]);
        }
    }
    return words.join(QLatin1Char(' '));
}

void SnapshotComparison::match()
{
    const std::vector<SnapshotRow>& rowsA = m_a->rows;
    const std::vector<SnapshotRow>& rowsB = m_b->rows;
    MemberNumbers members;
    QHash<RowKey, int> inA;
    inA.reserve(qsizetype(rowsA.size()));
    for (std::size_t i = 0; i < rowsA.size(); ++i) {
        inA.insert(keyOf(*m_a, i, members), int(i));
    }
    m_bToA.assign(rowsB.size(), -1);
    std::vector<char> aMatched(rowsA.size(), 0);
    for (std::size_t j = 0; j < rowsB.size(); ++j) {
        const auto found = inA.constFind(keyOf(*m_b, j, members));
        if (found != inA.constEnd() && !aMatched[std::size_t(*found)]) {
            m_bToA[j] = *found;
            aMatched[std::size_t(*found)] = 1;
        }
    }
    // Rows only in A follow the row that preceded them in A's outline (read from the
    // highest HTreeSort down): the last one before them that B has, or the previous
    // removed one.
    std::vector<std::vector<int>> removedAfter(rowsB.size());
    std::vector<int> aToB(rowsA.size(), -1);
    for (std::size_t j = 0; j < rowsB.size(); ++j) {
        if (m_bToA[j] >= 0) {
            aToB[std::size_t(m_bToA[j])] = int(j);
        }
    }
    std::vector<int> leading; // removed rows before any row B has
    int anchor = -1;
    for (int i = int(rowsA.size()) - 1; i >= 0; --i) {
        if (aToB[std::size_t(i)] >= 0) {
            anchor = aToB[std::size_t(i)];
        } else if (anchor >= 0) {
            removedAfter[std::size_t(anchor)].push_back(i);
        } else {
            leading.push_back(i);
        }
    }
    m_rows.clear();
    m_rows.reserve(rowsA.size() + rowsB.size());
    const auto add = [this](int a, int b) {
        const SnapshotRow& r = b >= 0 ? m_b->rows[std::size_t(b)] : m_a->rows[std::size_t(a)];
        Row row;
        row.kind = r.kind;
        const qint64 parentId = b >= 0 ? m_b->parentIds[std::size_t(b)] : m_a->parentIds[std::size_t(a)];
        row.id = r.kind == SnapshotRow::Kind::Assignment ? parentId : r.gtId;
        row.member = r.memberText();
        row.name = b >= 0 ? m_b->names[std::size_t(b)] : m_a->names[std::size_t(a)];
        row.depth = r.depth;
        row.a = a;
        row.b = b;
        m_rows.push_back(std::move(row));
    };
    for (int i : leading) {
        add(i, -1);
    }
    for (int j = int(rowsB.size()) - 1; j >= 0; --j) {
        add(m_bToA[std::size_t(j)], j);
        for (int i : removedAfter[std::size_t(j)]) {
            add(i, -1);
        }
    }
}

void SnapshotComparison::judge(Row& row) const
{
    const SnapshotRow* a = row.a >= 0 ? &m_a->rows[std::size_t(row.a)] : nullptr;
    const SnapshotRow* b = row.b >= 0 ? &m_b->rows[std::size_t(row.b)] : nullptr;
    if (a) {
        row.dateA = a->completion;
    }
    if (b) {
        row.dateB = b->completion;
    }
    if (!a) {
        row.flags |= Added;
    }
    if (!b) {
        row.flags |= Removed;
    }
    if ((a && a->completion == SnapshotRow::kNoDate) || (b && b->completion == SnapshotRow::kNoDate)) {
        row.flags |= Undated;
    }
    if (!a || !b) {
        return;
    }
    if (a->statusText() != b->statusText()) {
        row.flags |= StatusChanged;
    }
    if (differs(a->planned, b->planned)) {
        row.flags |= Replanned;
    }
    if (differs(a->perComp, b->perComp) || differs(a->needed, b->needed)) {
        row.flags |= Progressed;
    }
    if (row.kind != SnapshotRow::Kind::Root && ownKey(*m_a, row.a) != ownKey(*m_b, row.b)) {
        row.flags |= Requeued;
    }
    if (row.kind != SnapshotRow::Kind::Root &&
        m_a->parentIds[std::size_t(row.a)] != m_b->parentIds[std::size_t(row.b)]) {
        row.flags |= Moved;
    }
}

bool SnapshotComparison::compare(const SnapshotState& a, const SnapshotState& b, QString* error)
{
    m_a = &a;
    m_b = &b;
    match();
    m_replay = std::make_unique<ScheduleReplay>(a, b, m_bToA);
    ScheduleReplay& replay = *m_replay;
    if (!replay.run(error)) {
        return false;
    }
    const bool hoursKnown = replay.hoursKnown();
    for (Row& row : m_rows) {
        judge(row);
        if (!row.datedInBoth()) {
            continue;
        }
        std::array<qint64, ScheduleReplay::kSteps> at{};
        bool dated = true;
        for (int step = 0; step < ScheduleReplay::kSteps; ++step) {
            at[std::size_t(step)] = replay.date(step, step < ScheduleReplay::Scope ? row.a : row.b);
            dated = dated && at[std::size_t(step)] != SnapshotRow::kNoDate;
        }
        if (!hoursKnown) {
            row.flags |= HoursUnknown;
        }
        // With the hours known the replay must land on both stored dates; when it does
        // not (a snapshot another program wrote or changed), no share is claimed.
        const bool reproduced = !hoursKnown || (at[0] == row.dateA && at[ScheduleReplay::Progress] == row.dateB);
        if (!dated || !reproduced) {
            row.flags |= Unexplained;
            continue;
        }
        row.explained = true;
        for (int c = 0; c < kCauses; ++c) {
            row.causes[std::size_t(c)] = at[std::size_t(c + 1)] - at[std::size_t(c)];
        }
    }
    return true;
}

std::vector<LargestChanges::Change> SnapshotComparison::largestChanges(int row, int count) const
{
    const Row& r = m_rows[std::size_t(row)];
    return LargestChanges::of(*m_replay, r.a, r.b, count);
}

QString SnapshotComparison::causeName(int cause)
{
    static const char* const names[kCauses] = {
        "Time passed", "Working hours", "Scope", "Queue", "Re-planning", "Progress"};
    return QLatin1String(names[cause]);
}
