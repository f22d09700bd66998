#include "charts/ICalendar.h"
#include "charts/Timeline.h"
#include "cli/DemoProject.h"
#include "cli/SyntheticProject.h"
#include "schedule/MemberCalendar.h"
#include "tests/support/CliRun.h"
#include "tests/support/FileDigest.h"
#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"

#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace {
using View = Timeline::View;

Timeline load(const TempProject& p, const QString& stamp = {})
{
    Timeline t;
    QString error;
    if (!Timeline::load(p.connection(), stamp, &t, &error)) {
        qFatal("timeline failed: %s", qPrintable(error));
    }
    return t;
}

QString text(qint64 moment)
{
    return MemberCalendar::toText(moment);
}

// Seconds after midnight of "HH:MM".
int secondsOf(const QString& hhmm)
{
    return QTime::fromString(hhmm, QStringLiteral("HH:mm")).msecsSinceStartOfDay() / 1000;
}

// True when `moment` lies inside the working hours `member` stored for `stamp`.
bool insideStoredHours(const TempProject& p, const QString& stamp, const QString& member, qint64 moment)
{
    static const char* const days[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    const QDateTime t = MemberCalendar::fromSeconds(moment);
    const char* day = days[t.date().dayOfWeek() - 1];
    const auto hours = [&](const char* edge) {
        return secondsOf(p.scalar(QStringLiteral("SELECT %1_%2 FROM CompDatesHours WHERE TimeStamp = ? AND R_NAME = ?")
                                      .arg(QLatin1String(day), QLatin1String(edge)),
                                  {stamp, member})
                             .toString());
    };
    const int second = t.time().msecsSinceStartOfDay() / 1000;
    return second >= hours("BEG") && second < hours("END");
}

// Member M works Monday to Friday 08:00 to 16:00 on two one-day tasks (A before B).
QString twoTasks(TempProject& p, const QString& now)
{
    p.member(QStringLiteral("M"));
    const qint64 g = p.goal(QStringLiteral("G"));
    p.assign(p.task(g, QStringLiteral("A"), 1, QStringLiteral("Open"), 10), QStringLiteral("M"), 100, 0, 0);
    p.assign(p.task(g, QStringLiteral("B"), 1, QStringLiteral("Open"), 20), QStringLiteral("M"), 100, 0, 0);
    return SnapshotProbe::generate(p, now);
}

// One logical iCalendar line per entry, unfolded and split at the first ":" (the
// fold itself: foldKeepsCharactersWhole); checks that no physical line is too long.
QList<std::pair<QString, QString>> parse(const QByteArray& ics)
{
    if (!ics.endsWith("\r\n")) {
        qFatal("the calendar does not end in CRLF");
    }
    QList<std::pair<QString, QString>> lines;
    for (const QByteArray& physical : ics.chopped(2).split('\n')) {
        if (physical.size() - 1 > 75) {
            qFatal("a line is too long: %s", physical.constData());
        }
    }
    for (const QString& l : QString::fromUtf8(QByteArray(ics).replace("\r\n ", "")).split(QStringLiteral("\r\n"))) {
        lines << std::pair{l.section(QLatin1Char(':'), 0, 0), l.section(QLatin1Char(':'), 1)};
    }
    return lines;
}

QString unescape(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            out += next == QLatin1Char('n') || next == QLatin1Char('N') ? QChar(QLatin1Char('\n')) : next;
        } else {
            out += value.at(i);
        }
    }
    return out;
}

QStringList valuesOf(const QList<std::pair<QString, QString>>& lines, const QString& name)
{
    QStringList values;
    for (const auto& [key, value] : lines) {
        if (key == name) {
            values << unescape(value);
        }
    }
    return values;
}
} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void barsFollowEachMembersCalendar_data();
    void barsFollowEachMembersCalendar();
    void startsAreWorkingMoments_data();
    void startsAreWorkingMoments();
    void withoutStoredHoursStartsAtThePreviousEnd();
    void goalSpansFromEarliestStartToCompletion();
    void damagedSnapshotsAreRefused_data();
    void damagedSnapshotsAreRefused();
    void commandWritesEveryFormat();
    void calendarReadsBack();
    void foldKeepsCharactersWhole_data();
    void foldKeepsCharactersWhole();
    void uidsStayAcrossSnapshots();
};

