#include "db/Database.h"
#include "db/Sql.h"
#include "team/MemberFields.h"
#include "team/MemberStore.h"
#include "tests/support/TempProject.h"

#include <QtTest>

class TestMemberStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesBadFields_data();
    void refusesBadFields();
    void refusesDuplicateNames();
    void renameCarriesToAssignmentsAndGoals();
    void refusesDeletingMemberInUse_data();
    void refusesDeletingMemberInUse();
    void updateOfVanishedMemberFails();

private:
    static MemberRecord member(const QString& name) { return MemberRecord::withHours(name, "08:00", "16:00"); }
    // The member's row as a window would have read it.
    static RowImage shown(const MemberStore& store, const QString& name)
    {
        RowImage image;
        MemberStore::Failure failure;
        if (!store.read(name, &image, &failure)) {
            qWarning() << failure.description;
        }
        return image;
    }
    static int count(const TempProject& p) { return p.scalar("SELECT COUNT(*) FROM RESOURCES").toInt(); }
};

void TestMemberStore::refusesBadFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored"); // empty when refused

    const auto row = [](const char* name, int field, const char* value, const char* stored) {
        QTest::newRow(name) << field << value << stored;
    };
    row("HH:MM:SS", 2, "17:45:30", "17:45:30");
    row("blank begin with end kept", 13, " ", "");
    row("empty end with begin kept", 2, "", "");
    row("blanks around", 5, " 09:15 ", "09:15");
    row("one-digit hour", 3, "8:00", "");
    row("hour 24", 4, "24:00", "");
    row("second 60", 7, "12:00:60", "");
    row("suffix", 11, "08:00 h", "");
    row("blank name", 0, "   ", "");
}

void TestMemberStore::refusesBadFields()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(QString, stored);

    TempProject p;
    p.member("Old");
    MemberStore store(p.connection());
    MemberRecord entered = member("New");
    MemberFields::setValue(entered, field, value);
    MemberStore::Failure failure;
    QCOMPARE(store.insert(entered, &failure), !stored.isEmpty());
    if (!stored.isEmpty()) {
        QCOMPARE(
            p.scalar(QStringLiteral("SELECT %1 FROM RESOURCES WHERE R_NAME = 'New'").arg(MemberFields::column(field)))
                .toString(),
            stored);
        return;
    }
    QCOMPARE(failure.field, field);
    QVERIFY2(field == 0 || failure.description.contains(value), qPrintable(failure.description));
    QCOMPARE(count(p), 1);
}

void TestMemberStore::refusesDuplicateNames()
{
    TempProject p;
    p.member("Alice");
    p.member("Bob", "09:00");
    MemberStore store(p.connection());
    MemberStore::Failure failure;
    QVERIFY(!store.insert(member("alice"), &failure));
    QCOMPARE(failure.field, MemberFields::kName);
    QVERIFY(!store.update(shown(store, "Bob"), member("ALICE"), &failure));
    QCOMPARE(p.scalar("SELECT MON_BEG FROM RESOURCES WHERE R_NAME = 'Bob'").toString(), QStringLiteral("09:00"));
    QCOMPARE(count(p), 2);
    // Changing the letter case of one's own name is no duplicate.
    QVERIFY2(store.update(shown(store, "Bob"), member("BOB"), &failure), qPrintable(failure.description));
    QCOMPARE(p.scalar("SELECT R_NAME FROM RESOURCES WHERE R_NAME = 'bob'").toString(), QStringLiteral("BOB"));
    // Letter case folds for ASCII letters only, as the file compares names: "Émile" and
    // "émile" are two members, so renaming one to the other is a duplicate.
    p.member("Émile");
    p.member("émile");
    QVERIFY(!store.update(shown(store, "Émile"), member("émile"), &failure));
    QCOMPARE(failure.field, MemberFields::kName);
}

