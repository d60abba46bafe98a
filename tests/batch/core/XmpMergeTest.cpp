#include "batch/core/SidecarMerge.h"
#include "platform/core/FileDates.h"
#include "support/ImageTestHelpers.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

QByteArray adobeSidecar(const char *date, const char *lat, const char *lon) {
    return QStringLiteral(R"(<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/"
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    photoshop:DateCreated="%1"
    exif:GPSLatitude="%2"
    exif:GPSLongitude="%3">
   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">Lake view</rdf:li></rdf:Alt></dc:title>
   <dc:description><rdf:Alt><rdf:li xml:lang="x-default">Pelicans, swans</rdf:li></rdf:Alt></dc:description>
   <dc:subject><rdf:Bag><rdf:li>London park</rdf:li><rdf:li>Swans</rdf:li></rdf:Bag></dc:subject>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
<?xpacket end="w"?>)")
        .arg(QLatin1String(date), QLatin1String(lat), QLatin1String(lon))
        .toUtf8();
}

// darktable's: elements, a sequence of keywords, no date.
const char *kDarktable = R"(<?xml version="1.0" encoding="UTF-8"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="XMP Core 4.4.0-Exiv2">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:darktable="http://darktable.sf.net/"
    darktable:xmp_version="5">
   <dc:subject><rdf:Seq><rdf:li>Family trip</rdf:li><rdf:li>Kids</rdf:li></rdf:Seq></dc:subject>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>)";

void put(const QString &path, const QByteArray &bytes) {
    ASSERT_TRUE(writeAll(path, bytes)) << path.toStdString();
}

QJsonObject tags(const QString &path) {
    return exiftoolJson(path, {QStringLiteral("-G1"), QStringLiteral("-a")});
}

} // namespace

