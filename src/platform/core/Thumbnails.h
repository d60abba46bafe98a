#pragma once

#include <QImage>
#include <QString>

// Thumbnails of local files, shared with the desktop: the freedesktop.org thumbnail cache
// (~/.cache/thumbnails/large) is read first, and what we make is stored there, so a
// file manager's thumbnails serve us and ours serve it.
namespace Thumbnails {

// The cache file for `path` (an absolute local path) in the "large" (256 px) folder.
QString cachePathFor(const QString &path);
// A cached thumbnail that is still current for the file (same modification time), or null.
QImage cached(const QString &path);
// Makes a thumbnail no larger than `maxSide` from the embedded preview or the pixels,
// and stores it in the cache. A preview of the photo's shape a tenth smaller than `maxSide`
// will do: it looks the same in a cell and spares a decode. Null for a file that is not a
// picture we can draw.
QImage make(const QString &path, int maxSide);
// The same, leaving the cache to the caller: `*toStore` gets the picture to hand to store()
// (null when there is none to share), so a cell can show before the cache file is written.
QImage make(const QString &path, int maxSide, QImage *toStore);
// Stores a picture make() handed back in the cache.
void store(const QString &path, const QImage &image);
// Whether making the file's thumbnail means decoding a whole HEVC or RAW picture.
bool isSlowToMake(const QString &path);

} // namespace Thumbnails
