#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The command line of `cairnwork`. The project comes from `--db FILE` or from one
// plain argument, which is what a file manager passes when a project is opened
// from it (`Exec=cairnwork %f`); both mean "open FILE for this run without changing
// the remembered project".
class StartupOptions
{
public:
    StartupOptions();

    // Reads `arguments` (the program's name first). Returns false with `error` set
    // for an unknown option, a missing value, or more than one project.
    bool parse(const QStringList& arguments, QString& error);
    // Prints the help or the version and exits; for runs that ask only for that.
    void process(const QCoreApplication& app) { m_parser.process(app); }

    // The project to open for this run; empty to use the remembered one.
    QString dbPath() const { return m_dbPath; }
    QString settingsPath() const { return m_parser.value(m_settings); }
    QString screenshotPath() const { return m_parser.value(m_screenshot); }

private:
    QCommandLineParser m_parser;
    QCommandLineOption m_db;
    QCommandLineOption m_settings;
    QCommandLineOption m_screenshot;
    QString m_dbPath;
};
