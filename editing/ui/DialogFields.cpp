#include "editing/ui/DialogFields.h"

#include "editing/MemberNames.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

QComboBox* DialogFields::dropDown(QWidget* parent, const QString& name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

QComboBox* DialogFields::editableDropDown(QWidget* parent, const QString& name, const QStringList& items)
{
    QComboBox* box = dropDown(parent, name, items);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(QString());
    return box;
}

QLineEdit* DialogFields::line(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPlainTextEdit* DialogFields::text(QWidget* parent, const QString& name)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(name);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setTabChangesFocus(true);
    return edit;
}

QLineEdit* DialogFields::display(QWidget* parent, const QString& name)
{
    QLineEdit* edit = line(parent, name);
    edit->setEnabled(false);
    return edit;
}

QLineEdit* DialogFields::hidden(QWidget* parent, const QString& name)
{
    QLineEdit* edit = line(parent, name);
    edit->setVisible(false);
    return edit;
}

void DialogFields::select(QComboBox* box, const QString& value)
{
    int index = box->findText(value, Qt::MatchExactly);
    if (index < 0 && !value.isEmpty()) {
        index = box->findText(value, Qt::MatchFixedString);
    }
    box->setCurrentIndex(index);
    if (box->isEditable() && index < 0) {
        box->setEditText(value);
    }
}

void DialogFields::loadMembers(QComboBox* box, const QString& connection)
{
    QStringList names;
    QString ignored;
    MemberNames::all(connection, &names, &ignored);
    box->clear();
    box->addItems(names);
}
