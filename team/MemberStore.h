#pragma once

#include "db/ProjectRecords.h"
#include "db/RowImage.h"

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
        bool conflict = false; // someone else changed or removed the member since it was loaded
    };

    explicit MemberStore(const QString& connection);
    const QString& connection() const { return m_connection; }

    // All members in name order (letter case ignored, as names compare); *images
    // (when given) gets each row as read, for update() and remove().
    bool load(QList<MemberRecord>* members, Failure* failure, QList<RowImage>* images = nullptr) const;
    // The member's row as stored now; an image that does not exist when there is none.
    bool read(const QString& name, RowImage* image, Failure* failure) const;
    // Stores a new member. Refused when the fields are not valid (validate())
    // or a member of that name exists already, letter case ignored. *saved (when
    // given) gets the row as stored.
    bool insert(const MemberRecord& member, Failure* failure, RowImage* saved = nullptr) const;
    // Rewrites the member `loaded` shows, provided nobody changed, renamed or removed
    // it since (otherwise nothing is written). A new name is carried to the member's
    // assignments and to the goals naming them as default member, also when only its
    // letter case changes. *saved (when given) gets the row as stored.
    bool update(const RowImage& loaded, const MemberRecord& member, Failure* failure, RowImage* saved = nullptr) const;
    // Deletes the member `loaded` shows, provided it is still as shown. Refused,
    // naming why, while the member is assigned to a task or is a goal's default member.
    bool remove(const RowImage& loaded, Failure* failure) const;

    // How a member is named in the refusal of a write someone else overtook.
    static QString describedAs(const QString& name);

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
    // Inside the write transaction: false with the refusal when the member is no
    // longer as `loaded` shows it.
    bool stillAsLoaded(const RowImage& loaded, Failure* failure) const;

    QString m_connection;
};
