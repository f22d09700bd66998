#pragma once

#include <QtGlobal>

// Rounding as the program shows and converts numbers: halves go to the even
// neighbour. Values that are a half only up to binary representation error
// (2.675 stored as 2.67499999...) still count as halves.
class Rounding
{
public:
    static double halfEven(double value, int decimals);
    // Out of range saturates and NaN gives 0; where an unknown figure matters,
    // check Figure::isKnown first.
    static qint64 toInteger(double value);
};
