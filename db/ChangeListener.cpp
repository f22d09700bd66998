#include "db/ChangeListener.h"

#include "db/Database.h"
#include "db/ServerSchema.h"
#include "db/Sql.h"

#include <QSqlDriver>

ChangeListener::ChangeListener(const QString& connection, QObject* parent)
    : QObject(parent)
    , m_connection(connection)
{
    if (!Database::isServer(connection)) {
        return;
    }
    QSqlDriver* driver = Sql::db(connection).driver();
    // The driver tells our own announcements from others' by the server process that sent them.
    connect(driver,
            &QSqlDriver::notification,
            this,
            [this](const QString& name, QSqlDriver::NotificationSource source, const QVariant& payload) {
                if (name == QLatin1String(ServerSchema::kChangeChannel) && source != QSqlDriver::SelfSource) {
                    Q_EMIT changed(payload.toString());
                }
            });
    m_listening = driver->subscribeToNotification(QLatin1String(ServerSchema::kChangeChannel));
}

ChangeListener::~ChangeListener()
{
    if (m_listening && Database::isOpen(m_connection)) {
        Sql::db(m_connection).driver()->unsubscribeFromNotification(QLatin1String(ServerSchema::kChangeChannel));
    }
}
