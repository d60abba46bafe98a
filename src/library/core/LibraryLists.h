#pragma once

#include "model/IKImageItem.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The lists the library browser's filters show, and the load's batches of them: a batch
// is filled on the load's worker and appended here on the main thread.
struct LibraryLists {
    QList<IKImageItemPtr> photoLibBroserArray; // what the browser shows
    QList<IKImageItemPtr> backupdifPhotoLibItemArray, difPhotoLibItemArray, referencePhotoItemArray,
        lostReferencePhotoItemArray, unDownloadPhotosItemArray, videosItemArray,
        livesPhotosItemArray, jpgPhotosItemArray, pngPhotosItemArray, rawPhotosItemArray,
        favPhotosItemArray, editPhotosItemArray, noLocationPhotosItemArray, noAlbumPhotosItemArray,
        noKeywordsPhotosItemArray, noTitlePhotosItemArray, noCaptionPhotosItemArray,
        twentyfourhoursItemArray, sevendaysItemArray, thirtydaysItemArray, ninetydaysItemArray,
        oneyearsItemArray;
    QHash<QString, QList<IKImageItemPtr>> nameDictionary;  // file name → items of that name
    QHash<QString, QList<IKImageItemPtr>> albumDictionary; // album title → its items

    // Appends every list and dictionary list of `batch` at the end of this one's.
    void append(const LibraryLists &batch);
    bool isEmpty() const;
};

// One record's browser item: "Image" when the browser shows its original's type, "Movie"
// for a video type (its file's creation date and size read into `originalFileNode`),
// null for anything else.
IKImageItemPtr makeLibraryRecordItem(const PRPicFileInfoPtr &record);

// Files one record's item (when it has one) into `batch`.
void fileLibraryRecord(const PRPicFileInfoPtr &record, const QDateTime &now, LibraryLists &batch);
// Files the records' items into a batch of lists, in record order. `now` is the load's
// one clock reading for the date windows.
LibraryLists fileLibraryRecords(const QList<PRPicFileInfoPtr> &records, const QDateTime &now);

// The kinds of folder walk: the originals of a current library fill the type lists, the
// masters of an older one do not.
enum class LibraryFolderKind { Originals, Masters };
// An item for a file the walk found (no library record), or null for a file that is no
// photo or video, or a Live Photo's "_3.mov" companion.
IKImageItemPtr makeLibraryFileItem(const QString &path);
// Files one walked file's item into `batch`.
void fileLibraryFolderItem(const IKImageItemPtr &item, LibraryFolderKind kind, LibraryLists &batch);

// Album titles in menu order (the string rule of the title sort).
QStringList sortedAlbumTitles(const QHash<QString, QList<IKImageItemPtr>> &albums);
