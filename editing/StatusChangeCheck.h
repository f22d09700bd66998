#pragma once

#include <QString>

class Prompter;

// The check a property dialog runs on the status the user selected before it
// saves an edited goal or task. Pure decisions: the caller supplies the stored
// status, the selection and the state of the sub-objects; notices and questions
// go through the Prompter. The dialog saves `selection` when `pass` is true.
class StatusChangeCheck
{
public:
    struct Verdict
    {
        bool pass = true;
        QString selection;
    };

    // `subObjectState` as ObjectChecks::SubObjectState reports it (0, 1 or 2).
    static Verdict goal(const QString& stored, const QString& selected, int subObjectState, Prompter& prompter);
    // `done`: the task's members have finished it (ObjectChecks::ResourcesCompleted).
    static Verdict task(const QString& stored, const QString& selected, bool done, Prompter& prompter);
};
