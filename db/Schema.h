#pragma once

#include <QString>
#include <QStringList>

// The project file's schema: tables, views (the saved queries by their names),
// keys, cascades, indexes and guards. Version history lives in migrate().
class Schema
{
public:
    // 'CWK1' in the file header marks a Cairnwork project.
    static constexpr qint32 kApplicationId = 0x43574B31;
    // 2: CompDatesHours keeps each snapshot's weekly hours.
    // 3: the undo log (UndoLog) keeps the steps a user can take back.
    static constexpr int kVersion = 3;
    // The largest number of days a task may plan or an assignment may have needed
    // (about 2,700 years): keeps every sum, product and rounding of them finite and
    // exact enough. Percentages lie between 0 and 100.
    static constexpr double kMaxDays = 1000000.0;
    static constexpr double kMaxPercent = 100.0;

    // Creates the whole current schema and the COUNTERS row in an empty database.
    // The caller holds the transaction.
    static bool create(const QString& connection, QString* error);
    // Brings a file of an older version up to kVersion; the caller holds the transaction.
    static bool migrate(const QString& connection, int fromVersion, QString* error);
    // The indexes and views, in SQL both engines read alike (a server project runs
    // them after its own tables).
    static QStringList sharedStatements();
    // Column rules both engines write alike. An identifier (or a reference to one) is a
    // whole number from 1; NULL passes a CHECK, so optional references stay optional.
    static QString idCheck(const QString& column);
    // A number a user can type into the dialogs: between 0 and `max`.
    static QString rangeCheck(const QString& column, double max);
    // The weekly hours' columns, MON_BEG, MON_END, ... SUN_END.
    static QStringList dayColumnNames();
    // Tables every project file has; used to recognise damaged files.
    static QStringList requiredTables();
};
