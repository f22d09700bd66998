#pragma once

#include "db/Database.h"

#include <QString>
#include <QtGlobal>
#include <benchmark/benchmark.h>

// The start and end every benchmark executable shares.
class BenchMain
{
public:
    // The project the benchmarks read: the file named by `variable`, else `fallback`.
    static QString projectPath(const char* variable = "CW_BENCH_DB",
                               const QString& fallback = QStringLiteral("/tmp/L.cwk"))
    {
        return qEnvironmentVariableIsEmpty(variable) ? fallback : qEnvironmentVariable(variable);
    }

    // Opens `path` as `connection`; a project that cannot be opened stops the run.
    static void open(const QString& path, const QString& connection)
    {
        QString error;
        if (!Database::open(path, connection, &error)) {
            qFatal("%s", qPrintable(error));
        }
    }

    // Runs the benchmarks chosen on the command line.
    static int run(int& argc, char** argv)
    {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
};
