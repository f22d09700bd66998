#pragma once

#include <QString>

struct pg_conn;
using PGconn = pg_conn;
struct pg_result;
using PGresult = pg_result;

// The libpq handle behind a Qt SQL connection to a team server, for the work that
// goes straight through libpq (bulk rows, hot reads). Two copies of libpq in one
// process would each keep their own protocol state, so the handle is handed out only
// when the Qt driver is proven to call this program's own libpq. Display-free; the
// connection's own thread only.
class PgHandle
{
public:
    // The open connection's handle when libpq may be called on it directly: a server
    // connection of Qt's driver, linked to this program's own libpq, blocking, in
    // UTF-8, with no other request still reading its results. Null otherwise.
    static PGconn* of(const QString& connection);
    // True when the connection is one to a server that has gone (the server ended our
    // session or the network dropped it), though Qt may not have noticed yet.
    static bool isLost(const QString& connection);

    // The server's refusal in `result` in the wording of every other server error
    // (Sql::describe); the connection's own message where the result has none.
    static QString describe(const PGresult* result, PGconn* conn);
};
