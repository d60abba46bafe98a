#include "library/core/LibrarySort.h"

#include "library/core/LibraryLookups.h"
#include "platform/core/UnicodeForms.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTime>
#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// "yyyy?MM?dd HH:mm:ss" with `sep` between the date fields; strict widths like the formats.
std::optional<int64_t> parseDate(const QString &s, QChar sep) {
    if (s.size() != 19 || s[4] != sep || s[7] != sep || s[10] != QLatin1Char(' ') ||
        s[13] != QLatin1Char(':') || s[16] != QLatin1Char(':'))
        return std::nullopt;
    const auto num = [&](int from, int len, int &out) {
        out = 0;
        for (int i = from; i < from + len; ++i) {
            if (!s[i].isDigit() || s[i].unicode() > '9')
                return false;
            out = out * 10 + (s[i].unicode() - '0');
        }
        return true;
    };
    int y, mo, d, h, mi, se;
    if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) ||
        !num(17, 2, se))
        return std::nullopt;
    const QDate date(y, mo, d);
    const QTime time(h, mi, se);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime dt(date, time, Qt::LocalTime);
    if (!dt.isValid())
        return std::nullopt;
    return dt.toMSecsSinceEpoch();
}

} // namespace

std::optional<int64_t> libraryDateTextInstant(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(' '));
    const QString normal = parts.size() == 3 ? parts[0] + QLatin1Char(' ') + parts[1] : text;
    if (auto t = parseDate(normal, QLatin1Char(':')))
        return t;
    return parseDate(normal, QLatin1Char('-'));
}

std::optional<int64_t> libraryItemDateKey(const IKImageItem &item) {
    const PRPicFileInfo *r = item.photoLibFileNode.get();
    if (!r)
        return std::nullopt;
    // Ten digits and more are stamps before the reference date, held unsigned: the text
    // has them right.
    if (r->shootDateNumber != 0 && r->shootDateNumber < 1000000000ull)
        return (kLibraryReferenceDate + int64_t(r->shootDateNumber)) * 1000;
    return libraryDateTextInstant(r->createDate.text());
}

