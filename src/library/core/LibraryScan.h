#pragma once

#include "model/PRPicFileInfo.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class LibraryWorkingCopy;

// Called with each record as its row is read, before the scan ends (the load files records
// while the scan goes on). A scan that fails afterwards still reports its failure.
using LibraryRecordSink = std::function<void(const PRPicFileInfoPtr &)>;

// The records of one library scan, in the order of the database rows, or why there are none.
struct LibraryScanResult {
    bool ok = false;
    QString message; // set when the library could not be read
    bool bScanNewPhotosLib = false;
    QList<PRPicFileInfoPtr> records;
};

// Opens the library at `libraryPath` through `workingCopy` (fold, backup, working copy) and
// scans the working copy: "database/Photos.sqlite" (current schema) when the package has
// one, else "database/photos.db" (older schema).
LibraryScanResult ScanPhotoLibMetadata(const QString &libraryPath, LibraryWorkingCopy &workingCopy,
                                       const LibraryRecordSink &onRecord = {});
// The scans alone, on a database file that is already ours.
// `preloadLookups` reads the lookup tables once instead of asking per photo; with
// `onRecord`, only after it has been given the first kPhotosBeforeLookupTables records.
inline constexpr int kPhotosBeforeLookupTables = 200;
LibraryScanResult scanCurrentLibraryDatabase(const QString &libraryPath,
                                             const QString &databasePath,
                                             bool preloadLookups = true,
                                             const LibraryRecordSink &onRecord = {});
// `propertiesPath`: the working copy of an iPhoto or Aperture catalogue's Properties.apdb,
// where its captions are. `withMissingFiles` also keeps the photos whose managed original is
// not on disk, which the browser leaves out (a restore looks for their files in the Trash).
LibraryScanResult ScanOldPhotoLibMetadata(const QString &libraryPath, const QString &databasePath,
                                          const LibraryRecordSink &onRecord = {},
                                          const QString &propertiesPath = {},
                                          bool withMissingFiles = false);

// Whether files exist, answered by listing each folder once (a library has hundreds of
// thousands of originals in a few hundred folders).
class FolderListing {
  public:
    bool exists(const QString &folder, const QString &name);
    bool exists(const QString &path);
    // While off, a folder not yet listed is asked about the one name (a library's first
    // photos would otherwise wait for the listing of its hundreds of thousands of files).
    void setListing(bool on) { listing_ = on; }

  private:
    // One folder's entry names as UTF-8, each ended by a NUL, in one block, with their starts
    // in name order: a set of a million texts took 90 MB of a large library's scan.
    struct Names {
        QByteArray block;
        std::vector<uint32_t> starts;
        bool contains(const QByteArray &name) const;
    };
    QHash<QString, Names> folders_;
    bool listing_ = true;
};

// A relative folder with a slash: a shared album's, under "scopes/cloudsharing/data" in the
// package (a referenced photo's folder is absolute).
bool isSharedAlbumFolder(const QString &directory);
// A single file name: not empty, no "/", not "." or "..".
bool isPlainFileName(const QString &name);
// A path without "." or ".." components.
bool hasNoDotSegments(const QString &path);
// What QFileInfo's suffix() and completeBaseName() give for a path's last component,
// without building a QFileInfo (the load asks for 100,000s of them).
QString pathSuffix(const QString &path);
QString pathCompleteBaseName(const QString &path);
// "Live Photos", "JPG Photos", "PNG images", "RAW Photos", "Videos" or empty, from the
// extension of a file name.
QString libraryFileType(const QString &fileName);
