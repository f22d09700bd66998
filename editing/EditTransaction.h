#pragma once

#include "db/Transaction.h"
#include "editing/EditOutcome.h"

// One editor write as one transaction: `steps(EditOutcome&, QString* error)` does the
// writing and fills the outcome; when it returns false or the commit fails nothing of
// it remains and the outcome is a failure (keeping outcome.conflict, which the steps
// set when the row they write was changed by someone else). Otherwise the outcome
// comes back ok.
class EditTransaction
{
public:
    template <typename Steps>
    static EditOutcome run(const QString& connection, EditOutcome outcome, Steps steps)
    {
        Transaction tx(connection);
        if (!tx.isActive()) {
            return EditOutcome::failure(tx.error());
        }
        QString error;
        if (!steps(outcome, &error)) {
            EditOutcome failed = EditOutcome::failure(error);
            failed.conflict = outcome.conflict;
            return failed;
        }
        if (!tx.commit()) {
            return EditOutcome::failure(tx.error());
        }
        outcome.ok = true;
        return outcome;
    }
};
