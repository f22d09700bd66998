#include "team/MemberStore.h"

#include "db/Database.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "team/MemberFields.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

const QString kTable = QStringLiteral("RESOURCES");
const QString kKey = QStringLiteral("R_NAME");

const QString kColumns =
    QStringLiteral("R_NAME, MON_BEG, MON_END, TUE_BEG, TUE_END, WED_BEG, WED_END, THU_BEG, THU_END,"
                   " FRI_BEG, FRI_END, SAT_BEG, SAT_END, SUN_BEG, SUN_END, R_DESCRIPTION");

bool fail(MemberStore::Failure* failure, const QString& description, int field = -1, const QString& code = {})
{
    if (failure) {
        *failure = {code, description, field};
    }
    return false;
}

bool failSql(MemberStore::Failure* failure, const QSqlError& error)
{
    return fail(failure, Sql::describe(error), -1, error.nativeErrorCode());
}

bool failTransaction(MemberStore::Failure* failure, const Transaction& tx)
{
    return fail(failure, tx.error());
}

bool failDuplicate(MemberStore::Failure* failure, const QString& name)
{
    return fail(failure,
                QStringLiteral("A team member named \"%1\" exists already (names are the same whatever their letter "
                               "case).")
                    .arg(name),
                MemberFields::kName);
}

QVariantList fieldValues(const MemberRecord& member)
{
    QVariantList values;
    for (int i = 0; i < MemberFields::kCount; ++i) {
        const QString value = MemberFields::value(member, i);
        values << (i == MemberFields::kNotes ? Sql::textOrNull(value) : QVariant(value));
    }
    return values;
}

// Prepares `sql`, binds `values` in order and runs it.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, MemberStore::Failure* failure)
{
    if (!query.prepare(sql)) {
        return failSql(failure, query.lastError());
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    return query.exec() || failSql(failure, query.lastError());
}

// The single number a COUNT(*) query for `name` answers.
bool count(const QString& connection, const QString& sql, const QString& name, qint64* n, MemberStore::Failure* failure)
{
    QSqlQuery query(Sql::db(connection));
    if (!run(query, sql, {name}, failure)) {
        return false;
    }
    if (!query.next()) {
        return failSql(failure, query.lastError());
    }
    *n = query.value(0).toLongLong();
    return true;
}

QString counted(qint64 n, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

// How many rows hold the member, and the names of the first few of them, so a
// refusal tells the user where to look instead of only how much there is.
struct Holders
{
    qint64 count = 0;
    QStringList first;
};

constexpr int namedHolders = 3;

bool holders(const QString& connection,
             const QString& countSql,
             const QString& namesSql,
             const QString& name,
             Holders* out,
             MemberStore::Failure* failure)
{
    if (!count(connection, countSql, name, &out->count, failure)) {
        return false;
    }
    if (out->count == 0) {
        return true;
    }
    QSqlQuery query(Sql::db(connection));
    if (!run(query, namesSql.arg(namedHolders), {name}, failure)) {
        return false;
    }
    while (query.next()) {
        out->first << QStringLiteral("\"%1\"").arg(query.value(0).toString());
    }
    return query.lastError().type() == QSqlError::NoError || failSql(failure, query.lastError());
}

// "7 tasks ("A", "B", "C" and 4 more)"
QString described(const Holders& h, const QString& one, const QString& many)
{
    QString names = h.first.join(QStringLiteral(", "));
    if (h.count > h.first.size()) {
        names += QStringLiteral(" and %1 more").arg(h.count - h.first.size());
    }
    return counted(h.count, one, many) + QStringLiteral(" (") + names + QLatin1Char(')');
}

} // namespace

MemberStore::MemberStore(const QString& connection)
    : m_connection(connection)
{
}

bool MemberStore::connected(Failure* failure) const
{
    return Database::isOpen(m_connection) || fail(failure, QStringLiteral("The project file is not open."));
}

bool MemberStore::load(QList<MemberRecord>* members, Failure* failure, QList<RowImage>* images) const
{
    if (!connected(failure)) {
        return false;
    }
    QSqlQuery query(Sql::db(m_connection));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM RESOURCES ORDER BY R_NAME"))) {
        return failSql(failure, query.lastError());
    }
    QList<MemberRecord> rows;
    QList<RowImage> read;
    while (query.next()) {
        const QSqlRecord record = query.record();
        MemberRecord member;
        for (int i = 0; i < MemberFields::kCount; ++i) {
            MemberFields::setValue(member, i, record.value(MemberFields::column(i)).toString());
        }
        rows.append(member);
        read.append(RowImage::fromRecord(kTable, {kKey}, record));
    }
    if (query.lastError().isValid()) {
        return failSql(failure, query.lastError());
    }
    *members = rows;
    if (images) {
        *images = read;
    }
    return true;
}

