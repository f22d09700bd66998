#pragma once

#include <QStringList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Field controls of the property dialogs, each named after the column it shows.
class DialogFields
{
public:
    // A drop-down list without free text.
    static QComboBox* dropDown(QWidget* parent, const QString& name, const QStringList& items);
    // A combo box whose edit field takes any text.
    static QComboBox* editableDropDown(QWidget* parent, const QString& name, const QStringList& items);
    static QLineEdit* line(QWidget* parent, const QString& name);
    // A multi-line text with a vertical scroll bar.
    static QPlainTextEdit* text(QWidget* parent, const QString& name);
    // A disabled line that only shows a value.
    static QLineEdit* display(QWidget* parent, const QString& name);
    // A hidden line holding a key.
    static QLineEdit* hidden(QWidget* parent, const QString& name);
    // Selects `value` in a drop-down (exact match first, then ignoring letter case);
    // a value the list does not hold leaves the box empty.
    static void select(QComboBox* box, const QString& value);
    // Refills `box` with the member names; a list that cannot be read stays empty,
    // as with any other step of preparing a dialog.
    static void loadMembers(QComboBox* box, const QString& connection);
};
