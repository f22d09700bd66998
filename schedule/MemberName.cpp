#include "schedule/MemberName.h"

QString MemberName::key(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            c = QChar(c.unicode() + ('a' - 'A'));
        }
    }
    return folded;
}
