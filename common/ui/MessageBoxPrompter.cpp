#include "common/ui/MessageBoxPrompter.h"

#include "common/ui/MessageBox.h"

void MessageBoxPrompter::inform(const QString& title, const QString& text)
{
    MessageBox::information(m_parent, title, text);
}

bool MessageBoxPrompter::ask(const QString& title, const QString& text, bool yesIsDefault)
{
    return MessageBox::question(m_parent, title, text, yesIsDefault);
}
