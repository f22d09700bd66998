#pragma once

#include <QString>
#include <functional>

// Large deterministic projects for benchmarks: the same parameters and seed give
// the same file contents.
class SyntheticProject
{
public:
    struct Params
    {
        int goals = 100;
        int tasks = 1000;
        int members = 20;
        int depth = 6;
        quint64 seed = 1;
        QString created = QStringLiteral("2026-01-05 09:00:00");
    };
    // Fills an empty project in one transaction. `progress` gets values 0..100.
    static bool build(const QString& connection,
                      const Params& params,
                      QString* error,
                      const std::function<void(int)>& progress = {});
};
