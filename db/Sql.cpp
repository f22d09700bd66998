#include "db/Sql.h"

#include "common/ErrorText.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>

namespace {

QString foreignKeyCause()
{
    return QStringLiteral("The change refers to an entry that does not exist, or removes one still in use.");
}

// The engine's result code in words a user can act on. The engine's own text
// stays in the details, with the code, for whoever has to look further.
QString cause(int code, const QString& engineText)
{
    switch (code) {
    case 275: // a CHECK constraint
        return QStringLiteral("A value is outside what the project allows.");
    case 787: // a foreign key
        return foreignKeyCause();
    case 1299: // NOT NULL
        return QStringLiteral("A required value is missing.");
    case 1555: // PRIMARY KEY
    case 2067: // UNIQUE
        return QStringLiteral("An entry with the same name or number exists already.");
    case 1811: // a trigger of the project's schema: its message is ours, in words
        // ON DELETE RESTRICT is carried out like a trigger and reports under its code.
        if (engineText.startsWith(QLatin1String("FOREIGN KEY constraint failed"))) {
            return foreignKeyCause();
        }
        return engineText.endsWith(QLatin1Char('.')) ? engineText : engineText + QLatin1Char('.');
    default:
        break;
    }
    switch (code & 0xff) {
    case 5: // BUSY
    case 6: // LOCKED
        return QStringLiteral("The project is in use by another program or window. Try again in a moment.");
    case 7: // NOMEM
        return QStringLiteral("There is not enough memory.");
    case 8: // READONLY
        return QStringLiteral("The project cannot be written: the file or its folder is read-only.");
    case 9: // INTERRUPT
        return QStringLiteral("The work was interrupted.");
    case 10: // IOERR
        return QStringLiteral("The disk could not be read or written.");
    case 11: // CORRUPT
        return QStringLiteral("The project file is damaged.");
    case 13: // FULL
        return QStringLiteral("The disk is full.");
    case 14: // CANTOPEN
        return QStringLiteral("The file or its folder is missing or cannot be reached.");
    case 19: // CONSTRAINT
        return QStringLiteral("The change breaks a rule of the project's data.");
    case 23: // AUTH
    case 3: // PERM
        return QStringLiteral("Access to the project was denied.");
    case 26: // NOTADB
        return QStringLiteral("The file is not a project.");
    case 1: { // ERROR: in a file of ours, a part someone removed or renamed
        static const QRegularExpression missing(QStringLiteral("^no such (?:table|column): (?:main\\.)?(\\S+)"));
        const QRegularExpressionMatch m = missing.match(engineText);
        if (m.hasMatch()) {
            return QStringLiteral("The project lacks its part \"%1\": the file may be damaged or changed by another "
                                  "program.")
                .arg(m.captured(1));
        }
        return QStringLiteral("The database could not carry out the request.");
    }
    default:
        return QStringLiteral("The database could not carry out the request.");
    }
}

// The same for a team server's SQLSTATE (five characters, class first).
QString serverCause(const QString& state, const QString& engineText)
{
    static const QHash<QString, QString> exact = {
        {QStringLiteral("23514"), QStringLiteral("A value is outside what the project allows.")},
        {QStringLiteral("23503"),
         QStringLiteral("The change refers to an entry that does not exist, or removes one still in use.")},
        {QStringLiteral("23502"), QStringLiteral("A required value is missing.")},
        {QStringLiteral("23505"), QStringLiteral("An entry with the same name or number exists already.")},
        {QStringLiteral("25006"), QStringLiteral("The project is open read-only: nothing can be written.")},
        {QStringLiteral("42501"), QStringLiteral("Your server role may not do this.")},
        {QStringLiteral("40001"), QStringLiteral("Someone else changed the same data at the same time. Try again.")},
        {QStringLiteral("40P01"), QStringLiteral("Someone else changed the same data at the same time. Try again.")},
        {QStringLiteral("55P03"), QStringLiteral("The project is in use by someone else. Try again in a moment.")},
        {QStringLiteral("57014"),
         QStringLiteral("The server stopped the request: it took longer than the server allows one request "
                        "(statement_timeout of your role or database).")},
        {QStringLiteral("53100"), QStringLiteral("The server's disk is full.")},
    };
    if (state == QLatin1String("P0001")) { // a guard of the project's schema: its message is ours, in words
        const QString first = engineText.section(QLatin1Char('\n'), 0, 0).remove(QStringLiteral("ERROR:")).trimmed();
        return first.endsWith(QLatin1Char('.')) ? first : first + QLatin1Char('.');
    }
    if (const auto it = exact.constFind(state); it != exact.constEnd()) {
        return *it;
    }
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P"))) {
        return QStringLiteral("The connection to the server was lost; trying again connects anew.");
    }
    if (state.startsWith(QLatin1String("28"))) {
        return QStringLiteral("The server refused the login.");
    }
    if (state == QLatin1String("42P01") || state == QLatin1String("42703")) {
        return QStringLiteral("The project lacks a part it needs: the database may have been changed by another "
                              "program.");
    }
    return QStringLiteral("The database could not carry out the request.");
}

} // namespace

QString Sql::describe(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty()) {
        text = error.driverText();
    }
    const QString native = error.nativeErrorCode();
    static const QRegularExpression sqlState(QStringLiteral("^[0-9A-Z]{5}$"));
    // The file engine's codes are numbers below 10000; five characters are a SQLSTATE.
    if (sqlState.match(native).hasMatch()) {
        return ErrorText::withDetails(serverCause(native, text),
                                      QStringLiteral("PostgreSQL error %1: %2").arg(native, text.trimmed()));
    }
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    if (!numeric) {
        // An error of the driver itself, not of the engine: its text is all there is.
        return text;
    }
    return describe(code, text);
}

QString Sql::describe(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    const QSqlDriver* driver = query.driver();
    // Qt's driver closes itself when the session goes; what it then refuses carries no code.
    if (error.nativeErrorCode().isEmpty() && driver && driver->dbmsType() == QSqlDriver::PostgreSQL &&
        !driver->isOpen()) {
        return describe(QSqlError(error.driverText(), error.databaseText(), error.type(), QStringLiteral("08006")));
    }
    return describe(error);
}

QString Sql::describe(int code, const QString& engineText)
{
    return ErrorText::withDetails(cause(code, engineText),
                                  QStringLiteral("SQLite error %1: %2").arg(code).arg(engineText));
}

QString Sql::describe(const QString& what, const QSqlError& error)
{
    return ErrorText::withDetails(what, ErrorText::split(describe(error)).details);
}

bool Sql::prepare(QSqlQuery& query, const QString& sql, QString* error)
{
    if (query.prepare(sql)) {
        return true;
    }
    setError(error, describe(query));
    return false;
}

bool Sql::exec(QSqlQuery& query, QString* error)
{
    if (query.exec()) {
        return true;
    }
    setError(error, describe(query));
    return false;
}

bool Sql::exec(const QString& connection, const QString& sql, QString* error)
{
    QSqlQuery query(db(connection));
    if (query.exec(sql)) {
        return true;
    }
    setError(error, describe(query));
    return false;
}

bool Sql::run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    if (!prepare(query, sql, error)) {
        return false;
    }
    for (const QVariant& v : values) {
        query.addBindValue(v);
    }
    return exec(query, error);
}

bool Sql::run(const QString& connection, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery query(db(connection));
    return run(query, sql, values, error);
}

bool Sql::firstRow(QSqlQuery& query, const QString& sql, QString* error)
{
    query.setForwardOnly(true);
    if (query.exec(sql) && query.next()) {
        return true;
    }
    setError(error, describe(query));
    return false;
}