void TestTimeline::barsFollowEachMembersCalendar_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("demo project") << true;
    QTest::newRow("generated project") << false;
}

// The invariants of every lane on real plans: order of work, no overlap, the
// stored end, starts on the stored calendar.
void TestTimeline::barsFollowEachMembersCalendar()
{
    QFETCH(bool, demo);
    TempProject p;
    QString error;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-03-04 10:17:33")));
    if (demo) {
        QVERIFY2(DemoProject::build(p.connection(), clock, &error), qPrintable(error));
    } else {
        SyntheticProject::Params params;
        params.goals = 30;
        params.tasks = 300;
        params.members = 7;
        QVERIFY2(SyntheticProject::build(p.connection(), params, &error), qPrintable(error));
        SnapshotProbe::generate(p, QStringLiteral("2026-03-04 10:17:33"));
    }
    const Timeline t = load(p);
    QVERIFY(t.hoursStored());
    const QList<QVariantMap> rows = SnapshotProbe::rows(p, t.stamp());
    int checked = 0;
    for (const Timeline::Lane& lane : t.lanes()) {
        QVERIFY(lane.calendarKnown);
        int datedRows = 0;
        for (const QVariantMap& r : rows) {
            datedRows += r.value("OBJ") == "R" &&
                r.value("Res").toString().compare(lane.member, Qt::CaseInsensitive) == 0 &&
                !r.value("Completion_Date").isNull();
        }
        QCOMPARE(int(lane.bars.size()), datedRows);
        int previousOrder = 0;
        qint64 previousEnd = t.moment();
        for (const Timeline::Bar& bar : lane.bars) {
            const QVariantMap row = SnapshotProbe::row(rows, QStringLiteral("R"), bar.taskId, lane.member);
            QCOMPARE(text(bar.end), row.value("Completion_Date").toString());
            // CompOrderObj numbers a member's work in the order the calendar laid it.
            QVERIFY(row.value("CompOrderObj").toInt() >= previousOrder);
            previousOrder = row.value("CompOrderObj").toInt();
            QVERIFY2(bar.start >= previousEnd, qPrintable(lane.member + ": " + text(bar.start)));
            QVERIFY(bar.start < bar.end);
            QVERIFY2(insideStoredHours(p, t.stamp(), lane.member, bar.start), qPrintable(text(bar.start)));
            previousEnd = bar.end;
            ++checked;
        }
    }
    QVERIFY(checked > 10);
}

void TestTimeline::startsAreWorkingMoments_data()
{
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("startA");
    QTest::addColumn<QString>("startB");
    // A working moment is the start itself; the next bar starts where the first ended.
    QTest::newRow("inside hours") << "2026-03-02 10:00:00"
                                  << "2026-03-02 10:00:00"
                                  << "2026-03-03 10:00:00";
    // A Saturday stamp: nothing falls before Monday's begin.
    QTest::newRow("weekend") << "2026-03-07 10:00:00"
                             << "2026-03-09 08:00:00"
                             << "2026-03-10 08:00:00";
    // A ends at Monday's end: B's first hour falls on Tuesday morning, not at 16:00.
    QTest::newRow("before the day") << "2026-03-02 06:00:00"
                                    << "2026-03-02 08:00:00"
                                    << "2026-03-03 08:00:00";
    QTest::newRow("at the day's end") << "2026-03-06 16:00:00"
                                      << "2026-03-09 08:00:00"
                                      << "2026-03-10 08:00:00";
}

void TestTimeline::startsAreWorkingMoments()
{
    QFETCH(QString, now);
    QFETCH(QString, startA);
    QFETCH(QString, startB);
    TempProject p;
    const QString stamp = twoTasks(p, now);
    const Timeline t = load(p, stamp);
    QCOMPARE(t.lanes().size(), std::size_t(1));
    const std::vector<Timeline::Bar>& bars = t.lanes().front().bars;
    QCOMPARE(bars.size(), std::size_t(2));
    QCOMPARE(bars[0].taskName, QStringLiteral("A"));
    QCOMPARE(text(bars[0].start), startA);
    QCOMPARE(text(bars[1].start), startB);
}

