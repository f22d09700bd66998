#include "charts/ICalendar.h"

#include "common/Figure.h"
#include "common/Stamp.h"
#include "db/ProjectRecords.h"
#include "reports/ExportFile.h"
#include "schedule/MemberCalendar.h"

#include <QSet>
#include <QStringList>
#include <QUrl>

namespace {
constexpr int kLineOctets = 75;

QByteArray property(const char* name, const QString& value)
{
    return ICalendar::fold(QByteArray(name) + ':' + value.toUtf8());
}

// Floating local time: "20260302T090000".
QString localTime(qint64 moment)
{
    return MemberCalendar::fromSeconds(moment).toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

// The figures a row holds, each left out when another tool stored a value that is not
// a number the program could have written.
QString figures(const Timeline::Bar& bar)
{
    QStringList parts;
    const auto add = [&parts](double value, int decimals, const QString& form) {
        if (Figure::isKnown(value)) {
            parts << form.arg(QString::number(value, 'f', decimals));
        }
    };
    add(bar.planned, 2, QStringLiteral("planned %1 d"));
    add(bar.perComp, 0, QStringLiteral("%1 % done"));
    add(bar.needed, 2, QStringLiteral("%1 d used"));
    add(bar.est, 2, QStringLiteral("new estimate %1 d"));
    add(bar.remainingHours(), 1, QStringLiteral("%1 h remaining"));
    return parts.join(QStringLiteral(", "));
}

QString description(const Timeline& timeline, const Timeline::Bar& bar)
{
    const QString goal = bar.goalPath.isEmpty() ? QStringLiteral("\\") : bar.goalPath;
    // One pass: a name holding "%1" stays as it is.
    return QStringLiteral("Goal: %1\nTask %2: %3\n%4\nSnapshot of %5")
        .arg(goal, QString::number(bar.taskId), bar.taskName, figures(bar), timeline.stamp());
}
} // namespace

QString ICalendar::escapeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CRLF is one break.
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            out += QLatin1String("\\n");
        } else if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray ICalendar::fold(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / kLineOctets * 3 + 2);
    qsizetype at = 0;
    int room = kLineOctets;
    while (line.size() - at > room) {
        qsizetype cut = at + room;
        // Back up to the first octet of a UTF-8 sequence.
        while (cut > at && (uchar(line.at(cut)) & 0xC0) == 0x80) {
            --cut;
        }
        out += line.mid(at, cut - at);
        out += "\r\n ";
        at = cut;
        room = kLineOctets - 1; // after the leading space
    }
    out += line.mid(at);
    out += "\r\n";
    return out;
}

bool ICalendar::memberCalendar(const Timeline& timeline, const QString& member, QByteArray* out, QString* error)
{
    const Timeline::Lane* lane = timeline.lane(member);
    if (!lane) {
        if (error) {
            *error = QStringLiteral("the snapshot %1 has no member \"%2\"").arg(timeline.stamp(), member);
        }
        return false;
    }
    // A calendar holds at least one component: an empty file is no calendar.
    if (lane->bars.empty()) {
        if (error) {
            *error =
                QStringLiteral("\"%1\" has no scheduled work in the snapshot %2").arg(lane->member, timeline.stamp());
        }
        return false;
    }
    // DTSTAMP is UTC: the snapshot's wall-clock moment as this machine's local time.
    const QDateTime stamp = Stamp::fromText(timeline.stamp());
    const QString dtstamp = stamp.isValid() ? stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))
                                            : QStringLiteral("19700101T000000Z");
    const QString memberKey = QString::fromLatin1(QUrl::toPercentEncoding(MemberName::key(lane->member)));
    QByteArray ics;
    ics += "BEGIN:VCALENDAR\r\n";
    ics += "VERSION:2.0\r\n";
    ics += "PRODID:-//Cairnwork//Timeline//EN\r\n";
    ics += "CALSCALE:GREGORIAN\r\n";
    ics += property("X-WR-CALNAME", escapeText(QStringLiteral("%1 (Cairnwork)").arg(lane->member)));
    QSet<QString> used;
    for (const Timeline::Bar& bar : lane->bars) {
        // One pass: the percent-encoded member may hold "%2".
        const QString task = QString::number(bar.taskId);
        QString uid = QStringLiteral("%1-task%2-%3@cairnwork").arg(timeline.projectId(), task, memberKey);
        // One member holds one share of a task; rows another tool doubled still get distinct events.
        for (int n = 2; used.contains(uid); ++n) {
            uid = QStringLiteral("%1-task%2-%3-%4@cairnwork")
                      .arg(timeline.projectId(), task, memberKey, QString::number(n));
        }
        used.insert(uid);
        ics += "BEGIN:VEVENT\r\n";
        ics += property("UID", escapeText(uid));
        ics += property("DTSTAMP", dtstamp);
        ics += property("DTSTART", localTime(bar.start));
        // An end must lie after the start; an event without one lasts no time.
        if (bar.end > bar.start) {
            ics += property("DTEND", localTime(bar.end));
        }
        ics += property("SUMMARY", escapeText(bar.taskName));
        ics += property("DESCRIPTION", escapeText(description(timeline, bar)));
        ics += "END:VEVENT\r\n";
    }
    ics += "END:VCALENDAR\r\n";
    *out = std::move(ics);
    return true;
}

bool ICalendar::writeMemberCalendar(const Timeline& timeline,
                                    const QString& member,
                                    const QString& path,
                                    QString* error)
{
    QByteArray ics;
    if (!memberCalendar(timeline, member, &ics, error)) {
        return false;
    }
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    file.write(ics); // a short write is reported by commit()
    return file.commit(error);
}
