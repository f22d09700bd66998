#pragma once

#include "common/Prompter.h"

class QWidget;

// Answers a Prompter's questions with the program's message boxes.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget* parent)
        : m_parent(parent)
    {
    }
    void inform(const QString& title, const QString& text) override;
    bool ask(const QString& title, const QString& text, bool yesIsDefault) override;

private:
    QWidget* m_parent;
};
