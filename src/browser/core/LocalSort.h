#pragma once

#include "model/IKImageItem.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

// Orders and thins the local photo list. `importOrder` is every imported photo still in the
// browser, in import order; `shown` is the list the browser shows. Nothing here touches a file
// or a window.

enum class LocalSortOrder { ByCreationDate, ByFileName };

// The look of the sort button for each order.
inline constexpr char kSortByDateImage[] = "sortbydate.png";
inline constexpr char kSortByFileNameImage[] = "sortbyfilename.png";
inline constexpr int kSortByDateButtonWidth = 129;
inline constexpr int kSortByFileNameButtonWidth = 135;
inline constexpr int kSortButtonHeight = 23;

QString sortButtonImage(LocalSortOrder order);
// Right-aligned in the browser's frame, at the button's current y.
QRect sortButtonFrame(LocalSortOrder order, int browserWidth, int currentY);

// Newest creation date first, compared to the second; equal seconds keep import order and
// files without a readable creation date go last, in import order, with the entries that are
// no regular file or were found unreadable (none of them is opened).
QList<IKImageItemPtr> sortedByCreationDate(const QList<IKImageItemPtr> &importOrder);
// Empty names first, then names starting with punctuation, then the rest; within a group
// names compare ignoring case and diacritics, code unit by code unit (so "img10" before
// "img2"); equal names keep import order.
QList<IKImageItemPtr> sortedByFileName(const QList<IKImageItemPtr> &importOrder);
QList<IKImageItemPtr> sortedLocalItems(const QList<IKImageItemPtr> &importOrder,
                                       LocalSortOrder order);
// Called after each item's key is read with (items read, items); false stops the sort.
using LocalSortStep = std::function<bool(qsizetype done, qsizetype total)>;
// The same sort for a worker thread: nothing comes back when `step` stops it.
std::optional<QList<IKImageItemPtr>> sortedLocalItems(const QList<IKImageItemPtr> &importOrder,
                                                      LocalSortOrder order,
                                                      const LocalSortStep &step);
// A sort made of an earlier import list, brought up to the list as it is now: items taken out
// meanwhile are left out, items imported meanwhile follow in import order.
QList<IKImageItemPtr> sortedAsNow(const QList<IKImageItemPtr> &sorted,
                                  const QList<IKImageItemPtr> &importOrderNow);

// The items at the selected indexes of `shown`, in list order; indexes out of range are skipped.
QList<IKImageItemPtr> itemsAtIndexes(const QList<IKImageItemPtr> &shown, const QList<int> &indexes);
// Takes every listed item (by identity) out of both lists.
void removeItems(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder,
                 const QList<IKImageItemPtr> &toRemove);
void removeAllItems(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder);

// The selection-panel fields that removing all photos blanks, by their outlet names.
inline constexpr const char *kClearedPanelFields[] = {
    "photoNamelab",  "photoCreateDatelab", "photoFileSizelab", "photoImageSizelab",
    "photoDPIlab",   "photoTitlelab",      "photoLensInfolab", "titlelab",
    "artistlab",     "imageDescrilab",     "copyrightlab",     "cameraMakelab",
    "cameraModelab", "photoModDatelab",    "commentslab",      "keywordslab",
    "gpsAitlab",     "gpsLatilab",         "gpsLongtlab",      "lensMakelab",
    "lensModellab"};

enum class ExifDateStatus { HasDate, NoDate, Unreadable };

// Whether image 0 carries "{Exif}" DateTimeOriginal or DateTimeDigitized or "{TIFF}" DateTime,
// whatever their text; a supported RAW is read through its JPEG temporary (which may be made
// here). A path that is no regular file (a FIFO, a device) is Unreadable and never opened.
// Safe on any thread: it shares no state but the temporary folder.
ExifDateStatus exifDateStatus(const QString &path);
// True only for HasDate; unreadable files are not "without a date", see below.
bool hasExifDate(const QString &path);
// The items the date filter removes: those read as NoDate. Unreadable files (videos, FIFOs,
// items the import marked unreadable) are kept. Works on the caller's copy, so it can run on a
// worker thread while the lists themselves change only on the main thread through removeItems().
QList<IKImageItemPtr> itemsWithoutExifDate(const QList<IKImageItemPtr> &items);
// The whole filter on the calling thread.
void removeItemsWithoutExifDate(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder);
