#include "common/CsvField.h"

QString CsvField::text(const QString& text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    QString field = text;
    // Indentation does not protect: some spreadsheets trim leading spaces on import.
    qsizetype first = 0;
    while (first < field.size() && field.at(first) == QLatin1Char(' ')) {
        ++first;
    }
    if (first < field.size() && kFormulaStarts.contains(field.at(first))) {
        field.prepend(QLatin1Char('\''));
    }
    const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
        field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) || field.startsWith(QLatin1Char(' ')) ||
        field.endsWith(QLatin1Char(' '));
    if (!needsQuotes) {
        return field;
    }
    field.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}
