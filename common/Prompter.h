#pragma once

#include <QString>

// How display-free rules talk to the user. The GUI answers with message boxes,
// tests and the command line answer programmatically.
class Prompter
{
public:
    virtual ~Prompter();

    // A notice with an information icon and an OK button.
    virtual void inform(const QString& title, const QString& text) = 0;
    // A Yes/No question with a question icon; returns true for Yes.
    virtual bool ask(const QString& title, const QString& text, bool yesIsDefault) = 0;
};
