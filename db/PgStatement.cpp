#include "db/PgStatement.h"

#include "common/Figure.h"
#include "db/PgHandle.h"
#include "db/Sql.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <libpq-fe.h>
#include <limits>

namespace {

// The server's type identifiers (pg_type.oid) of the built-in types Qt's driver
// reads as something other than text.
enum TypeOid : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kRegproc = 24,
    kOid = 26,
    kXid = 28,
    kCid = 29,
    kFloat4 = 700,
    kFloat8 = 701,
    kAbstime = 702,
    kReltime = 703,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kTimeTz = 1266,
    kNumeric = 1700,
};

// How Qt's driver reads a column of type `oid`; false for the types it turns into
// dates, times or bytes, which the program never stores.
bool kindOf(Oid oid, PgStatement::Kind* kind)
{
    using Kind = PgStatement::Kind;
    switch (oid) {
    case kBool:
        *kind = Kind::Bool;
        return true;
    case kInt8:
        *kind = Kind::Int8;
        return true;
    case kInt2:
    case kInt4:
    case kRegproc:
    case kOid:
    case kXid:
    case kCid:
        *kind = Kind::Int;
        return true;
    case kFloat4:
    case kFloat8:
    case kNumeric:
        *kind = Kind::Double;
        return true;
    case kBytea:
    case kAbstime:
    case kReltime:
    case kDate:
    case kTime:
    case kTimestamp:
    case kTimestampTz:
    case kTimeTz:
        return false;
    default:
        *kind = Kind::Text;
        return true;
    }
}

// A failed request's result is read to the end, so the connection is idle again.
void drain(PGconn* conn)
{
    while (PGresult* rest = PQgetResult(conn)) {
        PQclear(rest);
    }
}

} // namespace

QByteArray PgStatement::numbered(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + sql.size() / 8);
    QChar closing;
    int next = 1;
    for (const QChar c : sql) {
        if (!closing.isNull()) {
            // A doubled quote closes and reopens: the same text either way.
            if (c == closing) {
                closing = QChar();
            }
            out += c;
        } else if (c == u'?') {
            out += u'$' + QString::number(next++);
        } else {
            if (c == u'\'' || c == u'"' || c == u'`') {
                closing = c;
            }
            out += c;
        }
    }
    return out.toUtf8();
}

std::unique_ptr<PgStatement> PgStatement::prepare(PGconn* conn, const QString& sql, QString* error)
{
    Sql::setError(error, QString());
    const QByteArray text = numbered(sql);
    // Checked and described once through the unnamed statement, which the next
    // request of anyone replaces: nothing is left behind on the server.
    PGresult* prepared = PQprepare(conn, "", text.constData(), 0, nullptr);
    const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
    if (!ok) {
        Sql::setError(error, PgHandle::describe(prepared, conn));
    }
    PQclear(prepared);
    if (!ok) {
        drain(conn);
        return nullptr;
    }
    PGresult* description = PQdescribePrepared(conn, "");
    if (PQresultStatus(description) != PGRES_COMMAND_OK) {
        Sql::setError(error, PgHandle::describe(description, conn));
        PQclear(description);
        drain(conn);
        return nullptr;
    }
    std::vector<Kind> kinds(std::size_t(PQnfields(description)));
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (!kindOf(PQftype(description, int(i)), &kinds[i])) {
            PQclear(description);
            return nullptr;
        }
    }
    const int parameters = PQnparams(description);
    PQclear(description);
    return std::unique_ptr<PgStatement>(new PgStatement(conn, text, parameters, std::move(kinds)));
}

PgStatement::PgStatement(PGconn* conn, QByteArray sql, int parameters, std::vector<Kind> kinds)
    : m_conn(conn)
    , m_sql(std::move(sql))
    , m_kinds(std::move(kinds))
    , m_values(std::size_t(parameters))
    , m_null(std::size_t(parameters), true)
{
}

PgStatement::~PgStatement()
{
    PQclear(m_result);
}

void PgStatement::bindNull(int index)
{
    m_null[std::size_t(index)] = true;
    m_started = false;
}

void PgStatement::bindInteger(int index, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    m_values[std::size_t(index)].assign(digits, end);
    m_null[std::size_t(index)] = false;
    m_started = false;
}

void PgStatement::bindReal(int index, double value)
{
    std::string& out = m_values[std::size_t(index)];
    if (std::isnan(value)) {
        out.assign("NaN");
    } else if (std::isinf(value)) {
        out.assign(value > 0 ? "Infinity" : "-Infinity");
    } else {
        // The shortest text that reads back as the same double.
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out.assign(digits, end);
    }
    m_null[std::size_t(index)] = false;
    m_started = false;
}

void PgStatement::bindText(int index, const QString& value)
{
    m_null[std::size_t(index)] = value.isNull();
    m_values[std::size_t(index)] = value.toStdString();
    m_started = false;
}