bool MemberStore::read(const QString& name, RowImage* image, Failure* failure) const
{
    QString error;
    return RowImage::read(m_connection, kTable, {kKey}, {name}, image, &error) || fail(failure, error);
}

QString MemberStore::describedAs(const QString& name)
{
    return QStringLiteral("Team member \"%1\"").arg(name);
}

bool MemberStore::stillAsLoaded(const RowImage& loaded, Failure* failure) const
{
    bool conflict = false;
    QString error;
    if (loaded.stillCurrent(m_connection, describedAs(loaded.value(kKey).toString()), &conflict, &error)) {
        return true;
    }
    fail(failure, error);
    if (failure) {
        failure->conflict = conflict;
    }
    return false;
}

bool MemberStore::refuseTakenName(const QString& name, Failure* failure) const
{
    qint64 n = 0;
    if (!count(m_connection, QStringLiteral("SELECT COUNT(*) FROM RESOURCES WHERE R_NAME = ?"), name, &n, failure)) {
        return false;
    }
    return n == 0 || failDuplicate(failure, name);
}

bool MemberStore::prepareWrite(const MemberRecord& entered, MemberRecord* member, Failure* failure) const
{
    if (!connected(failure)) {
        return false;
    }
    *member = normalized(entered);
    return validate(*member, failure);
}

bool MemberStore::insert(const MemberRecord& entered, Failure* failure, RowImage* saved) const
{
    MemberRecord member;
    if (!prepareWrite(entered, &member, failure)) {
        return false;
    }
    Transaction tx(m_connection);
    if (!tx.isActive()) {
        return failTransaction(failure, tx);
    }
    QSqlQuery query(Sql::db(m_connection));
    if (!refuseTakenName(member.name, failure) ||
        !run(query,
             QStringLiteral("INSERT INTO RESOURCES (") + kColumns +
                 QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             fieldValues(member),
             failure) ||
        (saved && !read(member.name, saved, failure))) {
        return false;
    }
    if (!tx.commit()) {
        return failTransaction(failure, tx);
    }
    return true;
}

