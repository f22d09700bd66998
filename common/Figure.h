#pragma once

#include <QVariant>
#include <cmath>
#include <limits>
#include <optional>

// A figure of a project (days, percentages, fractions of a plan) as the program
// reads, computes and shows it. Other tools may write anything into the file:
// NaN, ±Inf, 1e308, negative planned days, text. Such a figure is unknown: NaN
// in memory, so every sum and estimate made from it is unknown too; shown as
// empty text, stored as NULL, and never given a colour that judges it.
class Figure
{
public:
    // Below a trillion, a figure keeps the two decimals the lists and reports
    // show within the 15 significant digits they print, and sums of thousands
    // of them stay far inside the whole numbers a double holds exactly.
    static constexpr double kLimit = 1e12;
    static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

    // Finite and of a magnitude below kLimit (false for NaN and ±Inf).
    static bool isKnown(double value) { return std::fabs(value) < kLimit; }
    // The value when it is known, kUnknown otherwise.
    static double checked(double value) { return isKnown(value) ? value : kUnknown; }
    // A figure that cannot be negative, such as planned days.
    static double nonNegative(double value) { return value >= 0 ? checked(value) : kUnknown; }

    // A value read from the database: NULL, text or a blob in a number column
    // is unknown, as is a number that is not known. Inline: the roll-ups read
    // hundreds of thousands of them.
    static double fromVariant(const QVariant& value)
    {
        if (value.typeId() == QMetaType::Double && !value.isNull()) {
            return checked(*static_cast<const double*>(value.constData()));
        }
        return fromOtherVariant(value);
    }
    // A whole number read from the database (a completion order, a priority);
    // empty when it is NULL, not a whole number, or not known.
    static std::optional<qint64> wholeFromVariant(const QVariant& value);

private:
    static double fromOtherVariant(const QVariant& value);
};
