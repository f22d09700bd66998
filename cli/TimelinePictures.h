#pragma once

#include "charts/Timeline.h"

#include <QString>
#include <functional>

// The picture forms `cairnwork-cli timeline --out` can write besides CSV, one writer
// per file suffix. The code that paints a timeline registers its writers with a
// static Registrar (as commands register with CliCommand), so the command names no
// painting code. A writer runs under the graphical application object.
class TimelinePictures
{
public:
    // Writes `timeline` in `view` to `path`; false with *error naming the cause.
    using Writer = std::function<bool(const Timeline&, Timeline::View, const QString& path, QString* error)>;

    struct Registrar
    {
        Registrar(const QString& suffix, Writer writer);
    };

    // The writer for a lower-case suffix ("pdf"), or null when none is registered.
    static const Writer* find(const QString& suffix);
    // The registered suffixes, sorted.
    static QStringList suffixes();
};
