#include "app/StartupOptions.h"

StartupOptions::StartupOptions()
    : m_db(QStringLiteral("db"),
           QStringLiteral("Open FILE for this run without changing the stored path."),
           QStringLiteral("FILE"))
    , m_settings(QStringLiteral("settings"),
                 QStringLiteral("Keep settings in the INI file FILE instead of the user's store."),
                 QStringLiteral("FILE"))
    , m_screenshot(QStringLiteral("screenshot"),
                   QStringLiteral("Save a picture of the main window to FILE and quit."),
                   QStringLiteral("FILE"))
{
    m_parser.setApplicationDescription(QStringLiteral("Cairnwork - planning for a small team's goals and work."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOptions({m_db, m_settings, m_screenshot});
    m_parser.addPositionalArgument(QStringLiteral("FILE"),
                                   QStringLiteral("The project to open; the same as --db FILE."),
                                   QStringLiteral("[FILE]"));
}

bool StartupOptions::parse(const QStringList& arguments, QString& error)
{
    m_dbPath.clear();
    if (!m_parser.parse(arguments)) {
        error = m_parser.errorText();
        return false;
    }
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1) {
        error = QStringLiteral("one project at a time: '%1' and '%2' were both given").arg(files[0], files[1]);
        return false;
    }
    // Two projects for one window is a mistake, even when they name the same file:
    // saying so beats silently preferring one.
    if (!files.isEmpty() && m_parser.isSet(m_db)) {
        error = QStringLiteral("give the project either with --db or as a plain argument, not both ('%1' and '%2')")
                    .arg(m_parser.value(m_db), files[0]);
        return false;
    }
    if (m_parser.values(m_db).size() > 1) {
        error = QStringLiteral("--db was given more than once");
        return false;
    }
    m_dbPath = files.isEmpty() ? m_parser.value(m_db) : files[0];
    return true;
}
