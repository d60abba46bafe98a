// Stamps drawn into real photos: where the text lands, what metadata stays, where the
// stamped photo goes with and without overwriting and recompression.
#include "batch/core/StampPhoto.h"
#include "batch/core/UprightDecode.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The box around the pixels the red stamp text turned red.
QRect changedBox(const QImage &a, const QImage &b) {
    QRect box;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            // Pure red where the photo had none: the stamp, not the recompression.
            const auto red = [](QRgb c) {
                return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
            };
            if (red(q[col]) && !red(p[col]))
                box |= QRect(col, row, 1, 1);
        }
    }
    return box;
}

class Stamps : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings.storage = dir.filePath("out");
        settings.fontName = "DejaVu Sans";
        settings.fontSize = 60;
        settings.color = Qt::red;
        settings.dateFormat = "DD.MM.YYYY";
    }
    QTemporaryDir dir;
    StampSettings settings;
};

} // namespace

TEST_F(Stamps, TheTextLandsInTheChosenCorner) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QImage plain = decodeUprightFile(park).image;
    const QSize size = plain.size(); // 2047 x 1356

    settings.corner = "Lower left corner";
    const OutputResult date = stampPhotoFile(settings, park);
    ASSERT_TRUE(date.ok()) << date.reason.toStdString();
    const QRect lowerLeft = changedBox(plain, decodeUprightFile(date.path).image);
    ASSERT_FALSE(lowerLeft.isEmpty());
    EXPECT_GE(lowerLeft.left(), 50);
    EXPECT_LT(lowerLeft.right(), size.width() / 2);
    EXPECT_GT(lowerLeft.top(), size.height() - 200);
    EXPECT_LT(lowerLeft.bottom(), size.height() - 30);

    settings.kind = StampKind::Copyright;
    settings.corner = "Upper right corner";
    settings.fontSize = 30;
    const OutputResult copyright = stampPhotoFile(settings, park);
    ASSERT_TRUE(copyright.ok()) << copyright.reason.toStdString();
    const QRect upperRight = changedBox(plain, decodeUprightFile(copyright.path).image);
    ASSERT_FALSE(upperRight.isEmpty());
    EXPECT_GT(upperRight.left(), size.width() / 2);
    EXPECT_LE(upperRight.right(), size.width() - 20);
    EXPECT_GE(upperRight.top(), 20);
    EXPECT_LT(upperRight.bottom(), 150);
    EXPECT_EQ(filesIn(settings.storage),
              (QStringList{"St James Park (2).jpg", "St James Park.jpg"}));
}

TEST_F(Stamps, AStampedPhotoKeepsTheOriginalsMetadata) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QByteArray before = readAll(park);
    for (bool recompress : {true, false}) {
        settings.recompress = recompress;
        const OutputResult r = stampPhotoFile(settings, park);
        ASSERT_TRUE(r.ok()) << r.reason.toStdString();
        SCOPED_TRACE(r.path.toStdString());
        const QJsonObject json = exiftoolNumbers(r.path);
        EXPECT_NEAR(json.value("GPS:GPSLatitude").toDouble(), 51.5036, 0.001);
        EXPECT_EQ(json.value("ExifIFD:DateTimeOriginal").toString(), "2018:10:13 09:18:12");
        EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park");
        EXPECT_EQ(json.value("XMP-dc:Title").toString(), "St. James's Park");
        EXPECT_TRUE(json.value("IFD0:Copyright").toString().startsWith("Copyright 2018"));
        EXPECT_TRUE(json.contains("ICC_Profile:ProfileDescription"));
        EXPECT_TRUE(!json.contains("IFD0:Orientation") ||
                    json.value("IFD0:Orientation").toInt() == 1);
    }
    // Recompressed: JPEG under its own name; without: a TIFF beside it, named so.
    EXPECT_EQ(filesIn(settings.storage), (QStringList{"St James Park.jpg", "St James Park.tiff"}));
    EXPECT_TRUE(readAll(settings.storage + "/St James Park.tiff").startsWith("II*"));
    EXPECT_EQ(readAll(park), before);
}

