#include "team/TeamMemberForm.h"

#include "team/MemberFields.h"

TeamMemberForm::Buttons TeamMemberForm::SetButtons(bool browse)
{
    return {browse, !browse, browse};
}

TeamMemberForm::KeyAction TeamMemberForm::keyAction(int key, Qt::KeyboardModifiers modifiers)
{
    // The keypad flag says where a key sits, not which modifiers are held.
    const Qt::KeyboardModifiers held = modifiers & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const bool ctrlOnly = held == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        return KeyAction::Close;
    case Qt::Key_End:
        return KeyAction::Last;
    case Qt::Key_Home:
        return KeyAction::First;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return ctrlOnly ? KeyAction::First : KeyAction::Previous;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return ctrlOnly ? KeyAction::Last : KeyAction::Next;
    default:
        return KeyAction::None;
    }
}

TeamMemberForm::TeamMemberForm(const QString& connection)
    : m_store(connection)
{
    showCurrent();
}

TeamMemberForm::Result TeamMemberForm::failure(const MemberStore::Failure& f)
{
    Result r;
    r.ok = false;
    r.code = f.code;
    r.description = f.description;
    r.field = f.field;
    return r;
}

TeamMemberForm::Result TeamMemberForm::failure(const QString& description)
{
    return failure(MemberStore::Failure{{}, description, -1});
}

TeamMemberForm::Result TeamMemberForm::emptyListFailure() const
{
    return failure(QStringLiteral("There is no team member to move to: the list is empty."));
}

TeamMemberForm::Result TeamMemberForm::browseOnly() const
{
    return failure(QStringLiteral("Press Update or Cancel to finish the change first."));
}

QString TeamMemberForm::statusText() const
{
    switch (m_mode) {
    case Mode::Add:
        return QStringLiteral("Add record");
    case Mode::Edit:
        return QStringLiteral("Edit record");
    case Mode::Browse:
        break;
    }
    return QStringLiteral("Record: ") + QString::number(absolutePosition());
}

QString TeamMemberForm::field(int index) const
{
    return m_fields.value(index);
}

QStringList TeamMemberForm::fields() const
{
    return m_fields;
}

void TeamMemberForm::setField(int index, const QString& text)
{
    if (hasCurrent() && index >= 0 && index < MemberFields::kCount) {
        m_fields[index] = text;
    }
}

bool TeamMemberForm::hasPendingChange() const
{
    if (!hasCurrent()) {
        return false;
    }
    const Row& row = m_rows.at(m_pos);
    return row.isNew || m_fields != MemberFields::values(row.stored);
}

QString TeamMemberForm::storedName() const
{
    return hasCurrent() && !m_rows.at(m_pos).isNew ? m_rows.at(m_pos).stored.name : QString();
}

void TeamMemberForm::showCurrent()
{
    m_fields = hasCurrent() ? MemberFields::values(m_rows.at(m_pos).stored) : QStringList();
    while (m_fields.size() < MemberFields::kCount) {
        m_fields << QString();
    }
}

void TeamMemberForm::setPosition(int pos)
{
    m_pos = pos;
    showCurrent();
}

bool TeamMemberForm::writePending(Result* result)
{
    if (!hasPendingChange()) {
        return true;
    }
    Row& row = m_rows[m_pos];
    const MemberRecord entered = MemberFields::record(m_fields);
    MemberStore::Failure f;
    RowImage saved;
    const bool ok = row.isNew ? m_store.insert(entered, &f, &saved) : m_store.update(row.image, entered, &f, &saved);
    if (!ok) {
        *result = failure(f);
        if (f.conflict) {
            const QString name = row.stored.name; // the reload replaces the row
            reloadAfterConflict(name);
        }
        return false;
    }
    row.stored = MemberStore::normalized(entered);
    row.image = saved;
    row.isNew = false;
    showCurrent();
    return true;
}

void TeamMemberForm::reloadAfterConflict(const QString& name)
{
    m_mode = Mode::Browse;
    Result ignored;
    if (!reread(&ignored)) {
        m_rows.clear();
    }
    int target = std::min(m_pos, recordCount() - 1);
    for (int i = 0; i < recordCount(); ++i) {
        if (MemberName::key(m_rows.at(i).stored.name) == MemberName::key(name)) {
            target = i;
            break;
        }
    }
    setPosition(std::max(target, 0));
}

bool TeamMemberForm::leaveCurrent(Result* result)
{
    if (m_mode != Mode::Browse) {
        *result = browseOnly();
        return false;
    }
    return writePending(result);
}

bool TeamMemberForm::reread(Result* result)
{
    QList<MemberRecord> members;
    QList<RowImage> images;
    MemberStore::Failure f;
    if (!m_store.load(&members, &f, &images)) {
        *result = failure(f);
        return false;
    }
    // Fresh bookmarks: a position saved before re-reading no longer names a record.
    m_rows.clear();
    for (qsizetype i = 0; i < members.size(); ++i) {
        m_rows.append({m_nextBookmark++, members.at(i), images.at(i), false});
    }
    return true;
}

TeamMemberForm::Result TeamMemberForm::load()
{
    Result r;
    m_mode = Mode::Browse;
    if (!reread(&r)) {
        m_rows.clear();
    }
    setPosition(0);
    return r;
}

