#include "batch/core/XmpReaders.h"
#include "base/Coordinates.h"
#include "platform/core/ImageSource.h"
#include "support/Mutations.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTimeZone>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace {

// As Lightroom and Bridge write them: properties as attributes, the title a language
// alternative, the keywords a bag, positions as degrees and decimal minutes with a letter.
const char *kAdobeSidecar = R"(<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="Adobe XMP Core 7.0-c000 1.000000">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/"
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    xmlns:crs="http://ns.adobe.com/camera-raw-settings/1.0/"
    photoshop:DateCreated="2021-06-01T10:20:30+02:00"
    exif:GPSLatitude="51,30.2142N"
    exif:GPSLongitude="0,7.9083W"
    crs:Exposure2012="+0.35">
   <dc:title>
    <rdf:Alt>
     <rdf:li xml:lang="x-default">St James's Park &amp; "the lake"</rdf:li>
     <rdf:li xml:lang="fr">Parc Saint-James</rdf:li>
    </rdf:Alt>
   </dc:title>
   <dc:description>
    <rdf:Alt>
     <rdf:li xml:lang="x-default">Pelicans, swans, ducks</rdf:li>
    </rdf:Alt>
   </dc:description>
   <dc:subject>
    <rdf:Bag>
     <rdf:li>London park</rdf:li>
     <rdf:li>Swans</rdf:li>
     <rdf:li>Été</rdf:li>
    </rdf:Bag>
   </dc:subject>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
<?xpacket end="w"?>)";

// As digiKam writes them: elements, a keyword sequence, the date without an offset, a
// position in degrees, minutes and seconds.
const char *kDigikamSidecar = R"(<?xml version="1.0" encoding="UTF-8"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="XMP Core 4.4.0-Exiv2">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:digiKam="http://www.digikam.org/ns/1.0/">
   <exif:DateTimeOriginal>2019-01-02T03:04:05</exif:DateTimeOriginal>
   <xmp:CreateDate>2019-01-02T03:04:05</xmp:CreateDate>
   <exif:GPSLatitude>45,30,0S</exif:GPSLatitude>
   <exif:GPSLongitude>73,34,12.5W</exif:GPSLongitude>
   <dc:subject>
    <rdf:Seq>
     <rdf:li>Family trip</rdf:li>
     <rdf:li>Kids</rdf:li>
    </rdf:Seq>
   </dc:subject>
   <digiKam:TagsList>
    <rdf:Seq>
     <rdf:li>Places/Montreal</rdf:li>
    </rdf:Seq>
   </digiKam:TagsList>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>)";

XmpFields parsed(const char *text) {
    QString why;
    const auto fields = parseXmpSidecar(QByteArray(text), &why);
    EXPECT_TRUE(fields.has_value()) << why.toStdString();
    return fields.value_or(XmpFields());
}

} // namespace

TEST(XmpReaders, AttributesAlternativesAndBags) {
    const XmpFields xmp = parsed(kAdobeSidecar);
    EXPECT_EQ(getTitlewithXMPStr(xmp), QStringLiteral("St James's Park & \"the lake\""));
    EXPECT_EQ(getDescriptionwithXMPStr(xmp), QStringLiteral("Pelicans, swans, ducks"));
    EXPECT_EQ(getKeywordswithXMPStr(xmp),
              (QStringList{QStringLiteral("London park"), QStringLiteral("Swans"),
                           QStringLiteral("Été")}));
    EXPECT_EQ(getPhotoDatewithXMPStr(xmp), QStringLiteral("2021-06-01T10:20:30+02:00"));
    EXPECT_EQ(getGPSLatitudewithXMPStr(xmp), QStringLiteral("51,30.2142N"));
    EXPECT_TRUE(getGPSLatitudeRefwithXMPStr(xmp).isEmpty());
    const auto lat = xmpCoordinate(getGPSLatitudewithXMPStr(xmp), getGPSLatitudeRefwithXMPStr(xmp),
                                   GpsAxis::Latitude);
    const auto lon = xmpCoordinate(getGPSLongitudewithXMPStr(xmp),
                                   getGPSLongitudeRefwithXMPStr(xmp), GpsAxis::Longitude);
    ASSERT_TRUE(lat && lon);
    EXPECT_NEAR(*lat, 51.50357, 1e-5);
    EXPECT_NEAR(*lon, -0.131805, 1e-5);
}

