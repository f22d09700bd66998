#include "db/ServerSchema.h"

#include "db/Schema.h"
#include "db/Sql.h"
#include "db/UndoLog.h"

namespace {

const char* const kText = "TEXT COLLATE \"C\"";
const char* const kName = "CITEXT COLLATE \"C\"";

QString timeColumn(const QString& name)
{
    return QStringLiteral("%1 TEXT COLLATE \"C\" NOT NULL DEFAULT '00:00'"
                          " CHECK (%1 ~ '^([01][0-9]|2[0-3]):[0-5][0-9](:[0-5][0-9])?$')")
        .arg(name);
}

QString dayColumns(bool checked)
{
    QStringList days;
    for (const QString& name : Schema::dayColumnNames()) {
        days << (checked ? timeColumn(name) : name + QStringLiteral(" TEXT COLLATE \"C\" NOT NULL"));
    }
    return days.join(QStringLiteral(", "));
}

QStringList tableStatements()
{
    const QString status = QStringLiteral("CHECK (STATUS IN ('Open', 'Completed', 'On Hold', 'Closed'))");
    const QString version =
        QStringLiteral("%1 BIGINT NOT NULL DEFAULT 1").arg(QLatin1String(ServerSchema::kVersionColumn));
    const QString text = QLatin1String(kText);
    const QString name = QLatin1String(kName);
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"),
        QStringLiteral("CREATE TABLE COUNTERS ("
                       " GOAL_APP BIGINT NOT NULL DEFAULT 0 CHECK (GOAL_APP >= 0),"
                       " TASK_OBJECT BIGINT NOT NULL DEFAULT 0 CHECK (TASK_OBJECT >= 0),"
                       " NOTE BIGINT NOT NULL DEFAULT 0 CHECK (NOTE >= 0))"),
        QStringLiteral("CREATE TABLE RESOURCES ("
                       " R_NAME %2 NOT NULL PRIMARY KEY CHECK (length(trim(R_NAME)) > 0),"
                       " %1,"
                       " R_DESCRIPTION %3, %4)")
            .arg(dayColumns(true), name, text, version),
        QStringLiteral("CREATE TABLE GOALS_SW ("
                       " ID BIGINT PRIMARY KEY %2,"
                       " OBJECT_TYPE %5 NOT NULL CHECK (OBJECT_TYPE IN ('Goal', 'Application')),"
                       " SHORT_NAME %5 NOT NULL CHECK (SHORT_NAME <> ''),"
                       " PRIORITY BIGINT NOT NULL CHECK (PRIORITY BETWEEN 0 AND 99),"
                       " STATUS %5 NOT NULL %1,"
                       " P_GID BIGINT %3 REFERENCES GOALS_SW (ID) ON DELETE CASCADE,"
                       " DESCRIPTION %5,"
                       " DEFAULT_RESOURCE %4 REFERENCES RESOURCES (R_NAME) ON UPDATE CASCADE ON DELETE RESTRICT,"
                       " CREATED %5 NOT NULL,"
                       " LAST_EDITED %5, %6)")
            .arg(status,
                 Schema::idCheck(QStringLiteral("ID")),
                 Schema::idCheck(QStringLiteral("P_GID")),
                 name,
                 text,
                 version),
        QStringLiteral("CREATE TABLE TASKS_OBJECTS ("
                       " ID BIGINT PRIMARY KEY %2,"
                       " OBJECT_TYPE %5 NOT NULL CHECK (OBJECT_TYPE IN ('Task', 'Software Object')),"
                       " SHORT_NAME %5 NOT NULL CHECK (SHORT_NAME <> ''),"
                       " PRIORITY BIGINT NOT NULL CHECK (PRIORITY BETWEEN 0 AND 99),"
                       " STATUS %5 NOT NULL %1,"
                       " DAYSPLANNED DOUBLE PRECISION NOT NULL %3,"
                       " FK_ID BIGINT NOT NULL %4 REFERENCES GOALS_SW (ID) ON DELETE CASCADE,"
                       " DESCRIPTION %5,"
                       " CREATED %5 NOT NULL,"
                       " LAST_EDITED %5, %6)")
            .arg(status,
                 Schema::idCheck(QStringLiteral("ID")),
                 Schema::rangeCheck(QStringLiteral("DAYSPLANNED"), Schema::kMaxDays),
                 Schema::idCheck(QStringLiteral("FK_ID")),
                 text,
                 version),
        QStringLiteral("CREATE TABLE TASK_OBJECT_RESOURCE ("
                       " FK_TASKID BIGINT NOT NULL %1 REFERENCES TASKS_OBJECTS (ID) ON DELETE CASCADE,"
                       " FK_R_NAME %5 NOT NULL REFERENCES RESOURCES (R_NAME) ON UPDATE CASCADE ON DELETE RESTRICT,"
                       " PER_WORKLOAD DOUBLE PRECISION NOT NULL DEFAULT 0 %2,"
                       " PER_COMPLETED DOUBLE PRECISION NOT NULL DEFAULT 0 %3,"
                       " DAYS_NEEDED DOUBLE PRECISION NOT NULL DEFAULT 0 %4,"
                       " %6, PRIMARY KEY (FK_TASKID, FK_R_NAME))")
            .arg(Schema::idCheck(QStringLiteral("FK_TASKID")),
                 Schema::rangeCheck(QStringLiteral("PER_WORKLOAD"), Schema::kMaxPercent),
                 Schema::rangeCheck(QStringLiteral("PER_COMPLETED"), Schema::kMaxPercent),
                 Schema::rangeCheck(QStringLiteral("DAYS_NEEDED"), Schema::kMaxDays),
                 name,
                 version),
        QStringLiteral("CREATE TABLE TASK_OBJECT_WORKSHEET ("
                       " NID BIGINT PRIMARY KEY %1,"
                       " TASKID BIGINT NOT NULL %2 REFERENCES TASKS_OBJECTS (ID) ON DELETE CASCADE,"
                       " NOTES %3,"
                       " TIMESTAMP %3 NOT NULL, %4)")
            .arg(Schema::idCheck(QStringLiteral("NID")), Schema::idCheck(QStringLiteral("TASKID")), text, version),
        // Snapshot rows: numbered by the server; only ID and GT_ID have defaults.
        QStringLiteral("CREATE TABLE CompDates ("
                       " ID BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                       " TimeStamp %1 NOT NULL,"
                       " OBJ %1 NOT NULL CHECK (OBJ IN ('G', 'T', 'R')),"
                       " GT_ID BIGINT DEFAULT 0,"
                       " GT_Type %1, GT_Name %1, GT_Path %1,"
                       " GT_Priority BIGINT,"
                       " GT_Status %1,"
                       " GT_Parent_ID BIGINT,"
                       " Res %2,"
                       " Res_PerWrk DOUBLE PRECISION, Planned DOUBLE PRECISION, PerComp DOUBLE PRECISION,"
                       " Needed DOUBLE PRECISION, Est DOUBLE PRECISION, Diff DOUBLE PRECISION,"
                       " Progress DOUBLE PRECISION,"
                       " Completion_Order %1,"
                       " Tree_Depth BIGINT, Calc BIGINT, HTreeSort BIGINT,"
                       " HName %1, Completion_Date %1,"
                       " CompOrderObj BIGINT)")
            .arg(text, name),
        QStringLiteral("CREATE TABLE CompDatesHours ("
                       " TimeStamp %2 NOT NULL,"
                       " R_NAME %3 NOT NULL, %1,"
                       " PRIMARY KEY (TimeStamp, R_NAME))")
            .arg(dayColumns(false), text, name),
    };
}

