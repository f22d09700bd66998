#include "app/StartupUi.h"

#include "common/ui/MessageBox.h"
#include "db/ServerAddress.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

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
    // A team's project lives on a server: its address stands where a file would.
    // The system's own dialog takes no extra button, so this one is Qt's.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QString server;
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* button = new QPushButton(QStringLiteral("Team Server..."), &dialog);
        button->setObjectName(QStringLiteral("cmdTeamServer"));
        grid->addWidget(button, grid->rowCount(), 0);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &server] {
            server = askServerAddress(&dialog);
            if (!server.isEmpty()) {
                dialog.reject(); // closed with the address instead of a file
            }
        });
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!server.isEmpty()) {
        return server;
    }
    return !accepted || dialog.selectedFiles().isEmpty() ? QString() : dialog.selectedFiles().constFirst();
}

QString DialogStartupUi::askServerAddress(QWidget* parent)
{
    QString text = QStringLiteral("postgresql://");
    for (;;) {
        bool ok = false;
        text = QInputDialog::getText(parent,
                                     QStringLiteral("Team Server"),
                                     QStringLiteral("Server address (postgresql://USER@HOST:PORT/DBNAME); "
                                                    "the password comes from ~/.pgpass or PGPASSWORD:"),
                                     QLineEdit::Normal,
                                     text,
                                     &ok);
        if (!ok) {
            return {};
        }
        ServerAddress address;
        QString error;
        if (ServerAddress::parse(text.trimmed(), &address, &error)) {
            return address.shown();
        }
        MessageBox::error(parent, error);
        const QUrl typed(text.trimmed());
        if (!typed.password().isEmpty() || QUrlQuery(typed).hasQueryItem(QStringLiteral("password"))) {
            text = QStringLiteral("postgresql://"); // a typed password is not offered again
        }
    }
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
