#pragma once

#include <QHash>
#include <QString>
#include <vector>

// The order keys (Completion_Order) of one snapshot, kept bounded at any depth.
//
// A key spells "0" and then each level's priority as two digits, so text order is
// priority order from the top down; a task's key is lengthened to the snapshot's
// deepest level by repeating its last two digits. Only the rows of the snapshot
// being written decide that length. A key that would be longer than kSpelledLevels
// levels (1 + 2 * kSpelledLevels characters) keeps those first characters and ends
// in "~" and a fixed-width rank among all of the snapshot's keys. Keys of one
// snapshot therefore compare (text order and equality) exactly as their full
// spelling would, and none is longer than kMaxLength characters.
//
// Equal priority paths share one node, so any tree costs one node per distinct
// path. Nothing here recurses.
class OrderKeys
{
public:
    static constexpr int kSpelledLevels = 32;
    static constexpr int kRankDigits = 10;
    static constexpr int kMaxLength = 1 + 2 * kSpelledLevels + 1 + kRankDigits;

    OrderKeys();

    // The node of the root ("0").
    static constexpr int root() { return 0; }
    // The node one level below `parent` for `priority` (outside 0..99, which only
    // another tool can write, counts as the nearer bound).
    int child(int parent, qint64 priority);
    int depth(int node) const { return m_nodes[std::size_t(node)].depth; }

    // The stored keys: `nodes[i]` is the node of row i, `lengthened[i]` tells a task
    // row whose key is lengthened to the deepest level of `nodes`.
    std::vector<QString> keys(const std::vector<int>& nodes, const std::vector<char>& lengthened) const;

private:
    struct Node
    {
        int parent = -1;
        int token = 0; // the priority this level adds
        int depth = 0;
        QString text; // the spelled key, for nodes down to kSpelledLevels
    };

    // Text order of every key as a rank: `plain[n]` for the key of node n itself,
    // `lengthenedRank[n]` for the tasks whose lengthened key runs out at node n.
    void rank(std::vector<int>* plain, std::vector<int>* lengthenedRank) const;

    std::vector<Node> m_nodes;
    QHash<qint64, int> m_index; // (parent, token) -> node
};