QStringList guardStatements()
{
    return {
        QStringLiteral("CREATE FUNCTION cw_counters_one_row() RETURNS trigger LANGUAGE plpgsql AS $$"
                       " BEGIN"
                       "  IF TG_OP = 'DELETE' OR EXISTS (SELECT 1 FROM COUNTERS) THEN"
                       "   RAISE EXCEPTION 'COUNTERS holds exactly one row';"
                       "  END IF;"
                       "  RETURN NEW;"
                       " END $$"),
        QStringLiteral("CREATE TRIGGER COUNTERS_one_row BEFORE INSERT OR DELETE ON COUNTERS"
                       " FOR EACH ROW EXECUTE FUNCTION cw_counters_one_row()"),
        // The goal hierarchy is a tree: a goal may not become its own ancestor. The walk
        // up stops at the first repeat (UNION), whatever the stored rows.
        QStringLiteral("CREATE FUNCTION cw_goals_no_cycle() RETURNS trigger LANGUAGE plpgsql AS $$"
                       " BEGIN"
                       "  IF NEW.P_GID IS NULL THEN RETURN NEW; END IF;"
                       "  IF TG_OP = 'INSERT' AND NEW.P_GID = NEW.ID THEN"
                       "   RAISE EXCEPTION 'A goal cannot be its own parent';"
                       "  END IF;"
                       "  IF TG_OP = 'UPDATE' AND EXISTS ("
                       "   WITH RECURSIVE up(gid) AS ("
                       "    SELECT NEW.P_GID"
                       "    UNION SELECT g.P_GID FROM GOALS_SW g JOIN up ON g.ID = up.gid WHERE g.P_GID IS NOT NULL)"
                       "   SELECT 1 FROM up WHERE gid = OLD.ID OR gid = NEW.ID) THEN"
                       "   RAISE EXCEPTION 'A goal cannot be moved below itself';"
                       "  END IF;"
                       "  RETURN NEW;"
                       " END $$"),
        QStringLiteral("CREATE TRIGGER GOALS_SW_no_cycle BEFORE INSERT OR UPDATE OF P_GID, ID ON GOALS_SW"
                       " FOR EACH ROW EXECUTE FUNCTION cw_goals_no_cycle()"),
        QStringLiteral("CREATE FUNCTION cw_next_version() RETURNS trigger LANGUAGE plpgsql AS $$"
                       " BEGIN NEW.%1 := OLD.%1 + 1; RETURN NEW; END $$")
            .arg(QLatin1String(ServerSchema::kVersionColumn)),
    };
}

