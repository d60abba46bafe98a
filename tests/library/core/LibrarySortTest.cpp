#include "library/core/LibrarySort.h"
#include "library/core/LibraryLookups.h"
#include "platform/core/UnicodeForms.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

IKImageItemPtr item(const QString &name, uint64_t stamp = 0, const QString &date = QString(),
                    const QString &title = QString(), uint64_t size = 0) {
    auto i = std::make_shared<IKImageItem>();
    i->fileName = name;
    auto r = std::make_shared<PRPicFileInfo>();
    r->fileName = name;
    r->shootDateNumber = stamp;
    r->createDate.setText(date);
    r->fileTitle = title;
    r->originalfilesize = size;
    i->photoLibFileNode = r;
    return i;
}

QStringList names(const QList<IKImageItemPtr> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i->fileName;
    return out;
}

} // namespace

TEST(LibrarySort, FileNamesPunctuationFirstThenFoldedCase) {
    const QList<IKImageItemPtr> items = {item("B"), item("a"), item("_b"), item("É"), item("")};
    EXPECT_EQ(names(sortedLibraryItems(items, LibrarySortOrder::FileName)),
              QStringList({"", "_b", "a", "B", "É"}));
    // "é" folds to "e", which sorts after "b" and before "f".
    EXPECT_EQ(
        names(sortedLibraryItems({item("f"), item("é"), item("b")}, LibrarySortOrder::FileName)),
        QStringList({"b", "é", "f"}));
}

TEST(LibrarySort, TitledFirstThenUntitledByName) {
    const QList<IKImageItemPtr> items = {item("z.jpg"), item("y.jpg", 0, {}, "Beta"), item(""),
                                         item("a.jpg"), item("x.jpg", 0, {}, "alpha")};
    EXPECT_EQ(names(sortedLibraryItems(items, LibrarySortOrder::Title)),
              QStringList({"x.jpg", "y.jpg", "", "a.jpg", "z.jpg"}));
}

TEST(LibrarySort, LargestFirstAndRecordlessLast) {
    auto bare = std::make_shared<IKImageItem>();
    bare->fileName = "bare";
    const QList<IKImageItemPtr> items = {item("s", 0, {}, {}, 10), bare, item("l", 0, {}, {}, 5000),
                                         item("m", 0, {}, {}, 10)};
    EXPECT_EQ(names(sortedLibraryItems(items, LibrarySortOrder::FileSize)),
              QStringList({"l", "s", "m", "bare"}));
}

TEST(LibrarySort, DatesFromStampsOrTextAndUndatedLast) {
    // 999,999,999 is a stamp; 1,000,000,000 has ten digits, so its text decides.
    const QString late = libraryDateText(999999999 + 3600);
    const QList<IKImageItemPtr> items = {
        item("nine", 999999999, libraryDateText(999999999)),
        item("ten", 1000000000, late),
        item("zero", 0, "Unkown Date"),
        item("pre2001", uint64_t(int64_t(-86400 * 400)), "1999-11-26 10:00:00"),
        item("colon", 0, "2005:01:01 00:00:00"),
        item("offset", 0, "2006-01-01 00:00:00 +0000"),
    };
    EXPECT_EQ(names(sortedLibraryItems(items, LibrarySortOrder::NewestFirst)),
              QStringList({"ten", "nine", "offset", "colon", "pre2001", "zero"}));
    EXPECT_EQ(names(sortedLibraryItems(items, LibrarySortOrder::OldestFirst)),
              QStringList({"pre2001", "colon", "offset", "nine", "ten", "zero"}));
    EXPECT_FALSE(libraryDateTextInstant("2006-01-01 00:00:00 +0000 x"));
}

TEST(LibrarySort, FilterImagesNameTheirLists) {
    EXPECT_EQ(libraryListForFilterImage("showallitembtn.png"), LibraryListId::All);
    EXPECT_EQ(libraryListForFilterImage("daterangebtn.png"), LibraryListId::CurrentAlbum);
    EXPECT_EQ(libraryListForFilterImage("last30daysbtn.png"), LibraryListId::Last30Days);
    EXPECT_EQ(libraryListForFilterImage("photosnoablum.png"), LibraryListId::NoAlbum);
    EXPECT_EQ(libraryListForFilterImage(""), LibraryListId::All);
    EXPECT_EQ(libraryListForFilterImage("samephotoname.png"), LibraryListId::SameName);
}

