#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/StartupOptions.h"
#include "app/StartupUi.h"
#include "common/ui/TreeImages.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {
// --help and --version must answer on a machine without a display, so they are
// handled before the window system is started.
bool onlyAsksForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v") {
            return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    StartupOptions options;
    if (onlyAsksForText(argc, argv)) {
        QCoreApplication textOnly(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("cairnwork"));
        QCoreApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
        options.process(textOnly); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cairnwork"));
    QApplication::setOrganizationName(QStringLiteral("Cairnwork"));
    QApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
    QApplication::setWindowIcon(TreeImages::icon(QStringLiteral("Root")));

    QString error;
    if (!options.parse(QApplication::arguments(), error)) {
        std::fprintf(stderr, "cairnwork: %s\n", qPrintable(error));
        return 2;
    }

    auto settings = options.settingsPath().isEmpty() ? std::make_unique<AppSettings>()
                                                     : std::make_unique<AppSettings>(options.settingsPath());
    DialogStartupUi startupUi;

    SplashWindow splash;
    splash.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    }
    splash.show();
    QApplication::processEvents();

    MainWindow window(*settings, startupUi, options.dbPath());
    window.InitDatabase();
    splash.close();
    window.show();
    if (!options.screenshotPath().isEmpty()) {
        // For the user guide's pictures: let the window settle, then save and quit.
        QTimer::singleShot(1500, &window, [&window, file = options.screenshotPath()] {
            const bool saved = window.grab().save(file);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
