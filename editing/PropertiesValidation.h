#pragma once

#include <QString>
#include <optional>

// The checks the property dialogs run on OK, as pure functions over the fields'
// texts. Each returns the first problem in the dialog's order: the message for the
// error box and the objectName of the field to focus. The status check runs
// between the "before" and "after" halves.
class PropertiesValidation
{
public:
    struct Problem
    {
        QString message;
        QString field;
    };
    struct GoalFields
    {
        QString objectType;
        QString shortName;
        QString priority;
        QString status;
        QString defaultResource;
    };
    struct TaskFields
    {
        QString objectType;
        QString shortName;
        QString priority;
        QString status;
        QString daysPlanned;
    };
    struct AssignmentFields
    {
        QString member;
        QString perWorkload;
        QString perCompleted;
        QString daysNeeded;
    };

    static std::optional<Problem> goalBeforeStatusCheck(const GoalFields& fields);
    static std::optional<Problem> goalAfterStatusCheck(const GoalFields& fields);
    static std::optional<Problem> taskBeforeStatusCheck(const TaskFields& fields);
    // `adding`: a new task may not start "Completed" (it has no finished assignment).
    static std::optional<Problem> taskAfterStatusCheck(const TaskFields& fields, bool adding);
    // Fills empty numbers with "0" first (the dialog shows them), then checks that
    // the member is chosen and the three numbers are numbers. No range is checked.
    static std::optional<Problem> assignment(AssignmentFields& fields);

    // A priority text as a whole number 0..99: decimals round halves to even;
    // empty for a text that is not a number or out of range.
    static std::optional<qint64> priority(const QString& text);
    // A name as it is stored: without surrounding blanks, as team member names are.
    // A name of blanks alone is thus empty and refused.
    static QString name(const QString& text);
    // A finite number in the user's or the C notation; empty otherwise.
    static std::optional<double> number(const QString& text);
};
