#pragma once

#include "model/PRPicFileInfo.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class PhotosApplication;

// The merge of one library (the source) into another (the destination): the source's
// photos are exported into a folder E under Pictures, in album folders, and the Photos
// application is asked to import those the destination lacks. Neither library is written:
// both databases are read from private snapshots.

struct LibraryMergeSettings {
    QString sourceLibrary, destinationLibrary; // package folders
    QString exportFolder;                      // E; empty: exportFolderFor(sourceLibrary)
    // The library's values written into the copies of photos whose file disagrees with the
    // library on title, caption, keywords or position; the others are copied as they are.
    bool keepMetadata = true;
    bool keepAlbums = true; // imports go into an album of the photo's album title
};

struct LibraryMergeReport {
    QString stopped;      // why the merge stopped before its end; empty when it ran
    QString exportFolder; // E
    QStringList exported; // the files in E of the merged photos, in source order
    // Of those: copies an earlier merge had left in E with the same bytes (the others were
    // copied now), new copies under the next free name beside another file of their name,
    // and copies that took the library's values (with the metadata option; the others'
    // files already held them).
    int alreadyThere = 0, besideOthers = 0, rewritten = 0;
    bool keptMetadata = false; // the merge ran with the metadata option
    QStringList lacking;       // names of the exported photos the destination lacks
    int imported = 0;          // imports the Photos application took
    QString
        importsNotTried;    // why the Photos application was not asked (unavailable, a failed open)
    QStringList failed;     // "name: reason" for each photo not exported or not imported
    QStringList remarks;    // "name: what" for photos exported without part of what they take
    bool cancelled = false; // stopped by the user; `stopped` says where
};

// The phase texts and the per-photo line under them.
using LibraryMergeProgress = std::function<void(const QString &text)>;

// "<home>/Pictures/<the source's folder name without its last extension>".
QString exportFolderFor(const QString &sourceLibrary);

// The four phases: read the source, read the destination's names, export into E, import
// what the destination lacks through `photos`. An unreadable source or destination stops
// the merge before anything is exported. Once `cancelled` answers true the merge stops
// before its next photo: the copies already in E stay, whole, and nothing more is imported.
LibraryMergeReport ImportPhotosfromSourcePhotoLibrary(const LibraryMergeSettings &settings,
                                                      PhotosApplication &photos,
                                                      const LibraryMergeProgress &progress = {},
                                                      const std::function<bool()> &cancelled = {});

// Whether the destination, whose photos by NFC name are `destination`, lacks `photo` (the
// file at `path`): no photo of the same name, or none of the same size and bytes.
bool destinationLacksPhoto(const QHash<QString, QList<PRPicFileInfoPtr>> &destination,
                           const PRPicFileInfo &photo, const QString &path);
