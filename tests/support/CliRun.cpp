#include "tests/support/CliRun.h"

#include <QProcess>

QString CliRun::path()
{
    return QStringLiteral(CW_CLI_PATH);
}

CliRun CliRun::run(const QStringList& args, const QProcessEnvironment& env, const QStringList& launcher, int timeoutMs)
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (launcher.isEmpty()) {
        p.start(path(), args);
    } else {
        p.start(launcher.first(), launcher.mid(1) + args);
    }
    CliRun run;
    run.finished = p.waitForFinished(timeoutMs);
    if (!run.finished) {
        p.kill();
        p.waitForFinished();
    }
    run.exitCode = run.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}
