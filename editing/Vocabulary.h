#pragma once

#include <QString>
#include <QStringList>

// The closed lists the dialogs offer, in the order they offer them.
namespace Vocabulary {

inline const QString kOpen = QStringLiteral("Open");
inline const QString kCompleted = QStringLiteral("Completed");
inline const QString kOnHold = QStringLiteral("On Hold");
inline const QString kClosed = QStringLiteral("Closed");

inline QStringList statusValues()
{
    return {kOpen, kCompleted, kOnHold, kClosed};
}

inline QStringList goalKinds()
{
    return {QStringLiteral("Goal"), QStringLiteral("Application")};
}

inline QStringList taskKinds()
{
    return {QStringLiteral("Task"), QStringLiteral("Software Object")};
}

// Suggested priorities; any whole number from 0 to 99 may be typed.
inline QStringList priorityChoices()
{
    return {QStringLiteral("10"),
            QStringLiteral("20"),
            QStringLiteral("30"),
            QStringLiteral("40"),
            QStringLiteral("50"),
            QStringLiteral("60"),
            QStringLiteral("70"),
            QStringLiteral("80"),
            QStringLiteral("90"),
            QStringLiteral("99")};
}

} // namespace Vocabulary
