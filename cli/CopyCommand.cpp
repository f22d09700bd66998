// copy: a whole project from a file to a team server, or back, or between two of either.
#include "cli/CliCommand.h"
#include "db/Database.h"
#include "db/ProjectCopy.h"

#include <QCommandLineParser>
#include <cstdio>

namespace {

int runCopy(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("FROM"), QStringLiteral("the project to copy"));
    parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("a new file or an empty server database"));
    if (!parser.parse(args)) {
        return CliCommand::usage(parser.errorText());
    }
    if (parser.positionalArguments().size() != 2) {
        return CliCommand::usage(QStringLiteral("copy takes FROM and TO"));
    }
    const QString from = parser.positionalArguments().at(0);
    const QString to = parser.positionalArguments().at(1);
    if (const int rc = CliCommand::openProject(from, Database::Access::ReadOnly)) {
        return rc;
    }
    const QString source = CliCommand::connection();
    const QString target = CliCommand::connection() + QStringLiteral("-target");
    if (Database::isOpenInProcess(to)) {
        Database::close(source);
        return CliCommand::fail(QStringLiteral("A project cannot be copied onto itself."));
    }
    const bool progress = CliCommand::progressWanted();
    QString error;
    const bool ok = Database::create(to, target, &error, [&](QString* failure) {
        return ProjectCopy::copy(source, target, failure, [progress](const QString& table) {
            if (progress) {
                std::fprintf(stderr, "Copying %s…\n", qPrintable(table));
            }
        });
    });
    Database::close(target);
    Database::close(source);
    return ok ? CliCommand::Ok : CliCommand::fail(error);
}

const CliCommand::Registrar copyCommand(
    QStringLiteral("copy"),
    QStringLiteral("copy FROM TO           copy a whole project, snapshots included, between a file and a\n"
                   "                          team server (postgresql://USER@HOST:PORT/DBNAME): TO must be a new\n"
                   "                          file or an empty database"),
    runCopy);

} // namespace
