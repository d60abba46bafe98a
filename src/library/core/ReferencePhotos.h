#pragma once

#include "model/IKImageItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The browser items of a library's referenced photos (files kept outside the package),
// sorted into the lists the library browser filters on. Built on the load thread; the
// main thread appends them to its own lists.
struct ReferencePhotoLists {
    QList<IKImageItemPtr>
        items; // every item, for photoLibBroserArray and backupdifPhotoLibItemArray
    QList<IKImageItemPtr> referencePhotoItemArray;
    QList<IKImageItemPtr> lostReferencePhotoItemArray;
    QList<IKImageItemPtr> difPhotoLibItemArray;
};

// Items for the referenced records, in record order; the files are read in parallel.
ReferencePhotoLists scanReferencePhotos(const QList<PRPicFileInfoPtr> &records);

// Whether a referenced file's own metadata disagrees with its library record: creation
// dates as instants, texts after NFC (where the library has one), keywords as lists,
// positions to 0.00001°.
bool libraryMetadataDiffers(const PRPicFileInfo &original, const PRPicFileInfo &library);

// A date text of either record ("yyyy-MM-dd HH:mm:ss" local, optionally followed by a UTC
// offset "+0000") as an instant; invalid when it is neither.
QDateTime recordDateInstant(const QString &text);