TEST(XmpMerge, WritesSidecarsIntoTheirPhotos) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    ASSERT_TRUE(QDir().mkpath(dir + "/sub"));
    const QString park = dir + "/IMG_7.jpg";
    ASSERT_TRUE(QFile::copy(fixturePath("St James Park.jpg"), park));
    QFile::setPermissions(park, QFile::ReadOwner | QFile::WriteOwner);
    const QString heicBeside = dir + "/IMG_7.HEIC";
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_3092.heic"), heicBeside));
    const QByteArray heicBefore = readAll(heicBeside);
    put(dir + "/IMG_7.xmp", adobeSidecar("2021-06-01T10:20:30+02:00", "51,30.2142N", "0,7.9083W"));

    const QString wedding = copyFixture("wedding.jpg", dir + "/sub");
    const QDateTime weddingModified = FileDates::modificationDate(wedding);
    put(wedding + ".xmp", kDarktable);

    const QString dayOnly = dir + "/day.jpg";
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_1994.JPG"), dayOnly));
    put(dir + "/day.xmp", adobeSidecar("2021-06-01", "45.5", "10.25"));

    const QString broken = dir + "/broken.jpg";
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), broken));
    const QByteArray brokenBefore = readAll(broken);
    put(dir + "/broken.xmp", "<x:xmpmeta><rdf:RDF><unclosed>");
    const QString entity = dir + "/entity.jpg";
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), entity));
    put(dir + "/entity.xmp", R"(<?xml version="1.0"?>
<!DOCTYPE x [ <!ENTITY e SYSTEM "file:///etc/hostname"> ]>
<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/" dc:format="&e;"/>
</rdf:RDF></x:xmpmeta>)");
    put(dir + "/alone.xmp", kDarktable);

    const SidecarMergeSummary s = ScnXmpPhotosItemThreader(dir, {});
    EXPECT_EQ(s.sidecars, 6);
    EXPECT_EQ(s.merged.size(), 3) << s.text().toStdString();
    EXPECT_EQ(s.unpaired, QStringList{dir + "/alone.xmp"});
    // A bad sidecar is named and the walk goes on past it.
    EXPECT_TRUE(s.text().contains("broken.xmp: not XMP")) << s.text().toStdString();
    EXPECT_TRUE(s.text().contains("entity.xmp: declares a document type"));
    EXPECT_EQ(readAll(broken), brokenBefore);
    EXPECT_EQ(readAll(heicBeside), heicBefore);

    // The date names its instant: wall clock and offset in Exif, UTC in IPTC and the file.
    const QJsonObject p = tags(park);
    EXPECT_EQ(p.value("ExifIFD:DateTimeOriginal").toString(), "2021:06:01 10:20:30");
    EXPECT_EQ(p.value("ExifIFD:OffsetTimeOriginal").toString(), "+02:00");
    EXPECT_EQ(p.value("IPTC:DateCreated").toString(), "2021:06:01");
    EXPECT_EQ(p.value("IPTC:TimeCreated").toString(), "08:20:30+00:00");
    EXPECT_EQ(FileDates::modificationDate(park),
              QDateTime(QDate(2021, 6, 1), QTime(8, 20, 30), QTimeZone::utc()));
    // Texts as texts, keywords as a list, the photographer kept.
    EXPECT_EQ(p.value("IFD0:Artist").toString(), "Jeff Hitchcock");
    EXPECT_EQ(p.value("IPTC:By-line").toString(), "Jeff Hitchcock");
    EXPECT_EQ(p.value("IFD0:ImageDescription").toString(), "Pelicans, swans");
    EXPECT_EQ(p.value("IPTC:Caption-Abstract").toString(), "Pelicans, swans");
    EXPECT_EQ(p.value("IPTC:Keywords").toArray(), (QJsonArray{"London park", "Swans"}));
    const QJsonObject pn = exiftoolNumbers(park);
    EXPECT_NEAR(pn.value("Composite:GPSLatitude").toDouble(), 51.50357, 1e-5);
    EXPECT_NEAR(pn.value("Composite:GPSLongitude").toDouble(), -0.131805, 1e-5);
    EXPECT_EQ(QFileInfo(park).permissions() & 0x0077, 0);

    // darktable's "photo.jpg.xmp": keywords only; no date keeps the file's dates.
    const QJsonObject w = tags(wedding);
    // Every keyword list the photo has takes them.
    for (const char *list : {"IPTC:Keywords", "XMP-dc:Subject", "XMP-digiKam:TagsList"})
        EXPECT_EQ(w.value(list).toArray(), (QJsonArray{"Family trip", "Kids"})) << list;
    EXPECT_EQ(w.value("ExifIFD:DateTimeOriginal").toString(), "2019:04:15 14:40:24");
    EXPECT_EQ(w.value("IFD0:ImageDescription").toString(), "Bride Wedding day");
    EXPECT_EQ(FileDates::modificationDate(wedding), weddingModified);

    // A day alone is no date; the position is north and east without a ref or sign.
    const QJsonObject d = tags(dayOnly);
    EXPECT_EQ(d.value("ExifIFD:DateTimeOriginal").toString(), "2020:04:15 10:25:51");
    EXPECT_FALSE(d.contains("IPTC:DateCreated"));
    const QJsonObject dn = exiftoolNumbers(dayOnly);
    EXPECT_NEAR(dn.value("Composite:GPSLatitude").toDouble(), 45.5, 1e-6);
    EXPECT_NEAR(dn.value("Composite:GPSLongitude").toDouble(), 10.25, 1e-6);
}

