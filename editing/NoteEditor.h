#pragma once

#include "db/ProjectRecords.h"
#include "editing/EditOutcome.h"

class Clock;

// Reading and saving a task's notes for the note dialog. Notes take no part in
// the status rules. UI thread only.
class NoteEditor
{
public:
    static bool load(const QString& connection, qint64 noteId, NoteRecord* note, QString* error);

    // Adds a note to task `taskId` with the next NID and TIMESTAMP now; an empty text
    // is stored as NULL.
    static EditOutcome add(const QString& connection, qint64 taskId, const QString& text, const Clock& clock);

    // Writes `text` with TIMESTAMP now when it differs from the stored text (as
    // textDiffers compares them); otherwise writes nothing.
    static EditOutcome
    saveChanges(const QString& connection, const NoteRecord& stored, const QString& text, const Clock& clock);
};
