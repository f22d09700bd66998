#pragma once

#include <QString>

// One field of a CSV line (RFC 4180 quoting), for the report and chart exports.
// Display-free.
class CsvField
{
public:
    // Text from the project (names, paths, statuses, stored stamps): quoted when it
    // holds a comma, a quote, a line break or edge spaces. A spreadsheet evaluates a
    // cell that starts with =, +, - or @ (and, in some, TAB or CR) as a formula, some
    // after trimming leading spaces, which a name written by anyone could abuse; such
    // text gets a leading apostrophe so that it shows as the text it is. Numbers the program formats itself are written
    // as they are, without this function, so a negative number stays a number.
    static QString text(const QString& text);
};
