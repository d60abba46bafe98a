#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Encoding an upright image as a new file and carrying the original's metadata into it.

enum class EncodedFormat { Jpeg, Png, Tiff };

// The image in `format` (JPEG at `quality` 0..1, flattened on white; PNG and TIFF lossless),
// with its colour space as an ICC profile. Empty with `why` on failure.
QByteArray encodeImage(const QImage &image, EncodedFormat format, float quality, QString *why);

enum class MetadataCarry {
    // Everything but the "{Exif}" and "{GPS}" dictionaries (and their XMP twins).
    WithoutExifAndGps,
    // All of it: Exif with maker notes, GPS, IPTC, XMP.
    All,
};

// Copies the metadata of the file `original` into `encoded` (a file this program just encoded
// from the upright pixels): Orientation becomes 1, the Exif pixel size the new one, and the
// old Exif thumbnail is left behind. An original without metadata leaves `encoded` as it is.
bool carryMetadata(const QByteArray &original, QByteArray *encoded, MetadataCarry carry,
                   QSize pixels, QString *why);
