#include "browser/core/LocalSort.h"

#include "base/FileTypes.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"
#include "platform/core/RegularFile.h"
#include "platform/core/UnicodeForms.h"

#include <QSet>
#include <QVariantMap>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Whole seconds, rounded down also before 1970, so dates in one second compare equal.
int64_t floorSeconds(const QDateTime &date) {
    const int64_t ms = date.toMSecsSinceEpoch();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

// Strips combining marks after canonical decomposition and folds case, so "É" meets "e".
QString foldedName(const QString &name) {
    const QString decomposed = normalizedText(name, QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const auto cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
            cat == QChar::Mark_Enclosing)
            continue;
        out.append(c);
    }
    // toUpper() maps one to many ("ß" to "SS"), which toCaseFolded() does not.
    return out.toUpper().toLower();
}

bool startsWithPunctuation(const QString &name) {
    const auto codes = name.left(2).toUcs4();
    return !codes.isEmpty() && QChar::isPunct(codes.front());
}

template <typename Key>
std::optional<QList<IKImageItemPtr>> stableSortByKey(const QList<IKImageItemPtr> &items,
                                                     Key (*keyOf)(const IKImageItemPtr &),
                                                     const LocalSortStep &step) {
    // Keys are made once per item: reading a date inside the comparator would touch the disk
    // O(n log n) times and could see a file change halfway through the sort.
    std::vector<std::pair<Key, IKImageItemPtr>> keyed;
    keyed.reserve(static_cast<size_t>(items.size()));
    for (const IKImageItemPtr &item : items) {
        keyed.emplace_back(keyOf(item), item);
        if (step && !step(qsizetype(keyed.size()), items.size()))
            return std::nullopt;
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<IKImageItemPtr> out;
    out.reserve(items.size());
    for (auto &entry : keyed)
        out.append(std::move(entry.second));
    return out;
}

// (missing, -seconds): known dates before missing ones, newest first. A FIFO, a device or
// an unreadable entry goes last with the undated ones, whatever its own dates say.
std::pair<bool, int64_t> dateKey(const IKImageItemPtr &item) {
    if (!item || !item->rare().unreadableReason.isEmpty() ||
        !RegularFile::isRegular(item->filePath))
        return {true, 0};
    const QDateTime date = FileDates::creationDate(item->filePath);
    if (!date.isValid())
        return {true, 0};
    return {false, -floorSeconds(date)};
}

// (group, folded name); a null item sorts with the empty names.
std::pair<int, QString> nameKey(const IKImageItemPtr &item) {
    if (!item || item->fileName.isEmpty())
        return {0, QString()};
    return {startsWithPunctuation(item->fileName) ? 1 : 2, foldedName(item->fileName)};
}

bool hasAnyKey(const QVariantMap &dictionary, std::initializer_list<const char *> keys) {
    for (const char *key : keys)
        if (dictionary.contains(QLatin1String(key)))
            return true;
    return false;
}

} // namespace

QString sortButtonImage(LocalSortOrder order) {
    return QString::fromLatin1(order == LocalSortOrder::ByCreationDate ? kSortByDateImage
                                                                       : kSortByFileNameImage);
}

QRect sortButtonFrame(LocalSortOrder order, int browserWidth, int currentY) {
    const int width = order == LocalSortOrder::ByCreationDate ? kSortByDateButtonWidth
                                                              : kSortByFileNameButtonWidth;
    return QRect(browserWidth - width, currentY, width, kSortButtonHeight);
}

QList<IKImageItemPtr> sortedByCreationDate(const QList<IKImageItemPtr> &importOrder) {
    return *stableSortByKey(importOrder, &dateKey, {});
}

QList<IKImageItemPtr> sortedByFileName(const QList<IKImageItemPtr> &importOrder) {
    return *stableSortByKey(importOrder, &nameKey, {});
}

QList<IKImageItemPtr> sortedLocalItems(const QList<IKImageItemPtr> &importOrder,
                                       LocalSortOrder order) {
    return *sortedLocalItems(importOrder, order, {});
}

std::optional<QList<IKImageItemPtr>> sortedLocalItems(const QList<IKImageItemPtr> &importOrder,
                                                      LocalSortOrder order,
                                                      const LocalSortStep &step) {
    return order == LocalSortOrder::ByCreationDate ? stableSortByKey(importOrder, &dateKey, step)
                                                   : stableSortByKey(importOrder, &nameKey, step);
}

QList<IKImageItemPtr> sortedAsNow(const QList<IKImageItemPtr> &sorted,
                                  const QList<IKImageItemPtr> &importOrderNow) {
    QSet<const IKImageItem *> now, seen;
    for (const IKImageItemPtr &item : importOrderNow)
        now.insert(item.get());
    QList<IKImageItemPtr> out;
    for (const IKImageItemPtr &item : sorted)
        if (now.contains(item.get())) {
            out.append(item);
            seen.insert(item.get());
        }
    for (const IKImageItemPtr &item : importOrderNow)
        if (!seen.contains(item.get()))
            out.append(item);
    return out;
}

QList<IKImageItemPtr> itemsAtIndexes(const QList<IKImageItemPtr> &shown,
                                     const QList<int> &indexes) {
    QSet<int> wanted(indexes.begin(), indexes.end());
    QList<IKImageItemPtr> out;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (wanted.contains(static_cast<int>(i)))
            out.append(shown.at(i));
    return out;
}

void removeItems(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder,
                 const QList<IKImageItemPtr> &toRemove) {
    QSet<const IKImageItem *> gone;
    for (const IKImageItemPtr &item : toRemove)
        gone.insert(item.get());
    const auto listed = [&](const IKImageItemPtr &item) { return gone.contains(item.get()); };
    shown.removeIf(listed);
    importOrder.removeIf(listed);
}

void removeAllItems(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder) {
    shown.clear();
    importOrder.clear();
}

ExifDateStatus exifDateStatus(const QString &path) {
    // Nothing but a regular file is opened: reading a FIFO waits for a writer forever.
    if (path.isEmpty() || !RegularFile::isRegular(path))
        return ExifDateStatus::Unreadable;
    const QString readPath =
        GetSupportRAWImageType(path) >= 0 ? GetJPGImageFromRAWPhotowithImagePath(path) : path;
    const ImageSource source = ImageSource::fromPath(readPath);
    if (!source.isValid())
        return ExifDateStatus::Unreadable;
    const QVariantMap props = source.properties(0);
    const QVariantMap exif = props.value(QStringLiteral("{Exif}")).toMap();
    const QVariantMap tiff = props.value(QStringLiteral("{TIFF}")).toMap();
    const bool dated =
        hasAnyKey(exif, {"DateTimeOriginal", "DateTimeDigitized"}) || hasAnyKey(tiff, {"DateTime"});
    return dated ? ExifDateStatus::HasDate : ExifDateStatus::NoDate;
}

bool hasExifDate(const QString &path) {
    return exifDateStatus(path) == ExifDateStatus::HasDate;
}

QList<IKImageItemPtr> itemsWithoutExifDate(const QList<IKImageItemPtr> &items) {
    QList<IKImageItemPtr> out;
    for (const IKImageItemPtr &item : items)
        if (item && item->rare().unreadableReason.isEmpty() &&
            exifDateStatus(item->filePath) == ExifDateStatus::NoDate)
            out.append(item);
    return out;
}

void removeItemsWithoutExifDate(QList<IKImageItemPtr> &shown, QList<IKImageItemPtr> &importOrder) {
    removeItems(shown, importOrder, itemsWithoutExifDate(shown));
}
