#include "history/ComparisonCsv.h"

#include "common/CsvField.h"
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

void ComparisonCsv::forEachLine(const SnapshotComparison& comparison, const std::function<bool(const QString&)>& sink)
{
    if (!sink(header())) {
        return;
    }
    const SnapshotState& a = comparison.a();
    const SnapshotState& b = comparison.b();
    QString line;
    const auto cell = [&line](const QString& text) {
        line += text;
        line += QLatin1Char(',');
    };
    for (const SnapshotComparison::Row& row : comparison.rows()) {
        line.clear();
        cell(kindLetter(row.kind));
        cell(QString::number(row.id));
        cell(CsvField::text(row.kind == SnapshotRow::Kind::Assignment ? row.member : QString()));
        cell(CsvField::text(row.name));
        cell(CsvField::text(row.a >= 0 ? a.rows[std::size_t(row.a)].statusText() : QString()));
        cell(CsvField::text(row.b >= 0 ? b.rows[std::size_t(row.b)].statusText() : QString()));
        cell(dateText(row.dateA));
        cell(dateText(row.dateB));
        cell(row.datedInBoth() ? days(row.dateB - row.dateA) : QString());
        for (int c = 0; c < SnapshotComparison::kCauses; ++c) {
            cell(row.explained ? days(row.causes[std::size_t(c)]) : QString());
        }
        line += SnapshotComparison::flagWords(row.flags);
        if (!sink(line)) {
            return;
        }
    }
}

QStringList ComparisonCsv::lines(const SnapshotComparison& comparison)
{
    QStringList out;
    out.reserve(qsizetype(comparison.rows().size()) + 1);
    forEachLine(comparison, [&out](const QString& line) {
        out << line;
        return true;
    });
    return out;
}

bool ComparisonCsv::write(const SnapshotComparison& comparison, const QString& path, QString* error)
{
    ExportFile file(path);
    if (!file.open(error)) {
        return false;
    }
    forEachLine(comparison, [&file](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        return file.write(bytes) == bytes.size();
    });
    // A failed write is reported by commit(), with its cause.
    return file.commit(error);
}
