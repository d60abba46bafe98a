// Recompression, resizing and conversion of real photos, read back with exiftool and decoded.
#include "batch/core/ImageOutputs.h"
#include "batch/core/HeifJpeg.h"
#include "batch/core/UprightDecode.h"
#include "platform/core/FileDates.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QSize decodedSize(const QString &path) {
    return decodeUprightFile(path).image.size();
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool isJpeg(const QString &path) {
    return readAll(path).startsWith("\xff\xd8\xff");
}

bool runExiftool(const QStringList &args) {
    QProcess p;
    p.start("exiftool", args);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

// 200 x 100: red left half, blue right half, stored lying on its side (Orientation 6): seen
// upright it is 100 x 200, red above blue.
QString sidewaysJpeg(const QString &dir) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 100, 100, Qt::red);
    const QString path = dir + "/orient6.jpg";
    image.save(path, "JPEG", 95);
    EXPECT_TRUE(runExiftool({"-q", "-overwrite_original", "-n", "-Orientation=6", path}));
    return path;
}

void expectRedAboveBlue(const QImage &image) {
    ASSERT_FALSE(image.isNull());
    const QColor top = image.pixelColor(image.width() / 2, image.height() / 4);
    const QColor bottom = image.pixelColor(image.width() / 2, image.height() * 3 / 4);
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(top.blue(), 60);
    EXPECT_GT(bottom.blue(), 200);
    EXPECT_LT(bottom.red(), 60);
}

// Our decoder and Qt's, both told nothing about orientation: what a viewer shows.
QImage shownBy(const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

class ImageOutputs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(out()));
    }
    QString out() const { return dir.filePath("out"); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ImageOutputs, RecompressionAt40PercentIsSmallerWithoutExifOrGps) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const OutputResult r = recompressPhotoFile(park, "St James Park.jpg", out(), 0.4f);
    ASSERT_TRUE(r.ok()) << r.reason.toStdString();
    EXPECT_EQ(r.path, out() + "/St James Park.jpg");
    EXPECT_LT(QFileInfo(r.path).size(), QFileInfo(park).size());
    const QJsonObject json = exiftool(r.path);
    EXPECT_FALSE(json.contains("EXIF:GPSLatitude"));
    EXPECT_FALSE(json.contains("XMP:GPSLatitude"));
    EXPECT_FALSE(json.contains("EXIF:DateTimeOriginal"));
    EXPECT_FALSE(json.contains("EXIF:ExposureTime"));
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park") << "IPTC stays";
    EXPECT_TRUE(json.contains("ICC_Profile:ProfileDescription")) << "the colour profile stays";
    EXPECT_EQ(decodedSize(r.path), QSize(2047, 1356));
}

TEST_F(ImageOutputs, APngStaysAPngAndAHeicBecomesAJpgName) {
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30, 128));
    const QString png = dir.filePath("clear.PNG");
    ASSERT_TRUE(image.save(png, "PNG"));
    const OutputResult p = recompressPhotoFile(png, "clear.PNG", out(), 0.2f);
    ASSERT_TRUE(p.ok()) << p.reason.toStdString();
    EXPECT_EQ(QFileInfo(p.path).fileName(), "clear.PNG");
    EXPECT_TRUE(readAll(p.path).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(p.path).pixelColor(5, 5), QColor(10, 200, 30, 128)) << "lossless";

    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    const OutputResult h = recompressPhotoFile(heic, "IMG_3092.heic", out(), 0.4f);
    ASSERT_TRUE(h.ok()) << h.reason.toStdString();
    EXPECT_EQ(QFileInfo(h.path).fileName(), "IMG_3092.jpg") << "no JPEG under a HEIC name";
    EXPECT_TRUE(isJpeg(h.path));
    EXPECT_EQ(jpegOutputName("a.b.tiff"), "a.b.jpg");
    EXPECT_EQ(jpegOutputName("IMG.JPEG"), "IMG.JPEG");
}

