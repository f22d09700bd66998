#pragma once

#include <QWidget>
#include <array>
#include <optional>

// The six causes of one date's change as a small horizontal bar chart: one bar per
// cause, to the right for a later date, to the left for an earlier one, all on one
// scale, each labelled with its days. UI thread only.
class CauseBars : public QWidget
{
    Q_OBJECT

public:
    explicit CauseBars(QWidget* parent = nullptr);

    // Shares in seconds, or none (the row is not explained): the bars are cleared.
    void setShares(const std::optional<std::array<qint64, 6>>& shares);
    const std::optional<std::array<qint64, 6>>& shares() const { return m_shares; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<std::array<qint64, 6>> m_shares;
};
