#include "cli/DemoProject.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/ProjectWriter.h"
#include "db/Transaction.h"

#include <QHash>

namespace {

struct DemoAssignment
{
    const char* member;
    double workload;
    double completed;
    double daysNeeded;
};

struct DemoTask
{
    const char* name;
    const char* type;
    int priority;
    const char* status;
    double days;
    QList<DemoAssignment> assignments;
    const char* note = nullptr;
};

struct DemoGoal
{
    const char* name;
    const char* type;
    int priority;
    const char* status;
    const char* defaultMember;
    const char* description;
    QList<DemoTask> tasks;
    QList<DemoGoal> children;
};

class Builder
{
public:
    Builder(const QString& connection, const QDateTime& now)
        : m_writer(connection)
        , m_now(now)
    {
    }

    bool members(QString* error)
    {
        auto m = [](const char* name, const char* description) {
            MemberRecord r;
            r.name = QString::fromUtf8(name);
            r.description = QString::fromUtf8(description);
            return r;
        };
        MemberRecord alice = m("Alice Moreau", "Team lead, back end. Full time.");
        MemberRecord bram = m("Bram de Vries", "Mobile developer. Four-day week, Friday off.");
        MemberRecord chen = m("Chen Li", "Designer. Mornings only.");
        MemberRecord dana = m("Dana O'Brien", "Quality assurance. Late shift.");
        MemberRecord emil = m("Emil Novak", "Operations. Tuesday to Saturday.");
        for (int d = 0; d < 7; ++d) {
            const bool weekday = d < 5;
            alice.begin[d] = weekday ? QStringLiteral("08:00") : QStringLiteral("00:00");
            alice.end[d] = weekday ? QStringLiteral("16:30") : QStringLiteral("00:00");
            bram.begin[d] = d < 4 ? QStringLiteral("09:00") : QStringLiteral("00:00");
            bram.end[d] = d < 4 ? QStringLiteral("17:00") : QStringLiteral("00:00");
            chen.begin[d] = weekday ? QStringLiteral("07:30") : QStringLiteral("00:00");
            chen.end[d] = weekday ? QStringLiteral("12:30") : QStringLiteral("00:00");
            dana.begin[d] = weekday ? QStringLiteral("10:00") : QStringLiteral("00:00");
            dana.end[d] = weekday ? QStringLiteral("18:00") : QStringLiteral("00:00");
            const bool emilWorks = d >= 1 && d <= 5;
            emil.begin[d] = emilWorks ? QStringLiteral("08:00") : QStringLiteral("00:00");
            emil.end[d] = emilWorks ? QStringLiteral("16:00") : QStringLiteral("00:00");
        }
        for (const MemberRecord& r : {alice, bram, chen, dana, emil}) {
            if (!m_writer.addMember(r, error)) {
                return false;
            }
        }
        return true;
    }

    bool goal(const DemoGoal& g, std::optional<qint64> parent, int age, QString* error)
    {
        GoalRecord rec;
        rec.objectType = QString::fromLatin1(g.type);
        rec.shortName = QString::fromUtf8(g.name);
        rec.priority = g.priority;
        rec.status = QString::fromLatin1(g.status);
        rec.parentId = parent;
        rec.description = QString::fromUtf8(g.description);
        rec.defaultResource = QString::fromUtf8(g.defaultMember);
        rec.created = stamp(age);
        if (age > 30) {
            rec.lastEdited = stamp(age / 3);
        }
        if (!m_writer.addGoal(rec, error)) {
            return false;
        }
        for (const DemoTask& t : g.tasks) {
            if (!task(t, rec.id, age - 3, error)) {
                return false;
            }
        }
        for (const DemoGoal& child : g.children) {
            if (!goal(child, rec.id, age - 7, error)) {
                return false;
            }
        }
        return true;
    }

private:
    QString stamp(int daysAgo) const
    {
        return Stamp::toText(m_now.addDays(-std::max(daysAgo, 1)).addSecs(-3600 * (daysAgo % 7)));
    }

    bool task(const DemoTask& t, qint64 goalId, int age, QString* error)
    {
        TaskRecord rec;
        rec.objectType = QString::fromLatin1(t.type);
        rec.shortName = QString::fromUtf8(t.name);
        rec.priority = t.priority;
        rec.status = QString::fromLatin1(t.status);
        rec.daysPlanned = t.days;
        rec.goalId = goalId;
        rec.created = stamp(age);
        if (!m_writer.addTask(rec, error)) {
            return false;
        }
        for (const DemoAssignment& a : t.assignments) {
            const AssignmentRecord ar{rec.id, QString::fromUtf8(a.member), a.workload, a.completed, a.daysNeeded};
            if (!m_writer.addAssignment(ar, error)) {
                return false;
            }
        }
        if (t.note) {
            NoteRecord note;
            note.taskId = rec.id;
            note.notes = QString::fromUtf8(t.note);
            note.timestamp = stamp(age / 2);
            if (!m_writer.addNote(note, error)) {
                return false;
            }
        }
        return true;
    }

