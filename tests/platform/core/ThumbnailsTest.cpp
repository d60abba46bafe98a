#include "platform/core/Thumbnails.h"
#include "platform/core/VideoFrame.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTransform>
#include <QUrl>
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

// A cell takes the Exif thumbnail when it has the photo's shape, instead of decoding the photo.
TEST(Thumbnails, AnExifThumbnailOfThePhotosShapeServesACell) {
    QTemporaryDir dir;
    // The Canon's 160 x 120 thumbnail is its 4:3 photo: too small to share with the desktop.
    const QString canon = copyFixture("IMG_1994.JPG", dir.path());
    QImage toStore;
    EXPECT_EQ(Thumbnails::make(canon, 170, &toStore).size(), QSize(160, 120));
    EXPECT_TRUE(toStore.isNull());
    EXPECT_EQ(Thumbnails::make(canon, 256, &toStore).size(), QSize(256, 192));

    // A letterboxed one (4:3 in a 3:1 photo) is passed over for the pixels.
    const QString wide = dir.filePath("wide.jpg"), small = dir.filePath("small.jpg");
    QImage pixels(600, 200, QImage::Format_RGB32);
    pixels.fill(Qt::darkGreen);
    ASSERT_TRUE(pixels.save(wide, "JPEG") && pixels.copy(0, 0, 160, 120).save(small, "JPEG"));
    ASSERT_EQ(QProcess::execute("exiftool",
                                {"-q", "-overwrite_original", "-ThumbnailImage<=" + small, wide}),
              0);
    EXPECT_EQ(Thumbnails::make(wide, 170, &toStore).size(), QSize(170, 56));
    EXPECT_EQ(toStore.size(), QSize(256, 85));
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

// A portrait phone video: sideways pictures and a track matrix that turns them 90° clockwise.
TEST(Thumbnails, RotatedVideosShowUpright) {
    QTemporaryDir dir;
    const QString video = dir.filePath("portrait.mp4");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=64x48:d=1", "-f",
                            "lavfi", "-i", "color=blue:s=64x48:d=1", "-filter_complex",
                            "hstack,format=yuv420p", "-c:v", "libx264", "-t", "1", video});
    ASSERT_TRUE(ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0);
    QProcess exiftool;
    exiftool.start("exiftool", {"-q", "-overwrite_original", "-Rotation=90", video});
    ASSERT_TRUE(exiftool.waitForFinished(-1) && exiftool.exitCode() == 0);
    const QImage frame = Thumbnails::make(video, 170);
    ASSERT_FALSE(frame.isNull());
    // Red stood left of blue; turned clockwise it stands above it.
    EXPECT_EQ(frame.size(), QSize(48, 128));
    const QColor top = frame.pixelColor(frame.width() / 2, 10);
    const QColor bottom = frame.pixelColor(frame.width() / 2, frame.height() - 10);
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(top.blue(), 60);
    EXPECT_GT(bottom.blue(), 200);
    EXPECT_LT(bottom.red(), 60);
    // The preview of a library video is the same first frame.
    EXPECT_EQ(firstVideoFrame(video).size(), QSize(48, 128));
    // A cached thumbnail of ours from before videos were turned is made again.
    QImage sideways = frame.transformed(QTransform().rotate(-90));
    sideways.setText("Thumb::URI", QUrl::fromLocalFile(video).toEncoded());
    sideways.setText("Thumb::MTime",
                     QString::number(QFileInfo(video).lastModified().toSecsSinceEpoch()));
    sideways.setText("Thumb::Size", QString::number(QFileInfo(video).size()));
    sideways.setText("Software", "Photo Kestry");
    QDir().mkpath(QFileInfo(Thumbnails::cachePathFor(video)).absolutePath());
    ASSERT_TRUE(sideways.save(Thumbnails::cachePathFor(video), "PNG"));
    EXPECT_TRUE(Thumbnails::cached(video).isNull());
}