// Snapshots taken before the hours were kept cannot place a start: it is the
// previous end, and the model says so.
void TestTimeline::withoutStoredHoursStartsAtThePreviousEnd()
{
    TempProject p;
    const QString stamp = twoTasks(p, QStringLiteral("2026-03-07 10:00:00"));
    runSql(p, QStringLiteral("DELETE FROM CompDatesHours"));
    const Timeline t = load(p, stamp);
    QVERIFY(!t.hoursStored());
    const Timeline::Lane& lane = t.lanes().front();
    QVERIFY(!lane.calendarKnown);
    QCOMPARE(text(lane.bars[0].start), stamp);
    QCOMPARE(lane.bars[1].start, lane.bars[0].end);
}

void TestTimeline::goalSpansFromEarliestStartToCompletion()
{
    TempProject p;
    QString error;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-03-04 10:17:33")));
    QVERIFY2(DemoProject::build(p.connection(), clock, &error), qPrintable(error));
    const Timeline t = load(p);
    const std::vector<Timeline::Node>& outline = t.outline();
    const QList<QVariantMap> rows = SnapshotProbe::rows(p, t.stamp());
    // The earliest bar start below each node, walked up from each bar's task.
    std::vector<qint64> earliest(outline.size(), std::numeric_limits<qint64>::max());
    for (const Timeline::Lane& lane : t.lanes()) {
        for (const Timeline::Bar& bar : lane.bars) {
            QCOMPARE(outline[std::size_t(bar.task)].id, bar.taskId);
            for (int n = bar.task; n >= 0; n = outline[std::size_t(n)].parent) {
                earliest[std::size_t(n)] = std::min(earliest[std::size_t(n)], bar.start);
            }
        }
    }
    QCOMPARE(outline.front().kind, Timeline::Node::Kind::Root);
    int finished = 0;
    int undated = 0;
    for (std::size_t n = 0; n < outline.size(); ++n) {
        const Timeline::Node& node = outline[n];
        if (node.parent >= 0) {
            QVERIFY(std::size_t(node.parent) < n);
            QCOMPARE(node.depth, outline[std::size_t(node.parent)].depth + 1);
        }
        const bool task = node.kind == Timeline::Node::Kind::Task;
        const QVariantMap row = node.kind == Timeline::Node::Kind::Root
            ? rows.back()
            : SnapshotProbe::row(rows, task ? QStringLiteral("T") : QStringLiteral("G"), node.id);
        QCOMPARE(text(node.end), row.value("Completion_Date").toString());
        if (node.dated()) {
            QCOMPARE(text(node.start), text(earliest[n]));
        } else {
            QCOMPARE(node.start, Timeline::kNoDate);
            ++undated;
        }
        finished += node.finished();
    }
    QVERIFY(finished > 0);
    QVERIFY(undated > 0);
}

void TestTimeline::damagedSnapshotsAreRefused_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("said");
    QTest::newRow("no such stamp") << ""
                                   << "2020-01-01 00:00:00"
                                   << "no snapshot";
    QTest::newRow("no snapshot at all") << "DELETE FROM CompDates"
                                        << ""
                                        << "no snapshot";
    QTest::newRow("a depth of 20,000 levels")
        << "UPDATE CompDates SET Tree_Depth = 20000 WHERE OBJ = 'T' AND GT_ID = (SELECT MIN(GT_ID) FROM CompDates "
           "WHERE OBJ = 'T')"
        << ""
        << "claims depth 20000";
    QTest::newRow("a goal row gone") << "DELETE FROM CompDates WHERE OBJ = 'G' AND GT_ID > 0"
                                     << ""
                                     << "no parent";
    QTest::newRow("hours that are no times") << "UPDATE CompDatesHours SET WED_BEG = '25:99'"
                                             << ""
                                             << "working hours";
}

