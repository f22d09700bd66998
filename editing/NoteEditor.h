#pragma once

#include "db/ProjectRecords.h"
#include "editing/EditOutcome.h"

class Clock;
class RowImage;

// Reading and saving a task's notes for the note dialog. Notes take no part in
// the status rules. UI thread only.
class NoteEditor
{
public:
    // Reads the note; *image (when given) keeps the row as read for saveChanges().
    static bool load(const QString& connection, qint64 noteId, NoteRecord* note, RowImage* image, QString* error);
    // How a note is named to the user.
    static QString describedAs();

    // Adds a note to task `taskId` with the next NID and TIMESTAMP now; an empty text
    // is stored as NULL.
    static EditOutcome add(const QString& connection, qint64 taskId, const QString& text, const Clock& clock);

    // Writes `text` with TIMESTAMP now when it differs from the stored text (as
    // textDiffers compares them); otherwise writes nothing. A note no longer as
    // `loaded` shows it is refused (outcome.conflict).
    static EditOutcome saveChanges(const QString& connection,
                                   const RowImage& loaded,
                                   const NoteRecord& stored,
                                   const QString& text,
                                   const Clock& clock);
};
