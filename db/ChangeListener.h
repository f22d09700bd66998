#pragma once

#include <QObject>
#include <QString>

// Hears the changes other connections commit to a project on a team server (the
// server announces each one); on a file it hears nothing. Changes made through
// `connection` itself are not reported: whoever made them has shown them already.
// Lives as long as the connection is open or shorter. UI thread only.
class ChangeListener : public QObject
{
    Q_OBJECT

public:
    explicit ChangeListener(const QString& connection, QObject* parent = nullptr);
    ~ChangeListener() override;

    // True when announcements reach this listener.
    bool isListening() const { return m_listening; }

Q_SIGNALS:
    // Another connection committed a change to `table` (lower case, e.g. "goals_sw").
    void changed(const QString& table);

private:
    QString m_connection;
    bool m_listening = false;
};
