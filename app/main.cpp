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

namespace {
struct Options
{
    QCommandLineOption db{QStringLiteral("db"),
                          QStringLiteral("Open FILE for this run without changing the stored path."),
                          QStringLiteral("FILE")};
    QCommandLineOption settings{QStringLiteral("settings"),
                                QStringLiteral("Keep settings in the INI file FILE instead of the user's store."),
                                QStringLiteral("FILE")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the main window to FILE and quit."),
                                  QStringLiteral("FILE")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.setApplicationDescription(QStringLiteral("Cairnwork - planning for a small team's goals and work."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({db, settings, screenshot});
    }
};

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
    const Options options;
    if (onlyAsksForText(argc, argv)) {
        QCoreApplication textOnly(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("cairnwork"));
        QCoreApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
        QCommandLineParser parser;
        options.addTo(parser);
        parser.process(textOnly); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cairnwork"));
    QApplication::setOrganizationName(QStringLiteral("Cairnwork"));
    QApplication::setApplicationVersion(QStringLiteral(CAIRNWORK_VERSION));
    QApplication::setWindowIcon(TreeImages::icon(QStringLiteral("Root")));

    QCommandLineParser parser;
    options.addTo(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "cairnwork: unexpected argument '%s'\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    auto settings = parser.isSet(options.settings) ? std::make_unique<AppSettings>(parser.value(options.settings))
                                                   : std::make_unique<AppSettings>();
    DialogStartupUi startupUi;

    SplashWindow splash;
    splash.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    }
    splash.show();
    QApplication::processEvents();

    MainWindow window(*settings, startupUi, parser.value(options.db));
    window.InitDatabase();
    splash.close();
    window.show();
    if (parser.isSet(options.screenshot)) {
        // For the user guide's pictures: let the window settle, then save and quit.
        QTimer::singleShot(1500, &window, [&window, file = parser.value(options.screenshot)] {
            const bool saved = window.grab().save(file);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