const char* const kVersionedTables[] = {
    "RESOURCES", "GOALS_SW", "TASKS_OBJECTS", "TASK_OBJECT_RESOURCE", "TASK_OBJECT_WORKSHEET"};

QStringList versionTriggers()
{
    QStringList statements;
    for (const char* table : kVersionedTables) {
        statements << QStringLiteral("CREATE TRIGGER %1_version BEFORE UPDATE ON %1"
                                     " FOR EACH ROW EXECUTE FUNCTION cw_next_version()")
                          .arg(QLatin1String(table));
    }
    return statements;
}

// Every committed change is announced once per statement and table (the server folds
// equal announcements of one transaction into one), so other windows can refresh.
QStringList notifyStatements()
{
    QStringList statements = {
        QStringLiteral("CREATE OR REPLACE FUNCTION cw_announce_change() RETURNS trigger LANGUAGE plpgsql AS $$"
                       " BEGIN PERFORM pg_notify('%1', lower(TG_TABLE_NAME)); RETURN NULL; END $$")
            .arg(QLatin1String(ServerSchema::kChangeChannel))};
    for (const QString& table : Schema::requiredTables()) {
        statements << QStringLiteral(
                          "CREATE OR REPLACE TRIGGER %1_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE"
                          " ON %1 FOR EACH STATEMENT EXECUTE FUNCTION cw_announce_change()")
                          .arg(table);
    }
    return statements;
}

