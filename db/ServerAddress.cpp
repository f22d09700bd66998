#include "db/ServerAddress.h"

#include "db/Sql.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

bool ServerAddress::isServer(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool ServerAddress::parse(const QString& location, ServerAddress* address, QString* error)
{
    // A local socket's folder stands percent-encoded where the host goes
    // ("postgresql://%2Fvar%2Frun%2Fpostgresql/plan"), which no host name may be: the URL is
    // read with a stand-in host and the folder put back after.
    static const QRegularExpression socketHost(QStringLiteral("^([a-z]+://(?:[^@/?#]*@)?)(%2F[^:/?#]*)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch socket = socketHost.match(location);
    const QString socketFolder = socket.hasMatch() ? QUrl::fromPercentEncoding(socket.captured(2).toUtf8()) : QString();
    const QUrl url(socket.hasMatch()
                       ? socket.captured(1) + QStringLiteral("localhost") + location.mid(socket.capturedEnd(2))
                       : location,
                   QUrl::StrictMode);
    const auto refuse = [&](const QString& why) {
        Sql::setError(error, QStringLiteral("\"%1\" is not a usable server address: %2").arg(location, why));
        return false;
    };
    if (!isServer(location) || !url.isValid()) {
        return refuse(QStringLiteral("write it as postgresql://USER@HOST:PORT/DBNAME"));
    }
    if (!url.password().isEmpty()) {
        // The message must not repeat the URL: it holds the password.
        Sql::setError(error,
                      QStringLiteral("A server address may not hold a password; put it in ~/.pgpass or the "
                                     "PGPASSWORD environment variable."));
        return false;
    }
    ServerAddress parsed;
    parsed.host = socket.hasMatch() ? socketFolder : url.host(QUrl::FullyDecoded);
    parsed.port = url.port(-1);
    parsed.user = url.userName(QUrl::FullyDecoded);
    parsed.database = url.path(QUrl::FullyDecoded).mid(1);
    if (parsed.database.isEmpty() || parsed.database.contains(QLatin1Char('/'))) {
        return refuse(QStringLiteral("it names no database (…/DBNAME)"));
    }
    // The driver joins its options with ';' into libpq's key=value list: values with
    // spaces, quotes or ';' would change its meaning.
    static const QRegularExpression key(QStringLiteral("^[a-z_]+$"));
    static const QRegularExpression value(QStringLiteral("^[^\\s;'\\\\]*$"));
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto& [name, text] : items) {
        if (!key.match(name).hasMatch() || !value.match(text).hasMatch()) {
            return refuse(QStringLiteral("the option \"%1\" cannot be passed on").arg(name));
        }
        if (name == QLatin1String("password")) {
            Sql::setError(error,
                          QStringLiteral("A server address may not hold a password; put it in ~/.pgpass or the "
                                         "PGPASSWORD environment variable."));
            return false;
        }
        parsed.options << name + QLatin1Char('=') + text;
    }
    *address = parsed;
    return true;
}

QString ServerAddress::shown() const
{
    // Built by hand: QUrl drops the empty authority of a local-socket address ("postgresql:///db").
    const auto encoded = [](const QString& part) { return QString::fromLatin1(QUrl::toPercentEncoding(part)); };
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty()) {
        text += encoded(user) + QLatin1Char('@');
    }
    text += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : encoded(host);
    if (port > 0) {
        text += QLatin1Char(':') + QString::number(port);
    }
    text += QLatin1Char('/') + encoded(database);
    if (!options.isEmpty()) {
        text += QLatin1Char('?') + options.join(QLatin1Char('&'));
    }
    return text;
}
