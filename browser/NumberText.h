#pragma once

#include <QLocale>
#include <QString>

// Numbers as the lists show them: the user's number format (decimal sign of the
// system locale, no group separators), up to 15 significant digits.
class NumberText
{
public:
    NumberText();

    QString number(double value) const;
    QString number(qint64 value) const;
    // A query value: whole numbers as such, everything else as a double.
    QString value(const QVariant& value) const;
    // Rounded to two decimals, halves to the even neighbour.
    QString rounded(double value) const;

private:
    QLocale m_locale;
};
