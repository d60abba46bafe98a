#pragma once

#include <QByteArray>

// `png` with its Exif in one standard eXIf chunk before the image data. Exiv2 0.27 writes a
// PNG's Exif into a "Raw profile type exif" text chunk, which most readers ignore, and keeps
// an eXIf chunk the file had beside it, stale. `tiffExif` is the Exif as a TIFF structure
// ("II*\0" or "MM\0*" first); empty, the file gets no Exif. Every other chunk stays as it was.
// Empty when `png` is no PNG.
QByteArray withExifChunk(const QByteArray &png, const QByteArray &tiffExif);

// `png`, written from `original`, with the offsets of Apple's iDOT chunk (which lets a decoder
// start on each part of the image data at once) pointing again at the IDAT chunks they pointed
// at in `original`. `png` as it is when either has no iDOT or the old offsets were not true.
QByteArray withIdotOf(const QByteArray &original, const QByteArray &png);
