#include "library/core/LibraryLists.h"
#include "library/core/LibraryLookups.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

PRPicFileInfoPtr record(const QString &name, const QDateTime &date = {}) {
    auto r = std::make_shared<PRPicFileInfo>();
    r->fileName = name;
    r->fileFullPath = QStringLiteral("/nowhere/originals/") + name;
    r->fileThumbPath = r->fileLargeThumbPath = r->fileFullPath;
    if (date.isValid()) {
        r->shootDateNumber = uint64_t(date.toSecsSinceEpoch() - kLibraryReferenceDate);
        r->createDate.setText(libraryDateText(int64_t(r->shootDateNumber)));
    }
    return r;
}

bool has(const QList<IKImageItemPtr> &list, const QString &name) {
    for (const auto &i : list)
        if (i->fileName == name)
            return true;
    return false;
}

} // namespace

TEST(LibraryLists, DateWindowsFromTheLoadsClock) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000);
    const QList<PRPicFileInfoPtr> records = {
        record("day.jpg", now.addSecs(-86400)), record("three.jpg", now.addDays(-3)),
        record("month.jpg", now.addDays(-29)),  record("tomorrow.jpg", now.addDays(1)),
        record("old.jpg", now.addDays(-400)),   record("undated.jpg")};
    const LibraryLists b = fileLibraryRecords(records, now);
    EXPECT_TRUE(has(b.twentyfourhoursItemArray, "day.jpg"));
    EXPECT_FALSE(has(b.twentyfourhoursItemArray, "three.jpg"));
    for (const auto *list : {&b.sevendaysItemArray, &b.thirtydaysItemArray, &b.ninetydaysItemArray,
                             &b.oneyearsItemArray})
        EXPECT_TRUE(has(*list, "three.jpg"));
    EXPECT_FALSE(has(b.sevendaysItemArray, "month.jpg"));
    EXPECT_TRUE(has(b.thirtydaysItemArray, "month.jpg"));
    for (const auto *list :
         {&b.twentyfourhoursItemArray, &b.sevendaysItemArray, &b.thirtydaysItemArray,
          &b.ninetydaysItemArray, &b.oneyearsItemArray}) {
        EXPECT_FALSE(has(*list, "tomorrow.jpg"));
        EXPECT_FALSE(has(*list, "old.jpg"));
        EXPECT_FALSE(has(*list, "undated.jpg"));
    }
    EXPECT_EQ(b.photoLibBroserArray.size(), 6);
    EXPECT_EQ(b.jpgPhotosItemArray.size(), 6);
}

TEST(LibraryLists, AlbumsFiledUnderEveryWholeTitle) {
    auto both = record("both.jpg");
    both->albumTitles = {"2018-10 - Sponsion, Museum, Frühstück, Römermuseum", "Test Album"};
    both->fileAlbum = both->albumTitles.first();
    auto older = record("older.jpg");
    older->fileAlbum = "A, B"; // a text without titles is one album
    auto none = record("none.jpg");
    const LibraryLists b = fileLibraryRecords({both, older, none}, QDateTime::currentDateTime());
    EXPECT_EQ(b.albumDictionary.size(), 3);
    EXPECT_TRUE(has(b.albumDictionary.value("2018-10 - Sponsion, Museum, Frühstück, Römermuseum"),
                    "both.jpg"));
    EXPECT_TRUE(has(b.albumDictionary.value("Test Album"), "both.jpg"));
    EXPECT_TRUE(has(b.albumDictionary.value("A, B"), "older.jpg"));
    EXPECT_EQ(b.noAlbumPhotosItemArray.size(), 1);
    EXPECT_EQ(
        sortedAlbumTitles(b.albumDictionary),
        QStringList({"2018-10 - Sponsion, Museum, Frühstück, Römermuseum", "A, B", "Test Album"}));
}

TEST(LibraryLists, KindsFlagsAndCompanions) {
    auto live = record("IMG_1_3.mov");
    live->favoriteNum = 1;
    live->albumTitles = {"Trip"};
    auto movie = record("clip.mp4");
    movie->bICloudDownloadPhoto = false;
    auto heic = record("IMG.heic");
    heic->hasAdjustNum = 2;
    heic->setLatitudeText("1.0");
    heic->setLongitudeText("2.0");
    auto referenced = record("ref.png");
    referenced->bReferencePhoto = true;
    auto text = record("notes.txt");
    const LibraryLists b =
        fileLibraryRecords({live, movie, heic, referenced, text}, QDateTime::currentDateTime());
    EXPECT_EQ(b.photoLibBroserArray.size(), 2); // clip.mp4, IMG.heic
    EXPECT_FALSE(has(b.videosItemArray, "IMG_1_3.mov"));
    EXPECT_TRUE(has(b.videosItemArray, "clip.mp4"));
    EXPECT_TRUE(has(b.favPhotosItemArray, "IMG_1_3.mov"));
    EXPECT_TRUE(has(b.albumDictionary.value("Trip"), "IMG_1_3.mov"));
    EXPECT_TRUE(has(b.unDownloadPhotosItemArray, "clip.mp4"));
    EXPECT_TRUE(has(b.livesPhotosItemArray, "IMG.heic"));
    EXPECT_TRUE(has(b.editPhotosItemArray, "IMG.heic"));
    EXPECT_FALSE(has(b.noLocationPhotosItemArray, "IMG.heic"));
    EXPECT_TRUE(has(b.pngPhotosItemArray, "ref.png"));
    EXPECT_FALSE(has(b.photoLibBroserArray, "ref.png"));
    EXPECT_FALSE(b.nameDictionary.contains("notes.txt"));
    EXPECT_FALSE(b.nameDictionary.contains("IMG_1_3.mov"));

    LibraryLists all;
    all.append(b);
    all.append(b);
    EXPECT_EQ(all.photoLibBroserArray.size(), 4);
    EXPECT_EQ(all.nameDictionary.value("clip.mp4").size(), 2);
}

TEST(LibraryLists, FolderItemsFileByKind) {
    EXPECT_FALSE(makeLibraryFileItem("/x/IMG_1_3.MOV"));
    EXPECT_FALSE(makeLibraryFileItem("/x/.DS_Store"));
    const IKImageItemPtr jpg = makeLibraryFileItem("/x/a.jpg");
    ASSERT_TRUE(jpg);
    EXPECT_EQ(jpg->fileType, "Image");
    EXPECT_FALSE(jpg->photoLibFileNode);
    LibraryLists current, older;
    fileLibraryFolderItem(jpg, LibraryFolderKind::Originals, current);
    fileLibraryFolderItem(jpg, LibraryFolderKind::Masters, older);
    EXPECT_EQ(current.jpgPhotosItemArray.size(), 1);
    EXPECT_TRUE(older.jpgPhotosItemArray.isEmpty());
    EXPECT_EQ(older.photoLibBroserArray.size(), 1);
}
