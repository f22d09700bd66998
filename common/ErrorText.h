#pragma once

#include <QString>

// An error as the user reads it: the cause in words first, then optionally one
// or more "Details: " lines with what only support needs (engine codes and the
// engine's own text). Message boxes tuck the details lines away behind their
// details button; the command line prints them as they stand.
namespace ErrorText {

// "<cause>\nDetails: <details>" (each line of the details its own details line), or
// the cause alone when there are no details.
QString withDetails(const QString& cause, const QString& details);

struct Parts
{
    QString text; // every line that is not a details line
    QString details; // the details lines without their prefix, one per line
};
// Splits a message wherever its details lines stand: callers may have put
// words after an error that carried details.
Parts split(const QString& message);

} // namespace ErrorText
