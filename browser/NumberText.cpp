#include "browser/NumberText.h"

#include "common/Figure.h"
#include "common/Rounding.h"

#include <QVariant>

NumberText::NumberText()
    : m_locale(QLocale::system())
{
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::OmitGroupSeparator);
}

QString NumberText::number(double value) const
{
    if (!Figure::isKnown(value)) {
        return {};
    }
    // A rounded -0.001 must not read "-0".
    if (value == 0) {
        value = 0;
    }
    return m_locale.toString(value, 'g', 15);
}

QString NumberText::number(qint64 value) const
{
    return m_locale.toString(value);
}

QString NumberText::value(const QVariant& value) const
{
    // Whole numbers below Figure::kLimit print alike as doubles and as integers.
    return number(Figure::fromVariant(value));
}

QString NumberText::rounded(double value) const
{
    return number(Rounding::halfEven(value, 2));
}
