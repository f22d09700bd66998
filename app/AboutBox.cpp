#include "app/AboutBox.h"

#include "common/Twips.h"
#include "common/ui/TreeImages.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Cairnwork"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(TreeImages::icon(QStringLiteral("Root")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto* name = new QLabel(QStringLiteral("Cairnwork"), this);
    name->setObjectName(QStringLiteral("Label2"));
    QFont font(QStringLiteral("MS Sans Serif"), 18, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    name->setFont(font);
    auto* version = new QLabel(QStringLiteral("Version 1.1"), this);
    version->setObjectName(QStringLiteral("lblVe"));
    auto* date = new QLabel(QStringLiteral("April 2002"), this);
    date->setObjectName(QStringLiteral("Label1"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->setHorizontalSpacing(16);
    grid->addWidget(icon, 0, 0, 3, 1);
    grid->addWidget(name, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(date, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    grid->addWidget(ok, 4, 1, Qt::AlignRight);
    // 4590 x 2355 twips at the screen's logical resolution.
    const double dpi = logicalDpiX();
    setMinimumSize(Twips::toPixels(4590, dpi), Twips::toPixels(2355, dpi));
}
