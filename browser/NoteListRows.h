#pragma once

#include "browser/ListRow.h"

#include <QList>
#include <QString>

// The rows of the note list "lvNotes" for one task: the note's text and its
// timestamp in the user's date format; the tag is the note's NID. Display-free.
class NoteListRows
{
public:
    static constexpr int kColumns = 2;

    static bool build(const QString& connection, qint64 taskId, QList<ListRow>* rows, QString* error);
};
