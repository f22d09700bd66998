#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// cairnwork-cli run as a child process, the way a user or a cron job runs it. A test
// that runs it depends on the cairnwork-cli target (add_dependencies).
struct CliRun
{
    int exitCode = -1; // -1 when the tool crashed or did not finish in time
    bool finished = false;
    QString out;
    QString err;

    // The built tool.
    static QString path();
    // Runs the built tool with `args` in `env`. A `launcher` (a program, its options and
    // the tool to start, e.g. setpriv … -- /copy/of/cairnwork-cli) replaces the plain start.
    static CliRun run(const QStringList& args,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                      const QStringList& launcher = {},
                      int timeoutMs = 120000);
};
