#include "common/Figure.h"

namespace {
bool isInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return true;
    default:
        return false;
    }
}
} // namespace

double Figure::fromOtherVariant(const QVariant& value)
{
    if (value.isNull()) {
        return kUnknown;
    }
    if (!isInteger(value) && value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float) {
        // SQLite keeps text it cannot read as a number as text, even in a REAL
        // column; "nan" or "inf" would otherwise parse.
        return kUnknown;
    }
    return checked(value.toDouble());
}

std::optional<qint64> Figure::wholeFromVariant(const QVariant& value)
{
    const double number = fromVariant(value);
    if (!isKnown(number) || number != std::trunc(number)) {
        return std::nullopt;
    }
    return qint64(number);
}