void TestTimeline::damagedSnapshotsAreRefused()
{
    QFETCH(QString, damage);
    QFETCH(QString, stamp);
    QFETCH(QString, said);
    TempProject p;
    twoTasks(p, QStringLiteral("2026-03-02 10:00:00"));
    if (!damage.isEmpty()) {
        runSql(p, damage);
    }
    Timeline t;
    QString error;
    QVERIFY(!Timeline::load(p.connection(), stamp, &t, &error));
    QVERIFY2(error.contains(said), qPrintable(error));
    QVERIFY(t.lanes().empty());
}

void TestTimeline::commandWritesEveryFormat()
{
    TempProject p;
    p.member(QStringLiteral("Idle"));
    const QString stamp = twoTasks(p, QStringLiteral("2026-03-07 10:00:00"));
    p.close();
    const QString out = QDir(p.dir()).filePath(QStringLiteral("t.csv"));
    const CliRun byMember = CliRun::run({"timeline", p.path(), "--by", "member", "--stamp", stamp, "--out", out});
    QCOMPARE(byMember.exitCode, 0);
    QCOMPARE(QString::fromUtf8(fileBytes(out)),
             QStringLiteral("Lane,Kind,ID,Member,Name,Start,End\n"
                            "M,R,1,M,A,2026-03-09 08:00:00,2026-03-09 16:00:00\n"
                            "M,R,2,M,B,2026-03-10 08:00:00,2026-03-10 16:00:00\n"));
    // Outline names keep their indentation, which CSV quotes.
    const CliRun byGoal = CliRun::run({"timeline", p.path(), "--by", "goal"});
    QVERIFY(byGoal.out.contains(QStringLiteral("\n\"        A\",T,1,,A,2026-03-09 08:00:00,2026-03-09 16:00:00\n")));
    // Pictures of either view: the PNG's header gives its height, the scale and a row for each line.
    const CliRun png = CliRun::run({"timeline", p.path(), "--by", "goal", "--out", out + ".png"});
    QVERIFY2(png.exitCode == 0, qPrintable(png.err));
    const QByteArray image = fileBytes(out + ".png");
    QVERIFY(image.startsWith("\x89PNG") && qFromBigEndian<quint32>(image.constData() + 20) > 3 * 20);
    QCOMPARE(CliRun::run({"timeline", p.path(), "--by", "member", "--out", out + ".pdf"}).exitCode, 0);
    QVERIFY(fileBytes(out + ".pdf").startsWith("%PDF-"));
    QCOMPARE(CliRun::run({"timeline", p.path(), "--out", out}).exitCode, 2);
    QCOMPARE(CliRun::run({"timeline", p.path(), "--by", "member", "--out", out + ".txt"}).exitCode, 2);
    const CliRun stranger = CliRun::run({"ical", p.path(), "--member", "Zoe"});
    QCOMPARE(stranger.exitCode, 1);
    QVERIFY(stranger.err.contains(QStringLiteral("\"Zoe\"")));
    // A calendar without any event is not a valid file.
    const CliRun idle = CliRun::run({"ical", p.path(), "--member", "idle", "--out", out + ".ics"});
    QCOMPARE(idle.exitCode, 1);
    QVERIFY(idle.err.contains(QStringLiteral("no scheduled work")));
    QVERIFY(!QFile::exists(out + ".ics"));
}