TEST_F(ImageOutputs, ResizeGivesTheTitlesPixelsAndLeavesNoTemporary) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    const OutputResult landscape =
        resizePhotoFile(park, "St James Park.jpg", out(), "1920 x 1080", 0.9f);
    const OutputResult portrait =
        resizePhotoFile(heic, "IMG_3092.heic", out(), "1920 x 1080", 0.9f);
    ASSERT_TRUE(landscape.ok()) << landscape.reason.toStdString();
    ASSERT_TRUE(portrait.ok()) << portrait.reason.toStdString();
    EXPECT_EQ(decodedSize(landscape.path), QSize(1920, 1080)) << "stretched, nothing cropped";
    EXPECT_EQ(decodedSize(portrait.path), QSize(1080, 1920));
    EXPECT_EQ(filesIn(out()), (QStringList{"IMG_3092.jpg", "St James Park.jpg"}));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"IMG_3092.heic", "St James Park.jpg"}));
}

TEST_F(ImageOutputs, HeicConvertsUprightWithItsDatesAndColourProfile) {
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    const QDateTime created(QDate(2016, 9, 10), QTime(11, 12, 13), Qt::UTC);
    const QDateTime modified(QDate(2017, 1, 2), QTime(3, 4, 5), Qt::UTC);
    ASSERT_TRUE(FileDates::setCreationDate(heic, created));
    ASSERT_TRUE(FileDates::setModificationDate(heic, modified));
    const OutputResult r = convertPhotoToJpeg(heic, "IMG_3092.heic", out());
    ASSERT_TRUE(r.ok()) << r.reason.toStdString();
    EXPECT_EQ(r.path, out() + "/IMG_3092.jpg");
    EXPECT_TRUE(isJpeg(r.path));
    EXPECT_EQ(shownBy(r.path).size(), QSize(3024, 4032));
    EXPECT_EQ(FileDates::creationDate(r.path), created);
    EXPECT_EQ(FileDates::modificationDate(r.path), modified);
    const QJsonObject json = exiftool(r.path);
    EXPECT_TRUE(json.contains("ICC_Profile:ProfileDescription"))
        << "a profile of the colours libheif decoded";
    EXPECT_FALSE(json.contains("EXIF:Orientation") &&
                 json.value("EXIF:Orientation").toString() != "Horizontal (normal)");
    // Made from the YCbCr planes of the tiles FFmpeg decodes: the colours of libheif's own RGB,
    // give or take what JPEG at 0.9 loses.
    EXPECT_FALSE(heifToJpegFromPlanes(readAll(heic), 90).isEmpty()) << "a phone's 4:2:0 HEIC";
    const QImage rgb = decodeUprightFile(heic).image.convertToFormat(QImage::Format_RGB888);
    const QImage jpeg = QImage(r.path).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(jpeg.size(), rgb.size());
    double difference = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *a = rgb.constScanLine(y), *b = jpeg.constScanLine(y);
        for (int x = 0; x < rgb.width() * 3; ++x)
            difference += std::abs(int(a[x]) - int(b[x]));
    }
    difference /= double(rgb.width()) * rgb.height() * 3;
    EXPECT_LT(difference, 2.0) << "mean difference in levels per channel";
}

TEST_F(ImageOutputs, ASidewaysJpegComesOutUprightFromEveryTool) {
    const QString photo = sidewaysJpeg(dir.path());
    const OutputResult recompressed = recompressPhotoFile(photo, "orient6.jpg", out(), 0.8f);
    const OutputResult resized = resizePhotoFile(photo, "orient6.jpg", out(), "800 x 600", 0.8f);
    const OutputResult converted = convertPhotoToJpeg(photo, "orient6.jpg", out());
    for (const OutputResult &r : {recompressed, resized, converted}) {
        ASSERT_TRUE(r.ok()) << r.reason.toStdString();
        SCOPED_TRACE(r.path.toStdString());
        expectRedAboveBlue(shownBy(r.path));
        const QJsonObject json = exiftoolNumbers(r.path);
        EXPECT_TRUE(!json.contains("IFD0:Orientation") ||
                    json.value("IFD0:Orientation").toInt() == 1);
    }
    EXPECT_EQ(shownBy(recompressed.path).size(), QSize(100, 200));
    EXPECT_EQ(shownBy(resized.path).size(), QSize(600, 800)) << "the portrait column";
    // Three outputs of one name: each took the next free one.
    EXPECT_EQ(filesIn(out()), (QStringList{"orient6 (2).jpg", "orient6 (3).jpg", "orient6.jpg"}));
}