LibraryStringKey libraryStringKey(const QString &text) {
    LibraryStringKey key;
    key.punctuationFirst = !text.isEmpty() && text.at(0).isPunct();
    const QString nfd = normalizedText(text, QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(nfd.size());
    for (QChar c : nfd)
        if (c.category() != QChar::Mark_NonSpacing &&
            c.category() != QChar::Mark_SpacingCombining && c.category() != QChar::Mark_Enclosing)
            stripped.append(c);
    key.folded = stripped.toCaseFolded();
    return key;
}

int compareLibraryStringKeys(const LibraryStringKey &a, const LibraryStringKey &b) {
    if (a.punctuationFirst != b.punctuationFirst)
        return a.punctuationFirst ? -1 : 1;
    const int c = a.folded.compare(b.folded, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

template <typename T> int threeWay(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The sort key of one item in one order; comparing two keys is the order's comparison.
struct SortKey {
    int group = 0; // lower groups go first
    int64_t number = 0;
    LibraryStringKey text;
};

QString recordName(const IKImageItem &item) {
    // Folder-walk items have no record; their own name still orders them.
    return item.photoLibFileNode ? item.photoLibFileNode->fileName : item.fileName;
}

SortKey makeKey(const IKImageItem &item, LibrarySortOrder order) {
    SortKey k;
    switch (order) {
    case LibrarySortOrder::NewestFirst:
    case LibrarySortOrder::OldestFirst: {
        const auto t = libraryItemDateKey(item);
        k.group = t ? 0 : 1;
        k.number = t ? (order == LibrarySortOrder::NewestFirst ? -*t : *t) : 0;
        break;
    }
    case LibrarySortOrder::Title: {
        const QString title = item.photoLibFileNode ? item.photoLibFileNode->fileTitle : QString();
        if (!title.isEmpty()) {
            k.group = 0;
            k.text = libraryStringKey(title);
            break;
        }
        const QString name = recordName(item);
        k.group = name.isEmpty() ? 1 : 2;
        k.text = libraryStringKey(name);
        break;
    }
    case LibrarySortOrder::FileName: {
        const QString name = recordName(item);
        k.group = name.isEmpty() ? 0 : 1;
        k.text = libraryStringKey(name);
        break;
    }
    case LibrarySortOrder::FileSize:
        if (item.photoLibFileNode) {
            // Largest first; sizes above INT64_MAX do not occur in a file system.
            k.number = -int64_t(
                std::min<uint64_t>(item.photoLibFileNode->originalfilesize, uint64_t(INT64_MAX)));
        } else {
            k.group = 1;
        }
        break;
    }
    return k;
}

int compareKeys(const SortKey &a, const SortKey &b) {
    if (int c = threeWay(a.group, b.group))
        return c;
    if (int c = threeWay(a.number, b.number))
        return c;
    return compareLibraryStringKeys(a.text, b.text);
}

int compareItems(const IKImageItem &a, const IKImageItem &b, LibrarySortOrder order) {
    return compareKeys(makeKey(a, order), makeKey(b, order));
}

} // namespace

int comparePhotoLibItemsByDate(const IKImageItem &a, const IKImageItem &b) {
    return compareItems(a, b, LibrarySortOrder::NewestFirst);
}
int comparePhotoLibItemsByOldToNewDate(const IKImageItem &a, const IKImageItem &b) {
    return compareItems(a, b, LibrarySortOrder::OldestFirst);
}
int comparePhotoLibItemsByTitle(const IKImageItem &a, const IKImageItem &b) {
    return compareItems(a, b, LibrarySortOrder::Title);
}
int comparePhotoLibItemsByFileName(const IKImageItem &a, const IKImageItem &b) {
    return compareItems(a, b, LibrarySortOrder::FileName);
}
int comparePhotoLibItemsByFileSize(const IKImageItem &a, const IKImageItem &b) {
    return compareItems(a, b, LibrarySortOrder::FileSize);
}

QList<IKImageItemPtr> sortedLibraryItems(const QList<IKImageItemPtr> &items,
                                         LibrarySortOrder order) {
    QList<IKImageItemPtr> sorted;
    if (order != LibrarySortOrder::Title && order != LibrarySortOrder::FileName &&
        items.size() <= qsizetype(UINT32_MAX)) {
        // Orders by number: 16 bytes a key with the source position as the last key, sorted
        // in place (the general keys and a stable sort's buffer were 100 MB at the end of a
        // million-photo load).
        struct NumberKey {
            int64_t number;
            int32_t group;
            uint32_t at;
        };
        std::vector<NumberKey> keys;
        keys.reserve(size_t(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const IKImageItemPtr &item = items.at(i);
            const SortKey k = item ? makeKey(*item, order) : SortKey{2, 0, {}};
            keys.push_back({k.number, int32_t(k.group), uint32_t(i)});
        }
        std::sort(keys.begin(), keys.end(), [](const NumberKey &a, const NumberKey &b) {
            if (a.group != b.group)
                return a.group < b.group;
            return a.number != b.number ? a.number < b.number : a.at < b.at;
        });
        sorted.reserve(items.size());
        for (const NumberKey &k : keys)
            sorted.append(items.at(k.at));
        return sorted;
    }
    std::vector<SortKey> keys;
    keys.reserve(items.size());
    for (const IKImageItemPtr &item : items)
        keys.push_back(item ? makeKey(*item, order) : SortKey{2, 0, {}});
    std::vector<qsizetype> index(items.size());
    std::iota(index.begin(), index.end(), qsizetype(0));
    std::stable_sort(index.begin(), index.end(), [&](qsizetype a, qsizetype b) {
        return compareKeys(keys[size_t(a)], keys[size_t(b)]) < 0;
    });
    sorted.reserve(items.size());
    for (qsizetype i : index)
        sorted.append(items.at(i));
    return sorted;
}

LibraryListId libraryListForFilterImage(const QString &imageName) {
    static const QHash<QString, LibraryListId> table = {
        {QStringLiteral("showallitembtn.png"), LibraryListId::All},
        {QStringLiteral("showlivephotosbtn.png"), LibraryListId::LivePhotos},
        {QStringLiteral("showjpgphotobtn.png"), LibraryListId::Jpeg},
        {QStringLiteral("showrawphotobtn.png"), LibraryListId::Raw},
        {QStringLiteral("showpngphotobtn.png"), LibraryListId::Png},
        {QStringLiteral("showvideobtn.png"), LibraryListId::Videos},
        {QStringLiteral("favbtn.png"), LibraryListId::Favourites},
        {QStringLiteral("showedited.png"), LibraryListId::Edited},
        {QStringLiteral("icloudphotosbtn.png"), LibraryListId::NotDownloaded},
        {QStringLiteral("showalbums.png"), LibraryListId::CurrentAlbum},
        {QStringLiteral("last24hourbtn.png"), LibraryListId::Last24Hours},
        {QStringLiteral("last7daysbtn.png"), LibraryListId::Last7Days},
        {QStringLiteral("last90daysbtn.png"), LibraryListId::Last90Days},
        {QStringLiteral("last365daysbtn.png"), LibraryListId::LastYear},
        {QStringLiteral("daterangebtn.png"), LibraryListId::CurrentAlbum},
        {QStringLiteral("photosnotitle.png"), LibraryListId::NoTitle},
        {QStringLiteral("photosnocaption.png"), LibraryListId::NoCaption},
        {QStringLiteral("photosnokeywords.png"), LibraryListId::NoKeywords},
        {QStringLiteral("photosnolocation.png"), LibraryListId::NoLocation},
        {QStringLiteral("last30daysbtn.png"), LibraryListId::Last30Days},
        {QStringLiteral("photosnoablum.png"), LibraryListId::NoAlbum},
        {QStringLiteral("showreferencephotos.png"), LibraryListId::Referenced},
        {QStringLiteral("missreferencephoto.png"), LibraryListId::LostReferenced},
        {QStringLiteral("samephotoname.png"), LibraryListId::SameName},
    };
    // Before any filter was chosen the browser shows every item.
    if (imageName.isEmpty())
        return LibraryListId::All;
    return table.value(imageName, LibraryListId::Shown);
}