void TestMemberStore::renameCarriesToAssignmentsAndGoals()
{
    TempProject p;
    p.member("Alice");
    p.member("Bob");
    const qint64 goal = p.goal("Goal");
    const qint64 task = p.task(goal, "Task", 4);
    p.assign(task, "Alice", 60, 10, 1);
    p.assign(task, "Bob", 40, 0, 0);
    p.assign(p.task(goal, "Other", 2), "Alice", 100, 50, 1);
    QString error;
    QVERIFY(Sql::exec(p.connection(), "UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Alice'", &error));
    MemberStore store(p.connection());
    MemberStore::Failure failure;
    auto names = [&] {
        QStringList found;
        QSqlQuery q(Sql::db(p.connection()));
        q.exec("SELECT FK_R_NAME FROM TASK_OBJECT_RESOURCE UNION ALL SELECT DEFAULT_RESOURCE FROM GOALS_SW ORDER BY 1");
        while (q.next()) {
            found << q.value(0).toString();
        }
        return found.join(QLatin1Char('|'));
    };

    // Quotes in the new name travel as a value, never as SQL.
    const QString quoted = "O'Brien \"Al\"";
    QVERIFY2(store.update(shown(store, "Alice"), member(quoted), &failure), qPrintable(failure.description));
    QCOMPARE(names(), QStringLiteral("Bob|%1|%1|%1").arg(quoted));
    // The name's collation sees a change of letter case as no change, so the keys do not cascade it.
    QVERIFY2(store.update(shown(store, quoted), member(quoted.toLower()), &failure), qPrintable(failure.description));
    QCOMPARE(names(), QStringLiteral("Bob|%1|%1|%1").arg(quoted.toLower()));
}

void TestMemberStore::refusesDeletingMemberInUse_data()
{
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<QStringList>("reasons");
    // The refusal names the first few holders so the user knows where to look.
    const QString fiveTasks = R"(assigned to 5 tasks ("One", "Two", "Three" and 2 more))";
    const QString oneGoal = R"(default member of 1 goal ("Goal"))";
    QTest::newRow("assigned") << true << false << QStringList{fiveTasks, "Remove those assignments"};
    QTest::newRow("default") << false << true << QStringList{oneGoal, "another default member"};
    QTest::newRow("both") << true << true << QStringList{fiveTasks, oneGoal};
}

void TestMemberStore::refusesDeletingMemberInUse()
{
    QFETCH(bool, assigned);
    QFETCH(bool, isDefault);
    QFETCH(QStringList, reasons);

    TempProject p;
    p.member("Alice");
    const qint64 goal = p.goal("Goal");
    if (assigned) {
        for (const char* task : {"One", "Two", "Three", "Four", "Five"}) {
            p.assign(p.task(goal, task, 1), "Alice", 100, 0, 0);
        }
    }
    QString error;
    QVERIFY(!isDefault || Sql::exec(p.connection(), "UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Alice'", &error));
    MemberStore store(p.connection());
    MemberStore::Failure failure;
    QVERIFY(!store.remove(shown(store, "ALICE"), &failure));
    for (const QString& reason : reasons) {
        QVERIFY2(failure.description.contains(reason), qPrintable(failure.description));
    }
    QCOMPARE(count(p), 1);
    QCOMPARE(p.scalar("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE").toInt(), assigned ? 5 : 0);
}

void TestMemberStore::updateOfVanishedMemberFails()
{
    TempProject p;
    p.member("Alice");
    MemberStore store(p.connection());
    const RowImage alice = shown(store, "Alice");
    QString error;
    QVERIFY(Database::open(p.path(), "other", &error));
    MemberStore other("other");
    MemberStore::Failure failure;
    QVERIFY(other.remove(shown(other, "Alice"), &failure));
    Database::close("other");
    // Reporting success here would drop the user's input without a word.
    QVERIFY(!store.update(alice, member("Alice"), &failure));
    QCOMPARE(failure.description, RowImage::changedMessage(MemberStore::describedAs("Alice")));
    QVERIFY(failure.conflict);
    QCOMPARE(count(p), 0);
}

QTEST_GUILESS_MAIN(TestMemberStore)
#include "TestMemberStore.moc"
