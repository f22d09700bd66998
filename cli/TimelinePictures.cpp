#include "cli/TimelinePictures.h"

#include <QHash>
#include <QStringList>

namespace {
QHash<QString, TimelinePictures::Writer>& registry()
{
    static QHash<QString, TimelinePictures::Writer> writers;
    return writers;
}
} // namespace

TimelinePictures::Registrar::Registrar(const QString& suffix, Writer writer)
{
    registry().insert(suffix, std::move(writer));
}

const TimelinePictures::Writer* TimelinePictures::find(const QString& suffix)
{
    const auto found = registry().constFind(suffix);
    return found == registry().constEnd() ? nullptr : &*found;
}

QStringList TimelinePictures::suffixes()
{
    QStringList all = registry().keys();
    all.sort();
    return all;
}
