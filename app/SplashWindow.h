#pragma once

#include <QWidget>

// The splash window "frmSplash", shown while the main window loads.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);
};
