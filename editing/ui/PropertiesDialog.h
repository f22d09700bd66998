#pragma once

#include "db/RowImage.h"
#include "editing/EditOutcome.h"
#include "editing/PropertiesValidation.h"

#include <QDialog>

class Clock;
class QPushButton;
class QLayout;

// What the four property dialogs share: caption "Properties", the OK (default)
// and Cancel (Escape) buttons at the bottom, the connection they work on, the
// clock that stamps their saves and the outcome of the last OK. A dialog is
// created once by its opener and prepared afresh for every use. UI thread only.
class PropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    ~PropertiesDialog() override;

    // The clock that stamps CREATED, LAST_EDITED and TIMESTAMP; the system clock
    // when none is set. Not owned.
    void setClock(const Clock* clock) { m_clock = clock; }
    // What the last OK saved; written is false after a Cancel or an OK that
    // changed nothing.
    const EditOutcome& outcome() const { return m_outcome; }

protected:
    PropertiesDialog(QWidget* parent, const QString& objectName);

    // Adds the OK and Cancel row below `form`; OK runs accept-or-stay via onOk().
    void finishLayout(QLayout* form);
    virtual void onOk() = 0;
    // Reads the edited row again and shows it, after someone else changed it; false
    // (with the reason shown) when it can no longer be read.
    virtual bool reload() = 0;

    const Clock& clock() const;
    const QString& connection() const { return m_connection; }
    void begin(const QString& connection);
    // Shows the dialog modally and reports whether OK saved something.
    bool run();

    // Shows a validation problem in the error box and puts the focus on its field.
    void showProblem(const PropertiesValidation::Problem& problem);
    void showError(const QString& message);
    // Closes the dialog after a successful save (or an OK with nothing to save),
    // or shows the error and stays open. A row someone else changed meanwhile is
    // shown afresh (reload()); one that is gone closes the dialog.
    void finish(const EditOutcome& outcome);

    // The edited row as loaded; a save goes through only while the row is still so.
    RowImage m_loaded;

private:
    const Clock* m_clock = nullptr;
    QString m_connection;
    EditOutcome m_outcome;
};
