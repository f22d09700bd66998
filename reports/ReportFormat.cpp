#include "reports/ReportFormat.h"

#include "common/Figure.h"
#include "common/Rounding.h"
#include "common/Stamp.h"

#include <QLocale>

QString ReportFormat::twoDecimals(double value)
{
    if (!Figure::isKnown(value)) {
        return {};
    }
    return QLocale::system().toString(Rounding::halfEven(value, 2), 'f', 2);
}

QString ReportFormat::asItComes(double value)
{
    if (!Figure::isKnown(value)) {
        return {};
    }
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'g', 15);
    if (text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        text = locale.toString(value, 'f', 6);
    }
    return text;
}

QString ReportFormat::integer(const std::optional<qint64>& value)
{
    return value ? QString::number(*value) : QString();
}

QString ReportFormat::dateTime(const QString& stored)
{
    return stored.isEmpty() ? QString() : Stamp::toDisplay(stored);
}

QString ReportFormat::printed(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
        locale.toString(when.time(), QLocale::ShortFormat);
}

QString ReportFormat::pageOfPages(int page, int pages)
{
    return QStringLiteral("%1/%2").arg(page).arg(pages);
}
