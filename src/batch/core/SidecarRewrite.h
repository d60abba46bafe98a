#pragma once

#include "platform/core/SafeWrite.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

// What a sidecar merge writes into one photo. Empty texts and unset numbers leave the
// photo's own values alone.
struct SidecarChanges {
    // Artist and By-line only where the photo names no photographer yet: sidecar titles are
    // mostly file names, and a photographer's name is worth more. A title that is a file name
    // is none at all.
    QString title;
    QString description;
    QStringList keywords;
    // The taken date: its wall clock for the Exif dates, its offset ("+00:00"; empty removes
    // the photo's offsets, since a wall clock without one says nothing of them) and the
    // instant for the IPTC dates (in UTC) and the file dates.
    QString exifDate, offset;
    QDateTime instant;
    std::optional<double> latitude, longitude; // south and west negative
    std::optional<double> altitude;            // metres, below sea level negative; with a position
    // Also the TIFF DateTime (the Takeout pass that pairs by a looser match).
    bool tiffDateTime = false;
    // Caption, keywords and By-line in IPTC (the XMP merge).
    bool iptcTexts = false;
};

// The photo's properties `photo` with the changes merged in, as ImageDestination takes them.
QVariantMap sidecarProperties(const QVariantMap &photo, const SidecarChanges &changes);

struct RewriteOutcome {
    bool ok = false;
    QString path; // the file written
    QString reason;
};

// Whether a sidecar's title only names a file: the photo's own name (Takeout writes one for
// every photo) or any name with a photo or video extension.
bool isFileNameTitle(const QString &title, const QString &photoName);

// Rewrites the photo at `path` in place: the new file is made in memory (HEIC through
// exiftool), checked there (the values present, the image decodes), written to a dot-named
// temporary in the photo's folder with the photo's mode and attributes, read back, renamed
// over the photo, and then given the taken instant as its file dates (the photo's own dates
// when there is none). A link is refused: its target may lie outside the chosen folder. On
// any failure the photo is left byte for byte as it was and no temporary remains. Without
// `syncTheFolder` the rename is not yet durable: the caller syncs the folder, once for a batch.
RewriteOutcome rewritePhotoInPlace(const QString &path, const SidecarChanges &changes,
                                   bool syncTheFolder = true);

// A rewritten photo waiting in its temporary beside the photo, read back but not yet durable,
// so that a batch makes many durable at once before any of them replaces its photo.
struct StagedRewrite {
    std::unique_ptr<SafeWrite::Temporary> temporary;
    SafeWrite::FileStamp stamp;           // the photo as it was read
    QDateTime instant, created, modified; // the file dates it takes
    qint64 size = 0;
};

// The first half of rewritePhotoInPlace: the checked new file in its temporary, closed and
// read back without a sync. Not ok (and nothing left behind) when it cannot be made.
RewriteOutcome stagePhotoRewrite(const QString &path, const SidecarChanges &changes,
                                 StagedRewrite *staged);

// The second half, once the temporary is durable (`syncError` empty): the rename over the
// photo, unless another program changed it meanwhile, and its file dates. The folder is not
// synced. On any failure the photo is left as it was and the temporary removed.
RewriteOutcome finishPhotoRewrite(const QString &path, StagedRewrite &staged,
                                  const QString &syncError);
