#include "db/Schema.h"

#include "db/Sql.h"
#include "db/UndoLog.h"

namespace {

// Weekday working hours: TEXT "HH:MM" (or "HH:MM:SS"), a real time of day.
QString timeColumn(const QString& name)
{
    return QStringLiteral(
               "%1 TEXT NOT NULL DEFAULT '00:00' "
               "CHECK (length(%1) IN (5, 8) AND time(%1) IS NOT NULL AND substr(time(%1), 1, length(%1)) = %1)")
        .arg(name);
}

// The members' weekly hours a snapshot was scheduled with, one row per member: what
// a later comparison needs to replay that snapshot. Times as RESOURCES keeps them,
// unchecked, since they record what was read.
QString hoursTableStatement()
{
    QStringList days;
    for (const QString& day : Schema::dayColumnNames()) {
        days << day + QLatin1String(" TEXT NOT NULL");
    }
    return QStringLiteral("CREATE TABLE CompDatesHours ("
                          " TimeStamp TEXT NOT NULL,"
                          " R_NAME TEXT NOT NULL COLLATE NOCASE,"
                          " %1,"
                          " PRIMARY KEY (TimeStamp, R_NAME))")
        .arg(days.join(QStringLiteral(", ")));
}

QStringList tableStatements()
{
    QStringList days;
    for (const QString& day : Schema::dayColumnNames()) {
        days << timeColumn(day);
    }
    const QString statusCheck = QStringLiteral("CHECK (STATUS IN ('Open', 'Completed', 'On Hold', 'Closed'))");
    return {
        QStringLiteral("CREATE TABLE COUNTERS ("
                       " GOAL_APP INTEGER NOT NULL DEFAULT 0 CHECK (GOAL_APP >= 0),"
                       " TASK_OBJECT INTEGER NOT NULL DEFAULT 0 CHECK (TASK_OBJECT >= 0),"
                       " NOTE INTEGER NOT NULL DEFAULT 0 CHECK (NOTE >= 0))"),
        // Member names are compared without regard to letter case.
        QStringLiteral("CREATE TABLE RESOURCES ("
                       " R_NAME TEXT NOT NULL PRIMARY KEY COLLATE NOCASE CHECK (length(trim(R_NAME)) > 0),"
                       " %1,"
                       " R_DESCRIPTION TEXT)")
            .arg(days.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE GOALS_SW ("
                       " ID INTEGER PRIMARY KEY %2,"
                       " OBJECT_TYPE TEXT NOT NULL CHECK (OBJECT_TYPE IN ('Goal', 'Application')),"
                       " SHORT_NAME TEXT NOT NULL CHECK (SHORT_NAME <> ''),"
                       " PRIORITY INTEGER NOT NULL CHECK (PRIORITY BETWEEN 0 AND 99),"
                       " STATUS TEXT NOT NULL %1,"
                       " P_GID INTEGER %3 REFERENCES GOALS_SW (ID) ON DELETE CASCADE,"
                       " DESCRIPTION TEXT,"
                       " DEFAULT_RESOURCE TEXT COLLATE NOCASE"
                       "  REFERENCES RESOURCES (R_NAME) ON UPDATE CASCADE ON DELETE RESTRICT,"
                       " CREATED TEXT NOT NULL,"
                       " LAST_EDITED TEXT)")
            .arg(statusCheck, Schema::idCheck(QStringLiteral("ID")), Schema::idCheck(QStringLiteral("P_GID"))),
        QStringLiteral("CREATE TABLE TASKS_OBJECTS ("
                       " ID INTEGER PRIMARY KEY %2,"
                       " OBJECT_TYPE TEXT NOT NULL CHECK (OBJECT_TYPE IN ('Task', 'Software Object')),"
                       " SHORT_NAME TEXT NOT NULL CHECK (SHORT_NAME <> ''),"
                       " PRIORITY INTEGER NOT NULL CHECK (PRIORITY BETWEEN 0 AND 99),"
                       " STATUS TEXT NOT NULL %1,"
                       " DAYSPLANNED REAL NOT NULL %3,"
                       " FK_ID INTEGER NOT NULL %4 REFERENCES GOALS_SW (ID) ON DELETE CASCADE,"
                       " DESCRIPTION TEXT,"
                       " CREATED TEXT NOT NULL,"
                       " LAST_EDITED TEXT)")
            .arg(statusCheck,
                 Schema::idCheck(QStringLiteral("ID")),
                 Schema::rangeCheck(QStringLiteral("DAYSPLANNED"), Schema::kMaxDays),
                 Schema::idCheck(QStringLiteral("FK_ID"))),
        QStringLiteral("CREATE TABLE TASK_OBJECT_RESOURCE ("
                       " FK_TASKID INTEGER NOT NULL %1 REFERENCES TASKS_OBJECTS (ID) ON DELETE CASCADE,"
                       " FK_R_NAME TEXT NOT NULL COLLATE NOCASE"
                       "  REFERENCES RESOURCES (R_NAME) ON UPDATE CASCADE ON DELETE RESTRICT,"
                       " PER_WORKLOAD REAL NOT NULL DEFAULT 0 %2,"
                       " PER_COMPLETED REAL NOT NULL DEFAULT 0 %3,"
                       " DAYS_NEEDED REAL NOT NULL DEFAULT 0 %4,"
                       " PRIMARY KEY (FK_TASKID, FK_R_NAME))")
            .arg(Schema::idCheck(QStringLiteral("FK_TASKID")),
                 Schema::rangeCheck(QStringLiteral("PER_WORKLOAD"), Schema::kMaxPercent),
                 Schema::rangeCheck(QStringLiteral("PER_COMPLETED"), Schema::kMaxPercent),
                 Schema::rangeCheck(QStringLiteral("DAYS_NEEDED"), Schema::kMaxDays)),
        QStringLiteral("CREATE TABLE TASK_OBJECT_WORKSHEET ("
                       " NID INTEGER PRIMARY KEY %1,"
                       " TASKID INTEGER NOT NULL %2 REFERENCES TASKS_OBJECTS (ID) ON DELETE CASCADE,"
                       " NOTES TEXT,"
                       " TIMESTAMP TEXT NOT NULL)")
            .arg(Schema::idCheck(QStringLiteral("NID")), Schema::idCheck(QStringLiteral("TASKID"))),
        // Snapshot rows. Only ID (numbered by the database) and GT_ID carry defaults:
        // every column a row kind does not write stays NULL.
        QStringLiteral("CREATE TABLE CompDates ("
                       " ID INTEGER PRIMARY KEY,"
                       " TimeStamp TEXT NOT NULL,"
                       " OBJ TEXT NOT NULL CHECK (OBJ IN ('G', 'T', 'R')),"
                       " GT_ID INTEGER DEFAULT 0,"
                       " GT_Type TEXT,"
                       " GT_Name TEXT,"
                       " GT_Path TEXT,"
                       " GT_Priority INTEGER,"
                       " GT_Status TEXT,"
                       " GT_Parent_ID INTEGER,"
                       " Res TEXT COLLATE NOCASE,"
                       " Res_PerWrk REAL,"
                       " Planned REAL,"
                       " PerComp REAL,"
                       " Needed REAL,"
                       " Est REAL,"
                       " Diff REAL,"
                       " Progress REAL,"
                       " Completion_Order TEXT,"
                       " Tree_Depth INTEGER,"
                       " Calc INTEGER,"
                       " HTreeSort INTEGER,"
                       " HName TEXT,"
                       " Completion_Date TEXT,"
                       " CompOrderObj INTEGER)"),
        hoursTableStatement(),
    };
}

QStringList guardStatements()
{
    return {
        // COUNTERS keeps exactly one row.
        QStringLiteral("CREATE TRIGGER COUNTERS_one_row BEFORE INSERT ON COUNTERS"
                       " WHEN (SELECT COUNT(*) FROM COUNTERS) > 0"
                       " BEGIN SELECT RAISE(ABORT, 'COUNTERS holds exactly one row'); END"),
        QStringLiteral("CREATE TRIGGER COUNTERS_keep_row BEFORE DELETE ON COUNTERS"
                       " BEGIN SELECT RAISE(ABORT, 'COUNTERS holds exactly one row'); END"),
        // The goal hierarchy is a tree: a goal may not become its own ancestor.
        QStringLiteral("CREATE TRIGGER GOALS_SW_no_cycle_insert BEFORE INSERT ON GOALS_SW"
                       " WHEN NEW.P_GID IS NOT NULL AND NEW.P_GID = NEW.ID"
                       " BEGIN SELECT RAISE(ABORT, 'A goal cannot be its own parent'); END"),
        QStringLiteral("CREATE TRIGGER GOALS_SW_no_cycle_update BEFORE UPDATE OF P_GID, ID ON GOALS_SW"
                       " WHEN NEW.P_GID IS NOT NULL AND ("
                       "  NEW.P_GID = NEW.ID OR EXISTS ("
                       "   WITH RECURSIVE up(gid) AS ("
                       "    SELECT NEW.P_GID"
                       "    UNION SELECT g.P_GID FROM GOALS_SW g JOIN up ON g.ID = up.gid WHERE g.P_GID IS NOT NULL)"
                       "   SELECT 1 FROM up WHERE gid = OLD.ID OR gid = NEW.ID))"
                       " BEGIN SELECT RAISE(ABORT, 'A goal cannot be moved below itself'); END"),
    };
}

QStringList indexStatements()
{
    return {
        QStringLiteral("CREATE INDEX GOALS_SW_P_GID ON GOALS_SW (P_GID)"),
        QStringLiteral("CREATE INDEX GOALS_SW_DEFAULT_RESOURCE ON GOALS_SW (DEFAULT_RESOURCE)"),
        QStringLiteral("CREATE INDEX TASKS_OBJECTS_FK_ID ON TASKS_OBJECTS (FK_ID)"),
        QStringLiteral("CREATE INDEX TASK_OBJECT_RESOURCE_FK_R_NAME ON TASK_OBJECT_RESOURCE (FK_R_NAME)"),
        QStringLiteral("CREATE INDEX TASK_OBJECT_WORKSHEET_TASKID ON TASK_OBJECT_WORKSHEET (TASKID)"),
        // One snapshot by kind and object: roll-up joins, report joins, chart filters.
        QStringLiteral("CREATE INDEX CompDates_Stamp_Obj ON CompDates (TimeStamp, OBJ, GT_ID)"),
        // Outline order of one snapshot (overview report).
        QStringLiteral("CREATE INDEX CompDates_Stamp_Sort ON CompDates (TimeStamp, HTreeSort)"),
        // History of one object or member across all snapshots (charts).
        QStringLiteral("CREATE INDEX CompDates_Obj_Id ON CompDates (OBJ, GT_ID)"),
        // The members present in the snapshots, and one assignment's history (member and task).
        QStringLiteral("CREATE INDEX CompDates_Res ON CompDates (Res, GT_Parent_ID)"),
        // Member figures (CompDatesRes) straight from the index, in member and snapshot
        // order: reading them from the table costs one page visit per assignment row.
        // OBJ and Calc are constant here; listed so that this SQLite sees the index as covering.
        QStringLiteral("CREATE INDEX CompDates_Member ON CompDates"
                       " (Res, TimeStamp, Planned, Est, PerComp, Needed, Diff, Completion_Date, OBJ, Calc)"
                       " WHERE OBJ = 'R' AND Calc = 1"),
    };
}

// Per-assignment figures shared by the live views, with the snapshot's formulas:
// a = planned share, e = estimate, a - e = difference.
const char* const kAssignmentFigures =
    "CREATE VIEW qAssignmentFigures AS"
    " SELECT r.FK_TASKID, r.FK_R_NAME, r.PER_WORKLOAD, r.PER_COMPLETED, r.DAYS_NEEDED,"
    "  t.DAYSPLANNED / 100.0 * r.PER_WORKLOAD AS Planned,"
    "  CASE WHEN r.PER_COMPLETED = 0 THEN t.DAYSPLANNED / 100.0 * r.PER_WORKLOAD"
    "   ELSE r.DAYS_NEEDED * 100.0 / r.PER_COMPLETED END AS Est,"
    "  r.PER_COMPLETED * r.PER_WORKLOAD / 100.0 AS PerTotWkldDone"
    " FROM TASK_OBJECT_RESOURCE r JOIN TASKS_OBJECTS t ON t.ID = r.FK_TASKID";

QStringList viewStatements()
{
    const QString sum =
        QStringLiteral("COALESCE((SELECT SUM(f.%1) FROM qAssignmentFigures f WHERE f.FK_TASKID = t.ID), 0)");
    return {
        QString::fromLatin1(kAssignmentFigures),
        QStringLiteral("CREATE VIEW qTreeGoal AS SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS, P_GID FROM GOALS_SW"),
        QStringLiteral(
            "CREATE VIEW qTreeTasks AS SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS, FK_ID FROM TASKS_OBJECTS"),
        // An assignment shows its task's icon; a share done to 100 % shows as completed.
        QStringLiteral("CREATE VIEW qTreeRes AS"
                       " SELECT r.FK_TASKID, r.FK_R_NAME, t.OBJECT_TYPE,"
                       "  CASE WHEN t.STATUS = 'Open' AND r.PER_COMPLETED = 100 THEN 'Completed' ELSE t.STATUS END"
                       "   AS STATUS,"
                       "  r.FK_R_NAME AS ID"
                       " FROM TASK_OBJECT_RESOURCE r JOIN TASKS_OBJECTS t ON t.ID = r.FK_TASKID"),
        QStringLiteral("CREATE VIEW qLvTasksGoals AS"
                       " SELECT ID, SHORT_NAME, OBJECT_TYPE, STATUS, PRIORITY, P_GID FROM GOALS_SW"),
        QStringLiteral("CREATE VIEW qLvTasks AS"
                       " SELECT t.ID, t.SHORT_NAME, t.OBJECT_TYPE, t.STATUS, t.PRIORITY, t.DAYSPLANNED, t.FK_ID,"
                       "  %1 AS PDONE, %2 AS DaysNeed, %3 AS NewEstimateR, t.DAYSPLANNED - %3 AS DIFFERENCE"
                       " FROM TASKS_OBJECTS t")
            .arg(sum.arg(QStringLiteral("PerTotWkldDone")),
                 sum.arg(QStringLiteral("DAYS_NEEDED")),
                 sum.arg(QStringLiteral("Est"))),
        QStringLiteral("CREATE VIEW qCalcSubGoalValues AS SELECT ID, STATUS, P_GID FROM GOALS_SW"),
        // Tasks that count towards their goal, as in the snapshot: Open and Completed.
        QStringLiteral(
            "CREATE VIEW qCalcGoalValues AS"
            " SELECT ID, FK_ID, DAYSPLANNED, PDONE, DaysNeed AS dNeed, NewEstimateR AS newEstimate, DIFFERENCE"
            " FROM qLvTasks WHERE STATUS IN ('Open', 'Completed')"),
        QStringLiteral("CREATE VIEW qLvResource AS"
                       " SELECT FK_TASKID, FK_R_NAME, PER_WORKLOAD, PER_COMPLETED, PerTotWkldDone, DAYS_NEEDED,"
                       "  Est AS NewEstimateR, Planned - Est AS diff"
                       " FROM qAssignmentFigures"),
        QStringLiteral("CREATE VIEW qLvNotes AS SELECT NID, NOTES, TIMESTAMP, TASKID FROM TASK_OBJECT_WORKSHEET"),
        QStringLiteral("CREATE VIEW qPropertiesGoal AS SELECT * FROM GOALS_SW"),
        QStringLiteral("CREATE VIEW qPropertiesTask AS SELECT * FROM TASKS_OBJECTS"),
        QStringLiteral("CREATE VIEW qPropertiesRes AS SELECT * FROM TASK_OBJECT_RESOURCE"),
        QStringLiteral("CREATE VIEW qPropertiesNote AS SELECT * FROM TASK_OBJECT_WORKSHEET"),
        // One row per member and snapshot, over the member's calculated assignment rows.
        QStringLiteral("CREATE VIEW CompDatesRes AS"
                       " SELECT Res, TimeStamp,"
                       "  SUM(Planned) AS SPlanned,"
                       "  SUM(Est) AS SEst,"
                       "  CASE WHEN SUM(Planned) > 0 THEN SUM(Planned * PerComp) / SUM(Planned) ELSE 0 END AS SPerComp,"
                       "  SUM(Needed) AS SNeeded,"
                       "  SUM(Diff) AS SDiff,"
                       "  MAX(Completion_Date) AS SCompletion_Date,"
                       "  CASE WHEN SUM(Planned) > 0 THEN (SUM(Planned) - SUM(Est)) / SUM(Planned) ELSE 0 END"
                       "   AS SProgress"
                       " FROM CompDates WHERE OBJ = 'R' AND Calc = 1"
                       " GROUP BY Res, TimeStamp"),
        QStringLiteral("CREATE VIEW rptVBHierarchy AS SELECT * FROM CompDates ORDER BY TimeStamp, HTreeSort DESC"),
        // Each assignment row of a snapshot with its task row. Both schedule numbers
        // are the task's place in the order of work.
        QStringLiteral("CREATE VIEW rptVBScheduleTeamMembers AS"
                       " SELECT r.TimeStamp AS TT, r.Res AS R_RES,"
                       "  r.GT_Status AS R_STATUS, r.Res_PerWrk AS R_PW, r.PerComp AS R_COMP, r.Diff AS R_DIFF,"
                       "  r.Completion_Date AS R_DATE,"
                       "  t.GT_Name AS T_NAME, t.GT_Path AS T_PATH, t.GT_Status AS T_STATUS,"
                       "  t.PerComp AS T_COMP, t.Diff AS T_DIFF, t.Completion_Date AS T_DATE,"
                       "  t.CompOrderObj AS CounterTask, t.CompOrderObj AS T_CounterTask,"
                       "  t.GT_ID AS T_ID"
                       " FROM CompDates r"
                       " JOIN CompDates t ON t.TimeStamp = r.TimeStamp AND t.OBJ = 'T' AND t.GT_ID = r.GT_Parent_ID"
                       " WHERE r.OBJ = 'R'"),
    };
}

} // namespace

QStringList Schema::sharedStatements()
{
    return indexStatements() + viewStatements();
}

bool Schema::create(const QString& connection, QString* error)
{
    QStringList statements = tableStatements() + guardStatements() + sharedStatements();
    statements << QStringLiteral("INSERT INTO COUNTERS (GOAL_APP, TASK_OBJECT, NOTE) VALUES (0, 0, 0)")
               << QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)
               << QStringLiteral("PRAGMA user_version = %1").arg(kVersion);
    for (const QString& sql : statements) {
        if (!Sql::exec(connection, sql, error)) {
            return false;
        }
    }
    return UndoLog::create(connection, error);
}

