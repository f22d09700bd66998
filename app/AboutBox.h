#pragma once

#include <QDialog>

// The About box "frmAbout": product name, version and release date. Modal,
// owned by the main window; OK, Enter and Escape close it.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};
