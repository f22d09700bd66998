#pragma once

#include "db/ProjectRecords.h"

#include <QList>
#include <QString>

// Team members (table RESOURCES) on a named connection. Every write is one
// transaction that completes or leaves the file as it was; refusals and database
// errors come back as a Failure, never as a message box. UI thread only.
class MemberStore
{
public:
    struct Failure
    {
        QString code; // the database's error number; empty for a refusal of ours
        QString description;
        int field = -1; // the form field at fault (MemberFields index), -1 when none
    };

    explicit MemberStore(const QString& connection);
    const QString& connection() const { return m_connection; }

    // All members in name order (letter case ignored, as names compare).
    bool load(QList<MemberRecord>* members, Failure* failure) const;
    // Stores a new member. Refused when the fields are not valid (validate())
    // or a member of that name exists already, letter case ignored.
    bool insert(const MemberRecord& member, Failure* failure) const;
    // Rewrites the member stored as `name`. A new name is carried to the member's
    // assignments and to the goals naming them as default member, also when only
    // its letter case changes.
    bool update(const QString& name, const MemberRecord& member, Failure* failure) const;
    // Deletes the member stored as `name`. Refused, naming why, while the member is
    // assigned to a task or is a goal's default member. A member already gone counts as deleted.
    bool remove(const QString& name, Failure* failure) const;

    // The record as it is stored: the name and times without surrounding blanks, and a
    // day whose begin and end are both empty as "00:00" to "00:00" (no working time).
    // A day with only one of them empty keeps it empty: validate() refuses it.
    static MemberRecord normalized(const MemberRecord& member);
    // Checks a normalized record. Returns false with the message and the field at fault.
    static bool validate(const MemberRecord& member, Failure* failure);
    // "HH:MM" or "HH:MM:SS", 24-hour, two digits each.
    static bool isTimeOfDay(const QString& text);

private:
    bool connected(Failure* failure) const;
    // False with the duplicate failure when another member already has the name.
    bool refuseTakenName(const QString& name, Failure* failure) const;
    // Connected, `entered` normalized into *member and valid.
    bool prepareWrite(const MemberRecord& entered, MemberRecord* member, Failure* failure) const;

    QString m_connection;
};
