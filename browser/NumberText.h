#pragma once

#include <QLocale>
#include <QString>

// Numbers as the lists show them: the user's number format (decimal sign of the
// system locale, no group separators), up to 15 significant digits. A figure
// that is not known (see Figure) is empty text.
class NumberText
{
public:
    NumberText();

    QString number(double value) const;
    QString number(qint64 value) const;
    // A query value (see Figure::fromVariant): NULL and text are empty.
    QString value(const QVariant& value) const;
    // Rounded to two decimals, halves to the even neighbour.
    QString rounded(double value) const;

private:
    QLocale m_locale;
};
