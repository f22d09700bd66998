#include "app/StartupUi.h"

#include "common/ui/MessageBox.h"

#include <QDir>
#include <QFileDialog>

StartupUi::~StartupUi() = default;

QString DialogStartupUi::askDatabasePath(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Specify Database Path (CWK.cwk)"));
    dialog.setObjectName(QStringLiteral("dlgCommonDialog"));
    dialog.setNameFilters({QStringLiteral("Cairnwork database (*.cwk)"), QStringLiteral("All files (*)")});
    // A name that does not exist yet is allowed: it becomes a new project.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("cwk"));
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

bool DialogStartupUi::confirmCreate(QWidget* parent, const QString& path)
{
    return MessageBox::question(
        parent,
        QStringLiteral("Cairnwork"),
        QStringLiteral("Create a new Cairnwork database at %1?").arg(QDir::toNativeSeparators(path)),
        true);
}

void DialogStartupUi::showError(QWidget* parent, const QString& text)
{
    MessageBox::error(parent, text);
}
