// The Photos-application requests: unavailable on Linux, recorded whole by the fake.
#include "platform/core/PhotosApplication.h"

#include <gtest/gtest.h>

TEST(PhotosApplicationRequests, AreUnavailableOnLinuxWithTheReason) {
    LinuxPhotosApplication photos;
    const PhotosAnswer open = photos.openLibrary("/home/u/Pictures/Photos Library.photoslibrary");
    EXPECT_EQ(open.kind, PhotosAnswer::Unavailable);
    EXPECT_EQ(open.text, "The Photos application does not exist on Linux");
    const PhotosAnswer import = photos.importFile("/home/u/Pictures/a.jpg", "Trip");
    EXPECT_EQ(import.kind, PhotosAnswer::Unavailable);
    EXPECT_EQ(import.text, open.text);
    EXPECT_FALSE(import.isDone());
}

TEST(PhotosApplicationRequests, ReachTheFakeAsDataAndCanFail) {
    FakePhotosApplication photos;
    const QString path = QString::fromUtf8("/tmp/x \"quoted\" \\ back\\slash; rm -rf ~.jpg");
    const QString album = QStringLiteral("A \"B\"");
    EXPECT_TRUE(photos.openLibrary("/tmp/L \"1\".photoslibrary").isDone());
    EXPECT_TRUE(photos.importFile(path, album).isDone());
    EXPECT_TRUE(photos.importFile(path, QString()).isDone());
    EXPECT_EQ(photos.openedLibraries, QStringList{"/tmp/L \"1\".photoslibrary"});
    ASSERT_EQ(photos.imports.size(), 2);
    EXPECT_EQ(photos.imports[0].first, path);
    EXPECT_EQ(photos.imports[0].second, album);
    EXPECT_TRUE(photos.imports[1].second.isEmpty());

    photos.importAnswer = PhotosAnswer::failed("Photos could not read the file");
    const PhotosAnswer failed = photos.importFile(path, album);
    EXPECT_EQ(failed.kind, PhotosAnswer::Failed);
    EXPECT_EQ(failed.text, "Photos could not read the file");
    EXPECT_EQ(photos.imports.size(), 3);
}