// The undo log (UndoLog) in this engine's terms. The step a transaction writes for is a
// setting local to that transaction, so the steps of two people never mix; each step
// belongs to the role that made it. The log triggers fire after the foreign keys'
// own (their names sort after them), so a cascade logs the rows below first.
QStringList undoStatements()
{
    QStringList statements = {
        QStringLiteral("CREATE TABLE UndoStep ("
                       " ID BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                       " NAME TEXT NOT NULL,"
                       " CREATED TEXT NOT NULL,"
                       " DONE INTEGER NOT NULL DEFAULT 1 CHECK (DONE IN (0, 1)),"
                       " OWNER TEXT NOT NULL DEFAULT current_user)"),
        QStringLiteral("CREATE INDEX UndoStep_Owner ON UndoStep (OWNER, ID)"),
        QStringLiteral("CREATE TABLE UndoEntry ("
                       " ID BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                       " STEP BIGINT NOT NULL REFERENCES UndoStep (ID) ON DELETE CASCADE,"
                       " TBL TEXT NOT NULL,"
                       " KIND TEXT NOT NULL CHECK (KIND IN ('I', 'U', 'D')))"),
        QStringLiteral("CREATE INDEX UndoEntry_Step ON UndoEntry (STEP)"),
        QStringLiteral("CREATE FUNCTION cw_undo_log() RETURNS trigger LANGUAGE plpgsql AS $$"
                       " DECLARE step BIGINT := nullif(current_setting('%1', true), '')::bigint; entry BIGINT;"
                       " BEGIN"
                       "  IF step IS NULL THEN RETURN NULL; END IF;"
                       "  INSERT INTO UndoEntry (STEP, TBL, KIND) VALUES (step, TG_ARGV[0], left(TG_OP, 1))"
                       "   RETURNING ID INTO entry;"
                       "  IF TG_OP <> 'INSERT' THEN"
                       "   EXECUTE format('INSERT INTO %I SELECT $1, 0, ($2).*', TG_ARGV[1]) USING entry, OLD;"
                       "  END IF;"
                       "  IF TG_OP <> 'DELETE' THEN"
                       "   EXECUTE format('INSERT INTO %I SELECT $1, 1, ($2).*', TG_ARGV[1]) USING entry, NEW;"
                       "  END IF;"
                       "  RETURN NULL;"
                       " END $$")
            .arg(QLatin1String(ServerSchema::kUndoStepSetting)),
    };
    for (const QString& table : UndoLog::capturedTables()) {
        const QString image = UndoLog::imageTable(table);
        // LIKE copies the columns in order, with their types: an image holds the row exactly.
        statements << QStringLiteral("CREATE TABLE %1 ("
                                     " LOG BIGINT NOT NULL REFERENCES UndoEntry (ID) ON DELETE CASCADE,"
                                     " SIDE INTEGER NOT NULL, LIKE %2, PRIMARY KEY (LOG, SIDE))")
                          .arg(image, table)
                   << QStringLiteral("CREATE TRIGGER %1_undo AFTER INSERT OR UPDATE OR DELETE ON %1"
                                     " FOR EACH ROW EXECUTE FUNCTION cw_undo_log('%1', '%2')")
                          .arg(table, image.toLower());
    }
    return statements;
}

// Functions of the file engine that the shared views and queries call, with the
// same results on the values this program stores.
QStringList compatibilityStatements()
{
    return {
        // datetime(stamp, '+0 seconds'): the stamp itself when it is a real date and
        // time in the stored form, else NULL; other modifiers as intervals.
        QStringLiteral("CREATE FUNCTION datetime(t TEXT, modifier TEXT) RETURNS TEXT"
                       " LANGUAGE plpgsql IMMUTABLE AS $$"
                       " BEGIN"
                       "  IF t IS NULL OR t !~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}( [0-9]{2}:[0-9]{2}(:[0-9]{2})?)?$' THEN"
                       "   RETURN NULL;"
                       "  END IF;"
                       "  RETURN to_char(t::timestamp + modifier::interval, 'YYYY-MM-DD HH24:MI:SS');"
                       " EXCEPTION WHEN others THEN RETURN NULL;"
                       " END $$"),
        // strftime(format, stamp) for the parts the charts group by: %Y, %m and %d.
        QStringLiteral("CREATE FUNCTION strftime(fmt TEXT, t TEXT) RETURNS TEXT LANGUAGE sql IMMUTABLE AS $$"
                       " SELECT replace(replace(replace(fmt, '%Y', substr(s, 1, 4)), '%m', substr(s, 6, 2)),"
                       "  '%d', substr(s, 9, 2)) FROM (SELECT datetime(t, '+0 seconds') AS s) AS v"
                       "  WHERE s IS NOT NULL $$"),
        QStringLiteral("CREATE FUNCTION printf(fmt TEXT, n BIGINT) RETURNS TEXT LANGUAGE sql IMMUTABLE AS $$"
                       " SELECT CASE fmt WHEN '%02d' THEN to_char(n, 'FM00') WHEN '%d' THEN n::text END $$"),
        // date(stamp [, modifier…]): intervals such as '-6 days', and 'weekday N' (forward
        // to the next day N, Sunday 0, or stay on it).
        QStringLiteral("CREATE FUNCTION date(t TEXT, VARIADIC modifiers TEXT[] DEFAULT '{}') RETURNS TEXT"
                       " LANGUAGE plpgsql IMMUTABLE AS $$"
                       " DECLARE d TIMESTAMP; m TEXT; s TEXT := datetime(t, '+0 seconds');"
                       " BEGIN"
                       "  IF s IS NULL THEN RETURN NULL; END IF;"
                       "  d := s::timestamp;"
                       "  FOREACH m IN ARRAY modifiers LOOP"
                       "   IF m ~ '^weekday [0-6]$' THEN"
                       "    d := d + ((substr(m, 9)::int - extract(dow FROM d)::int + 7) % 7) * interval '1 day';"
                       "   ELSE d := d + m::interval; END IF;"
                       "  END LOOP;"
                       "  RETURN to_char(d, 'YYYY-MM-DD');"
                       " END $$"),
        // The file engine counts whole milliseconds from its day zero and divides once:
        // the same steps give the same double.
        QStringLiteral("CREATE FUNCTION julianday(t TEXT) RETURNS DOUBLE PRECISION LANGUAGE sql IMMUTABLE AS $$"
                       " SELECT ((extract(epoch FROM s::timestamp) * 1000)::bigint + 210866760000000)"
                       "  / 86400000.0::double precision"
                       " FROM (SELECT datetime(t, '+0 seconds') AS s) AS v WHERE s IS NOT NULL $$"),
        QStringLiteral("CREATE FUNCTION likely(b BOOLEAN) RETURNS BOOLEAN LANGUAGE sql IMMUTABLE AS $$ SELECT b $$"),
        // The file engine's two-argument max(): NULL when either is NULL.
        QStringLiteral("CREATE FUNCTION max(a TEXT, b TEXT) RETURNS TEXT LANGUAGE sql IMMUTABLE AS $$"
                       " SELECT CASE WHEN a IS NULL OR b IS NULL THEN NULL ELSE GREATEST(a, b) END $$"),
        // Unary plus on a column keeps the file engine from using an index; here it is the value.
        QStringLiteral("CREATE FUNCTION cw_same(t TEXT) RETURNS TEXT LANGUAGE sql IMMUTABLE AS $$ SELECT t $$"),
        QStringLiteral("CREATE OPERATOR + (RIGHTARG = TEXT, FUNCTION = cw_same)"),
    };
}

} // namespace

