#include "browser/NoteListRows.h"

#include "common/Stamp.h"
#include "db/Sql.h"

bool NoteListRows::build(const QString& connection, qint64 taskId, QList<ListRow>* rows, QString* error)
{
    rows->clear();
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::prepare(
            query, QStringLiteral("SELECT NID, NOTES, TIMESTAMP FROM qLvNotes WHERE TASKID = ? ORDER BY NID"), error)) {
        return false;
    }
    query.addBindValue(taskId);
    if (!Sql::exec(query, error)) {
        return false;
    }
    while (query.next()) {
        ListRow row;
        row.kind = ListRow::Kind::Note;
        row.tag = query.value(0).toLongLong();
        row.cells << query.value(1).toString() << Stamp::toDisplay(query.value(2).toString());
        row.colours = QList<ListRow::Colour>(kColumns, ListRow::Colour::Normal);
        rows->append(row);
    }
    return true;
}