TEST_F(ImageOutputs, StagedOutputsTakeTheirNamesInCommitOrderAndLeaveNothingWhenDropped) {
    const QString photo = copyFixture("wedding.jpg", dir.path());
    PreparedOutput first = prepareRecompression(photo, "wedding.jpg", out(), 0.8f);
    PreparedOutput second = prepareRecompression(photo, "wedding.jpg", out(), 0.4f);
    ASSERT_TRUE(first.ok() && second.ok());
    // Written on the workers in any order; named in list order by the commit.
    stagePrepared(second);
    stagePrepared(first);
    ASSERT_TRUE(first.staged && second.staged);
    const OutputResult a = writePrepared(first), b = writePrepared(second);
    ASSERT_TRUE(a.ok() && b.ok()) << a.reason.toStdString() << b.reason.toStdString();
    EXPECT_EQ(a.path, out() + "/wedding.jpg");
    EXPECT_EQ(b.path, out() + "/wedding (2).jpg");
    EXPECT_EQ(readAll(a.path), first.bytes);
    EXPECT_EQ(readAll(b.path), second.bytes);
    {
        // A cancelled job drops what it staged: its temporary goes with it.
        PreparedOutput dropped = prepareRecompression(photo, "wedding.jpg", out(), 0.6f);
        stagePrepared(dropped);
        ASSERT_TRUE(dropped.staged);
        EXPECT_EQ(filesIn(out()).size(), 3);
    }
    EXPECT_EQ(filesIn(out()), (QStringList{"wedding (2).jpg", "wedding.jpg"}));
}

TEST_F(ImageOutputs, AnOutputNeverReplacesItsSourceOrAnEarlierOne) {
    // The storage folder holds the photo itself.
    const QString inStorage = copyFixture("wedding.jpg", out());
    const QByteArray before = readAll(inStorage);
    const OutputResult r = recompressPhotoFile(inStorage, "wedding.jpg", out(), 0.2f);
    ASSERT_TRUE(r.ok()) << r.reason.toStdString();
    EXPECT_EQ(r.path, out() + "/wedding (2).jpg");
    EXPECT_EQ(readAll(inStorage), before);
}

TEST_F(ImageOutputs, BadInputGivesNoOutputAndSaysWhy) {
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(writeAll(empty, {}));
    const QByteArray park = readAll(fixturePath("St James Park.jpg"));
    const QString cut = dir.filePath("cut.jpg");
    ASSERT_TRUE(writeAll(cut, park.left(park.size() / 2)));
    const QString video = copyFixture("IMG_0123.mov", dir.path());
    for (const QString &path : {empty, cut, video}) {
        SCOPED_TRACE(path.toStdString());
        const QString name = QFileInfo(path).fileName();
        for (const OutputResult &r : {recompressPhotoFile(path, name, out(), 0.4f),
                                      resizePhotoFile(path, name, out(), "640 x 480", 0.4f),
                                      convertPhotoToJpeg(path, name, out())}) {
            EXPECT_FALSE(r.ok());
            EXPECT_FALSE(r.reason.isEmpty());
        }
    }
    EXPECT_TRUE(filesIn(out()).isEmpty());
    EXPECT_EQ(readAll(cut), park.left(park.size() / 2));

    // A storage folder that cannot be made: a file stands where its parent should be.
    ASSERT_TRUE(writeAll(dir.filePath("blocker"), "x"));
    const QString photo = copyFixture("wedding.jpg", dir.path());
    const OutputResult r =
        recompressPhotoFile(photo, "wedding.jpg", dir.filePath("blocker/out"), 0.4f);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.reason.isEmpty());
}
