#pragma once

#include <QString>

// What a "Save as" dialog suggests and what it gives back.
namespace SavePath {
// `name` as a file in the user's documents folder, with the characters a file name
// cannot hold ('/', '\', ':') replaced by '-'.
QString inDocuments(const QString& name);
// `path` with ".suffix" added when the user typed no suffix of his own.
QString withSuffix(const QString& path, const QString& suffix);
} // namespace SavePath