bool ServerSchema::create(const QString& connection, QString* error)
{
    QStringList statements = tableStatements() + guardStatements() + versionTriggers() + notifyStatements() +
        undoStatements() + compatibilityStatements() + Schema::sharedStatements();
    statements << QStringLiteral("INSERT INTO COUNTERS (GOAL_APP, TASK_OBJECT, NOTE) VALUES (0, 0, 0)")
               << QStringLiteral("CREATE TABLE %1 (APPLICATION_ID INTEGER NOT NULL, USER_VERSION INTEGER NOT NULL)")
                      .arg(QLatin1String(kFormatTable))
               << QStringLiteral("INSERT INTO %1 VALUES (%2, %3)")
                      .arg(QLatin1String(kFormatTable))
                      .arg(Schema::kApplicationId)
                      .arg(Schema::kVersion);
    for (const QString& sql : statements) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return true;
}

bool ServerSchema::ensureNotifications(const QString& connection, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::firstRow(query,
                       QStringLiteral("SELECT count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                                      " WHERE c.relnamespace = current_schema()::regnamespace"
                                      " AND t.tgname LIKE '%\\_announce' AND t.tgenabled <> 'D'"),
                       error)) {
        return false;
    }
    if (query.value(0).toInt() == Schema::requiredTables().size()) {
        return true;
    }
    const QStringList statements = notifyStatements();
    for (const QString& sql : statements) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return true;
}

bool ServerSchema::missingGuards(const QString& connection, QStringList* names, QString* error)
{
    QStringList guards = {QStringLiteral("goals_sw_no_cycle")};
    for (const char* table : kVersionedTables) {
        guards << QString::fromLatin1(table).toLower() + QStringLiteral("_version");
    }
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::run(query,
                  QStringLiteral("SELECT g FROM unnest(string_to_array(?, ',')) AS g WHERE NOT EXISTS ("
                                 " SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                                 "  WHERE c.relnamespace = current_schema()::regnamespace"
                                 "  AND t.tgname = g AND t.tgenabled <> 'D') ORDER BY g"),
                  {guards.join(QLatin1Char(','))},
                  error)) {
        return false;
    }
    names->clear();
    while (query.next()) {
        names->append(query.value(0).toString());
    }
    return true;
}

