#include "app/SplashWindow.h"

#include "common/ui/TreeImages.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMainFrame"));
    frame->setFrameShape(QFrame::Box);
    auto* logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("picLogo"));
    logo->setPixmap(TreeImages::icon(QStringLiteral("Root")).pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Cairnwork"), frame);
    name->setObjectName(QStringLiteral("lblProductName"));
    QFont f = name->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    name->setFont(f);
    auto* version = new QLabel(QStringLiteral("Version 1.1"), frame);
    version->setObjectName(QStringLiteral("lblVersionxx"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(24, 24, 32, 24);
    row->setSpacing(16);
    row->addWidget(logo);
    row->addLayout(texts);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
}
