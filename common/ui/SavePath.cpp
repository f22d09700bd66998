#include "common/ui/SavePath.h"

#include <QFileInfo>
#include <QStandardPaths>

QString SavePath::inDocuments(const QString& name)
{
    QString safe = name;
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')}) {
        safe.replace(c, QLatin1Char('-'));
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') + safe.simplified();
}

QString SavePath::withSuffix(const QString& path, const QString& suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + suffix : path;
}
