#include "common/Stamp.h"

#include <QLocale>
#include <QTimeZone>

namespace {
const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QString Stamp::toText(const QDateTime& t)
{
    return t.toString(kFormat);
}

QDateTime Stamp::fromText(const QString& text)
{
    // UTC serves only as a calendar without gaps or repeats: stored values are naive
    // wall-clock times, so no daylight-saving rule may touch them.
    if (text.size() != 19 || text.at(10) != QLatin1Char(' ')) {
        return {};
    }
    const QDate d = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime t = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (!d.isValid() || !t.isValid()) {
        return {};
    }
    return QDateTime(d, t, QTimeZone::utc());
}

QString Stamp::sqlIsStamp(const QString& column)
{
    // "IS TRUE": a NULL from datetime() counts as false, also under NOT.
    return QStringLiteral("((datetime(%1, '+0 seconds') = %1) IS TRUE)").arg(column);
}

QString Stamp::toDisplay(const QString& storedText)
{
    const QDateTime t = fromText(storedText);
    if (!t.isValid()) {
        return storedText;
    }
    return QLocale::system().toString(QDateTime(t.date(), t.time()), QLocale::ShortFormat);
}
