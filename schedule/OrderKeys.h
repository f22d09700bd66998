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
// path. A large snapshot holds no key text: rows hold a key's place in text order
// (order()), and the text is spelled only when the row is written (text()).
// Nothing here recurses.
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
    // another tool can write, counts as the nearer bound). Only before finish().
    int child(int parent, qint64 priority);
    int depth(int node) const { return m_nodes[std::size_t(node)].depth; }

    // Fixes the order of every key once all nodes are made; the deepest node sets
    // the length of lengthened keys.
    void finish();
    // The place in text order of the key of `node`, or with `lengthened` of a task's
    // lengthened key: keys compare as their places do, and equal keys share one.
    // Only after finish().
    int order(int node, bool lengthened) const;
    // The stored text of the key at `order`. Only after finish().
    QString text(int order) const;

private:
    struct Node
    {
        int parent = -1;
        int token = 0; // the priority this level adds
        int depth = 0;
    };

    // Text order of every key as a rank: `plain[n]` for the key of node n itself,
    // `lengthenedRank[n]` for the tasks whose lengthened key runs out at node n.
    void rank(std::vector<int>* plain, std::vector<int>* lengthenedRank) const;
    // "0" and the tokens down to `node` (at most kSpelledLevels deep).
    QString spell(int node) const;
    // The first kSpelledLevels levels of a key running through `node`.
    QString spelledPart(int node) const;

    std::vector<Node> m_nodes;
    QHash<qint64, int> m_index; // (parent, token) -> node; dropped by finish()
    int m_deepest = 0;
    std::vector<int> m_plain; // per node: order of its own key
    std::vector<int> m_lengthened; // per node: order of its lengthened key
    std::vector<int> m_spelledNode; // per node: its ancestor at kSpelledLevels, or itself above
    std::vector<int> m_byOrder; // per order: its node, or ~node for a lengthened key running out there
};
