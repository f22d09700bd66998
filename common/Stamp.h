#pragma once

#include <QDateTime>
#include <QString>

// Dates and times as stored in the project file: TEXT "YYYY-MM-DD HH:MM:SS",
// naive local wall-clock time that no time-zone rule ever shifts.
class Stamp
{
public:
    static QString toText(const QDateTime& t);
    // Returns an invalid QDateTime for text that is not a stored stamp.
    static QDateTime fromText(const QString& text);
    // An SQL condition, true exactly when `column` holds text that fromText()
    // accepts: SQLite normalises an impossible date or time (30 February,
    // 24:00:00) and gives NULL for what it cannot read, so only a stamp in the
    // stored form survives the round trip. Other tools may write anything there.
    static QString sqlIsStamp(const QString& column);
    // The stamp as the user's locale shows dates and times.
    static QString toDisplay(const QString& storedText);
};
