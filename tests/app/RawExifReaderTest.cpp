#include "platform/core/RawExifReader.h"
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray be16(quint16 v) {
    QByteArray b(2, '\0');
    b[0] = char(v >> 8);
    b[1] = char(v & 0xFF);
    return b;
}
QByteArray be32(quint32 v) {
    return be16(quint16(v >> 16)) + be16(quint16(v));
}
QByteArray entry(quint16 tag, quint16 type, quint32 count, quint32 value) {
    return be16(tag) + be16(type) + be32(count) + be32(value);
}

// SOI, an APP1 EXIF segment holding `tiff` (header included), then EOI.
QByteArray jpegWith(const QByteArray &tiff) {
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    return QByteArray("\xff\xd8\xff\xe1", 4) + be16(quint16(payload.size() + 2)) + payload +
           QByteArray("\xff\xd9", 2);
}
} // namespace

TEST(RawExifReader, HelpersReadHexAndNumbers) {
    const QByteArray data("\x12\xab\x00\xff", 4);
    EXPECT_EQ(getHexString(data, 0, 4), "12ab00ff");
    EXPECT_EQ(getHexString(data, 3, 3), "ff0000"); // bytes past the end read as zero
    EXPECT_TRUE(getHexString(data, 0, 0).isNull());
    EXPECT_EQ(DemaNumberFormHexChar("12ab", 4), 0x12abu);
    EXPECT_EQ(DemaNumberFormHexChar("1zab", 4), 0x10abu);
    EXPECT_EQ(DemaNumberFormHexChar("12", 4), 0u);
    EXPECT_EQ(stringFromHex("457869660a"), "Exif\n");
    EXPECT_EQ(stringFromHex("4"), "");
    EXPECT_EQ(stringToHex("Ex"), "4578");
    EXPECT_TRUE(readData(data, 0, 0).isNull());
}

TEST(RawExifReader, LogsTheTagsOfTheFixtures) {
    QTemporaryDir dir;
    RawExifState state;
    const QStringList park =
        ReadExifDataFromPiture(copyFixture("St James Park.jpg", dir.path()), state);
    ASSERT_FALSE(park.isEmpty());
    EXPECT_EQ(park.first(), "ffd8");
    EXPECT_TRUE(park.contains("457869660000"));
    EXPECT_TRUE(park.contains("makeString====NIKON CORPORATION"));
    EXPECT_TRUE(park.contains("ModelString====NIKON D7000"));
    EXPECT_TRUE(park.contains("DateTimeOriginal====2018:10:13 09:18:12"));
    EXPECT_TRUE(park.contains("ISOSpeedRatings====200"));

    // Intel byte order is read as such.
    RawExifState canon;
    const QStringList g10 = ReadExifDataFromPiture(copyFixture("IMG_1994.JPG", dir.path()), canon);
    EXPECT_TRUE(g10.contains("makeString====Canon"));
    EXPECT_TRUE(g10.contains("ModelString====Canon PowerShot G10"));
    EXPECT_TRUE(g10.contains("Orientation====1"));
    EXPECT_TRUE(g10.contains("ISOSpeedRatings====80"));
    EXPECT_TRUE(canon.bhasThumImage); // the embedded preview ends before the file does

    // Through the main window, which keeps the thumbnail flag.
    AppDelegate d;
    EXPECT_TRUE(d.mainWindowController()
                    .ReadExifDataFromPiture(fixturePath("IMG_1994.JPG"))
                    .contains("makeString====Canon"));
    EXPECT_TRUE(d.mainWindowController().rawExifHeldThumbnail());
}

TEST(RawExifReader, NonJpegAndTruncatedFilesStopQuietly) {
    QTemporaryDir dir;
    RawExifState state;
    const QStringList heic =
        ReadExifDataFromPiture(copyFixture("IMG_3092.heic", dir.path()), state);
    ASSERT_EQ(heic.size(), 1); // only the first two bytes
    EXPECT_NE(heic.first(), "ffd8");
    EXPECT_EQ(ReadExifDataFromPiture(dir.filePath("missing.jpg"), state).size(), 1);

    QFile fixture(fixturePath("IMG_1994.JPG"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray whole = fixture.readAll();
    for (int cut : {2, 7, 13, 20, 40, 200, 1000}) {
        const QString path =
            writeFile(dir.filePath(QStringLiteral("cut%1.jpg").arg(cut)), whole.left(cut));
        RawExifState s;
        const QStringList log = ReadExifDataFromPiture(path, s);
        EXPECT_EQ(log.first(), "ffd8") << cut;
        for (const QString &line : log)
            EXPECT_FALSE(line.contains("====") && line.contains("Canon PowerShot G10") && cut < 200)
                << cut;
    }
}

TEST(RawExifReader, CraftedCountsAndOffsetsAreBounded) {
    QTemporaryDir dir;
    // IFD0 claims 65535 entries, an ASCII value of 4 GB at a far offset, a rational and an
    // Exif pointer outside the file, and an Exif pointer back at IFD0 itself.
    QByteArray tiff = QByteArray("MM\0\x2a", 4) + be32(8);
    tiff += be16(0xFFFF);
    tiff += entry(0x010f, 2, 0xFFFFFFFF, 0x7FFFFFF0);
    tiff += entry(0x011a, 5, 1, 0xFFFFFFF0);
    tiff += entry(0x8769, 4, 1, 8);
    tiff += entry(0x0110, 2, 3, 0x4e310000); // "N1" inline
    tiff += entry(0x0112, 3, 1, 0x00060000);
    RawExifState state;
    const QStringList log =
        ReadExifDataFromPiture(writeFile(dir.filePath("crafted.jpg"), jpegWith(tiff)), state);
    EXPECT_TRUE(log.contains("makeString====(null)"));
    EXPECT_TRUE(log.contains("XResolution====(null)"));
    EXPECT_TRUE(log.contains("ModelString====N1"));
    EXPECT_TRUE(log.contains("Orientation====6"));
    EXPECT_LT(log.size(), 40);

    // Thousands of EXIF identifiers cannot make the walks unbounded.
    QByteArray many("\xff\xd8", 2);
    for (int i = 0; i < 20000; ++i)
        many +=
            jpegWith(QByteArray("MM\0\x2a", 4) + be32(8) + be16(0xFFFF) + entry(0x8769, 4, 1, 8))
                .mid(2);
    RawExifState s2;
    const QStringList manyLog =
        ReadExifDataFromPiture(writeFile(dir.filePath("many.jpg"), many), s2);
    // Nor the log: it stops growing and says so.
    EXPECT_GT(manyLog.count("457869660000"), 1000);
    EXPECT_LE(manyLog.size(), 2001);
    EXPECT_TRUE(manyLog.last().startsWith("(log cut")) << manyLog.last().toStdString();

    // Unknown byte order is reported, not guessed.
    RawExifState s3;
    const QStringList odd = ReadExifDataFromPiture(
        writeFile(dir.filePath("odd.jpg"), jpegWith(QByteArray("XX\0\x2a\0\0\0\x08", 8))), s3);
    EXPECT_TRUE(odd.contains("EXIF block with unknown byte order"));
}
