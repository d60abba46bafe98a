#include "metadata/core/TiffFallback.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Every pixel differs from its neighbours, so a shifted or lossy round trip shows.
QImage pattern(int w, int h, int seed, bool alpha) {
    QImage img(w, h, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y,
                              QColor((x * 7 + seed * 31) % 256, (y * 13 + seed) % 256,
                                     (x * y + seed * 5) % 256, alpha ? (x * 17 + y) % 256 : 255));
    return img;
}

QByteArray encoded(const QImage &img, const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

// A plain multi-page TIFF assembled by hand (uncompressed RGB, one strip per page), so the
// input does not come from the code under test.
QByteArray multiPageTiff(const QList<QImage> &pages) {
    QByteArray out("II*\0\0\0\0\0", 8);
    const auto u16 = [&](quint16 v) { out.append(reinterpret_cast<const char *>(&v), 2); };
    const auto u32 = [&](quint32 v) { out.append(reinterpret_cast<const char *>(&v), 4); };
    qsizetype linkAt = 4; // where the offset of the next IFD is to be stored
    for (const QImage &page : pages) {
        const QImage rgb = page.convertToFormat(QImage::Format_RGB888);
        const quint32 pixelsAt = quint32(out.size());
        for (int y = 0; y < rgb.height(); ++y)
            out.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
        if (out.size() % 2)
            out.append('\0');
        const quint32 bpsAt = quint32(out.size());
        u16(8), u16(8), u16(8);
        const quint32 ifdAt = quint32(out.size());
        qToLittleEndian<quint32>(ifdAt, out.data() + linkAt);
        const quint32 bytes = quint32(rgb.width() * 3 * rgb.height());
        const struct {
            quint16 tag, type;
            quint32 count, value;
        } entries[] = {{256, 4, 1, quint32(rgb.width())},
                       {257, 4, 1, quint32(rgb.height())},
                       {258, 3, 3, bpsAt},
                       {259, 3, 1, 1},
                       {262, 3, 1, 2},
                       {273, 4, 1, pixelsAt},
                       {277, 3, 1, 3},
                       {278, 4, 1, quint32(rgb.height())},
                       {279, 4, 1, bytes}};
        u16(quint16(std::size(entries)));
        for (const auto &e : entries)
            u16(e.tag), u16(e.type), u32(e.count), u32(e.value);
        linkAt = out.size();
        u32(0);
    }
    return out;
}

// A fresh reader per page: stepping through pages after a read is unreliable in Qt's reader.
QList<QImage> decodeAll(const QByteArray &tiff) {
    QList<QImage> frames;
    for (int i = 0;; ++i) {
        QBuffer buffer;
        buffer.setData(tiff);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "tiff");
        if (i >= reader.imageCount() || !reader.jumpToImage(i))
            break;
        const QImage img = reader.read();
        if (img.isNull())
            break;
        frames.append(img);
    }
    return frames;
}

void expectSamePixels(const QImage &expected, const QImage &actual, int page) {
    const QImage::Format f =
        expected.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    EXPECT_EQ(actual.hasAlphaChannel(), expected.hasAlphaChannel()) << "page " << page;
    const QImage a = actual.convertToFormat(f), e = expected.convertToFormat(f);
    ASSERT_EQ(a.size(), e.size()) << "page " << page;
    for (int y = 0; y < e.height(); ++y)
        for (int x = 0; x < e.width(); ++x)
            if (qPremultiply(a.pixel(x, y)) != qPremultiply(e.pixel(x, y))) {
                ADD_FAILURE() << "page " << page << " differs at " << x << "," << y << ": "
                              << std::hex << a.pixel(x, y) << " vs " << e.pixel(x, y) << " "
                              << actual.format();
                return;
            }
}

QString saved(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QVariantMap dateAndMake() {
    return {{"{Exif}", QVariantMap{{"DateTimeOriginal", "2019:05:06 07:08:09"}}},
            {"{TIFF}", QVariantMap{{"Make", "Kestrel Optics"}}}};
}

} // namespace

TEST(TiffFallback, SingleFramesRoundTripLosslessly) {
    // An opaque BMP and a PNG with graded transparency: both layouts the TIFF is written in.
    for (const auto &[image, format] : {std::pair{pattern(37, 23, 1, false), "BMP"},
                                        std::pair{pattern(19, 41, 2, true), "PNG"}}) {
        SCOPED_TRACE(format);
        const ImageSource source(encoded(image, format));
        ASSERT_TRUE(source.isValid());
        QString error;
        const QByteArray tiff = createTiffFromSource(source, {}, &error);
        ASSERT_FALSE(tiff.isEmpty()) << error.toStdString();
        const ImageSource result(tiff);
        EXPECT_EQ(result.type(), "public.tiff");
        EXPECT_EQ(result.count(), 1);
        const QList<QImage> frames = decodeAll(tiff);
        ASSERT_EQ(frames.size(), 1);
        expectSamePixels(image, frames[0], 0);
    }
}

