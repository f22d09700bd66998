#pragma once

#include <QStringList>

// The team member names the dialogs offer, sorted by name.
class MemberNames
{
public:
    static bool all(const QString& connection, QStringList* names, QString* error);
};
