#include "schedule/SnapshotPath.h"

#include "schedule/SnapshotRow.h"

SnapshotPath SnapshotPath::child(const QString& name) const
{
    // The start names the top of the tree, the end the nearest levels.
    constexpr qsizetype kHead = 64;
    constexpr qsizetype kTail = SnapshotRow::kMaxPathLength - kHead - 1;
    SnapshotPath path;
    if (!elided && text.size() + 1 + name.size() <= SnapshotRow::kMaxPathLength) {
        path.text = text + QLatin1Char('\\') + name;
        return path;
    }
    path.elided = true;
    QString head = elided ? text.left(kHead) : QString(text + QLatin1Char('\\') + name.left(kHead)).left(kHead);
    QString tail;
    if (name.size() >= kTail) {
        tail = name.right(kTail);
    } else {
        const QString before = elided ? text.right(kTail) : text;
        tail = before.right(kTail - 1 - name.size()) + QLatin1Char('\\') + name;
    }
    // Never half a character at a cut.
    if (!head.isEmpty() && head.back().isHighSurrogate()) {
        head.chop(1);
    }
    if (!tail.isEmpty() && tail.front().isLowSurrogate()) {
        tail.remove(0, 1);
    }
    path.text = head + QChar(0x2026) + tail;
    return path;
}
