#pragma once

#include "model/IKImageItem.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// The orders of the library browser. Every order is a strict weak order built from one key
// per item, so a sort never meets an intransitive comparison; ties keep the source order.
enum class LibrarySortOrder { NewestFirst, OldestFirst, Title, FileName, FileSize };

// The instant (ms since the Unix epoch) an item sorts by: its library time stamp when that
// has fewer than ten digits and is not 0, else the record's date text ("yyyy-MM-dd HH:mm:ss"
// or "yyyy:MM:dd HH:mm:ss", local time; a third blank-separated part is dropped). None
// without a record or a readable date.
std::optional<int64_t> libraryItemDateKey(const IKImageItem &item);
// A date text as the sort reads it, or none.
std::optional<int64_t> libraryDateTextInstant(const QString &text);

// The text key of the string rule: a string whose first UTF-16 unit is punctuation comes
// first; then case and diacritics are folded (NFD, marks dropped, case folded) and code
// units compared.
struct LibraryStringKey {
    bool punctuationFirst = false;
    QString folded;
};
LibraryStringKey libraryStringKey(const QString &text);
int compareLibraryStringKeys(const LibraryStringKey &a, const LibraryStringKey &b);

// Three-way comparisons of two items (-1: a goes first, 0: same, 1: b goes first).
int comparePhotoLibItemsByDate(const IKImageItem &a, const IKImageItem &b);
int comparePhotoLibItemsByOldToNewDate(const IKImageItem &a, const IKImageItem &b);
int comparePhotoLibItemsByTitle(const IKImageItem &a, const IKImageItem &b);
int comparePhotoLibItemsByFileName(const IKImageItem &a, const IKImageItem &b);
int comparePhotoLibItemsByFileSize(const IKImageItem &a, const IKImageItem &b);

// A sorted copy of `items`; `items` keeps its order.
QList<IKImageItemPtr> sortedLibraryItems(const QList<IKImageItemPtr> &items,
                                         LibrarySortOrder order);

// The list the library browser's filter shows, named by the image on its filter button.
enum class LibraryListId {
    All,
    LivePhotos,
    Jpeg,
    Raw,
    Png,
    Videos,
    Favourites,
    Edited,
    NotDownloaded,
    CurrentAlbum,
    Last24Hours,
    Last7Days,
    Last30Days,
    Last90Days,
    LastYear,
    NoTitle,
    NoCaption,
    NoKeywords,
    NoLocation,
    NoAlbum,
    Referenced,
    LostReferenced,
    SameName,
    Shown
};
// Images the table lacks (no filter chosen yet, or a view that keeps its own list) give
// that view's list, and an unknown image the shown list.
LibraryListId libraryListForFilterImage(const QString &imageName);