TEST_F(Stamps, OverwriteReplacesOnlyAnOriginalOfTheSameFormat) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QByteArray before = readAll(park);
    settings.overwrite = true;
    settings.recompress = false;
    // A TIFF cannot take a JPEG's place: it goes to the storage folder.
    const OutputResult tiff = stampPhotoFile(settings, park);
    ASSERT_TRUE(tiff.ok()) << tiff.reason.toStdString();
    EXPECT_EQ(tiff.path, settings.storage + "/St James Park.tiff");
    EXPECT_EQ(readAll(park), before);

    // Recompressed, the JPEG replaces the JPEG, in place.
    settings.recompress = true;
    const OutputResult jpeg = stampPhotoFile(settings, park);
    ASSERT_TRUE(jpeg.ok()) << jpeg.reason.toStdString();
    EXPECT_EQ(jpeg.path, park);
    EXPECT_NE(readAll(park), before);
    EXPECT_EQ(exiftool(park).value("IPTC:ObjectName").toString(), "St. James's Park");
    EXPECT_EQ(filesIn(dir.path()), QStringList{"St James Park.jpg"}) << "no temporary left";

    // A TIFF original stamped without recompression is replaced by its stamped self.
    const QString original = dir.filePath("scan.tif");
    QFile::copy(settings.storage + "/St James Park.tiff", original);
    const QByteArray tiffBefore = readAll(original);
    settings.recompress = false;
    const OutputResult again = stampPhotoFile(settings, original);
    ASSERT_TRUE(again.ok()) << again.reason.toStdString();
    EXPECT_EQ(again.path, original);
    EXPECT_NE(readAll(original), tiffBefore);
    EXPECT_TRUE(readAll(original).startsWith("II*"));
}

TEST_F(Stamps, SkipsAndBadInput) {
    const QString wedding = copyFixture("wedding.jpg", dir.path()); // no copyright notice
    settings.kind = StampKind::Copyright;
    const OutputResult none = stampPhotoFile(settings, wedding);
    EXPECT_FALSE(none.ok());
    EXPECT_FALSE(none.reason.isEmpty());

    settings.kind = StampKind::Date;
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(writeAll(empty, {}));
    const QByteArray park = readAll(fixturePath("St James Park.jpg"));
    const QString cut = dir.filePath("cut.jpg");
    ASSERT_TRUE(writeAll(cut, park.left(park.size() / 3)));
    for (const QString &path : {empty, cut}) {
        settings.overwrite = true;
        const OutputResult r = stampPhotoFile(settings, path);
        EXPECT_FALSE(r.ok()) << path.toStdString();
        EXPECT_FALSE(r.reason.isEmpty());
    }
    EXPECT_EQ(readAll(cut), park.left(park.size() / 3));
    EXPECT_TRUE(filesIn(settings.storage).isEmpty());

    // A read-only storage folder.
    const QString readOnly = dir.filePath("ro");
    QDir().mkpath(readOnly);
    QString why;
    if (!mountScratch(readOnly, "tmpfs", "ro", &why))
        GTEST_SKIP() << why.toStdString();
    settings.overwrite = false;
    settings.storage = readOnly;
    const OutputResult r = stampPhotoFile(settings, wedding);
    unmountScratch(readOnly);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.reason.isEmpty());
}

TEST_F(Stamps, TheDateTextOfAPhotoAndOfAFileWithoutExif) {
    const QByteArray park = readAll(fixturePath("St James Park.jpg"));
    QString why;
    EXPECT_EQ(stampTextFor(settings, park, fixturePath("St James Park.jpg"), &why), "13.10.2018");
    settings.dateFormat = "MM/DD/YYYY HH:MM";
    EXPECT_EQ(stampTextFor(settings, park, fixturePath("St James Park.jpg"), &why),
              "10/13/2018 09:18:12");
}

TEST_F(Stamps, SidewaysAndHeicPhotosAreStampedUpright) {
    // 200 x 100 stored lying on its side (Orientation 6): upright it is 100 x 200.
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 100, 100, Qt::green);
    const QString sideways = dir.filePath("orient6.jpg");
    ASSERT_TRUE(image.save(sideways, "JPEG", 95));
    QProcess exif;
    exif.start("exiftool", {"-q", "-overwrite_original", "-n", "-Orientation=6", sideways});
    ASSERT_TRUE(exif.waitForFinished(-1));
    settings.fontSize = 10;
    const OutputResult r = stampPhotoFile(settings, sideways);
    ASSERT_TRUE(r.ok()) << r.reason.toStdString();
    const QJsonObject json = exiftoolNumbers(r.path);
    EXPECT_EQ(json.value("IFD0:Orientation").toInt(), 1);
    const QImage shown(r.path);
    ASSERT_EQ(shown.size(), QSize(100, 200));
    EXPECT_GT(shown.pixelColor(50, 20).green(), 200) << "green on top, as the photo is seen";
    EXPECT_GT(shown.pixelColor(50, 120).blue(), 200);

    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    const OutputResult h = stampPhotoFile(settings, heic);
    ASSERT_TRUE(h.ok()) << h.reason.toStdString();
    EXPECT_EQ(QFileInfo(h.path).fileName(), "IMG_3092.jpg");
    const QJsonObject heicJson = exiftoolNumbers(h.path);
    EXPECT_EQ(heicJson.value("IFD0:Make").toString(), "Apple");
    EXPECT_FALSE(heicJson.value("ExifIFD:DateTimeOriginal").toString().isEmpty());
    EXPECT_EQ(QImage(h.path).size(), QSize(3024, 4032));
}
