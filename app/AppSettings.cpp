#include "app/AppSettings.h"

namespace {
const QString kGroup = QStringLiteral("Settings/");
}

AppSettings::AppSettings()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Cairnwork"), QStringLiteral("Cairnwork")))
{
}

AppSettings::AppSettings(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

AppSettings::~AppSettings() = default;

QString AppSettings::value(const QString& key, const QString& defaultValue) const
{
    return m_settings->value(kGroup + key, defaultValue).toString();
}

void AppSettings::setValue(const QString& key, const QString& value)
{
    m_settings->setValue(kGroup + key, value);
}

bool AppSettings::contains(const QString& key) const
{
    return m_settings->contains(kGroup + key);
}

void AppSettings::sync()
{
    m_settings->sync();
}
