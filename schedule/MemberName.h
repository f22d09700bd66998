#pragma once

#include <QString>

// Member names are one member whatever their letter case, compared as the
// database's NOCASE collation compares them (ASCII letters only).
class MemberName
{
public:
    static QString key(const QString& name);
};
