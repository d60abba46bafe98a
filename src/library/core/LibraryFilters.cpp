#include "library/core/LibraryFilters.h"

#include "platform/core/UnicodeForms.h"

#include <QLocale>
#include <algorithm>

const LibraryFilterLook &libraryFilterLook(LibraryFilter filter) {
    using L = LibraryListId;
    static const LibraryFilterLook table[] = {
        {L::All, true, "showallitembtn.png", 146,
         QT_TRANSLATE_NOOP("LibraryFilters", "All Photos and Videos")},
        {L::LivePhotos, true, "showlivephotosbtn.png", 165,
         QT_TRANSLATE_NOOP("LibraryFilters", "Live Photos")},
        {L::Jpeg, true, "showjpgphotobtn.png", 165,
         QT_TRANSLATE_NOOP("LibraryFilters", "JPEG Photos")},
        {L::NotDownloaded, true, "icloudphotosbtn.png", 276,
         QT_TRANSLATE_NOOP("LibraryFilters", "Not Downloaded from iCloud")},
        {L::Raw, true, "showrawphotobtn.png", 169,
         QT_TRANSLATE_NOOP("LibraryFilters", "RAW Photos")},
        {L::Png, true, "showpngphotobtn.png", 167,
         QT_TRANSLATE_NOOP("LibraryFilters", "PNG Photos")},
        {L::Favourites, true, "favbtn.png", 152, QT_TRANSLATE_NOOP("LibraryFilters", "Favorites")},
        {L::Edited, true, "showedited.png", 131,
         QT_TRANSLATE_NOOP("LibraryFilters", "Edited Photos")},
        {L::NoAlbum, true, "photosnoablum.png", 228,
         QT_TRANSLATE_NOOP("LibraryFilters", "In No Album")},
        {L::NoTitle, true, "photosnotitle.png", 220,
         QT_TRANSLATE_NOOP("LibraryFilters", "Without Title")},
        {L::NoCaption, true, "photosnocaption.png", 242,
         QT_TRANSLATE_NOOP("LibraryFilters", "Without Caption")},
        {L::NoLocation, true, "photosnolocation.png", 276,
         QT_TRANSLATE_NOOP("LibraryFilters", "Without Location")},
        {L::NoKeywords, true, "photosnokeywords.png", 252,
         QT_TRANSLATE_NOOP("LibraryFilters", "Without Keywords")},
        {L::Last24Hours, true, "last24hourbtn.png", 178,
         QT_TRANSLATE_NOOP("LibraryFilters", "Last 24 Hours")},
        {L::Last7Days, true, "last7daysbtn.png", 167,
         QT_TRANSLATE_NOOP("LibraryFilters", "Last 7 Days")},
        {L::Last30Days, true, "last30daysbtn.png", 172,
         QT_TRANSLATE_NOOP("LibraryFilters", "Last 30 Days")},
        {L::Last90Days, true, "last90daysbtn.png", 175,
         QT_TRANSLATE_NOOP("LibraryFilters", "Last 90 Days")},
        {L::LastYear, true, "last365daysbtn.png", 178,
         QT_TRANSLATE_NOOP("LibraryFilters", "Last 365 Days")},
        {L::Videos, true, "showvideobtn.png", 133, QT_TRANSLATE_NOOP("LibraryFilters", "Videos")},
        {L::Referenced, true, "showreferencephotos.png", 323,
         QT_TRANSLATE_NOOP("LibraryFilters", "Referenced Photos")},
        // Lost files are worked through in the order the check found them.
        {L::LostReferenced, false, "missreferencephoto.png", 335,
         QT_TRANSLATE_NOOP("LibraryFilters", "Referenced Photos Whose File Is Missing")},
        {L::CurrentAlbum, true, "showalbums.png", 162,
         QT_TRANSLATE_NOOP("LibraryFilters", "Album")},
        {L::CurrentAlbum, true, "daterangebtn.png", 162,
         QT_TRANSLATE_NOOP("LibraryFilters", "Custom Date Range")},
    };
    static_assert(std::size(table) == size_t(LibraryFilter::CustomRange) + 1);
    return table[size_t(filter)];
}

QList<IKImageItemPtr> libraryFilterShownList(const QList<IKImageItemPtr> &source,
                                             bool newestFirst) {
    return newestFirst ? sortedLibraryItems(source, LibrarySortOrder::NewestFirst) : source;
}

std::optional<QDateTime> libraryRangeDate(const IKImageItem &item,
                                          const FileCreatedDate &fileCreated) {
    if (item.photoLibFileNode) {
        const QString text = item.photoLibFileNode->createDate.text();
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        for (const char *format : {"yyyy:MM:dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss"}) {
            const QDateTime d = en.toDateTime(text, QLatin1String(format));
            if (d.isValid())
                return d;
        }
    }
    if (fileCreated && !item.filePath.isEmpty()) {
        const QDateTime d = fileCreated(item.filePath);
        if (d.isValid())
            return d;
    }
    return std::nullopt;
}

QList<IKImageItemPtr> libraryItemsInRange(const QList<IKImageItemPtr> &items,
                                          const QDateTime &start, const QDateTime &end,
                                          const QDateTime &now,
                                          const FileCreatedDate &fileCreated) {
    // Whole seconds from now, truncated toward zero as a signed distance.
    const auto fromNow = [&now](const QDateTime &d) { return now.msecsTo(d) / 1000; };
    const qint64 first = fromNow(start), last = fromNow(end);
    QList<IKImageItemPtr> kept;
    for (const IKImageItemPtr &item : items) {
        if (!item)
            continue;
        const std::optional<QDateTime> date = libraryRangeDate(*item, fileCreated);
        if (!date)
            continue;
        const qint64 at = fromNow(*date);
        if (at >= first && at <= last)
            kept.append(item);
    }
    return kept;
}

QList<IKImageItemPtr> sameFileNameItems(const QHash<QString, QList<IKImageItemPtr>> &names) {
    struct Entry {
        LibraryStringKey key;
        QString nfc, name;
        const QList<IKImageItemPtr> *items;
    };
    std::vector<Entry> entries;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        const QString nfc = normalizedText(it.key(), QString::NormalizationForm_C);
        entries.push_back({libraryStringKey(nfc), nfc, it.key(), &it.value()});
    }
    // A hash has no order of its own: a fixed one lets the same library show the same view.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (const int c = compareLibraryStringKeys(a.key, b.key))
            return c < 0;
        return a.nfc != b.nfc ? a.nfc < b.nfc : a.name < b.name;
    });
    QList<IKImageItemPtr> out;
    // Stores spell one name composed and decomposed alike: such names are one group.
    for (size_t i = 0; i < entries.size();) {
        QList<IKImageItemPtr> group;
        size_t j = i;
        for (; j < entries.size() && entries[j].nfc == entries[i].nfc; ++j)
            group.append(*entries[j].items);
        if (group.size() > 1)
            out.append(group);
        i = j;
    }
    return out;
}
