#pragma once

#include <QString>
#include <QStringList>

// A project on a team server, named by a URL `postgresql://USER@HOST:PORT/DBNAME?OPTION=VALUE…`
// in place of a file path. Parts left out come from libpq's own environment (PGHOST,
// PGUSER…); the options (sslmode, connect_timeout…) pass through to libpq as they are.
// A password is never taken from the URL: it would end up in settings, shell history
// and messages. libpq finds it in ~/.pgpass or PGPASSWORD.
class ServerAddress
{
public:
    // True when `location` names a server rather than a file (by its scheme alone).
    static bool isServer(const QString& location);
    // Parses `location`; false with *error when it is no usable server URL.
    static bool parse(const QString& location, ServerAddress* address, QString* error);

    QString host; // empty: libpq's default (PGHOST, then the local socket)
    int port = -1; // -1: libpq's default
    QString user;
    QString database;
    QStringList options; // "key=value", for the driver's connect options

    // The address as people read it in messages: never a password.
    QString shown() const;
};