TEST(TiffFallback, BmpMetadataIsReadableByUsAndExiftool) {
    QTemporaryDir dir;
    const QImage image = pattern(32, 24, 3, false);
    const ImageSource source(encoded(image, "BMP"));
    ASSERT_EQ(source.type(), "com.microsoft.bmp");
    QString error;
    const QByteArray tiff = createTiffFromSource(source, dateAndMake(), &error);
    ASSERT_FALSE(tiff.isEmpty()) << error.toStdString();

    const QString path = saved(dir, "out.tiff", tiff);
    const QVariantMap props = ImageSource::fromPath(path).properties(0);
    EXPECT_EQ(props.value("{Exif}").toMap().value("DateTimeOriginal").toString(),
              "2019:05:06 07:08:09");
    EXPECT_EQ(props.value("{TIFF}").toMap().value("Make").toString(), "Kestrel Optics");
    const QJsonObject outside = exiftool(path);
    EXPECT_EQ(outside.value("EXIF:DateTimeOriginal").toString(), "2019:05:06 07:08:09");
    EXPECT_EQ(outside.value("EXIF:Make").toString(), "Kestrel Optics");
    EXPECT_EQ(outside.value("EXIF:Compression").toString(), "Adobe Deflate");
    // Writing the metadata must not have touched the pixels.
    const QList<QImage> frames = decodeAll(tiff);
    ASSERT_EQ(frames.size(), 1);
    expectSamePixels(image, frames[0], 0);
}

TEST(TiffFallback, EveryPageSurvivesWithMetadataOnTheFirst) {
    QTemporaryDir dir;
    const QList<QImage> pages = {pattern(20, 10, 4, false), pattern(11, 31, 5, false),
                                 pattern(16, 16, 6, false)};
    const QByteArray input = multiPageTiff(pages);
    const ImageSource source(input);
    ASSERT_EQ(source.count(), 3);
    ASSERT_EQ(decodeAll(input).size(), 3); // the hand-made input itself is sound

    for (const QVariantMap &props : {QVariantMap(), dateAndMake()}) {
        SCOPED_TRACE(props.isEmpty() ? "without metadata" : "with metadata");
        QString error;
        const QByteArray tiff = createTiffFromSource(source, props, &error);
        ASSERT_FALSE(tiff.isEmpty()) << error.toStdString();
        const QList<QImage> frames = decodeAll(tiff);
        ASSERT_EQ(frames.size(), 3);
        for (int i = 0; i < 3; ++i)
            expectSamePixels(pages[i], frames[i], i);
        const QString path = saved(dir, "pages.tiff", tiff);
        EXPECT_EQ(ImageSource::fromPath(path).count(), 3);
        if (!props.isEmpty()) {
            EXPECT_EQ(ImageSource::fromPath(path)
                          .properties(0)
                          .value("{Exif}")
                          .toMap()
                          .value("DateTimeOriginal")
                          .toString(),
                      "2019:05:06 07:08:09");
            EXPECT_EQ(exiftool(path).value("EXIF:Make").toString(), "Kestrel Optics");
        }
    }
}

TEST(TiffFallback, RawIsDevelopedIntoTheTiff) {
    const ImageSource source(makeMinimalDng({}, "RawMaker", "R1", "2020:01:02 03:04:05"));
    ASSERT_TRUE(source.type().contains("raw-image")) << source.type().toStdString();
    QString error;
    const QByteArray tiff = createTiffFromSource(source, dateAndMake(), &error);
    ASSERT_FALSE(tiff.isEmpty()) << error.toStdString();
    const QList<QImage> frames = decodeAll(tiff);
    ASSERT_EQ(frames.size(), 1);
    EXPECT_GT(frames[0].width(), 0);
    EXPECT_GT(frames[0].height(), 0);
    EXPECT_EQ(ImageSource(tiff).properties(0).value("{TIFF}").toMap().value("Make").toString(),
              "Kestrel Optics");
}

TEST(TiffFallback, UnusableInputGivesAReasonNotAFile) {
    const QByteArray garbage("this is not an image at all, just words", 39);
    for (const QByteArray &bytes : {QByteArray(), garbage, garbage.repeated(100)}) {
        QString error;
        EXPECT_TRUE(createTiffFromSource(ImageSource(bytes), dateAndMake(), &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
    }
    // A BMP cut short inside its header cannot be decoded either.
    QString error;
    const QByteArray cut = encoded(pattern(40, 40, 7, false), "BMP").left(20);
    EXPECT_TRUE(createTiffFromSource(ImageSource(cut), {}, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    // A null error pointer is allowed.
    EXPECT_TRUE(createTiffFromSource(ImageSource(garbage), {}, nullptr).isEmpty());
}

TEST(TiffFallback, HeifIsLeftToItsOwnWriter) {
    QTemporaryDir dir;
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    ASSERT_FALSE(heic.isEmpty());
    QString error;
    EXPECT_TRUE(createTiffFromSource(ImageSource::fromPath(heic), {}, &error).isEmpty());
    EXPECT_TRUE(error.contains("HEIF"));
}