// Random items with zeros, missing records, unreadable texts and ties: every order is a
// strict weak order, the sorted copy is sorted and stable, and the source keeps its order.
TEST(LibrarySort, RandomItemsGiveStrictWeakOrders) {
    std::mt19937 rng(19);
    const QStringList texts = {"Unkown Date",
                               "",
                               "2020-05-01 10:00:00",
                               "2020:05:01 10:00:00",
                               "2020-05-01 10:00:00 +0000",
                               "1990-01-01 00:00:00",
                               "garbage"};
    const QStringList words = {"", "_b", "a", "B", "é", "E", "-x", "Zeta", "zeta"};
    QList<IKImageItemPtr> items;
    for (int n = 0; n < 10000; ++n) {
        if (rng() % 20 == 0) {
            auto bare = std::make_shared<IKImageItem>();
            bare->fileName = words[int(rng() % words.size())];
            items << bare;
            continue;
        }
        const uint32_t pick = rng() % 5;
        const uint64_t stamp = pick == 0   ? 0
                               : pick == 1 ? 500000000 + rng() % 3
                               : pick == 2 ? 1000000000ull + rng() % 1000
                               : pick == 3 ? uint64_t(-int64_t(rng() % 100000))
                                           : rng() % 999999999;
        items << item(words[int(rng() % words.size())], stamp, texts[int(rng() % texts.size())],
                      words[int(rng() % words.size())], rng() % 4);
    }
    const QList<IKImageItemPtr> before = items;
    using Cmp = int (*)(const IKImageItem &, const IKImageItem &);
    const std::pair<LibrarySortOrder, Cmp> orders[] = {
        {LibrarySortOrder::NewestFirst, comparePhotoLibItemsByDate},
        {LibrarySortOrder::OldestFirst, comparePhotoLibItemsByOldToNewDate},
        {LibrarySortOrder::Title, comparePhotoLibItemsByTitle},
        {LibrarySortOrder::FileName, comparePhotoLibItemsByFileName},
        {LibrarySortOrder::FileSize, comparePhotoLibItemsByFileSize}};
    for (const auto &[order, cmp] : orders) {
        // Antisymmetry and transitivity on a sample of triples.
        for (int t = 0; t < 3000; ++t) {
            const IKImageItem &a = *items[int(rng() % items.size())];
            const IKImageItem &b = *items[int(rng() % items.size())];
            const IKImageItem &c = *items[int(rng() % items.size())];
            ASSERT_EQ(cmp(a, b), -cmp(b, a));
            ASSERT_EQ(cmp(a, a), 0);
            if (cmp(a, b) <= 0 && cmp(b, c) <= 0) {
                ASSERT_LE(cmp(a, c), 0);
            }
            if (cmp(a, b) == 0 && cmp(b, c) == 0) {
                ASSERT_EQ(cmp(a, c), 0);
            }
        }
        const QList<IKImageItemPtr> sorted = sortedLibraryItems(items, order);
        ASSERT_EQ(sorted.size(), items.size());
        EXPECT_TRUE(std::is_sorted(
            sorted.begin(), sorted.end(),
            [&](const IKImageItemPtr &a, const IKImageItemPtr &b) { return cmp(*a, *b) < 0; }));
        // Ties keep the source order.
        QHash<const IKImageItem *, int> position;
        for (int i = 0; i < items.size(); ++i)
            position.insert(items[i].get(), i);
        for (int i = 1; i < sorted.size(); ++i)
            if (cmp(*sorted[i - 1], *sorted[i]) == 0) {
                ASSERT_LT(position[sorted[i - 1].get()], position[sorted[i].get()]);
            }
        EXPECT_EQ(items, before);
    }
}

TEST(LibrarySort, LongNamesNormalizeInPiecesAsAWhole) {
    // Composed and decomposed letters, marks out of order, Hangul jamo, a character beyond
    // the first plane: cut anywhere, the pieces must give what the whole gives.
    const QString sample =
        QString::fromUtf8("Ä A\xcc\x88 e\xcc\x81\xcc\xa3 \xe1\x84\x80\xe1\x85\xa1"
                          "\xe1\x86\xa8 \xf0\x9f\x98\x80 Val d'Ise\xcc\x80re ");
    const QString text = sample.repeated(2000) + QString(3000, QChar(0x0301));
    for (const auto form : {QString::NormalizationForm_C, QString::NormalizationForm_D})
        EXPECT_EQ(normalizedText(text, form), text.normalized(form));
    // Two megabytes of letters with accents sort like any name.
    const QString huge(1024 * 1024, QChar(0x00c4));
    EXPECT_EQ(libraryStringKey(huge).folded, QString(1024 * 1024, 'a'));
}
