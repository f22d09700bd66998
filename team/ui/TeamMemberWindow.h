#pragma once

#include "team/TeamMemberForm.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

// The modeless window "Team Members" (frmResources): one team member at a time in
// sixteen fields, the record buttons and the navigation buttons. It opens its own
// connection to the project file, so the main window stays usable meanwhile, and
// closes it when destroyed; it deletes itself when closed. Closing writes a change
// typed while browsing (and stays open if that is refused) and drops an addition
// or edit not confirmed with "Update".
//
// Child objectNames: fields "txtFields_0" .. "txtFields_15" (0 name, 1..14 begin and
// end of Monday .. Sunday, 15 notes, a multi-line field), labels "lblLabels_0" ..
// "lblLabels_8" (name, Monday .. Sunday, notes), rows "picButtons" and "picStatBox",
// buttons cmdAdd, cmdEdit, cmdDelete, cmdRefresh, cmdClose, cmdUpdate, cmdCancel,
// cmdFirst, cmdPrevious, cmdNext, cmdLast and the label lblStatus. UI thread only.
class TeamMemberWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TeamMemberWindow(const QString& dbPath, QWidget* parent = nullptr);
    ~TeamMemberWindow() override;

    // The window's own connection name.
    const QString& connectionName() const { return m_connection; }
    // Reads the members again and shows the current one (after an undo or redo).
    void reload();
    // On a team server: shows the members as others changed them, staying on the member
    // shown; while one is added, edited or typed over, once that is done.
    void followServer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void placeRows();
    // Shows the form's current record, status text and button states.
    void showRecord();
    void fieldEdited(int index, const QString& text);
    // A record button's step: beep when asked, the description alone on failure.
    void recordStep(const TeamMemberForm::Result& result);
    void handleKey(int key, Qt::KeyboardModifiers modifiers);
    int px(int twips) const;
    int twips(int pixels) const;

    QString m_connection;
    TeamMemberForm m_form;
    QList<QWidget*> m_fields;
    QList<QLabel*> m_labels;
    QWidget* m_picButtons = nullptr;
    QWidget* m_picStatBox = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdEdit = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdRefresh = nullptr;
    QPushButton* m_cmdClose = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdFirst = nullptr;
    QPushButton* m_cmdPrevious = nullptr;
    QPushButton* m_cmdNext = nullptr;
    QPushButton* m_cmdLast = nullptr;
    QLabel* m_lblStatus = nullptr;
    bool m_showing = false; // fields are being filled, not typed into
    QTimer* m_followTimer = nullptr; // one re-read for a burst of announcements
    bool m_othersChanged = false; // announced members not shown yet
};
