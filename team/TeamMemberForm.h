#pragma once

#include "team/MemberStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

// The team member form without its widgets: the members in the order they were
// read, the current record (with "before the first" and "past the last"
// positions), the fields' pending values, the add and edit states, the position
// saved by "Add", and the button and key rules. The window shows what this holds
// and turns each Result into a beep or a message. UI thread only.
class TeamMemberForm
{
public:
    enum class Mode { Browse, Add, Edit };
    enum class KeyAction { None, Close, First, Previous, Next, Last };

    // What a step did. A failed step changed nothing unless its description says so
    // (a deletion that went through, followed by a move that could not).
    struct Result
    {
        bool ok = true;
        bool beep = false; // a move ran into either end of the list
        bool close = false; // the window should close
        QString code; // the database's error number, when there is one
        QString description; // in words; an engine error adds a details line (ErrorText)
        int field = -1; // the field at fault (MemberFields index)
    };

    // Visibility and enabled state of the two button rows.
    struct Buttons
    {
        bool recordButtons = true; // cmdAdd, cmdEdit, cmdDelete, cmdRefresh, cmdClose visible
        bool updateCancel = false; // cmdUpdate, cmdCancel visible
        bool navigation = true; // cmdFirst, cmdPrevious, cmdNext, cmdLast enabled
        bool operator==(const Buttons&) const = default;
    };
    // The buttons for the browse state (true) or the add and edit states (false).
    static Buttons SetButtons(bool browse);

    // The move keys; Escape closes. `modifiers` counts as "Ctrl only" when it is
    // exactly Ctrl (the keypad flag aside).
    static KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers);

    explicit TeamMemberForm(const QString& connection);

    // Reads the members in name order and shows the first.
    Result load();

    Mode mode() const { return m_mode; }
    bool isAdding() const { return m_mode == Mode::Add; }
    bool isEditing() const { return m_mode == Mode::Edit; }
    Buttons buttons() const { return SetButtons(m_mode == Mode::Browse); }
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool isBof() const { return m_rows.isEmpty() || m_pos < 0; }
    bool isEof() const { return m_rows.isEmpty() || m_pos >= m_rows.size(); }
    bool hasCurrent() const { return !isBof() && !isEof(); }
    // 1 for the first record; 0 without a current record.
    int absolutePosition() const { return hasCurrent() ? m_pos + 1 : 0; }
    // "Record: N", "Add record" or "Edit record".
    QString statusText() const;

    // The current record's fields as shown (pending changes included); empty without one.
    QString field(int index) const;
    QStringList fields() const;
    // A change typed into a field. It is written by "Update", or when the current
    // record is left (a move, "Add", "Refresh"); dropped by "Cancel". Ignored without a current record.
    void setField(int index, const QString& text);
    bool hasPendingChange() const;
    // The name the current record is stored under; empty for a new one.
    QString storedName() const;

    Result add();
    Result edit();
    Result update();
    Result cancel();
    // A write refused because someone else changed or removed the member since the
    // form read it reloads the list and shows the member as it now stands; the
    // refusal comes back as the Result.
    Result remove();
    Result refresh();
    // Others changed the members: re-reads them and stays on the member shown (or on the
    // record at the same place when it is gone). Only while browsing with nothing typed;
    // otherwise false, and nothing changes (what is typed is checked when written).
    bool followChanges(Result* result);

    Result moveFirst();
    Result movePrevious();
    Result moveNext();
    Result moveLast();

    // The window is closing. A change typed while browsing is written, as when the
    // record is left (a refusal keeps the form open); an addition or edit not
    // confirmed with "Update" is dropped.
    Result closing();

    // Runs the key's step; keys do nothing while adding or editing.
    Result key(int key, Qt::KeyboardModifiers modifiers);

private:
    struct Row
    {
        qint64 bookmark = 0;
        MemberRecord stored;
        RowImage image; // the row as read or last written, for the next write's check
        bool isNew = false;
    };

    static Result failure(const MemberStore::Failure& f);
    static Result failure(const QString& description);
    Result emptyListFailure() const;
    Result browseOnly() const;
    bool reread(Result* result);
    bool writePending(Result* result);
    // After a write someone else overtook: re-reads the list and shows the member
    // `name` as it now stands (or the record at the same place when it is gone).
    void reloadAfterConflict(const QString& name);
    // Leaving the current record is for browsing only: writes its pending change;
    // false with *result when the step must not go on.
    bool leaveCurrent(Result* result);
    Result moveToEnd(bool last);
    void showCurrent();
    void setPosition(int pos);

    MemberStore m_store;
    QList<Row> m_rows;
    int m_pos = 0; // -1 before the first record, m_rows.size() past the last
    QStringList m_fields;
    Mode m_mode = Mode::Browse;
    qint64 m_savedPosition = 0; // the bookmark "Add" remembered; 0 when none
    qint64 m_nextBookmark = 1;
};
