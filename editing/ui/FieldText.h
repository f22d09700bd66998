#pragma once

#include <QLocale>
#include <QString>

// Numbers as the dialogs show them: the user's notation without group separators,
// so the text reads back to the same value.
inline QString fieldText(double value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}
