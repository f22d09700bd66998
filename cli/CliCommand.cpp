#include "cli/CliCommand.h"

#include "db/Database.h"

#include "reports/ExportFile.h"

#include <cstdio>
#include <unistd.h>

namespace {
QList<CliCommand::Entry>& registry()
{
    static QList<CliCommand::Entry> entries;
    return entries;
}
} // namespace

CliCommand::Registrar::Registrar(const QString& name, const QString& synopsis, Run run, bool gui)
{
    registry().append({name, synopsis, std::move(run), gui});
}

const QList<CliCommand::Entry>& CliCommand::all()
{
    return registry();
}

int CliCommand::fail(const QString& message)
{
    std::fprintf(stderr, "cairnwork-cli: %s\n", qPrintable(message));
    return Failed;
}

int CliCommand::writeOutput(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty()) {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
            std::fflush(stdout) != 0) {
            return fail(QStringLiteral("standard output could not be written"));
        }
        return Ok;
    }
    QString error;
    ExportFile file(path);
    if (!file.open(&error)) {
        return fail(error);
    }
    file.write(bytes); // a short write is reported by commit()
    return file.commit(&error) ? Ok : fail(error);
}

int CliCommand::usage(const QString& message)
{
    std::fprintf(stderr, "cairnwork-cli: %s\nTry 'cairnwork-cli --help'.\n", qPrintable(message));
    return Usage;
}

int CliCommand::parse(QCommandLineParser& parser, const QStringList& args, const QString& command)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the project file"));
    if (!parser.parse(args)) {
        return usage(parser.errorText());
    }
    if (parser.positionalArguments().size() != 1) {
        return usage(QStringLiteral("%1 takes exactly one FILE").arg(command));
    }
    return Ok;
}

int CliCommand::openProject(const QString& path, Database::Access access)
{
    QString error;
    if (!Database::open(path, connection(), &error, access)) {
        return fail(error);
    }
    return Ok;
}

bool CliCommand::progressWanted()
{
    return isatty(fileno(stderr));
}
