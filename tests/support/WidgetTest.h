#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

// Finding, filling and clicking the parts of real widgets by objectName, for every
// window and dialog test.
namespace WidgetTest {

// The child `name` of `parent`; a missing one ends the test run, naming it.
template <typename T = QWidget>
T* child(const QObject* parent, const QString& name)
{
    T* found = parent ? parent->findChild<T*>(name) : nullptr;
    if (!found) {
        qFatal("no %s", qPrintable(name));
    }
    return found;
}

// Chooses `item` as a click on its text would, without aiming the mouse.
inline void clickNode(QTreeWidgetItem* item)
{
    item->treeWidget()->setCurrentItem(item);
    Q_EMIT item->treeWidget()->itemClicked(item, 0);
}

// Clicks near the left end of the row (none: the pane's blank space below the rows);
// returns the point clicked, in global coordinates.
inline QPoint clickRow(QTreeWidget* view, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
{
    QPoint at(20, view->viewport()->height() - 5);
    if (item) {
        view->scrollToItem(item);
        const QRect rect = view->visualItemRect(item);
        at = QPoint(rect.left() + 10, rect.center().y());
    }
    QTest::mouseClick(view->viewport(), button, {}, at);
    return view->viewport()->mapToGlobal(at);
}

inline QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text) {
            return parent->child(i);
        }
    }
    return nullptr;
}

inline QTreeWidgetItem* rowNamed(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == text) {
            return list->topLevelItem(i);
        }
    }
    return nullptr;
}

inline QStringList rowTexts(QTreeWidget* list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

// Runs `answer` on the next modal dialog named `objectName` as soon as it is up;
// gives up after a few seconds so a missing dialog fails the test instead of
// hanging it.
inline void whenModal(const QString& objectName, std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, objectName, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

inline void typeInto(QWidget* dialog, const char* name, const QString& text)
{
    QWidget* w = dialog->findChild<QWidget*>(QLatin1String(name));
    QVERIFY2(w, name);
    if (auto* box = qobject_cast<QComboBox*>(w); box && box->isEditable()) {
        w = box->lineEdit();
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->selectAll();
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        edit->selectAll();
    }
    QTest::keyClicks(w, text);
}

inline void chooseIn(QWidget* dialog, const char* name, const QString& text)
{
    auto* box = dialog->findChild<QComboBox*>(QLatin1String(name));
    QVERIFY2(box, name);
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
}

inline void clickButton(QWidget* dialog, const char* name)
{
    auto* button = dialog->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

using Fields = QList<std::pair<const char*, QString>>;

// Fills the named fields of a dialog: a choice from a closed list, typed text otherwise.
inline void fill(QWidget* dialog, const Fields& fields)
{
    for (const auto& [name, value] : fields) {
        auto* box = dialog->findChild<QComboBox*>(QLatin1String(name));
        if (box && !box->isEditable()) {
            chooseIn(dialog, name, value);
        } else {
            typeInto(dialog, name, value);
        }
    }
}

// Answers the next modal dialog named `objectName` with `fields` and OK.
inline void answerWith(const QString& objectName, const Fields& fields)
{
    whenModal(objectName, [fields](QWidget* d) {
        fill(d, fields);
        clickButton(d, "OK");
    });
}

} // namespace WidgetTest
