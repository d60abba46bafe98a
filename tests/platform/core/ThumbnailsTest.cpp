#include "platform/core/Thumbnails.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Thumbnails, SharedCacheIsWrittenReadAndOutdatedByAChange) {
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString cacheFile = Thumbnails::cachePathFor(park);
    EXPECT_TRUE(cacheFile.contains("/thumbnails/large/"));
    EXPECT_TRUE(Thumbnails::cached(park).isNull());

    const QImage made = Thumbnails::make(park, 170);
    ASSERT_FALSE(made.isNull());
    EXPECT_LE(std::max(made.width(), made.height()), 170);
    // The desktop's format: a 256-pixel PNG naming the file and its modification time.
    QImageReader reader(cacheFile, "PNG");
    const QImage stored = reader.read();
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(std::max(stored.width(), stored.height()), 256);
    EXPECT_EQ(stored.text("Thumb::URI"), QUrl::fromLocalFile(park).toEncoded());
    EXPECT_FALSE(Thumbnails::cached(park).isNull());

    QFile f(park);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_TRUE(Thumbnails::cached(park).isNull());
}

TEST(Thumbnails, NotAPictureGivesNothingAndNoCacheFile) {
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.jpg");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a jpeg at all");
    f.close();
    EXPECT_TRUE(Thumbnails::make(broken, 170).isNull());
    EXPECT_FALSE(QFileInfo::exists(Thumbnails::cachePathFor(broken)));
    EXPECT_TRUE(Thumbnails::isSlowToMake("/x/IMG_3092.HEIC"));
    EXPECT_FALSE(Thumbnails::isSlowToMake("/x/wedding.jpg"));
}

TEST(Thumbnails, VideosShowTheirFirstFrame) {
    QTemporaryDir dir;
    for (const char *name : {"clip.mp4", "IMG_0123.mov"}) {
        const QString video = copyFixture(name, dir.path());
        const QImage frame = Thumbnails::make(video, 170);
        ASSERT_FALSE(frame.isNull()) << name;
        EXPECT_EQ(std::max(frame.width(), frame.height()), 170) << name;
    }
}
