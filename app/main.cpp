#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/StartupUi.h"
#include "browser/ui/TreeImages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cairnwork"));
    QApplication::setOrganizationName(QStringLiteral("Cairnwork"));
    QApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
    QApplication::setWindowIcon(TreeImages::icon(QStringLiteral("Root")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Cairnwork - planning for a small team's goals and work."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dbOption(QStringList{QStringLiteral("db")},
                                      QStringLiteral("Open FILE for this run without changing the stored path."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption settingsOption(
        QStringList{QStringLiteral("settings")},
        QStringLiteral("Keep settings in the INI file FILE instead of the user's store."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshotOption(QStringList{QStringLiteral("screenshot")},
                                              QStringLiteral("Save a picture of the main window to FILE and quit."),
                                              QStringLiteral("FILE"));
    parser.addOption(dbOption);
    parser.addOption(settingsOption);
    parser.addOption(screenshotOption);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "cairnwork: unexpected argument '%s'\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    auto settings = parser.isSet(settingsOption) ? std::make_unique<AppSettings>(parser.value(settingsOption))
                                                 : std::make_unique<AppSettings>();
    DialogStartupUi startupUi;

    SplashWindow splash;
    splash.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    }
    splash.show();
    QApplication::processEvents();

    MainWindow window(*settings, startupUi, parser.value(dbOption));
    window.InitDatabase();
    splash.close();
    window.show();
    if (parser.isSet(screenshotOption)) {
        // For the user guide's pictures: let the window settle, then save and quit.
        QTimer::singleShot(1500, &window, [&window, file = parser.value(screenshotOption)] {
            const bool saved = window.grab().save(file);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
