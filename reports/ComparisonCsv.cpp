#include "reports/ComparisonCsv.h"

#include "reports/CsvField.h"
#include "reports/ExportFile.h"
#include "schedule/MemberCalendar.h"

#include <charconv>

namespace {
QString kindLetter(SnapshotRow::Kind kind)
{
    switch (kind) {
    case SnapshotRow::Kind::Root:
        return QStringLiteral("P");
    case SnapshotRow::Kind::Goal:
        return QStringLiteral("G");
    case SnapshotRow::Kind::Task:
        return QStringLiteral("T");
    case SnapshotRow::Kind::Assignment:
        return QStringLiteral("R");
    }
    return {};
}

QString dateText(qint64 seconds)
{
    return seconds == SnapshotRow::kNoDate ? QString() : MemberCalendar::toText(seconds);
}
} // namespace

QString ComparisonCsv::header()
{
    return QStringLiteral("Kind,ID,Member,Name,Status A,Status B,Completion A,Completion B,Change (days),"
                          "Time passed,Working hours,Scope,Queue,Re-planning,Progress,Flags");
}

QString ComparisonCsv::days(qint64 seconds)
{
    // The shortest fixed-point text that reads back to the same double.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, double(seconds) / 86400.0, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QStringList ComparisonCsv::lines(const SnapshotComparison& comparison)
{
    QStringList out;
    out.reserve(qsizetype(comparison.rows().size()) + 1);
    out << header();
    const SnapshotState& a = comparison.a();
    const SnapshotState& b = comparison.b();
    for (const SnapshotComparison::Row& row : comparison.rows()) {
        QStringList cells;
        cells << kindLetter(row.kind) << QString::number(row.id)
              << CsvField::text(row.kind == SnapshotRow::Kind::Assignment ? row.member : QString())
              << CsvField::text(row.name) << CsvField::text(row.a >= 0 ? a.rows[std::size_t(row.a)].status : QString())
              << CsvField::text(row.b >= 0 ? b.rows[std::size_t(row.b)].status : QString()) << dateText(row.dateA)
              << dateText(row.dateB) << (row.datedInBoth() ? days(row.dateB - row.dateA) : QString());
        for (int c = 0; c < SnapshotComparison::kCauses; ++c) {
            cells << (row.explained ? days(row.causes[std::size_t(c)]) : QString());
        }
        cells << SnapshotComparison::flagWords(row.flags);
        out << cells.join(QLatin1Char(','));
    }
    return out;
}

bool ComparisonCsv::write(const SnapshotComparison& comparison, const QString& path, QString* error)
{
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    for (const QString& line : lines(comparison)) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        if (file.write(bytes) != bytes.size()) {
            break;
        }
    }
    // A failed write is reported by commit(), with its cause.
    return file.commit(error);
}
