#include "team/MemberFields.h"
#include "team/TeamMemberForm.h"
#include "tests/support/TempProject.h"

#include <QtTest>

using Form = TeamMemberForm;
using KeyAction = TeamMemberForm::KeyAction;

class TestTeamMemberForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyTable();
    void beepsAtEitherEnd();
    void addedMemberShownLastUntilRefresh();
    void cancelReturnsToSavedPositionOrFirst();
    void deleteMovesToFollowingOrLast();
    void failedWritesKeepStateAndValues();
    void followsOthersOnlyWhileNothingIsTyped();
    void keys_data();
    void keys();

private:
    static void load(TempProject& p, Form& form, const QStringList& names)
    {
        for (const QString& name : names) {
            p.member(name);
        }
        QVERIFY(form.load().ok);
    }
    static void typeMember(Form& form, const QString& name)
    {
        form.setField(MemberFields::kName, name);
        for (int i = 1; i < MemberFields::kNotes; ++i) {
            form.setField(i, MemberFields::isBegin(i) ? "07:00" : "15:00");
        }
    }
    static int count(const TempProject& p) { return p.scalar("SELECT COUNT(*) FROM RESOURCES").toInt(); }
};

void TestTeamMemberForm::emptyTable()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {});
    QCOMPARE(form.fields(), QStringList(MemberFields::kCount, QString()));
    QCOMPARE(form.statusText(), QStringLiteral("Record: 0"));
    for (const Form::Result& r : {form.moveNext(), form.movePrevious()}) {
        QVERIFY(r.ok && !r.beep);
    }
    // First and Last fail on the empty list and say why.
    for (const Form::Result& r : {form.moveFirst(), form.moveLast(), form.remove()}) {
        QVERIFY(!r.ok && !r.description.isEmpty());
    }
    form.setField(0, "ghost"); // no record to take it
    QVERIFY(!form.hasPendingChange());
    // Adding to the empty list and cancelling leaves it empty.
    QVERIFY(form.add().ok);
    QVERIFY(form.cancel().ok);
    QCOMPARE(form.recordCount(), 0);
}

void TestTeamMemberForm::beepsAtEitherEnd()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"Ann", "Ben", "Cid"});
    QCOMPARE(form.statusText(), QStringLiteral("Record: 1"));
    Form::Result r = form.movePrevious();
    QVERIFY(r.ok && r.beep);
    QCOMPARE(form.absolutePosition(), 1);
    QVERIFY(!form.moveNext().beep);
    QCOMPARE(form.field(0), QStringLiteral("Ben"));
    QVERIFY(form.moveLast().ok);
    r = form.moveNext();
    QVERIFY(r.ok && r.beep);
    QCOMPARE(form.field(0), QStringLiteral("Cid"));
    QCOMPARE(form.statusText(), QStringLiteral("Record: 3"));
}

void TestTeamMemberForm::addedMemberShownLastUntilRefresh()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"bob", "Carol"});
    QVERIFY(form.add().ok);
    QCOMPARE(form.statusText(), QStringLiteral("Add record"));
    QCOMPARE(form.buttons(), (Form::Buttons{false, true, false}));
    typeMember(form, "Aaron");
    form.setField(11, " "); // blanks: no working time that day
    form.setField(12, "  ");
    const Form::Result r = form.update();
    QVERIFY2(r.ok, qPrintable(r.description));
    QCOMPARE(form.buttons(), (Form::Buttons{true, false, true}));
    QCOMPARE(form.statusText(), QStringLiteral("Record: 3"));
    QCOMPARE(form.field(0), QStringLiteral("Aaron"));
    QCOMPARE(form.field(12), QStringLiteral("00:00"));
    QCOMPARE(p.scalar("SELECT MON_BEG || SAT_END FROM RESOURCES WHERE R_NAME = 'aaron'").toString(),
             QStringLiteral("07:0000:00"));
    // Refresh sorts the new member in, letter case aside.
    QVERIFY(form.refresh().ok);
    QCOMPARE(form.field(0), QStringLiteral("Aaron"));
    form.moveNext();
    QCOMPARE(form.field(0), QStringLiteral("bob"));
}