bool MemberStore::update(const RowImage& loaded, const MemberRecord& entered, Failure* failure, RowImage* saved) const
{
    const QString name = loaded.value(kKey).toString();
    MemberRecord member;
    if (!prepareWrite(entered, &member, failure)) {
        return false;
    }
    Transaction tx(m_connection);
    if (!tx.isActive()) {
        return failTransaction(failure, tx);
    }
    if (!stillAsLoaded(loaded, failure)) {
        return false;
    }
    // A change of letter case alone keeps the name; any other change must not meet another member.
    if (MemberName::key(member.name) != MemberName::key(name) && !refuseTakenName(member.name, failure)) {
        return false;
    }
    QSqlQuery query(Sql::db(m_connection));
    QStringList assignments;
    for (int i = 0; i < MemberFields::kCount; ++i) {
        assignments << MemberFields::column(i) + QStringLiteral(" = ?");
    }
    if (!run(query,
             QStringLiteral("UPDATE RESOURCES SET ") + assignments.join(QStringLiteral(", ")) +
                 QStringLiteral(" WHERE R_NAME = ?"),
             fieldValues(member) << name,
             failure)) {
        return false;
    }
    if (query.numRowsAffected() == 0) {
        return fail(failure,
                    QStringLiteral("The team member \"%1\" is no longer in the database; press Refresh to re-read the "
                                   "list.")
                        .arg(name));
    }
    if (member.name != name) {
        // The foreign keys cascade a new name, but not a change of letter case only,
        // which the name's collation sees as no change: spell it out for both.
        for (const QString& sql :
             {QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET FK_R_NAME = ? WHERE FK_R_NAME = ?"),
              QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = ? WHERE DEFAULT_RESOURCE = ?")}) {
            QSqlQuery carry(Sql::db(m_connection));
            if (!run(carry, sql, {member.name, name}, failure)) {
                return false;
            }
        }
    }
    if (saved && !read(member.name, saved, failure)) {
        return false;
    }
    if (!tx.commit()) {
        return failTransaction(failure, tx);
    }
    return true;
}

bool MemberStore::remove(const RowImage& loaded, Failure* failure) const
{
    if (!connected(failure)) {
        return false;
    }
    const QString name = loaded.value(kKey).toString();
    Transaction tx(m_connection);
    if (!tx.isActive()) {
        return failTransaction(failure, tx);
    }
    if (!stillAsLoaded(loaded, failure)) {
        return false;
    }
    Holders tasks;
    Holders goals;
    if (!holders(m_connection,
                 QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE WHERE FK_R_NAME = ?"),
                 QStringLiteral("SELECT t.SHORT_NAME FROM TASK_OBJECT_RESOURCE a JOIN TASKS_OBJECTS t"
                                " ON t.ID = a.FK_TASKID WHERE a.FK_R_NAME = ? ORDER BY t.ID LIMIT %1"),
                 name,
                 &tasks,
                 failure) ||
        !holders(m_connection,
                 QStringLiteral("SELECT COUNT(*) FROM GOALS_SW WHERE DEFAULT_RESOURCE = ?"),
                 QStringLiteral("SELECT SHORT_NAME FROM GOALS_SW WHERE DEFAULT_RESOURCE = ? ORDER BY ID LIMIT %1"),
                 name,
                 &goals,
                 failure)) {
        return false;
    }
    if (tasks.count > 0 || goals.count > 0) {
        QStringList reasons;
        QStringList remedies;
        if (tasks.count > 0) {
            reasons << QStringLiteral("is assigned to ") +
                    described(tasks, QStringLiteral("task"), QStringLiteral("tasks"));
            remedies << QStringLiteral("remove those assignments");
        }
        if (goals.count > 0) {
            reasons << QStringLiteral("is the default member of ") +
                    described(goals, QStringLiteral("goal"), QStringLiteral("goals"));
            remedies << QStringLiteral("choose another default member for those goals");
        }
        QString remedy = remedies.join(QStringLiteral(" and "));
        remedy[0] = remedy[0].toUpper();
        return fail(failure,
                    QStringLiteral("The team member \"%1\" cannot be deleted: the member %2. %3 first.")
                        .arg(name, reasons.join(QStringLiteral(" and ")), remedy));
    }
    QSqlQuery query(Sql::db(m_connection));
    if (!run(query, QStringLiteral("DELETE FROM RESOURCES WHERE R_NAME = ?"), {name}, failure)) {
        return false;
    }
    if (!tx.commit()) {
        return failTransaction(failure, tx);
    }
    return true;
}

MemberRecord MemberStore::normalized(const MemberRecord& member)
{
    MemberRecord result = member;
    result.name = member.name.trimmed();
    for (int d = 0; d < 7; ++d) {
        result.begin[d] = result.begin[d].trimmed();
        result.end[d] = result.end[d].trimmed();
        // Only a day emptied whole is a day off; one empty half stays empty for validate() to refuse.
        if (result.begin[d].isEmpty() && result.end[d].isEmpty()) {
            result.begin[d] = result.end[d] = QStringLiteral("00:00");
        }
    }
    return result;
}

bool MemberStore::validate(const MemberRecord& member, Failure* failure)
{
    if (member.name.trimmed().isEmpty()) {
        return fail(failure, QStringLiteral("Enter the team member's name."), MemberFields::kName);
    }
    for (int i = 1; i < MemberFields::kNotes; ++i) {
        const QString value = MemberFields::value(member, i);
        const QString day = MemberFields::dayName(MemberFields::weekday(i));
        if (value.isEmpty()) {
            // Read as midnight, an empty half would silently stretch or shift the day's hours.
            const bool begin = MemberFields::isBegin(i);
            return fail(failure,
                        QStringLiteral("The %1 of %2's working hours is empty while its %3 is %4. Enter both times "
                                       "as HH:MM, or empty both for no working hours on %2.")
                            .arg(begin ? QStringLiteral("begin") : QStringLiteral("end"),
                                 day,
                                 begin ? QStringLiteral("end") : QStringLiteral("begin"),
                                 MemberFields::value(member, begin ? i + 1 : i - 1)),
                        i);
        }
        if (!isTimeOfDay(value)) {
            return fail(
                failure,
                QStringLiteral("\"%1\" is not a time of day (%2 of %3's working hours). "
                               "Enter the time as HH:MM, for example 08:30.")
                    .arg(value, MemberFields::isBegin(i) ? QStringLiteral("begin") : QStringLiteral("end"), day),
                i);
        }
    }
    return true;
}

bool MemberStore::isTimeOfDay(const QString& text)
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("(?:[01][0-9]|2[0-3]):[0-5][0-9](?::[0-5][0-9])?")));
    return pattern.match(text).hasMatch();
}