TEST(XmpReaders, ElementsAndSequences) {
    const XmpFields xmp = parsed(kDigikamSidecar);
    EXPECT_TRUE(getTitlewithXMPStr(xmp).isEmpty());
    EXPECT_EQ(getKeywordswithXMPStr(xmp),
              (QStringList{QStringLiteral("Family trip"), QStringLiteral("Kids")}));
    EXPECT_EQ(getPhotoDatewithXMPStr(xmp), QStringLiteral("2019-01-02T03:04:05"));
    const auto lat = xmpCoordinate(getGPSLatitudewithXMPStr(xmp), QString(), GpsAxis::Latitude);
    const auto lon = xmpCoordinate(getGPSLongitudewithXMPStr(xmp), QString(), GpsAxis::Longitude);
    ASSERT_TRUE(lat && lon);
    EXPECT_DOUBLE_EQ(*lat, -45.5);
    EXPECT_NEAR(*lon, -(73 + 34 / 60.0 + 12.5 / 3600.0), 1e-9);
}

// What is no sidecar, or asks the parser to expand or fetch anything, is refused unread.
TEST(XmpReaders, RefusesWhatIsNoSidecar) {
    QString why;
    const char *entity = R"(<?xml version="1.0"?>
<!DOCTYPE x:xmpmeta [ <!ENTITY secret SYSTEM "file:///etc/passwd"> ]>
<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:description>&secret;</dc:description></rdf:Description></rdf:RDF></x:xmpmeta>)";
    EXPECT_FALSE(parseXmpSidecar(entity, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("document type"))) << why.toStdString();

    const QByteArray cut = QByteArray(kAdobeSidecar).left(700);
    EXPECT_FALSE(parseXmpSidecar(cut, &why));
    EXPECT_FALSE(parseXmpSidecar("not xml at all", &why));
    EXPECT_FALSE(parseXmpSidecar(QByteArray(kMaxXmpSidecarBytes + 1, ' '), &why));
}

TEST(XmpReaders, Coordinates) {
    struct Case {
        const char *text, *ref;
        GpsAxis axis;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"51,30.2142N", "", GpsAxis::Latitude, 51.50357},
        {"45.5", "S", GpsAxis::Latitude, -45.5},
        {"45.5", "N", GpsAxis::Latitude, 45.5},
        {"-45.5", "", GpsAxis::Latitude, -45.5},
        {"45.5", "", GpsAxis::Latitude, 45.5}, // no ref and no sign: north, not the south of old
        {"122,25.164W", "E", GpsAxis::Longitude, -122.4194}, // the letter beats the ref
        {"0,7,54.50W", "", GpsAxis::Longitude, -0.131806},
        {"91,0.0N", "", GpsAxis::Latitude, std::nullopt},
        {"51,61.0N", "", GpsAxis::Latitude, std::nullopt},
        {"51,30.2X", "", GpsAxis::Latitude, std::nullopt},
        {"north", "", GpsAxis::Latitude, std::nullopt},
    };
    for (const Case &c : cases) {
        const auto got = xmpCoordinate(QLatin1String(c.text), QLatin1String(c.ref), c.axis);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text;
        if (c.expected) {
            EXPECT_NEAR(*got, *c.expected, 1e-5) << c.text;
        }
    }
}

TEST(XmpReaders, Dates) {
    const XmpDate offset = xmpDate(QStringLiteral("2021-06-01T10:20:30+02:00"));
    EXPECT_EQ(offset.exifText, QStringLiteral("2021:06:01 10:20:30"));
    EXPECT_EQ(offset.offset, QStringLiteral("+02:00"));
    EXPECT_EQ(offset.instant.toUTC(),
              QDateTime(QDate(2021, 6, 1), QTime(8, 20, 30), QTimeZone::utc()));

    const XmpDate utc = xmpDate(QStringLiteral("2021-06-01T10:20:30.25Z"));
    EXPECT_EQ(utc.offset, QStringLiteral("+00:00"));
    EXPECT_EQ(utc.instant.toUTC().time(), QTime(10, 20, 30));

    const XmpDate local = xmpDate(QStringLiteral("2019-01-02T03:04"));
    EXPECT_EQ(local.exifText, QStringLiteral("2019:01:02 03:04:00"));
    EXPECT_TRUE(local.offset.isEmpty());
    EXPECT_EQ(local.instant,
              QDateTime(QDate(2019, 1, 2), QTime(3, 4), QTimeZone::systemTimeZone()));

    EXPECT_FALSE(xmpDate(QStringLiteral("2021-06-01")).isValid());
    EXPECT_FALSE(xmpDate(QStringLiteral("2021-13-01T10:20:30")).isValid());
}