void TestTeamMemberForm::cancelReturnsToSavedPositionOrFirst()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"M1", "M2", "M3", "M4", "M5", "M6"});
    for (int i = 0; i < 4; ++i) {
        form.moveNext();
    }
    QVERIFY(form.edit().ok);
    QCOMPARE(form.statusText(), QStringLiteral("Edit record"));
    form.setField(0, "Changed");
    QVERIFY(form.cancel().ok);
    // No "Add" yet: cancelling an edit of the fifth member shows the first; nothing is written.
    QCOMPARE(form.statusText(), QStringLiteral("Record: 1"));
    QCOMPARE(p.scalar("SELECT COUNT(*) FROM RESOURCES WHERE R_NAME = 'M5'").toInt(), 1);

    // "Add" on the third member remembers it: a cancelled addition and a later cancelled edit return there.
    form.moveNext();
    form.moveNext();
    QVERIFY(form.add().ok);
    typeMember(form, "M0");
    QVERIFY(form.cancel().ok);
    QCOMPARE(form.recordCount(), 6);
    QCOMPARE(form.field(0), QStringLiteral("M3"));
    QVERIFY(form.moveLast().ok);
    QVERIFY(form.edit().ok);
    QVERIFY(form.cancel().ok);
    QCOMPARE(form.field(0), QStringLiteral("M3"));

    // After a re-read the remembered record is gone; the step is passed over and the record stays.
    QVERIFY(form.refresh().ok);
    form.moveLast();
    QVERIFY(form.edit().ok);
    QVERIFY(form.cancel().ok);
    QCOMPARE(form.field(0), QStringLiteral("M6"));
    QCOMPARE(count(p), 6);
}

void TestTeamMemberForm::deleteMovesToFollowingOrLast()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"Ann", "Ben", "Cid"});
    form.moveNext();
    QVERIFY(form.remove().ok);
    QCOMPARE(form.field(0), QStringLiteral("Cid"));
    QVERIFY(form.remove().ok); // the last: the new last is shown
    QCOMPARE(form.field(0), QStringLiteral("Ann"));
    QCOMPARE(form.statusText(), QStringLiteral("Record: 1"));
    // Deleting the only member goes through; the move to the last record that follows fails.
    const Form::Result r = form.remove();
    QVERIFY(!r.ok);
    QCOMPARE(r.description, form.moveLast().description);
    QCOMPARE(count(p), 0);
    QCOMPARE(form.fields(), QStringList(MemberFields::kCount, QString()));
}

void TestTeamMemberForm::failedWritesKeepStateAndValues()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"Ann", "Ben"});

    QVERIFY(form.add().ok);
    typeMember(form, "Cid");
    form.setField(3, "25:00");
    Form::Result r = form.update();
    QVERIFY(!r.ok && form.isAdding());
    QCOMPARE(r.field, 3);
    QCOMPARE(form.fields().mid(0, 4), (QStringList{"Cid", "07:00", "15:00", "25:00"}));
    QCOMPARE(count(p), 2);
    form.setField(3, "10:00");
    QVERIFY(form.update().ok);
    QCOMPARE(count(p), 3);

    // A change typed while browsing is written when the record is left, or refused and kept.
    QVERIFY(form.moveFirst().ok);
    form.setField(MemberFields::kNotes, "Team lead");
    QVERIFY(form.moveNext().ok);
    QCOMPARE(p.scalar("SELECT R_DESCRIPTION FROM RESOURCES WHERE R_NAME = 'Ann'").toString(),
             QStringLiteral("Team lead"));
    form.setField(2, "5 pm");
    for (const Form::Result& refused : {form.movePrevious(), form.refresh(), form.add(), form.closing()}) {
        QCOMPARE(refused.field, 2);
    }
    QCOMPARE(form.field(0), QStringLiteral("Ben"));
    QCOMPARE(form.field(2), QStringLiteral("5 pm"));
    QCOMPARE(form.recordCount(), 3);

    // Closing drops an addition never confirmed with Update.
    QVERIFY(form.edit().ok);
    QVERIFY(form.cancel().ok);
    QVERIFY(form.add().ok);
    typeMember(form, "Dan");
    QVERIFY(form.closing().ok);
    QCOMPARE(count(p), 3);
}

