#include "db/PgCopySink.h"

#include "db/PgHandle.h"
#include "db/Sql.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>

namespace {

// Appends `text` as UTF-8, escaped for a field of COPY's text format: backslash,
// tab, newline and carriage return as backslash sequences, everything else as is.
// A lone surrogate becomes U+FFFD, as Qt's own conversion makes it.
void appendField(std::string& out, const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = p + text.size();
    while (p < end) {
        char32_t c = *p++;
        if (c < 0x80) {
            switch (c) {
            case u'\\':
                out += "\\\\";
                break;
            case u'\t':
                out += "\\t";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            default:
                out += char(c);
            }
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
            } else {
                c = 0xFFFD;
            }
        }
        if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
        }
        out += char(0x80 | (c & 0x3F));
    }
}

template <typename Number>
void appendNumber(std::string& out, Number value)
{
    char digits[32];
    // The shortest text that reads back as the same double: the stored figure is
    // the very number the file would hold.
    const auto [end, failed] = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end);
}

// The line of the batch the server was reading when it refused (from 1), or 0.
qint64 refusedLine(const PGresult* result)
{
    static const QRegularExpression line(QStringLiteral("COPY [^\\n]*, line (\\d+)"));
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(PQresultErrorField(result, PG_DIAG_CONTEXT)));
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

} // namespace

PGconn* PgCopySink::handleOf(const QString& connection)
{
    PGconn* conn = PgHandle::of(connection);
    return conn && PQtransactionStatus(conn) == PQTRANS_INTRANS ? conn : nullptr;
}

std::unique_ptr<PgCopySink> PgCopySink::open(PGconn* conn, const QString& table, const QStringList& columns)
{
    return std::unique_ptr<PgCopySink>(new PgCopySink(conn, table, columns));
}

PgCopySink::PgCopySink(PGconn* conn, const QString& table, const QStringList& columns)
    : m_conn(conn)
    , m_copy(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QStringLiteral(", "))).toUtf8())
    , m_fields(std::size_t(columns.size()), std::string("\\N"))
{
    m_batch.reserve(kBatchBytes + (kBatchBytes >> 2));
}

void PgCopySink::bindNull(int column)
{
    m_fields[std::size_t(column)].assign("\\N");
}

void PgCopySink::bindInteger(int column, qint64 value)
{
    std::string& field = m_fields[std::size_t(column)];
    field.clear();
    appendNumber(field, value);
}

void PgCopySink::bindReal(int column, double value)
{
    std::string& field = m_fields[std::size_t(column)];
    field.clear();
    if (std::isnan(value)) {
        field.assign("NaN");
    } else if (std::isinf(value)) {
        field.assign(value > 0 ? "Infinity" : "-Infinity");
    } else {
        appendNumber(field, value);
    }
}

void PgCopySink::bindText(int column, const QString& value)
{
    std::string& field = m_fields[std::size_t(column)];
    if (value.isNull()) {
        field.assign("\\N");
        return;
    }
    field.clear();
    appendField(field, value);
}

bool PgCopySink::add(QString* error, qint64* failedRow)
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) {
            m_batch += '\t';
        }
        m_batch += m_fields[i];
    }
    m_batch += '\n';
    ++m_held;
    if (m_held >= kBatchRows || m_batch.size() >= kBatchBytes) {
        return send(error, failedRow);
    }
    return true;
}

bool PgCopySink::finish(QString* error, qint64* failedRow)
{
    return m_held == 0 || send(error, failedRow);
}

bool PgCopySink::send(QString* error, qint64* failedRow)
{
    *failedRow = -1;
    // Only inside the caller's transaction, and only when no other request is still
    // reading results on the connection.
    if (PQtransactionStatus(m_conn) != PQTRANS_INTRANS) {
        Sql::setError(error,
                      PQtransactionStatus(m_conn) == PQTRANS_INERROR
                          ? QStringLiteral("The transaction failed before the rows could be sent.")
                          : QStringLiteral("The connection to the server is not ready to take rows."));
        return false;
    }
    PGresult* start = PQexec(m_conn, m_copy.constData());
    if (PQresultStatus(start) != PGRES_COPY_IN) {
        Sql::setError(error, PgHandle::describe(start, m_conn));
        PQclear(start);
        // A statement that does not start a COPY leaves no more results behind.
        while (PGresult* rest = PQgetResult(m_conn)) {
            PQclear(rest);
        }
        return false;
    }
    PQclear(start);
    bool lost = false;
    if (PQputCopyData(m_conn, m_batch.data(), int(m_batch.size())) != 1) {
        lost = true;
        PQputCopyEnd(m_conn, "the rows could not be sent");
    } else if (PQputCopyEnd(m_conn, nullptr) != 1) {
        lost = true;
    }
    // Every result is read, so the connection is idle again whatever happened.
    bool ok = !lost;
    bool described = false;
    while (PGresult* result = PQgetResult(m_conn)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && !described) {
            ok = false;
            described = true;
            Sql::setError(error, PgHandle::describe(result, m_conn));
            if (const qint64 line = refusedLine(result); line > 0 && line <= m_held) {
                *failedRow = m_sent + line - 1;
            }
        }
        PQclear(result);
    }
    if (!described && lost) {
        Sql::setError(error, PgHandle::describe(nullptr, m_conn));
    }
    if (!ok) {
        return false;
    }
    m_sent += m_held;
    m_held = 0;
    m_batch.clear();
    return true;
}