// Names with the characters TEXT escapes and multi-byte characters across the fold.
void TestTimeline::calendarReadsBack()
{
    TempProject p;
    const QString member = QStringLiteral("Zoë Ångström-Łukasiewicz");
    p.member(member);
    const QString goal = QStringLiteral("Réseau; «north», \\south\\ at 100%2");
    const QString task =
        QStringLiteral("Étude, phase 1; see C:\\docs\nline two — with a name long enough to need folding twice: "
                       "ääääääääääääääääääääääääääääääääää");
    const qint64 g = p.goal(goal);
    p.assign(p.task(g, task, 2), member, 100, 25, 1);
    const QString stamp = SnapshotProbe::generate(p, QStringLiteral("2026-03-02 10:00:00"));
    const Timeline t = load(p);
    QByteArray ics;
    QString error;
    QVERIFY2(ICalendar::memberCalendar(t, QString(member).replace(0, 1, QLatin1Char('z')), &ics, &error),
             qPrintable(error));
    const auto lines = parse(ics);
    QCOMPARE(valuesOf(lines, QStringLiteral("SUMMARY")), QStringList{task});
    const Timeline::Bar& bar = t.lanes().front().bars.front();
    QCOMPARE(valuesOf(lines, QStringLiteral("DTSTART")), QStringList{"20260302T100000"});
    QCOMPARE(valuesOf(lines, QStringLiteral("DTEND")),
             QStringList{MemberCalendar::fromSeconds(bar.end).toString("yyyyMMdd'T'HHmmss")});
    const QString description = valuesOf(lines, QStringLiteral("DESCRIPTION")).value(0);
    QVERIFY2(description.startsWith(QStringLiteral("Goal: \\") + goal + QLatin1Char('\n')), qPrintable(description));
    QVERIFY2(description.contains(QStringLiteral("25 % done")), qPrintable(description));
    // A figure another tool spoiled is left out, never written as "nan".
    CW_FILE_ONLY("only a file column takes a value of another type.");
    runSql(p, QStringLiteral("UPDATE CompDates SET Planned = 'x' WHERE OBJ = 'R'"));
    QVERIFY(ICalendar::memberCalendar(load(p), member, &ics, &error));
    const QString spoiled = valuesOf(parse(ics), QStringLiteral("DESCRIPTION")).value(0);
    QVERIFY2(!spoiled.contains(QStringLiteral("planned")) && !spoiled.contains(QStringLiteral("nan")),
             qPrintable(spoiled));
    QVERIFY(spoiled.contains(QStringLiteral("25 % done")));
}

void TestTimeline::foldKeepsCharactersWhole_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("octets"); // of each physical line, without CRLF
    QTest::newRow("75 octets stay one line") << QByteArray(75, 'a') << QList<int>{75};
    QTest::newRow("76 octets fold") << QByteArray(76, 'a') << QList<int>{75, 2};
    // "é" takes octets 75 and 76: it moves whole to the next line.
    QTest::newRow("a character on the edge") << QByteArray(74, 'a') + "\xc3\xa9" << QList<int>{74, 3};
    QTest::newRow("a 4-octet character") << QByteArray(73, 'a') + "\xf0\x9f\x99\x82" + "b" << QList<int>{73, 6};
}

void TestTimeline::foldKeepsCharactersWhole()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, octets);
    const QByteArray folded = ICalendar::fold(line);
    QList<int> sizes;
    for (const QByteArray& l : folded.chopped(2).split('\n')) {
        sizes << int(l.size() - (l.endsWith('\r') ? 1 : 0));
    }
    QCOMPARE(sizes, octets);
    QCOMPARE(QByteArray(folded).replace("\r\n ", "").chopped(2), line);
}

// A calendar program updates an event only when its UID stays.
void TestTimeline::uidsStayAcrossSnapshots()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 a = p.task(g, QStringLiteral("A"), 2);
    p.assign(a, QStringLiteral("Ann"), 50, 0, 0);
    p.assign(a, QStringLiteral("Bob"), 50, 0, 0);
    p.assign(p.task(g, QStringLiteral("B"), 1), QStringLiteral("Ann"), 100, 0, 0);
    const QString first = SnapshotProbe::generate(p, QStringLiteral("2026-03-02 10:00:00"));
    const QString second = SnapshotProbe::generate(p, QStringLiteral("2026-03-09 10:00:00"));
    const auto uids = [&](const QString& stamp, const QString& member) {
        QByteArray ics;
        ICalendar::memberCalendar(load(p, stamp), member, &ics, nullptr);
        return valuesOf(parse(ics), QStringLiteral("UID"));
    };
    const QStringList ann = uids(first, QStringLiteral("Ann"));
    QCOMPARE(ann.size(), 2);
    QCOMPARE(uids(second, QStringLiteral("ann")), ann);
    const QStringList bob = uids(second, QStringLiteral("Bob"));
    QCOMPARE(bob.size(), 1);
    QVERIFY(!ann.contains(bob.front()));
}

QTEST_GUILESS_MAIN(TestTimeline)
#include "TestTimeline.moc"
