#include "schedule/OrderKeys.h"

#include <algorithm>

namespace {
QString twoDigits(int token)
{
    return QStringLiteral("%1").arg(token, 2, 10, QLatin1Char('0'));
}

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
    root.text = QStringLiteral("0");
    m_nodes.push_back(std::move(root));
}

int OrderKeys::child(int parent, qint64 priority)
{
    const int token = int(std::clamp<qint64>(priority, 0, 99));
    const qint64 id = qint64(parent) * 128 + token;
    const auto found = m_index.constFind(id);
    if (found != m_index.cend()) {
        return *found;
    }
    const Node& up = m_nodes[std::size_t(parent)];
    Node node;
    node.parent = parent;
    node.token = token;
    node.depth = up.depth + 1;
    if (node.depth <= kSpelledLevels) {
        node.text = up.text + twoDigits(token);
    }
    const int index = int(m_nodes.size());
    m_nodes.push_back(std::move(node));
    m_index.insert(id, index);
    return index;
}

std::vector<QString> OrderKeys::keys(const std::vector<int>& nodes, const std::vector<char>& lengthened) const
{
    int deepest = 0;
    for (int node : nodes) {
        deepest = std::max(deepest, depth(node));
    }
    const std::size_t count = m_nodes.size();
    std::vector<QString> plainKey(count);
    std::vector<QString> longKey(count);
    std::vector<QString> result(nodes.size());

    if (deepest <= kSpelledLevels) {
        // Every key is spelled out in full.
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const std::size_t n = std::size_t(nodes[i]);
            const Node& node = m_nodes[n];
            if (lengthened[i] && node.depth > 0) {
                if (longKey[n].isNull()) {
                    longKey[n] = repeatLast(node.text, deepest - node.depth);
                }
                result[i] = longKey[n];
            } else {
                result[i] = node.text;
            }
        }
        return result;
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
    std::vector<int> plainRank;
    std::vector<int> lengthenedRank;
    rank(&plainRank, &lengthenedRank);
    // The node each deeper key is spelled to.
    std::vector<int> spelledNode(count);
    for (std::size_t n = 0; n < count; ++n) {
        spelledNode[n] = m_nodes[n].depth <= kSpelledLevels ? int(n) : spelledNode[std::size_t(m_nodes[n].parent)];
    }
    auto spelled = [&](std::size_t n) -> QString {
        const Node& s = m_nodes[std::size_t(spelledNode[n])];
        return repeatLast(s.text, kSpelledLevels - s.depth);
    };

    auto withRank = [](const QString& spelledPart, int rank) -> QString {
        return spelledPart + QLatin1Char('~') + QStringLiteral("%1").arg(rank, kRankDigits, 10, QLatin1Char('0'));
    };
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::size_t n = std::size_t(nodes[i]);
        const Node& node = m_nodes[n];
        if (lengthened[i] && node.depth > 0) {
            if (longKey[n].isNull()) {
                const std::size_t end = std::size_t(taskEnd[n]);
                // Run out exactly at the deepest level, the lengthened key is that node's own key.
                const int rank = m_nodes[end].depth == deepest ? plainRank[end] : lengthenedRank[end];
                longKey[n] = withRank(spelled(n), rank);
            }
            result[i] = longKey[n];
        } else {
            if (plainKey[n].isNull()) {
                plainKey[n] = node.depth <= kSpelledLevels ? node.text : withRank(spelled(n), plainRank[n]);
            }
            result[i] = plainKey[n];
        }
    }
    return result;
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
