#pragma once

#include "batch/core/PhotoEncode.h"
#include "platform/core/SafeWrite.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

// The recompression, resize and conversion of one photo into the storage folder. Each reads
// the photo, decodes it upright, encodes it anew and writes a new file under a free name
// (never over another file); the original is never touched.

struct OutputResult {
    QString path;  // the file written
    QString reason; // why nothing was written
    bool ok() const { return !path.isEmpty(); }
};

// An output encoded and not yet written: the jobs encode on many threads, and outputs whose
// names can meet (freeNameGroup) are named in list order, so that of two outputs of one name
// the first in the list keeps the name.
struct PreparedOutput {
    QString reason;       // why there is nothing to write
    QString folder, name; // a new file under this name, or its next free one
    QString replaces;     // else the file it replaces, in one rename
    QByteArray bytes;
    QString datesFrom; // the file whose creation and modification dates the output takes
    // A new file's bytes already written, synced and read back beside their target, waiting
    // only for their name (see stagePrepared).
    std::shared_ptr<SafeWrite::Temporary> staged;
    bool ok() const { return reason.isEmpty() && !bytes.isEmpty(); }
    static PreparedOutput failure(const QString &why) { return {why, {}, {}, {}, {}, {}, {}}; }
};
// Writes a new file's bytes into their temporary on the calling thread, so that several
// workers sync and read back side by side and the ordered commit only names the files.
void stagePrepared(PreparedOutput &output);
// `syncFolder` false leaves the sync of a new name's folder to the caller (once per batch).
OutputResult writePrepared(const PreparedOutput &output, bool syncFolder = true);

// The name a photo's JPEG takes: its own when it already ends in ".jpg" or ".jpeg", else the
// name with its last extension replaced by ".jpg", so JPEG bytes never go out under a HEIC or
// TIFF name.
QString jpegOutputName(const QString &name);
// Whether a name ends in ".png" (any case): such photos stay PNG.
bool isPngName(const QString &name);

// The JPEG re-encoder: `upright` at `quality` for `outputPath` (under its JPEG name), with
// the metadata of `metadataFrom` (the original file's bytes) but its "{Exif}" and "{GPS}".
PreparedOutput CompressJpgWithImageData(const QImage &upright, const QString &outputPath,
                                        const QByteArray &metadataFrom, float quality);
// The PNG re-encoder: lossless, with the same metadata as the JPEG one.
PreparedOutput compressPngWithUprightImage(const QImage &upright, const QString &outputPath,
                                           const QByteArray &metadataFrom);

// `name` is the name the output starts from (the photo's own).
PreparedOutput prepareRecompression(const QString &path, const QString &name,
                                    const QString &storage, float quality);
// Stretched to the pixel size of the resize menu's `title`; nothing is cropped.
PreparedOutput prepareResize(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality);
// "S/B.jpg" at quality 0.9 with the photo's colour profile and its file dates, no other
// metadata.
PreparedOutput prepareJpegConversion(const QString &path, const QString &name,
                                     const QString &storage);

// Each of the three prepared and written at once.
OutputResult recompressPhotoFile(const QString &path, const QString &name, const QString &storage,
                                 float quality);
OutputResult resizePhotoFile(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality);
OutputResult convertPhotoToJpeg(const QString &path, const QString &name, const QString &storage);

// Writes `bytes` as a new file named `name` in `folder` (the next free name when taken).
OutputResult writeOutput(const QString &folder, const QString &name, const QByteArray &bytes);
