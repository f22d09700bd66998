#include "schedule/OrderKeys.h"

#include <algorithm>

namespace {
// `text` followed by its last two characters `times` more times.
QString repeatLast(const QString& text, int times)
{
    if (times <= 0) {
        return text;
    }
    const QString last = text.right(2);
    QString key = text;
    key.reserve(text.size() + 2 * qsizetype(times));
    for (int i = 0; i < times; ++i) {
        key += last;
    }
    return key;
}
} // namespace

OrderKeys::OrderKeys()
{
    Node root;
    root.token = -1;
    m_nodes.push_back(root);
}

int OrderKeys::child(int parent, qint64 priority)
{
    const int token = int(std::clamp<qint64>(priority, 0, 99));
    const qint64 id = qint64(parent) * 128 + token;
    const auto found = m_index.constFind(id);
    if (found != m_index.cend()) {
        return *found;
    }
    Node node;
    node.parent = parent;
    node.token = token;
    node.depth = m_nodes[std::size_t(parent)].depth + 1;
    const int index = int(m_nodes.size());
    m_nodes.push_back(node);
    m_index.insert(id, index);
    return index;
}

void OrderKeys::finish()
{
    const std::size_t count = m_nodes.size();
    m_deepest = 0;
    for (const Node& node : m_nodes) {
        m_deepest = std::max(m_deepest, node.depth);
    }
    // A task's lengthened key repeats its last priority; where the tree goes on
    // below with that same priority, the key reads like that deeper path, so it
    // sorts (and ties) with the deepest node of the run of equal priorities.
    // Children always come after their parents, so one backward pass finds it.
    std::vector<int> taskEnd(count);
    for (std::size_t n = count; n-- > 0;) {
        taskEnd[n] = int(n);
        if (n == 0) {
            continue;
        }
        const auto same = m_index.constFind(qint64(n) * 128 + m_nodes[n].token);
        if (same != m_index.cend()) {
            taskEnd[n] = taskEnd[std::size_t(*same)];
        }
    }
    m_index = {};
    std::vector<int> lengthenedRank;
    rank(&m_plain, &lengthenedRank);
    m_byOrder.assign(2 * count, 0);
    for (std::size_t n = 0; n < count; ++n) {
        m_byOrder[std::size_t(m_plain[n])] = int(n);
        m_byOrder[std::size_t(lengthenedRank[n])] = ~int(n);
    }
    m_lengthened.resize(count);
    m_spelledNode.resize(count);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t end = std::size_t(taskEnd[n]);
        // Run out exactly at the deepest level, the lengthened key is that node's own key.
        m_lengthened[n] = n == 0 ? m_plain[0] : m_nodes[end].depth == m_deepest ? m_plain[end] : lengthenedRank[end];
        m_spelledNode[n] = m_nodes[n].depth <= kSpelledLevels ? int(n) : m_spelledNode[std::size_t(m_nodes[n].parent)];
    }
}

int OrderKeys::order(int node, bool lengthened) const
{
    return lengthened ? m_lengthened[std::size_t(node)] : m_plain[std::size_t(node)];
}

QString OrderKeys::spell(int node) const
{
    const int depth = m_nodes[std::size_t(node)].depth;
    QString text(1 + 2 * depth, QLatin1Char('0'));
    for (int n = node, at = 2 * depth - 1; n > 0; n = m_nodes[std::size_t(n)].parent, at -= 2) {
        const int token = m_nodes[std::size_t(n)].token;
        text[at] = QLatin1Char(char('0' + token / 10));
        text[at + 1] = QLatin1Char(char('0' + token % 10));
    }
    return text;
}

QString OrderKeys::spelledPart(int node) const
{
    const int s = m_spelledNode[std::size_t(node)];
    return repeatLast(spell(s), kSpelledLevels - m_nodes[std::size_t(s)].depth);
}

QString OrderKeys::text(int order) const
{
    const auto withRank = [order](const QString& spelled) -> QString {
        return spelled + QLatin1Char('~') + QStringLiteral("%1").arg(order, kRankDigits, 10, QLatin1Char('0'));
    };
    const int entry = m_byOrder[std::size_t(order)];
    if (entry >= 0) {
        return m_nodes[std::size_t(entry)].depth <= kSpelledLevels ? spell(entry) : withRank(spelledPart(entry));
    }
    // A lengthened key: every task whose key runs out at this node shares it.
    const int end = ~entry;
    if (m_deepest > kSpelledLevels) {
        return withRank(spelledPart(end));
    }
    return repeatLast(spell(end), m_deepest - m_nodes[std::size_t(end)].depth);
}

void OrderKeys::rank(std::vector<int>* plain, std::vector<int>* lengthenedRank) const
{
    const std::size_t count = m_nodes.size();
    std::vector<std::vector<int>> children(count);
    for (std::size_t n = 1; n < count; ++n) {
        children[std::size_t(m_nodes[n].parent)].push_back(int(n));
    }
    for (auto& list : children) {
        std::sort(list.begin(), list.end(), [this](int a, int b) {
            return m_nodes[std::size_t(a)].token < m_nodes[std::size_t(b)].token;
        });
    }
    plain->assign(count, 0);
    lengthenedRank->assign(count, 0);
    // Pre-order, children by priority: a key comes before the keys it is a prefix
    // of, and a lengthened key (this node's priority repeated) between the children
    // of lower and of higher priority.
    struct Frame
    {
        int node;
        std::size_t next;
        bool lengthenedDone;
    };
    int counter = 0;
    std::vector<Frame> stack;
    (*plain)[0] = counter++;
    stack.push_back({0, 0, false});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& node = m_nodes[std::size_t(frame.node)];
        const std::vector<int>& list = children[std::size_t(frame.node)];
        if (frame.next < list.size()) {
            const int next = list[frame.next];
            if (!frame.lengthenedDone && m_nodes[std::size_t(next)].token > node.token) {
                (*lengthenedRank)[std::size_t(frame.node)] = counter++;
                frame.lengthenedDone = true;
            }
            ++frame.next;
            (*plain)[std::size_t(next)] = counter++;
            stack.push_back({next, 0, false});
            continue;
        }
        if (!frame.lengthenedDone) {
            (*lengthenedRank)[std::size_t(frame.node)] = counter++;
        }
        stack.pop_back();
    }
}
