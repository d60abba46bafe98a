#pragma once

#include "batch/core/PhotoEncode.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// The recompression, resize and conversion of one photo into the storage folder. Each reads
// the photo, decodes it upright, encodes it anew and writes a new file under a free name
// (never over another file); the original is never touched.

struct OutputResult {
    QString path;  // the file written
    QString error; // why nothing was written
    bool ok() const { return !path.isEmpty(); }
};

// The name a photo's JPEG takes: its own when it already ends in ".jpg" or ".jpeg", else the
// name with its last extension replaced by ".jpg", so JPEG bytes never go out under a HEIC or
// TIFF name.
QString jpegOutputName(const QString &name);
// Whether a name ends in ".png" (any case): such photos stay PNG.
bool isPngName(const QString &name);

// The JPEG re-encoder: `upright` at `quality` into `outputPath` (under its JPEG name), with
// the metadata of `metadataFrom` (the original file's bytes) but its "{Exif}" and "{GPS}".
OutputResult CompressJpgWithImageData(const QImage &upright, const QString &outputPath,
                                      const QByteArray &metadataFrom, float quality);
// The PNG re-encoder: lossless, with the same metadata as the JPEG one.
OutputResult compressPngWithUprightImage(const QImage &upright, const QString &outputPath,
                                         const QByteArray &metadataFrom);

// `name` is the name the output starts from (the photo's own).
OutputResult recompressPhotoFile(const QString &path, const QString &name, const QString &storage,
                                 float quality);
// Stretched to the pixel size of the resize menu's `title`; nothing is cropped.
OutputResult resizePhotoFile(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality);
// "S/B.jpg" at quality 0.9 with the photo's colour profile and its file dates, no other
// metadata.
OutputResult convertPhotoToJpeg(const QString &path, const QString &name, const QString &storage);

// Writes `bytes` as a new file named `name` in `folder` (the next free name when taken).
OutputResult writeOutput(const QString &folder, const QString &name, const QByteArray &bytes);
