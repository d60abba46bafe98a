#include "app/core/RawTemporary.h"

#include "support/MakeDng.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace {

QByteArray makeJpeg(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(RawTemporary, PreviewBecomesJpegWithTheRawsMetadata) {
    QTemporaryDir dir;
    const QByteArray preview = makeJpeg(160, 120, Qt::darkGreen);
    const QString raw =
        writeFile(dir.path() + QStringLiteral("/a/DSC_0001.NEF"),
                  makeMinimalDng(preview, QStringLiteral("Kestry"), QStringLiteral("TestCam 1"),
                                 QStringLiteral("2021:06:15 12:34:56")));
    ASSERT_FALSE(raw.isEmpty());

    const QString jpeg = GetJPGImageFromRAWPhotowithImagePath(raw);
    ASSERT_NE(jpeg, raw);
    EXPECT_TRUE(jpeg.startsWith(QDir::tempPath()));
    EXPECT_TRUE(jpeg.endsWith(QStringLiteral("/DSC_0001.NEF")));
    const QByteArray bytes = readFile(jpeg);
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(uchar(bytes[0]), 0xFF);
    EXPECT_EQ(uchar(bytes[1]), 0xD8);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(bytes, "JPEG"));
    EXPECT_EQ(decoded.size(), QSize(160, 120));

    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(bytes.constData()),
                                           bytes.size());
    image->readMetadata();
    EXPECT_EQ(image->mimeType(), "image/jpeg");
    const Exiv2::ExifData &exif = image->exifData();
    auto make = exif.findKey(Exiv2::ExifKey("Exif.Image.Make"));
    auto date = exif.findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
    ASSERT_NE(make, exif.end());
    ASSERT_NE(date, exif.end());
    EXPECT_EQ(make->toString(), "Kestry");
    EXPECT_EQ(date->toString(), "2021:06:15 12:34:56");
    // The RAW's own image structure does not come along.
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.SubIFDs")), exif.end());
}

TEST(RawTemporary, SameNameFromTwoFoldersGetsTwoTemporaries) {
    QTemporaryDir dir;
    const QString a =
        writeFile(dir.path() + QStringLiteral("/trip1/IMG.NEF"),
                  makeMinimalDng(makeJpeg(64, 48, Qt::red), QStringLiteral("A"),
                                 QStringLiteral("One"), QStringLiteral("2020:01:01 00:00:00")));
    const QString b =
        writeFile(dir.path() + QStringLiteral("/trip2/IMG.NEF"),
                  makeMinimalDng(makeJpeg(80, 48, Qt::blue), QStringLiteral("B"),
                                 QStringLiteral("Two"), QStringLiteral("2020:01:02 00:00:00")));
    const QString ta = GetJPGImageFromRAWPhotowithImagePath(a);
    const QString tb = GetJPGImageFromRAWPhotowithImagePath(b);
    ASSERT_NE(ta, a);
    ASSERT_NE(tb, b);
    EXPECT_NE(ta, tb);
    QImage ia, ib;
    ASSERT_TRUE(ia.load(ta, "JPEG"));
    ASSERT_TRUE(ib.load(tb, "JPEG"));
    EXPECT_EQ(ia.width(), 64);
    EXPECT_EQ(ib.width(), 80);
    // Asking again for the same RAW replaces its own temporary.
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(a), ta);
}

TEST(RawTemporary, NoPreviewOrBadInputGivesTheRawPathBack) {
    QTemporaryDir dir;
    const QString noPreview = writeFile(dir.path() + QStringLiteral("/plain.NEF"),
                                        makeMinimalDng(QByteArray(), QStringLiteral("Kestry"),
                                                       QStringLiteral("TestCam 1"),
                                                       QStringLiteral("2021:06:15 12:34:56")));
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(noPreview), noPreview);
    // Nothing under the temporary name pretends to be a JPEG of it.
    EXPECT_FALSE(QFile::exists(rawTemporaryPathFor(noPreview)));

    const QString garbage =
        writeFile(dir.path() + QStringLiteral("/garbage.NEF"), QByteArray(4096, '\x5a'));
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(garbage), garbage);
    const QString empty = writeFile(dir.path() + QStringLiteral("/empty.NEF"), QByteArray());
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(empty), empty);
    const QString missing = dir.path() + QStringLiteral("/missing.NEF");
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(missing), missing);
}