TeamMemberForm::Result TeamMemberForm::add()
{
    Result r;
    if (!leaveCurrent(&r)) {
        return r;
    }
    if (hasCurrent()) {
        m_savedPosition = m_rows.at(m_pos).bookmark;
    }
    // The new record joins the end of the list until the next re-read sorts it in.
    m_rows.append({m_nextBookmark++, MemberRecord{}, RowImage{}, true});
    setPosition(recordCount() - 1);
    m_mode = Mode::Add;
    return r;
}

TeamMemberForm::Result TeamMemberForm::edit()
{
    if (m_mode != Mode::Browse) {
        return browseOnly();
    }
    m_mode = Mode::Edit;
    return {};
}

TeamMemberForm::Result TeamMemberForm::update()
{
    Result r;
    if (!writePending(&r)) {
        return r; // still adding or editing, with the entered values
    }
    if (m_mode == Mode::Add) {
        setPosition(recordCount() - 1);
    }
    m_mode = Mode::Browse;
    return r;
}

TeamMemberForm::Result TeamMemberForm::cancel()
{
    m_mode = Mode::Browse;
    if (hasCurrent() && m_rows.at(m_pos).isNew) {
        m_rows.removeAt(m_pos);
    }
    int target = -1;
    if (m_savedPosition > 0) {
        for (int i = 0; i < recordCount(); ++i) {
            if (m_rows.at(i).bookmark == m_savedPosition) {
                target = i;
                break;
            }
        }
        // A saved position that no longer names a record is passed over: the record stays.
        if (target < 0) {
            target = std::min(m_pos, recordCount() - 1);
        }
    } else {
        target = 0;
    }
    setPosition(std::max(target, 0));
    return {};
}

TeamMemberForm::Result TeamMemberForm::remove()
{
    if (m_mode != Mode::Browse) {
        return browseOnly();
    }
    if (!hasCurrent()) {
        return failure(QStringLiteral("There is no team member to delete: the list is empty."));
    }
    MemberStore::Failure f;
    if (!m_store.remove(m_rows.at(m_pos).image, &f)) {
        if (f.conflict) {
            const QString name = m_rows.at(m_pos).stored.name; // the reload replaces the row
            reloadAfterConflict(name);
        }
        return failure(f);
    }
    m_rows.removeAt(m_pos);
    // The record that followed the deleted one now stands at its place; past the end, go to the last.
    if (m_pos < recordCount()) {
        setPosition(m_pos);
        return {};
    }
    if (m_rows.isEmpty()) {
        setPosition(0);
        return emptyListFailure();
    }
    setPosition(recordCount() - 1);
    return {};
}

TeamMemberForm::Result TeamMemberForm::refresh()
{
    Result r;
    if (!leaveCurrent(&r) || !reread(&r)) {
        return r;
    }
    setPosition(0);
    return r;
}

bool TeamMemberForm::followChanges(Result* result)
{
    if (m_mode != Mode::Browse || hasPendingChange()) {
        return false;
    }
    const QString shown = hasCurrent() ? m_rows.at(m_pos).stored.name : QString();
    const int pos = m_pos;
    if (!reread(result)) {
        return true; // the list as last read stays; the failure is the caller's to show
    }
    int target = std::min(pos, recordCount() - 1);
    for (int i = 0; i < recordCount() && !shown.isEmpty(); ++i) {
        if (MemberName::key(m_rows.at(i).stored.name) == MemberName::key(shown)) {
            target = i;
            break;
        }
    }
    setPosition(std::max(target, 0));
    return true;
}

TeamMemberForm::Result TeamMemberForm::moveFirst()
{
    return moveToEnd(false);
}

TeamMemberForm::Result TeamMemberForm::moveLast()
{
    return moveToEnd(true);
}

TeamMemberForm::Result TeamMemberForm::moveToEnd(bool last)
{
    Result r;
    if (!leaveCurrent(&r)) {
        return r;
    }
    if (m_rows.isEmpty()) {
        return emptyListFailure();
    }
    setPosition(last ? recordCount() - 1 : 0);
    return r;
}

TeamMemberForm::Result TeamMemberForm::moveNext()
{
    Result r;
    if (!leaveCurrent(&r)) {
        return r;
    }
    if (!isEof()) {
        setPosition(m_pos + 1);
    }
    if (isEof() && !m_rows.isEmpty()) {
        r.beep = true;
        setPosition(recordCount() - 1);
    }
    return r;
}

TeamMemberForm::Result TeamMemberForm::movePrevious()
{
    Result r;
    if (!leaveCurrent(&r)) {
        return r;
    }
    if (!isBof()) {
        setPosition(m_pos - 1);
    }
    if (isBof() && !m_rows.isEmpty()) {
        r.beep = true;
        setPosition(0);
    }
    return r;
}

TeamMemberForm::Result TeamMemberForm::closing()
{
    if (m_mode != Mode::Browse) {
        return cancel();
    }
    Result r;
    writePending(&r);
    return r;
}

TeamMemberForm::Result TeamMemberForm::key(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_mode != Mode::Browse) {
        return {};
    }
    switch (keyAction(key, modifiers)) {
    case KeyAction::None:
        return {};
    case KeyAction::Close: {
        Result r;
        r.close = true;
        return r;
    }
    case KeyAction::First:
        return moveFirst();
    case KeyAction::Previous:
        return movePrevious();
    case KeyAction::Next:
        return moveNext();
    case KeyAction::Last:
        return moveLast();
    }
    return {};
}
