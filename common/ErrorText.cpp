#include "common/ErrorText.h"

#include <QStringList>

namespace {
const QString kPrefix = QStringLiteral("Details: ");
}

QString ErrorText::withDetails(const QString& cause, const QString& details)
{
    if (details.isEmpty()) {
        return cause;
    }
    // Every line of an engine's text is a details line: a server's message runs
    // over several, and none of them belongs with the cause.
    QString text = cause;
    for (const QString& line : details.split(QLatin1Char('\n'))) {
        text += QLatin1Char('\n') + kPrefix + line;
    }
    return text;
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
