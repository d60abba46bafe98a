#pragma once

#include <QByteArray>
#include <QString>

// Builds, in memory, the smallest DNG we know of that both LibRaw and Exiv2 accept: a 64x64
// uncompressed 16-bit Bayer image plus Make, Model and Exif.Photo.DateTimeOriginal.
//
// With a non-empty jpegPreview, IFD0 is the preview (stored byte for byte, so LibRaw's
// unpack_thumb() hands back exactly these bytes as a JPEG thumbnail) and the raw image sits in
// a SubIFD. With an empty jpegPreview the raw image is IFD0 and the file has no thumbnail.
//
// dateTimeOriginal is written as given; Exif expects "YYYY:MM:DD HH:MM:SS".
QByteArray makeMinimalDng(const QByteArray &jpegPreview, const QString &make, const QString &model,
                          const QString &dateTimeOriginal);
