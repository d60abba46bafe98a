#pragma once

#include "model/IKImageItem.h"
#include "model/PRDuplicateNode.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

// The picture's average hash: the whole picture drawn into 32 x 32 (aspect not kept),
// each cell "1" when its grey is strictly above the mean grey, else "0"; 1024 characters,
// row by row from the top, each row from the left. Null for a null image.
QString perceptualHashFromImage(const QImage &image);

// The hash with the mean grey it was measured against (0 to 255).
struct AverageHash {
    QString bits;
    double mean = 0;
};
AverageHash averageHashFromImage(const QImage &image);

// The hash of a thumbnail file; null, with `why`, when the file is missing, truncated, too
// large to decode or no picture: such a thumbnail must never count as an empty picture.
AverageHash averageHashOfFile(const QString &path, QString *why = nullptr);

// What the scan reads of one browser item, copied on the main thread before the scan
// starts, so that no worker reads the browser's items or lists.
struct DuplicateScanEntry {
    IKImageItemPtr item; // handed to the file records, never read by the scan
    QString fileThumbPath, fileName, filePath, fileType;
    QString fileSize; // the library record's size text
    uint64_t originalfilesize = 0;
    bool bReferencePhoto = false;
};
QList<DuplicateScanEntry> duplicateScanEntries(const QList<IKImageItemPtr> &items);

struct DuplicateScanResult {
    QList<PRDuplicateNodePtr> groups; // in the order of their first member
    int duplicatePhotosNum = 0, duplicateVideosNum = 0;
    int listsOfTwoOrMore = 0; // kept and dropped groups alike
    QStringList unreadable;   // "path: why" for each thumbnail left out
    bool cancelled = false;
};

// The grouping alone: `keys[i]` is entry i's hash key, null for an entry left out.
// Groups of two or more keep list order; a group whose first member is a "png" with four
// or more members is dropped and not counted.
DuplicateScanResult groupDuplicates(const QList<DuplicateScanEntry> &entries,
                                    const QList<QString> &keys);

// The key two entries must share to be duplicates: the hash, and for a picture with no
// cell above its mean (black, white, grey) also its whole grey level.
QString duplicateKey(const AverageHash &hash);

// The thumbnails a scan reads: each path once, in list order, referenced photos left out.
QStringList duplicateScanPaths(const QList<DuplicateScanEntry> &entries);

// What reading one thumbnail gave: its key (duplicateKey), or a null key and why not.
struct ThumbnailKey {
    QString key, why;
};
ThumbnailKey thumbnailKey(const QString &path);

// The scan's groups and unreadable thumbnails, from `read[i]`, what thumbnail `paths[i]`
// (duplicateScanPaths of the same entries) gave.
DuplicateScanResult duplicateScanResult(const QList<DuplicateScanEntry> &entries,
                                        const QStringList &paths, const QList<ThumbnailKey> &read);

// The whole scan, at most `maxThreads` thumbnails hashed at once (one per core when not
// positive). `cancel` stops the hashing early.
DuplicateScanResult findDuplicateFiles(const QList<DuplicateScanEntry> &entries, int maxThreads = 0,
                                       const std::atomic_bool *cancel = nullptr);