bool Schema::migrate(const QString& connection, int fromVersion, QString* error)
{
    if (fromVersion < 1 || fromVersion > kVersion) {
        Sql::setError(error, QStringLiteral("Unknown schema version %1.").arg(fromVersion));
        return false;
    }
    // Each step brings the file one version up; snapshots taken before version 2
    // keep no hours, which readers of CompDatesHours must say.
    // Version 2 also drops an index no read uses any more, which every snapshot row
    // paid for.
    if (fromVersion < 2 &&
        (!Sql::exec(connection, hoursTableStatement(), error) ||
         !Sql::exec(connection, QStringLiteral("DROP INDEX IF EXISTS CompDates_Depth"), error))) {
        return false;
    }
    // Version 3 keeps the steps a user can take back; the file's earlier history is not known.
    if (fromVersion < 3 && !UndoLog::create(connection, error)) {
        return false;
    }
    return Sql::exec(connection, QStringLiteral("PRAGMA user_version = %1").arg(kVersion), error);
}

QStringList Schema::requiredTables()
{
    return {QStringLiteral("COUNTERS"),
            QStringLiteral("RESOURCES"),
            QStringLiteral("GOALS_SW"),
            QStringLiteral("TASKS_OBJECTS"),
            QStringLiteral("TASK_OBJECT_RESOURCE"),
            QStringLiteral("TASK_OBJECT_WORKSHEET"),
            QStringLiteral("CompDates")};
}

QString Schema::idCheck(const QString& column)
{
    return QStringLiteral("CHECK (%1 >= 1)").arg(column);
}

// No NaN (stored as NULL), no infinity, no negative or absurd values. Text and blobs
// sort above every number and fail too (on the server NaN sorts above every number).
QString Schema::rangeCheck(const QString& column, double max)
{
    return QStringLiteral("CHECK (%1 BETWEEN 0 AND %2)").arg(column).arg(max, 0, 'f', 0);
}

QStringList Schema::dayColumnNames()
{
    QStringList names;
    for (const char* d : {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"}) {
        names << QLatin1String(d) + QLatin1String("_BEG") << QLatin1String(d) + QLatin1String("_END");
    }
    return names;
}
