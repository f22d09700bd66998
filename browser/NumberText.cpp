#include "browser/NumberText.h"

#include "common/Rounding.h"

#include <QVariant>

NumberText::NumberText()
    : m_locale(QLocale::system())
{
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::OmitGroupSeparator);
}

QString NumberText::number(double value) const
{
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
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return number(value.toLongLong());
    default:
        return number(value.toDouble());
    }
}

QString NumberText::rounded(double value) const
{
    return number(Rounding::halfEven(value, 2));
}
