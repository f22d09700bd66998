#pragma once

#include "common/Prompter.h"

#include <QList>
#include <QString>

// Answers the rules' questions from a script and records every notice and
// question, so a test can check what the user would have been shown.
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        bool question = false;
        QString title;
        QString text;
        bool yesIsDefault = false;
    };

    explicit ScriptedPrompter(QList<bool> answers = {})
        : m_answers(answers)
    {
    }
    void inform(const QString& title, const QString& text) override { m_shown.append({false, title, text, false}); }
    // Unscripted questions take the box's default answer.
    bool ask(const QString& title, const QString& text, bool yesIsDefault) override
    {
        m_shown.append({true, title, text, yesIsDefault});
        return m_answers.isEmpty() ? yesIsDefault : m_answers.takeFirst();
    }

    const QList<Shown>& all() const { return m_shown; }
    int questions() const
    {
        int n = 0;
        for (const Shown& s : m_shown) {
            n += s.question ? 1 : 0;
        }
        return n;
    }

private:
    QList<bool> m_answers;
    QList<Shown> m_shown;
};
