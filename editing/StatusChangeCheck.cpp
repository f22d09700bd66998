#include "editing/StatusChangeCheck.h"

#include "common/Prompter.h"
#include "editing/ObjectChecks.h"
#include "editing/Vocabulary.h"

namespace {
const QString kNoticeTitle = QStringLiteral("Status change");
const QString kQuestionTitle = QStringLiteral("Change status");

struct Texts
{
    QString willOpen; // unfinished, stored and selected "Completed"
    QString cannotComplete; // unfinished, "Completed" selected otherwise
    QString willComplete; // finished, "Open" selected
    QString askPrefix; // finished, "On Hold" or "Closed" newly selected
};

// Both variants share one shape; only the wording differs.
StatusChangeCheck::Verdict
decide(const Texts& texts, const QString& stored, const QString& selected, bool finished, Prompter& prompter)
{
    using namespace Vocabulary;
    StatusChangeCheck::Verdict v{true, selected};
    const bool parked = selected == kOnHold || selected == kClosed;
    if (!finished) {
        if (selected == kOpen || parked) {
            return v;
        }
        if (stored == kCompleted && selected == kCompleted) {
            prompter.inform(kNoticeTitle, texts.willOpen);
            v.selection = kOpen;
            return v;
        }
        prompter.inform(kNoticeTitle, texts.cannotComplete);
        v.selection = stored;
        return v;
    }
    if (selected == kCompleted) {
        return v;
    }
    // "Open" while everything below is finished: an open object in that state is
    // completed by the rules anyway, so the selection becomes "Completed" with the
    // same notice whatever the stored status was (not only when it was "Open").
    if (selected == kOpen) {
        prompter.inform(kNoticeTitle, texts.willComplete);
        v.selection = kCompleted;
        return v;
    }
    if (parked && selected != stored) {
        if (!prompter.ask(kQuestionTitle, texts.askPrefix + selected, false)) {
            v.selection = stored;
        }
        return v;
    }
    // "On Hold" or "Closed" kept as stored: nothing changes, so nothing to ask and
    // the other fields are saved.
    return v;
}
} // namespace

StatusChangeCheck::Verdict
StatusChangeCheck::goal(const QString& stored, const QString& selected, int subObjectState, Prompter& prompter)
{
    if (subObjectState == ObjectChecks::None) {
        return {true, selected};
    }
    static const Texts texts{
        QStringLiteral("At least one Sub-Object has status Open. Status will be changed to Open."),
        QStringLiteral("At least one Sub-Object has status Open. Status cannot be changed to Completed."),
        QStringLiteral(
            "All Sub-Objects have status Completed, On Hold or Closed. Status will be changed to Completed."),
        QStringLiteral("All Sub-Objects have status Completed, On Hold or Closed. Status will be changed to Completed. "
                       "Are you sure you want to change the status to "),
    };
    return decide(texts, stored, selected, subObjectState == ObjectChecks::AllFinished, prompter);
}

StatusChangeCheck::Verdict
StatusChangeCheck::task(const QString& stored, const QString& selected, bool done, Prompter& prompter)
{
    static const Texts texts{
        QStringLiteral(
            "At least one resource has not completed the assigned Workload. Status will be changed to Open."),
        QStringLiteral(
            "At least one resource has not completed the assigned Workload. Status cannot be changed to Completed."),
        QStringLiteral("All Resource have completed their Worklload. Status will be changed to Completed."),
        QStringLiteral("All Resource have completed their Worklload. Are you sure you want to change the status to "),
    };
    return decide(texts, stored, selected, done, prompter);
}
