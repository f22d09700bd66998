#include "charts/ChartColours.h"

#include "charts/ChartPivot.h"

QList<int> ChartColours::assign(ChartSource source, const QStringList& series)
{
    QList<QString> keys;
    QList<bool> used(kCount, false);
    for (const QString& name : series) {
        keys << ChartPivot::seriesKey(source, name);
        if (const auto it = m_index.constFind(keys.last()); it != m_index.constEnd()) {
            used[*it] = true;
        }
    }
    QList<int> indexes;
    for (const QString& key : keys) {
        auto it = m_index.constFind(key);
        if (it == m_index.constEnd()) {
            int index = m_handedOut % kCount;
            if (m_handedOut >= kCount) {
                for (int i = 0; i < kCount; ++i) {
                    if (!used.at(i)) {
                        index = i;
                        break;
                    }
                }
            }
            ++m_handedOut;
            used[index] = true;
            it = m_index.insert(key, index);
        }
        indexes << *it;
    }
    return indexes;
}

quint32 ChartColours::rgb(int index)
{
    static const quint32 palette[kCount] = {
        0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22};
    return palette[((index % kCount) + kCount) % kCount];
}