    ProjectWriter m_writer;
    QDateTime m_now;
};

QList<DemoGoal> plan()
{
    const char* A = "Alice Moreau";
    const char* B = "Bram de Vries";
    const char* C = "Chen Li";
    const char* D = "Dana O'Brien";
    const char* E = "Emil Novak";
    return {
        {"Fieldbook 2.0 release",
         "Goal",
         10,
         "Open",
         A,
         "Ship the second major version of the Fieldbook app to all customers.",
         {{"Release plan and scope freeze",
           "Task",
           10,
           "Completed",
           3,
           {{A, 100, 100, 2.5}},
           "Scope frozen after the review with sales; two features moved to 2.1."},
          {"Release notes", "Task", 90, "Open", 1.5, {{A, 50, 0, 0}, {D, 50, 0, 0}}}},
         {{"Fieldbook Mobile",
           "Application",
           10,
           "Open",
           B,
           "The iOS and Android client.",
           {{"Offline sync engine",
             "Software Object",
             10,
             "Open",
             15,
             {{B, 70, 60, 7}, {A, 30, 50, 2}},
             "Conflict resolution works for forms; attachments still to do."},
            {"Photo capture with annotations", "Software Object", 20, "Open", 8, {{B, 100, 25, 2.5}}},
            {"Accessibility pass", "Task", 40, "Open", 4, {{C, 50, 0, 0}, {D, 50, 0, 0}}},
            {"Tablet layout", "Task", 60, "On Hold", 6, {{C, 100, 10, 1}}, "Waiting for the design system update."}},
           {{"App store submission",
             "Goal",
             50,
             "Open",
             D,
             "Everything the two stores ask for.",
             {{"Store screenshots", "Task", 20, "Open", 2, {{C, 100, 50, 1}}},
              {"Privacy questionnaire", "Task", 30, "Completed", 1, {{D, 100, 100, 1.5}}}},
             {}}}},
          {"Sync service",
           "Application",
           20,
           "Open",
           A,
           "Server side of the offline sync.",
           {{"Delta protocol v2",
             "Software Object",
             10,
             "Open",
             10,
             {{A, 100, 40, 5}},
             "Benchmarks show 3x less traffic on slow links."},
            {"Load test at 10k devices", "Task", 30, "Open", 3, {{E, 60, 0, 0}, {A, 40, 0, 0}}},
            {"Legacy API shutdown",
             "Task",
             80,
             "Closed",
             2,
             {{E, 100, 30, 1}},
             "Dropped: two customers still depend on it until next year."}},
           {}}}},
        {"Customer onboarding",
         "Goal",
         20,
         "Open",
         D,
         "Make the first week of a new customer smooth.",
         {{"Welcome checklist", "Task", 10, "Completed", 2, {{D, 100, 100, 2}}},
          {"Import wizard for spreadsheets",
           "Software Object",
           20,
           "Open",
           7,
           {{A, 50, 20, 1.5}, {C, 50, 60, 2}},
           "First usability test: people miss the column mapping step."},
          {"Training videos", "Task", 50, "Open", 5, {{C, 100, 0, 0}}}},
         {{"Documentation site",
           "Application",
           30,
           "Completed",
           C,
           "The public help pages.",
           {{"Search for the help pages", "Software Object", 10, "Completed", 3, {{E, 100, 100, 2.5}}},
            {"Rewrite getting-started guide", "Task", 20, "Completed", 2, {{C, 100, 100, 3}}}},
           {}}}},
        {"Infrastructure renewal",
         "Goal",
         40,
         "On Hold",
         E,
         "Move hosting to the new provider. Paused until the contract is signed.",
         {{"Cost comparison", "Task", 10, "Completed", 2, {{E, 100, 100, 2}}},
          {"Migration runbook", "Task", 20, "Open", 5, {{E, 100, 20, 1}}},
          {"Monitoring dashboards", "Software Object", 40, "Open", 4, {{E, 50, 0, 0}, {A, 50, 0, 0}}}},
         {}},
        {"Legacy desktop client",
         "Application",
         90,
         "Closed",
         A,
         "Retired with the 2.0 release.",
         {{"Final bug-fix build", "Task", 10, "Completed", 3, {{A, 100, 100, 3.5}}},
          {"Port settings dialog", "Software Object", 50, "Closed", 4, {{B, 100, 0, 0}}}},
         {}},
        {"Team and process",
         "Goal",
         60,
         "Open",
         A,
         "Keeping the team healthy and the process light.",
         {{"Quarterly planning",
           "Task",
           10,
           "Open",
           1,
           {{A, 40, 50, 0.5}, {B, 20, 0, 0}, {C, 20, 0, 0}, {D, 20, 0, 0}}},
          {"Onboard new tester", "Task", 30, "On Hold", 3, {{D, 100, 0, 0}}}},
         {}},
    };
}

} // namespace

bool DemoProject::build(const QString& connection, const Clock& clock, QString* error)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        *error = tx.error();
        return false;
    }
    Builder builder(connection, clock.now());
    if (!builder.members(error)) {
        return false;
    }
    int age = 330;
    for (const DemoGoal& g : plan()) {
        if (!builder.goal(g, std::nullopt, age, error)) {
            return false;
        }
        age -= 40;
    }
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    return true;
}
