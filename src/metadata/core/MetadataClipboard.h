#pragma once

#include <QString>
#include <QVariantMap>

// Pasting copied metadata sections onto another photo's properties.

// The section `key` of `copied` replaces the target's section whole. The pixel size in
// "{Exif}" describes the target's own pixels and stays the target's.
QVariantMap pasteSection(const QVariantMap &target, const QString &key, const QVariantMap &copied);

// The whole copied dictionary replaces the target's, except what describes the target's
// own pixels: the top-level keys (pixel size, orientation, depth...), the orientation in
// "{TIFF}" and the pixel size in "{Exif}" stay the target's (a tag the target lacks is
// removed rather than carried over). Sections the copied photo lacks are left alone.
QVariantMap pasteAll(const QVariantMap &target, const QVariantMap &copied);
