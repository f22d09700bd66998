#include "common/ErrorText.h"

#include <QStringList>

namespace {
const QString kPrefix = QStringLiteral("Details: ");
}

QString ErrorText::withDetails(const QString& cause, const QString& details)
{
    return details.isEmpty() ? cause : cause + QLatin1Char('\n') + kPrefix + details;
}

ErrorText::Parts ErrorText::split(const QString& message)
{
    QStringList text;
    QStringList details;
    for (const QString& line : message.split(QLatin1Char('\n'))) {
        if (line.startsWith(kPrefix)) {
            details << line.mid(kPrefix.size());
        } else {
            text << line;
        }
    }
    return {text.join(QLatin1Char('\n')).trimmed(), details.join(QLatin1Char('\n'))};
}
