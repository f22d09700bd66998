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
    // The stamp as the user's locale shows dates and times.
    static QString toDisplay(const QString& storedText);
};