bool ServerSchema::unreadable(
    const QString& connection, const QStringList& tables, QStringList* names, QString* user, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::run(query,
                  QStringLiteral("SELECT current_user, t FROM unnest(string_to_array(lower(?), ',')) AS t"
                                 " WHERE NOT has_table_privilege(t, 'SELECT') ORDER BY t"),
                  {tables.join(QLatin1Char(','))},
                  error)) {
        return false;
    }
    names->clear();
    while (query.next()) {
        *user = query.value(0).toString();
        names->append(query.value(1).toString());
    }
    return true;
}

bool ServerSchema::hasUndoLog(const QString& connection, bool* present, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    // A role that may write some of the log but not all of it would have every save fail.
    if (!Sql::firstRow(
            query,
            QStringLiteral("SELECT count(*) = %1 AND bool_and(has_table_privilege(c.oid, 'SELECT')"
                           " AND has_table_privilege(c.oid, 'INSERT') AND has_table_privilege(c.oid, 'UPDATE')"
                           " AND has_table_privilege(c.oid, 'DELETE')) FROM pg_class c"
                           " WHERE c.relkind = 'r' AND c.relnamespace = current_schema()::regnamespace"
                           " AND (c.relname IN ('undostep', 'undoentry') OR c.relname LIKE 'undoimage\\_%')")
                .arg(UndoLog::capturedTables().size() + 2),
            error)) {
        return false;
    }
    *present = query.value(0).toBool();
    return true;
}

bool ServerSchema::ensureUndoLog(const QString& connection, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::firstRow(query, QStringLiteral("SELECT to_regclass('undostep') IS NOT NULL"), error)) {
        return false;
    }
    if (query.value(0).toBool()) {
        return true;
    }
    const QStringList statements = undoStatements();
    for (const QString& sql : statements) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return true;
}

bool ServerSchema::mayWrite(const QString& connection, bool* writable, QString* user, QString* error)
{
    // The tables every edit writes; a role granted only some of them still reads.
    QSqlQuery query(Sql::db(connection));
    if (!Sql::firstRow(query,
                       QStringLiteral("SELECT current_user, bool_and(has_table_privilege(t, 'INSERT')"
                                      " AND has_table_privilege(t, 'UPDATE') AND has_table_privilege(t, 'DELETE'))"
                                      " FROM unnest(ARRAY['goals_sw', 'tasks_objects', 'task_object_resource',"
                                      "  'task_object_worksheet', 'resources', 'counters', 'compdates']) AS t"),
                       error)) {
        return false;
    }
    *user = query.value(0).toString();
    *writable = query.value(1).toBool();
    return true;
}

bool ServerSchema::tables(const QString& connection, QStringList* names, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    // The catalogue, not information_schema: that lists only the tables the role may use,
    // and a role denied one table would find the project damaged, or the database empty.
    if (!query.exec(QStringLiteral("SELECT lower(relname) FROM pg_class WHERE relnamespace ="
                                   " (SELECT oid FROM pg_namespace WHERE nspname = current_schema())"
                                   " AND relkind IN ('r', 'p', 'v', 'm', 'f') ORDER BY 1"))) {
        Sql::setError(error, Sql::describe(query));
        return false;
    }
    names->clear();
    while (query.next()) {
        names->append(query.value(0).toString());
    }
    return true;
}

bool ServerSchema::foldsAsciiOnly(const QString& connection, bool* ascii, QString* ctype, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::firstRow(
            query, QStringLiteral("SELECT datctype FROM pg_database WHERE datname = current_database()"), error)) {
        return false;
    }
    *ctype = query.value(0).toString();
    *ascii = *ctype == QLatin1String("C") || *ctype == QLatin1String("POSIX");
    return true;
}

bool ServerSchema::format(const QString& connection, int* applicationId, int* version, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT APPLICATION_ID, USER_VERSION FROM %1").arg(QLatin1String(kFormatTable)))) {
        Sql::setError(error, Sql::describe(query));
        return false;
    }
    if (!query.next()) {
        *applicationId = 0;
        *version = 0;
        return true;
    }
    *applicationId = query.value(0).toInt();
    *version = query.value(1).toInt();
    return true;
}
