#pragma once

#include <QIcon>
#include <QStringList>

// The image list "treeImage": one small icon per object kind and status, plus
// "Root" and "Sum". Kind is told by shape, status by colour and a glyph.
class TreeImages
{
public:
    // The eighteen keys in their fixed order.
    static const QStringList& keys();
    // The icon for `key` (kind followed directly by status, "Root" or "Sum");
    // a null icon for an unknown key.
    static QIcon icon(const QString& key);
};
