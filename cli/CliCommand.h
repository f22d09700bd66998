#pragma once

#include "db/Database.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>

// A subcommand of cairnwork-cli. Each lives in its own *Command.cpp file and
// registers itself with a static CliCommand::Registrar, so adding a command
// touches no shared file.
class CliCommand
{
public:
    enum Exit { Ok = 0, Failed = 1, Usage = 2 };
    using Run = std::function<int(const QStringList& args)>;

    struct Entry
    {
        QString name;
        QString synopsis; // one or more help lines, without the leading indent
        Run run;
        bool gui = false; // paints (fonts, PDF): needs a QGuiApplication
    };

    struct Registrar
    {
        Registrar(const QString& name, const QString& synopsis, Run run, bool gui = false);
    };

    static const QList<Entry>& all();

    // The connection every command uses.
    static QString connection() { return QStringLiteral("cli"); }

    // Error on stderr, exit status 1.
    static int fail(const QString& message);
    // Usage error on stderr, exit status 2.
    static int usage(const QString& message);
    // Parses `args` (program name first) with one positional FILE; returns Ok or Usage.
    static int parse(QCommandLineParser& parser, const QStringList& args, const QString& command);
    // Opens an existing project on connection(); returns Ok or Failed. Commands that
    // only read open it read-only: they change no byte of the project.
    static int openProject(const QString& path, Database::Access access);
    // Writes `bytes` to the file `path` through the export guard (whole or not at
    // all), or to standard output when `path` is empty; returns Ok or Failed.
    static int writeOutput(const QString& path, const QByteArray& bytes);
    // True when stderr is a terminal (show progress).
    static bool progressWanted();
};