bool PgStatement::execute(QString* error)
{
    PQclear(m_result);
    m_result = nullptr;
    m_rows = 0;
    m_row = -1;
    std::vector<const char*> values(m_values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = m_null[i] ? nullptr : m_values[i].c_str();
    }
    // Types left to the server, which takes them from where each value stands, as
    // it does for the values Qt's driver sends.
    PGresult* result =
        PQexecParams(m_conn, m_sql.constData(), int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        Sql::setError(error, PgHandle::describe(result, m_conn));
        PQclear(result);
        drain(m_conn);
        return false;
    }
    // Each run takes the types of its own result: the schema may have changed
    // since the statement was prepared.
    const int fields = PQnfields(result);
    m_kinds.resize(std::size_t(fields));
    for (int i = 0; i < fields; ++i) {
        if (!kindOf(PQftype(result, i), &m_kinds[std::size_t(i)])) {
            m_kinds[std::size_t(i)] = Kind::Text;
        }
    }
    m_result = result;
    m_rows = PQntuples(result);
    return true;
}

bool PgStatement::run(QString* error)
{
    m_started = false;
    const bool ok = execute(error);
    PQclear(m_result);
    m_result = nullptr;
    return ok;
}

Statement::Step PgStatement::step(QString* error)
{
    if (!m_started) {
        if (!execute(error)) {
            return Step::Failed;
        }
        m_started = true;
    }
    if (++m_row < m_rows) {
        return Step::Row;
    }
    // The rows are let go as soon as they are read.
    m_started = false;
    PQclear(m_result);
    m_result = nullptr;
    m_rows = 0;
    return Step::Done;
}

const char* PgStatement::value(int column) const
{
    return PQgetvalue(m_result, m_row, column);
}

bool PgStatement::isNull(int column) const
{
    return PQgetisnull(m_result, m_row, column) != 0;
}

bool PgStatement::readDouble(int column, double* out) const
{
    const char* begin = value(column);
    const char* const end = begin + PQgetlength(m_result, m_row, column);
    const auto [stop, failed] = std::from_chars(begin, end, *out);
    if (failed == std::errc() && stop == end) {
        return true;
    }
    // What the fast reading declines (the server's spelling of NaN and the
    // infinities, magnitudes at the edges) Qt's own reading decides.
    bool ok = false;
    *out = variant(column).toDouble(&ok);
    return ok;
}

QVariant PgStatement::variant(int column) const
{
    if (isNull(column)) {
        return QVariant();
    }
    const char* text = value(column);
    switch (m_kinds[std::size_t(column)]) {
    case Kind::Text:
        return QString::fromUtf8(text, PQgetlength(m_result, m_row, column));
    case Kind::Bool:
        return QVariant(text[0] == 't');
    case Kind::Int:
        return QVariant(std::atoi(text));
    case Kind::Int8: {
        const QByteArray digits = QByteArray::fromRawData(text, PQgetlength(m_result, m_row, column));
        return text[0] == '-' ? QVariant(digits.toLongLong()) : QVariant(digits.toULongLong());
    }
    case Kind::Double: {
        bool ok = false;
        double number = QByteArray::fromRawData(text, PQgetlength(m_result, m_row, column)).toDouble(&ok);
        if (!ok) {
            if (qstricmp(text, "NaN") == 0) {
                number = std::numeric_limits<double>::quiet_NaN();
            } else if (qstricmp(text, "Infinity") == 0) {
                number = std::numeric_limits<double>::infinity();
            } else if (qstricmp(text, "-Infinity") == 0) {
                number = -std::numeric_limits<double>::infinity();
            } else {
                return QVariant();
            }
        }
        return QVariant(number);
    }
    }
    return QVariant();
}

qint64 PgStatement::integer(int column) const
{
    if (isNull(column)) {
        return 0;
    }
    switch (m_kinds[std::size_t(column)]) {
    case Kind::Int8: {
        const char* begin = value(column);
        qint64 number = 0;
        std::from_chars(begin, begin + PQgetlength(m_result, m_row, column), number);
        return number;
    }
    case Kind::Int:
        return std::atoi(value(column));
    case Kind::Bool:
        return value(column)[0] == 't' ? 1 : 0;
    default:
        return variant(column).toLongLong();
    }
}

double PgStatement::real(int column) const
{
    if (isNull(column)) {
        return 0;
    }
    switch (m_kinds[std::size_t(column)]) {
    case Kind::Double: {
        double number = 0;
        return readDouble(column, &number) ? number : 0;
    }
    case Kind::Int8:
    case Kind::Int:
    case Kind::Bool:
        return double(integer(column));
    default:
        return variant(column).toDouble();
    }
}

QString PgStatement::text(int column) const
{
    if (isNull(column)) {
        return QString();
    }
    if (m_kinds[std::size_t(column)] == Kind::Text) {
        return QString::fromUtf8(value(column), PQgetlength(m_result, m_row, column));
    }
    const QVariant v = variant(column);
    return v.isNull() ? QString() : v.toString();
}

bool PgStatement::isNumber(int column) const
{
    if (isNull(column)) {
        return false;
    }
    switch (m_kinds[std::size_t(column)]) {
    case Kind::Int8:
    case Kind::Int:
        return true;
    case Kind::Double: {
        double number = 0;
        return readDouble(column, &number);
    }
    default:
        return false;
    }
}

double PgStatement::figure(int column) const
{
    if (isNull(column)) {
        return Figure::kUnknown;
    }
    switch (m_kinds[std::size_t(column)]) {
    case Kind::Double: {
        double number = 0;
        return readDouble(column, &number) ? Figure::checked(number) : Figure::kUnknown;
    }
    case Kind::Int8:
    case Kind::Int:
        return Figure::checked(double(integer(column)));
    default:
        return Figure::kUnknown;
    }
}
