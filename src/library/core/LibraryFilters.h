#pragma once

#include "library/core/LibrarySort.h"
#include "model/IKImageItem.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The library browser's filters: the list each one shows, and how its button looks.
enum class LibraryFilter {
    All,
    LivePhotos,
    Jpeg,
    NotDownloaded,
    Raw,
    Png,
    Favourites,
    Edited,
    NoAlbum,
    NoTitle,
    NoCaption,
    NoLocation,
    NoKeywords,
    Last24Hours,
    Last7Days,
    Last30Days,
    Last90Days,
    LastYear,
    Videos,
    Referenced,
    LostReferenced,
    Album,
    CustomRange
};

struct LibraryFilterLook {
    LibraryListId list; // the album and the date range show currentAlbumArray
    bool newestFirst;   // false: the list's own order
    const char *image;  // the filter button's picture, which the sorts read back
    int width;          // the filter button's width
    const char *title;  // what the filter button says, untranslated (context LibraryFilters)
};
const LibraryFilterLook &libraryFilterLook(LibraryFilter filter);

// What a filter shows of its source list; the source keeps its order.
QList<IKImageItemPtr> libraryFilterShownList(const QList<IKImageItemPtr> &source, bool newestFirst);

// The date an item has in a custom range: its record's date text as "yyyy:MM:dd HH:mm:ss",
// else as "yyyy-MM-dd HH:mm:ss" (local time), else `fileCreated` of its file; none when
// it has neither.
using FileCreatedDate = std::function<QDateTime(const QString &path)>;
std::optional<QDateTime> libraryRangeDate(const IKImageItem &item,
                                          const FileCreatedDate &fileCreated);

// The items dated from `start` to `end`, both ends included, in list order. Dates are
// compared in whole seconds from `now`, so a date after now is kept like any other; an
// end before the start keeps nothing.
QList<IKImageItemPtr> libraryItemsInRange(const QList<IKImageItemPtr> &items,
                                          const QDateTime &start, const QDateTime &end,
                                          const QDateTime &now, const FileCreatedDate &fileCreated);

// Every item whose file name more than one item has (names equal after NFC are one name):
// the groups by name (the title sort's string rule, then the name itself), each group in
// its stored order.
QList<IKImageItemPtr> sameFileNameItems(const QHash<QString, QList<IKImageItemPtr>> &names);