TEST(XmpReaders, PhotoCandidates) {
    EXPECT_EQ(xmpPhotoCandidates(QStringLiteral("/p/IMG_7.jpg.xmp")).first(),
              QStringLiteral("/p/IMG_7.jpg"));
    const QStringList candidates = xmpPhotoCandidates(QStringLiteral("/p/IMG_7.xmp"));
    EXPECT_EQ(candidates.mid(0, 6),
              (QStringList{"/p/IMG_7.jpg", "/p/IMG_7.jpeg", "/p/IMG_7.JPG", "/p/IMG_7.JPEG",
                           "/p/IMG_7.HEIC", "/p/IMG_7.PNG"}));
    // TIFF and RAW photos before the videos.
    EXPECT_LT(candidates.indexOf("/p/IMG_7.tif"), candidates.indexOf("/p/IMG_7.NEF"));
    EXPECT_LT(candidates.indexOf("/p/IMG_7.CR2"), candidates.indexOf("/p/IMG_7.mov"));
    EXPECT_GE(candidates.indexOf("/p/IMG_7.DNG"), 0);
    EXPECT_EQ(candidates.mid(candidates.size() - 4),
              (QStringList{"/p/IMG_7.mov", "/p/IMG_7.MOV", "/p/IMG_7.mp4", "/p/IMG_7.MP4"}));
}

// Damaged sidecars (the fixture photo's XMP cut, doubled, nested past any reader, its numbers
// pushed to extremes) are read or refused with a reason, and every reader takes what was read.
TEST(XmpReaders, DamagedSidecarsAreReadOrRefusedWithAReason) {
    QFile photo(fixturePath(QStringLiteral("Fritest.jpeg")));
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    const QByteArray bytes = photo.readAll();
    const qsizetype start = bytes.indexOf("<x:xmpmeta"), end = bytes.indexOf("</x:xmpmeta>");
    ASSERT_GT(end, start);
    const QByteArray sidecar = bytes.mid(start, end + 12 - start);
    QString why;
    ASSERT_TRUE(parseXmpSidecar(sidecar, &why)) << why.toStdString();
    // A sidecar or a photo that gives "dc" a namespace of its own is read, and leaves where
    // every later write puts a photo's title and keywords as it was.
    const std::string dc = "http://purl.org/dc/elements/1.1/";
    QByteArray foreign = bytes;
    foreign.replace("purl.org/dc/elements/1.1/", "purl.org/dc/elements/NaN/");
    EXPECT_TRUE(parseXmpSidecar(foreign.mid(start, end + 12 - start), &why));
    EXPECT_EQ(Exiv2::XmpProperties::ns("dc"), dc);
    EXPECT_TRUE(ImageSource(foreign).isValid());
    EXPECT_EQ(Exiv2::XmpProperties::ns("dc"), dc);

    Mutations damage(sidecar, {}, 13);
    int read = 0, refused = 0;
    for (int i = 0; i < 300; ++i) {
        QString what;
        const QByteArray text = damage.nextText(&what);
        SCOPED_TRACE(what.toStdString());
        why.clear();
        const auto fields = parseXmpSidecar(text, &why);
        if (!fields) {
            EXPECT_FALSE(why.isEmpty());
            ++refused;
            continue;
        }
        ++read;
        const QString date = getPhotoDatewithXMPStr(*fields);
        xmpDate(date);
        getTitlewithXMPStr(*fields);
        getDescriptionwithXMPStr(*fields);
        getKeywordswithXMPStr(*fields);
        xmpCoordinate(getGPSLatitudewithXMPStr(*fields), getGPSLatitudeRefwithXMPStr(*fields),
                      GpsAxis::Latitude);
        xmpCoordinate(getGPSLongitudewithXMPStr(*fields), getGPSLongitudeRefwithXMPStr(*fields),
                      GpsAxis::Longitude);
    }
    EXPECT_GT(read, 50);
    EXPECT_GT(refused, 50);
    EXPECT_EQ(Exiv2::XmpProperties::ns("dc"), dc);
}
