#include "editing/PropertiesValidation.h"

#include "common/Rounding.h"
#include "db/Schema.h"
#include "editing/Vocabulary.h"

#include <QLocale>
#include <cmath>

namespace {
const QString kPriority = QStringLiteral("Object priority must be between 0(Highest) and 99(Lowest)!");
const QString kDaysPlanned = QStringLiteral("Object days planned must be >= 0!");

using Problem = PropertiesValidation::Problem;

std::optional<Problem> nameAndPriority(const QString& type, const QString& name, const QString& priority)
{
    if (type.isEmpty()) {
        return Problem{QStringLiteral("Object type cannot be empty!"), QStringLiteral("OBJECT_TYPE")};
    }
    if (PropertiesValidation::name(name).isEmpty()) {
        return Problem{QStringLiteral("Object name cannot be empty!"), QStringLiteral("SHORT_NAME")};
    }
    // Empty, not a number, or out of range: all get the priority message.
    if (!PropertiesValidation::priority(priority)) {
        return Problem{kPriority, QStringLiteral("PRIORITY")};
    }
    return std::nullopt;
}

std::optional<Problem> status(const QString& status)
{
    if (status.isEmpty()) {
        return Problem{QStringLiteral("Object status cannot be empty!"), QStringLiteral("STATUS")};
    }
    return std::nullopt;
}
} // namespace

QString PropertiesValidation::name(const QString& text)
{
    return text.trimmed();
}

std::optional<double> PropertiesValidation::number(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    double value = QLocale::system().toDouble(t, &ok);
    if (!ok) {
        value = QLocale::c().toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> PropertiesValidation::priority(const QString& text)
{
    const auto value = number(text);
    // Far outside the range: refused before any conversion to an integer.
    if (!value || *value < -1.0 || *value > 100.0) {
        return std::nullopt;
    }
    const qint64 whole = Rounding::toInteger(*value);
    if (whole < 0 || whole > 99) {
        return std::nullopt;
    }
    return whole;
}

std::optional<Problem> PropertiesValidation::goalBeforeStatusCheck(const GoalFields& fields)
{
    if (auto p = nameAndPriority(fields.objectType, fields.shortName, fields.priority)) {
        return p;
    }
    return status(fields.status);
}

std::optional<Problem> PropertiesValidation::goalAfterStatusCheck(const GoalFields& fields)
{
    if (fields.defaultResource.isEmpty()) {
        return Problem{QStringLiteral("Object default resource cannot be empty!"), QStringLiteral("DEFAULT_RESOURCE")};
    }
    return std::nullopt;
}

std::optional<Problem> PropertiesValidation::taskBeforeStatusCheck(const TaskFields& fields)
{
    if (auto p = nameAndPriority(fields.objectType, fields.shortName, fields.priority)) {
        return p;
    }
    return status(fields.status);
}

std::optional<Problem> PropertiesValidation::taskAfterStatusCheck(const TaskFields& fields, bool adding)
{
    if (adding && fields.status == Vocabulary::kCompleted) {
        return Problem{QStringLiteral("At least one resource has not completed the workload. Object status cannot be "
                                      "Completed!"),
                       QStringLiteral("STATUS")};
    }
    // Empty, not a number, or negative: all get the days message.
    const auto days = number(fields.daysPlanned);
    if (!days || *days < 0) {
        return Problem{kDaysPlanned, QStringLiteral("DAYSPLANNED")};
    }
    // The file refuses more (its CHECK); say so here rather than with the database's words.
    if (*days > Schema::kMaxDays) {
        return Problem{QStringLiteral("Object days planned must be at most %1!").arg(Schema::kMaxDays, 0, 'f', 0),
                       QStringLiteral("DAYSPLANNED")};
    }
    return std::nullopt;
}

std::optional<Problem> PropertiesValidation::assignment(AssignmentFields& fields)
{
    if (fields.member.isEmpty()) {
        return Problem{QStringLiteral("Resource cannot be empty!"), QStringLiteral("FK_R_NAME")};
    }
    for (QString* text : {&fields.perWorkload, &fields.perCompleted, &fields.daysNeeded}) {
        if (text->trimmed().isEmpty()) {
            *text = QStringLiteral("0");
        }
    }
    // A number, and one the file accepts (its CHECKs): no negative share, done part or
    // days, nothing beyond 100 % or Schema::kMaxDays.
    const auto inRange = [](const QString& text, double max) {
        const auto value = number(text);
        return value && *value >= 0 && *value <= max;
    };
    const auto between = [](const QString& what, double max) {
        return QStringLiteral("%1 must be a number from 0 to %2!").arg(what).arg(max, 0, 'f', 0);
    };
    if (!number(fields.perWorkload)) {
        return Problem{QStringLiteral("% of total workload must be a number!"), QStringLiteral("PER_WORKLOAD")};
    }
    if (!inRange(fields.perWorkload, Schema::kMaxPercent)) {
        return Problem{between(QStringLiteral("% of total workload"), Schema::kMaxPercent),
                       QStringLiteral("PER_WORKLOAD")};
    }
    if (!number(fields.perCompleted)) {
        return Problem{QStringLiteral("% completed must be a number!"), QStringLiteral("PER_COMPLETED")};
    }
    if (!inRange(fields.perCompleted, Schema::kMaxPercent)) {
        return Problem{between(QStringLiteral("% completed"), Schema::kMaxPercent), QStringLiteral("PER_COMPLETED")};
    }
    if (!number(fields.daysNeeded)) {
        return Problem{QStringLiteral("Days needed must be a number!"), QStringLiteral("DAYS_NEEDED")};
    }
    if (!inRange(fields.daysNeeded, Schema::kMaxDays)) {
        return Problem{between(QStringLiteral("Days needed"), Schema::kMaxDays), QStringLiteral("DAYS_NEEDED")};
    }
    return std::nullopt;
}
