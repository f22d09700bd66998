#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The per-user settings of application "Cairnwork", group "Settings". Values are
// stored as text. Tests point it at a file of their own.
class AppSettings
{
public:
    // The user's settings store.
    AppSettings();
    // An INI file at `path` (tests, screenshots).
    explicit AppSettings(const QString& path);
    ~AppSettings();

    QString value(const QString& key, const QString& defaultValue = QString()) const;
    void setValue(const QString& key, const QString& value);
    bool contains(const QString& key) const;
    void sync();

    QString dbPath() const { return value(QStringLiteral("DBPath")); }
    void setDbPath(const QString& path) { setValue(QStringLiteral("DBPath"), path); }

private:
    std::unique_ptr<QSettings> m_settings;
};