// HEIC goes through exiftool; the photo keeps its pixels and gains the values.
TEST(XmpMerge, HeicPhoto) {
    QTemporaryDir tmp;
    const QString heic = copyFixture("IMG_3092.heic", tmp.path());
    put(tmp.path() + "/IMG_3092.xmp", adobeSidecar("2021-06-01T10:20:30Z", "10,30.0S", "20,15.0E"));
    const SidecarMergeSummary s = ScnXmpPhotosItemThreader(tmp.path(), {});
    EXPECT_EQ(s.merged, QStringList{heic}) << s.text().toStdString();
    const QJsonObject h = exiftoolNumbers(heic);
    EXPECT_EQ(h.value("ExifIFD:DateTimeOriginal").toString(), "2021:06:01 10:20:30");
    EXPECT_EQ(h.value("ExifIFD:OffsetTimeOriginal").toString(), "+00:00");
    EXPECT_NEAR(h.value("Composite:GPSLatitude").toDouble(), -10.5, 1e-6);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A date without an offset says nothing of the photo's old offsets: they go, so no reader
// puts the new wall clock in the old zone; the instant is the computer's own wall clock.
TEST(XmpMerge, DateWithoutOffsetDropsTheOldOffsets) {
    QTemporaryDir tmp;
    const QString photo = copyFixture("Fritest.jpeg", tmp.path());
    put(tmp.path() + "/Fritest.xmp", R"(<x:xmpmeta xmlns:x="adobe:ns:meta/">
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:exif="http://ns.adobe.com/exif/1.0/"
 xmlns:dc="http://purl.org/dc/elements/1.1/">
<exif:DateTimeOriginal>2019-01-02T03:04:05</exif:DateTimeOriginal>
<dc:title><rdf:Alt><rdf:li xml:lang="x-default">Fritest.jpeg</rdf:li></rdf:Alt></dc:title>
</rdf:Description></rdf:RDF></x:xmpmeta>)");
    const SidecarMergeSummary s = ScnXmpPhotosItemThreader(tmp.path(), {});
    ASSERT_EQ(s.merged, QStringList{photo}) << s.text().toStdString();
    const QJsonObject t = tags(photo);
    EXPECT_EQ(t.value("ExifIFD:DateTimeOriginal").toString(), "2019:01:02 03:04:05");
    EXPECT_FALSE(t.contains("ExifIFD:OffsetTimeOriginal"));
    EXPECT_FALSE(t.contains("ExifIFD:OffsetTimeDigitized"));
    // A title that is the file name names no photographer.
    for (const char *none : {"IFD0:Artist", "IPTC:By-line", "XMP-dc:Creator"})
        EXPECT_FALSE(t.contains(none)) << none;
    // The sidecar names no keywords: the photo's own stay.
    EXPECT_EQ(t.value("IPTC:Keywords").toArray().size(), 5);
    EXPECT_EQ(FileDates::modificationDate(photo),
              QDateTime(QDate(2019, 1, 2), QTime(3, 4, 5), QTimeZone::systemTimeZone()));
}

// Sidecars beside videos are merged: the title, the date and the position go into the QuickTime
// places readers look; the description and keywords, which have none there, are named.
TEST(XmpMerge, VideoSidecars) {
    QTemporaryDir tmp;
    const QString mov = copyFixture("IMG_0123.mov", tmp.path());
    const QString mp4 = copyFixture("clip.mp4", tmp.path());
    put(tmp.path() + "/IMG_0123.xmp",
        adobeSidecar("2021-06-01T10:20:30+02:00", "51,30.2142N", "0,7.9083W"));
    put(mp4 + ".xmp", adobeSidecar("2021-06-01T10:20:31Z", "10,30.0S", "20,15.0E"));
    const SidecarMergeSummary s = ScnXmpPhotosItemThreader(tmp.path(), {});
    EXPECT_EQ(s.merged.size(), 2) << s.text().toStdString();
    EXPECT_TRUE(s.unpaired.isEmpty());
    // Written: merged in part, not among what was not done.
    EXPECT_TRUE(s.skipped.isEmpty()) << s.text().toStdString();
    ASSERT_EQ(s.inPart.size(), 2);
    EXPECT_TRUE(s.inPart[0].contains("IMG_0123.mov: written, but not its description or keywords"))
        << s.text().toStdString();
    EXPECT_TRUE(s.text().contains("Merged in part (2):\n"));
    EXPECT_FALSE(s.text().contains("Not done"));

    // The sidecar's date in its own offset, as a photo takes it; the movie header in UTC.
    const QJsonObject m = tags(mov);
    EXPECT_EQ(m.value("ItemList:Title").toString(), "Lake view");
    EXPECT_EQ(m.value("Keys:CreationDate").toString(), "2021:06:01 10:20:30+02:00");
    EXPECT_EQ(m.value("UserData:DateTimeOriginal").toString(), "2021:06:01 10:20:30+02:00");
    EXPECT_EQ(m.value("QuickTime:CreateDate").toString(), "2021:06:01 08:20:30");
    EXPECT_EQ(m.value("Track3:MetaFormat").toString(), "mebx");
    const QJsonObject mn = exiftoolNumbers(mov);
    for (const char *place : {"UserData:GPSCoordinates", "Keys:GPSCoordinates"}) {
        const QStringList position = mn.value(place).toString().split(' ');
        ASSERT_GE(position.size(), 2) << place;
        EXPECT_NEAR(position[0].toDouble(), 51.50357, 1e-5) << place;
        EXPECT_NEAR(position[1].toDouble(), -0.131805, 1e-5) << place;
    }
    EXPECT_EQ(FileDates::modificationDate(mov),
              QDateTime(QDate(2021, 6, 1), QTime(8, 20, 30), QTimeZone::utc()));

    const QJsonObject c = exiftoolNumbers(mp4);
    EXPECT_EQ(c.value("ItemList:Title").toString(), "Lake view");
    EXPECT_EQ(c.value("QuickTime:CreateDate").toString(), "2021:06:01 10:20:31");
    EXPECT_TRUE(c.value("UserData:GPSCoordinates").toString().startsWith("-10.5 20.25"));
    EXPECT_EQ(c.value("ItemList:Encoder").toString(), "HandBrake 1.3.3 2020061300");
}

// TIFF and RAW photos find their sidecars as JPEGs do; a RAW photo is written by exiftool inside
// its own layout, its picture and previews kept, its IPTC values as XMP.
TEST(XmpMerge, TiffAndRawPhotos) {
    QTemporaryDir tmp;
    const QString tiff = tmp.filePath("scan.tif");
    ASSERT_TRUE(QImage(fixturePath("wedding.jpg")).scaled(120, 80).save(tiff, "TIFF"));
    const QString raw = tmp.filePath("IMG_9.dng"); // another spelling of a candidate's ".DNG"
    QByteArray preview;
    QBuffer previewBuffer(&preview);
    ASSERT_TRUE(previewBuffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QImage(fixturePath("wedding.jpg")).scaled(96, 64).save(&previewBuffer, "JPEG"));
    put(raw, makeMinimalDng(preview, "Kestry", "K1", "2020:01:02 03:04:05"));
    // The raw picture, where the file's own tags say it is.
    const auto rawPicture = [](const QString &path) {
        const QJsonObject n =
            exiftoolJson(path, {"-n", "-G0", "-StripOffsets", "-StripByteCounts"});
        return readAll(path).mid(n.value("EXIF:StripOffsets").toInteger(),
                                 n.value("EXIF:StripByteCounts").toInteger());
    };
    const QByteArray rawPixels = rawPicture(raw);
    ASSERT_EQ(rawPixels.size(), 64 * 64 * 2);
    const QImage tiffPixels(tiff);
    for (const QString &photo : {tiff, raw})
        put(tmp.filePath(QFileInfo(photo).completeBaseName() + ".xmp"),
            adobeSidecar("2021-06-01T10:20:30+02:00", "51,30.2142N", "0,7.9083W"));
    const SidecarMergeSummary s = ScnXmpPhotosItemThreader(tmp.path(), {});
    EXPECT_TRUE(s.unpaired.isEmpty()) << s.text().toStdString();
    EXPECT_EQ(s.merged.size(), 2) << s.text().toStdString();
    for (const QString &photo : {tiff, raw}) {
        SCOPED_TRACE(photo.toStdString());
        const QJsonObject t = exiftoolJson(photo, {"-G0", "-a"});
        EXPECT_EQ(t.value("EXIF:DateTimeOriginal").toString(), "2021:06:01 10:20:30");
        EXPECT_EQ(t.value("EXIF:OffsetTimeOriginal").toString(), "+02:00");
        EXPECT_EQ(t.value("EXIF:ImageDescription").toString(), "Pelicans, swans");
        const QJsonObject n = exiftoolNumbers(photo);
        EXPECT_NEAR(n.value("Composite:GPSLatitude").toDouble(), 51.50357, 1e-5);
        EXPECT_EQ(FileDates::modificationDate(photo),
                  QDateTime(QDate(2021, 6, 1), QTime(8, 20, 30), QTimeZone::utc()));
    }
    EXPECT_EQ(QImage(tiff), tiffPixels);
    const QJsonObject r = exiftoolJson(raw, {"-G0", "-a"});
    EXPECT_EQ(r.value("EXIF:Make").toString(), "Kestry");
    EXPECT_EQ(r.value("XMP:Subject").toArray(), (QJsonArray{"London park", "Swans"}));
    EXPECT_EQ(rawPicture(raw), rawPixels);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}
