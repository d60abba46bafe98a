#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// What a sidecar merge run came to, for its one closing sheet.
struct SidecarMergeSummary {
    QStringList merged;   // files written, in the order they were written
    QStringList unpaired; // sidecars whose photo was not found (or, loosely, found twice)
    QStringList skipped;  // "name: reason" for every sidecar, photo or folder not done
    // "name: what" for files written without part of their sidecar's values (a video's
    // description) or without their file dates; they are among `merged`, not `skipped`.
    QStringList inPart;
    int sidecars = 0; // sidecars met by the walk
    int albums = 0;   // albums' own metadata.json met by the Takeout walk: no photo's
    // The sheet's text: counts, then each list.
    QString text() const;
};

// Progress: files written so far and the files to write (a pass that finds more adds them).
using MergeProgress = std::function<void(int done, int total)>;

// Moves the contents of `folders` 2..n into the first one, keeping their relative paths.
// Nothing is deleted or replaced: a file whose place is taken stays where it was and is
// named in the result, as is every file that could not be moved, every link and every file
// whose folder in the first one is a link (it may lead anywhere). A move to another file system
// copies, checks the copy's size and bytes, and only then removes the original.
QStringList mergeFolderswithSourceArray(const QStringList &folders);

// The Takeout run over `folder` and every folder below it: each sidecar is paired with its
// photos or videos by name, and its values are written into them in place; the sidecar takes
// the taken date as its file dates too. A sidecar that no photo claimed by name gets one looser
// match among the photos nobody was paired with. Photos left without a sidecar take their own
// Exif date as their file dates, or their creation date when they have none. Links (photos,
// sidecars, folders) are never written through nor walked: each is named in the summary.
SidecarMergeSummary ScanJsonPhotosItemThreader(const QString &folder, const MergeProgress &progress,
                                               const std::atomic_bool *cancel = nullptr);

// The XMP run over `folder` and every folder below it, into photos and videos; links as above.
SidecarMergeSummary ScnXmpPhotosItemThreader(const QString &folder, const MergeProgress &progress,
                                             const std::atomic_bool *cancel = nullptr);