void TestTeamMemberForm::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("from"); // position before the key
    QTest::addColumn<int>("to"); // position after it, while browsing

    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << shift << int(KeyAction::Close) << 2 << 2;
    QTest::newRow("End") << int(Qt::Key_End) << 0 << int(KeyAction::Last) << 2 << 4;
    QTest::newRow("Home") << int(Qt::Key_Home) << (ctrl | shift) << int(KeyAction::First) << 2 << 1;
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << int(KeyAction::Previous) << 3 << 2;
    QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << ctrl << int(KeyAction::First) << 3 << 1;
    QTest::newRow("Ctrl+Shift+PageUp") << int(Qt::Key_PageUp) << (ctrl | shift) << int(KeyAction::Previous) << 3 << 2;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0 << int(KeyAction::Next) << 2 << 3;
    QTest::newRow("Ctrl+keypad Down") << int(Qt::Key_Down) << (ctrl | int(Qt::KeypadModifier)) << int(KeyAction::Last)
                                      << 2 << 4;
    QTest::newRow("Ctrl+Alt+Down") << int(Qt::Key_Down) << (ctrl | int(Qt::AltModifier)) << int(KeyAction::Next) << 2
                                   << 3;
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << int(KeyAction::None) << 2 << 2;
}

void TestTeamMemberForm::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, action);
    QFETCH(int, from);
    QFETCH(int, to);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QCOMPARE(int(Form::keyAction(key, mods)), action);

    TempProject p;
    Form form(p.connection());
    load(p, form, {"Ann", "Ben", "Cid", "Dan"});
    for (int i = 1; i < from; ++i) {
        form.moveNext();
    }
    Form::Result r = form.key(key, mods);
    QCOMPARE(r.close, action == int(KeyAction::Close));
    QCOMPARE(form.absolutePosition(), to);
    // While adding or editing, no key moves the record or closes the window.
    for (bool adding : {true, false}) {
        form.moveFirst();
        QVERIFY(adding ? form.add().ok : form.edit().ok);
        const int position = form.absolutePosition();
        r = form.key(key, mods);
        QVERIFY(r.ok && !r.close && !r.beep);
        QCOMPARE(form.absolutePosition(), position);
        QCOMPARE(form.mode(), adding ? Form::Mode::Add : Form::Mode::Edit);
        QVERIFY(form.cancel().ok);
    }
}

// Members others changed are taken in only while nothing is typed (a re-read would drop
// it), and the member shown stays shown, or the one at its place when it is gone.
void TestTeamMemberForm::followsOthersOnlyWhileNothingIsTyped()
{
    TempProject p;
    Form form(p.connection());
    load(p, form, {"Bob", "Dan"});
    QVERIFY(form.moveLast().ok);
    form.setField(2, "15:00");
    p.member("Al");
    Form::Result r;
    QVERIFY(!form.followChanges(&r));
    QCOMPARE(form.recordCount(), 2);
    QCOMPARE(form.field(2), QStringLiteral("15:00"));
    QVERIFY(form.update().ok);
    QVERIFY(form.followChanges(&r) && r.ok);
    QCOMPARE(form.recordCount(), 3);
    QCOMPARE(form.field(0) + form.field(2), QStringLiteral("Dan15:00"));
    QCOMPARE(form.statusText(), QStringLiteral("Record: 3"));
    p.scalar("DELETE FROM RESOURCES WHERE R_NAME = 'Dan' RETURNING 1");
    QVERIFY(form.followChanges(&r) && r.ok);
    QCOMPARE(form.field(0), QStringLiteral("Bob"));
    QVERIFY(form.add().ok);
    QVERIFY(!form.followChanges(&r));
}

QTEST_GUILESS_MAIN(TestTeamMemberForm)
#include "TestTeamMemberForm.moc"
