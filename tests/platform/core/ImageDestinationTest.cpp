#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>

#include <tuple>

#include <exiv2/exiv2.hpp>

namespace {

// Writes `source` with `frame` as its frame properties; empty on failure.
QByteArray rewrite(const ImageSource &source, const QVariantMap &frame,
                   const QVariantMap &destination = {}) {
    QByteArray out;
    ImageDestination dest(&out, source.type(), source.count());
    dest.setProperties(destination);
    dest.addImageFromSource(source, 0, frame);
    if (!dest.finalize()) {
        ADD_FAILURE() << dest.errorString().toStdString();
        return {};
    }
    return out;
}

struct Written {
    QTemporaryDir dir;
    QString path;
};

// The written bytes as a file, for exiftool.
void saveAs(Written &w, const QString &name, const QByteArray &bytes) {
    ASSERT_TRUE(w.dir.isValid());
    w.path = w.dir.filePath(name);
    ASSERT_TRUE(writeAll(w.path, bytes));
}

QVariantMap section(const QVariantMap &props, const char *name) {
    return props.value(QLatin1String(name)).toMap();
}

} // namespace

TEST(ImageDestinationWrite, DateGpsAndKeywordsReachTheFileAndPixelsStay) {
    QTemporaryDir dir;
    const QString copy = copyFixture(QStringLiteral("St James Park.jpg"), dir.path());
    ASSERT_FALSE(copy.isEmpty());
    // What follows the picture (a phone's second image, say) is kept byte for byte too.
    const QByteArray trailer("\xff\xd8 second image \xff\xd9");
    const QByteArray original = readAll(copy) + trailer;
    const ImageSource source(original);
    QVariantMap props = source.properties(0);

    QVariantMap exif = section(props, "{Exif}");
    exif["DateTimeOriginal"] = QStringLiteral("2021:03:04 05:06:07");
    props["{Exif}"] = exif;
    props["{GPS}"] = QVariantMap{{"Latitude", 33.856784},   {"LatitudeRef", "S"},
                                 {"Longitude", 151.215297}, {"LongitudeRef", "E"},
                                 {"Altitude", 12.5},        {"AltitudeRef", 0},
                                 {"TimeStamp", "04:05:06"}, {"DateStamp", "2021:03:04"}};
    QVariantMap iptc = section(props, "{IPTC}");
    iptc["Keywords"] = QStringList{"Sydney", "Harbour", "Opera House"};
    props["{IPTC}"] = iptc;

    const QByteArray written = rewrite(source, props);
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(jpegScanData(written), jpegScanData(original));
    EXPECT_FALSE(jpegScanData(written).isEmpty());
    EXPECT_TRUE(written.endsWith(trailer));

    const QVariantMap back = ImageSource(written).properties(0);
    EXPECT_EQ(section(back, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2021:03:04 05:06:07"));
    const QVariantMap gps = section(back, "{GPS}");
    EXPECT_NEAR(gps.value("Latitude").toDouble(), 33.856784, 1e-5);
    EXPECT_EQ(gps.value("LatitudeRef").toString(), QStringLiteral("S"));
    EXPECT_NEAR(gps.value("Longitude").toDouble(), 151.215297, 1e-5);
    EXPECT_NEAR(gps.value("Altitude").toDouble(), 12.5, 1e-9);
    EXPECT_EQ(gps.value("TimeStamp").toString(), QStringLiteral("04:05:06"));
    EXPECT_FALSE(gps.contains("GPSVersion")); // the section was replaced, not merged
    EXPECT_EQ(section(back, "{IPTC}").value("Keywords").toStringList(),
              (QStringList{"Sydney", "Harbour", "Opera House"}));
    EXPECT_EQ(section(back, "{IPTC}").value("ObjectName").toString(),
              QStringLiteral("St. James's Park"));
    EXPECT_EQ(section(back, "{TIFF}"), section(source.properties(0), "{TIFF}"));

    Written w;
    saveAs(w, QStringLiteral("out.jpg"), written);
    const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-n"), QStringLiteral("-G1")});
    EXPECT_EQ(tool.value("ExifIFD:DateTimeOriginal").toString(),
              QStringLiteral("2021:03:04 05:06:07"));
    EXPECT_NEAR(tool.value("GPS:GPSLatitude").toDouble(), 33.856784, 1e-5);
    EXPECT_EQ(tool.value("GPS:GPSLatitudeRef").toString(), QStringLiteral("S"));
    EXPECT_NEAR(tool.value("GPS:GPSLongitude").toDouble(), 151.215297, 1e-5);
    EXPECT_NEAR(tool.value("GPS:GPSAltitude").toDouble(), 12.5, 1e-9);
    const QJsonArray keywords = tool.value("IPTC:Keywords").toArray();
    ASSERT_EQ(keywords.size(), 3);
    EXPECT_EQ(keywords.at(2).toString(), QStringLiteral("Opera House"));
    EXPECT_EQ(tool.value("IFD0:Make").toString(), QStringLiteral("NIKON CORPORATION"));
}

TEST(ImageDestinationWrite, UnchangedPropertiesRoundTripExactly) {
    for (const char *name : {"St James Park.jpg", "Fritest.jpeg", "IMG_1994.JPG"}) {
        const ImageSource source = ImageSource::fromPath(fixturePath(QLatin1String(name)));
        const QVariantMap props = source.properties(0);
        const QByteArray written = rewrite(source, props, section(props, "{TIFF}"));
        EXPECT_EQ(ImageSource(written).properties(0), props) << name;
    }
}

TEST(ImageDestinationWrite, ADateChangeLeavesEveryOtherTagAsExiftoolReadsIt) {
    // The write starts from what the source decoded rather than decoding the file again: the
    // profile, comment, byte order, maker notes and previews must all come through unchanged.
    for (const char *name : {"St James Park.jpg", "wedding.jpg", "IMG_1994.JPG", "Fritest.jpeg"}) {
        const ImageSource source = ImageSource::fromPath(fixturePath(QLatin1String(name)));
        QVariantMap props = source.properties(0);
        QVariantMap exif = section(props, "{Exif}");
        exif["DateTimeOriginal"] = QStringLiteral("2024:05:06 07:08:09");
        props["{Exif}"] = exif;
        Written w;
        saveAs(w, QLatin1String(name), rewrite(source, props));

        QJsonObject before = exiftoolJson(fixturePath(QLatin1String(name)),
                                          {QStringLiteral("-G1"), QStringLiteral("-n")});
        QJsonObject after = exiftoolJson(w.path, {QStringLiteral("-G1"), QStringLiteral("-n")});
        ASSERT_FALSE(after.isEmpty()) << name;
        EXPECT_EQ(after.value("ExifIFD:DateTimeOriginal").toString(),
                  QStringLiteral("2024:05:06 07:08:09"))
            << name;
        for (QJsonObject *tags : {&before, &after})
            for (const QString &key : tags->keys())
                if (key.startsWith(QLatin1String("System:")) ||
                    key == QLatin1String("SourceFile") ||
                    key.contains(QLatin1String("DateTimeOriginal")) ||
                    // A written IPTC block always declares UTF-8, which changes its digest.
                    key == QLatin1String("IPTC:CodedCharacterSet") ||
                    key == QLatin1String("File:CurrentIPTCDigest"))
                    tags->remove(key);
        for (const QString &key : before.keys())
            EXPECT_EQ(after.value(key), before.value(key)) << name << " " << key.toStdString();
        for (const QString &key : after.keys())
            EXPECT_TRUE(before.contains(key)) << name << " gained " << key.toStdString();
    }
}

TEST(ImageDestinationWrite, NullRemovesKeysAndSections) {
    const ImageSource source =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    QVariantMap props = source.properties(0);
    QVariantMap exif = section(props, "{Exif}");
    exif["LensModel"] = QVariant::fromValue(nullptr);
    props["{Exif}"] = exif;
    props["{GPS}"] = QVariant();
    props.remove("{TIFF}"); // not given: must stay as it was
    QVariantMap iptc = section(props, "{IPTC}");
    iptc.remove("By-line"); // left out of a whole section: removed
    props["{IPTC}"] = iptc;

    const QByteArray written = rewrite(source, props);
    const QVariantMap back = ImageSource(written).properties(0);
    EXPECT_FALSE(section(back, "{Exif}").contains("LensModel"));
    EXPECT_EQ(section(back, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2018:10:13 09:18:12"));
    EXPECT_FALSE(back.contains("{GPS}"));
    EXPECT_EQ(section(back, "{TIFF}").value("Artist").toString(), QStringLiteral("Jeff Hitchcock"));
    EXPECT_FALSE(section(back, "{IPTC}").contains("By-line"));
    EXPECT_TRUE(section(back, "{IPTC}").contains("ObjectName"));

    Written w;
    saveAs(w, QStringLiteral("nulls.jpg"), written);
    const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-G1")});
    EXPECT_FALSE(tool.contains("ExifIFD:LensModel"));
    EXPECT_FALSE(tool.contains("GPS:GPSLatitude"));
    EXPECT_FALSE(tool.contains("IPTC:By-line"));
    EXPECT_EQ(tool.value("IFD0:Artist").toString(), QStringLiteral("Jeff Hitchcock"));
    // XMP is outside what the sections cover and must survive.
    EXPECT_EQ(tool.value("XMP-dc:Title").toString(), QStringLiteral("St. James's Park"));
}

TEST(ImageDestinationWrite, WholeIptcReplacementKeepsMakerNotes) {
    QTemporaryDir dir;
    const QString copy = copyFixture(QStringLiteral("IMG_1994.JPG"), dir.path());
    const ImageSource source = ImageSource::fromPath(copy);
    ASSERT_TRUE(source.isValid());
    const QVariantMap iptc{{"ObjectName", "Replaced"}, {"Keywords", QStringList{"only"}}};
    const QByteArray written = rewrite(source, {{"{IPTC}", iptc}});

    const QVariantMap back = ImageSource(written).properties(0);
    EXPECT_EQ(section(back, "{IPTC}"),
              (QVariantMap{{"ObjectName", "Replaced"}, {"Keywords", QStringList{"only"}}}));

    auto image = Exiv2::ImageFactory::open(
        reinterpret_cast<const Exiv2::byte *>(written.constData()), long(written.size()));
    image->readMetadata();
    int canonTags = 0;
    for (const Exiv2::Exifdatum &d : image->exifData())
        canonTags += d.groupName().rfind("Canon", 0) == 0 ? 1 : 0;
    EXPECT_GT(canonTags, 10);

    Written w;
    saveAs(w, QStringLiteral("iptc.jpg"), written);
    const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-G1")});
    EXPECT_EQ(tool.value("IPTC:ObjectName").toString(), QStringLiteral("Replaced"));
    EXPECT_TRUE(tool.contains("Canon:CanonModelID") || tool.contains("Canon:CanonImageType"));
    EXPECT_EQ(tool.value("IFD0:Model").toString(), QStringLiteral("Canon PowerShot G10"));
    EXPECT_EQ(tool.value("XMP-dc:Subject").toString(), QStringLiteral("only"));
}

TEST(ImageDestinationWrite, TextForNumericTagsIsConverted) {
    const ImageSource source =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    QVariantMap props = source.properties(0);
    QVariantMap exif = section(props, "{Exif}");
    exif["ExposureTime"] = QStringLiteral("0.008");
    exif["FNumber"] = QStringLiteral("2.8");
    exif["ISOSpeedRatings"] = QStringLiteral("100");
    exif["UserComment"] = QStringLiteral("Très bien");
    props["{Exif}"] = exif;
    const QByteArray written = rewrite(source, props);

    const QVariantMap back = section(ImageSource(written).properties(0), "{Exif}");
    EXPECT_DOUBLE_EQ(back.value("ExposureTime").toDouble(), 0.008);
    EXPECT_DOUBLE_EQ(back.value("FNumber").toDouble(), 2.8);
    EXPECT_EQ(back.value("ISOSpeedRatings").toList(), QVariantList{100});
    EXPECT_EQ(back.value("UserComment").toString(), QStringLiteral("Très bien"));

    Written w;
    saveAs(w, QStringLiteral("numbers.jpg"), written);
    const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-G1")});
    EXPECT_EQ(tool.value("ExifIFD:ExposureTime").toString(), QStringLiteral("1/125"));
    EXPECT_DOUBLE_EQ(tool.value("ExifIFD:FNumber").toDouble(), 2.8);
    EXPECT_EQ(tool.value("ExifIFD:ISO").toInt(), 100);
    EXPECT_EQ(tool.value("ExifIFD:UserComment").toString(), QStringLiteral("Très bien"));
}

TEST(ImageDestinationWrite, NonAsciiIptcIsWrittenAsDeclaredUtf8) {
    const ImageSource source =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    QVariantMap props = source.properties(0);
    QVariantMap iptc = section(props, "{IPTC}");
    iptc["ObjectName"] = QStringLiteral("Zürich – Öffentlich");
    props["{IPTC}"] = iptc;
    const QByteArray written = rewrite(source, props);
    const QVariantMap back = section(ImageSource(written).properties(0), "{IPTC}");
    EXPECT_EQ(back.value("ObjectName").toString(), QStringLiteral("Zürich – Öffentlich"));
    EXPECT_EQ(back.value("Keywords"), iptc.value("Keywords"));

    Written w;
    saveAs(w, QStringLiteral("utf8.jpg"), written);
    const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-G1")});
    EXPECT_EQ(tool.value("IPTC:ObjectName").toString(), QStringLiteral("Zürich – Öffentlich"));
    EXPECT_EQ(tool.value("IPTC:CodedCharacterSet").toString(), QStringLiteral("UTF8"));
    EXPECT_EQ(tool.value("XMP-dc:Title").toString(), QStringLiteral("Zürich – Öffentlich"));
}

TEST(ImageDestinationWrite, PngTiffAndWebpGetMetadataWithoutTouchingPixels) {
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const std::tuple<const char *, const char *, const char *> formats[] = {
        {"PNG", "public.png", "png"},
        {"TIFF", "public.tiff", "tif"},
        {"WEBP", "org.webmproject.webp", "webp"},
    };
    for (const auto &[format, type, suffix] : formats) {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, format)) << format;
        const ImageSource source(encoded);
        ASSERT_TRUE(source.isValid()) << format << source.errorString().toStdString();
        EXPECT_EQ(source.type(), QLatin1String(type));
        EXPECT_EQ(source.count(), 1) << format;
        EXPECT_EQ(source.properties(0).value("PixelWidth").toInt(), 32) << format;
        EXPECT_EQ(source.properties(0).value("PixelHeight").toInt(), 16) << format;

        const QByteArray written =
            rewrite(source, {{"{TIFF}", QVariantMap{{"Artist", "Tester"}}},
                             {"{Exif}", QVariantMap{{"DateTimeOriginal", "2020:01:02 03:04:05"}}}});
        ASSERT_FALSE(written.isEmpty()) << format;
        const QVariantMap back = ImageSource(written).properties(0);
        EXPECT_EQ(section(back, "{TIFF}").value("Artist").toString(), QStringLiteral("Tester"))
            << format;
        EXPECT_EQ(QImage::fromData(written).convertToFormat(QImage::Format_RGB32),
                  QImage::fromData(encoded).convertToFormat(QImage::Format_RGB32))
            << format;

        Written w;
        saveAs(w, QStringLiteral("out.") + QLatin1String(suffix), written);
        const QJsonObject tool = exiftoolJson(w.path, {QStringLiteral("-G1")});
        EXPECT_EQ(tool.value("IFD0:Artist").toString(), QStringLiteral("Tester")) << format;
        EXPECT_EQ(tool.value("ExifIFD:DateTimeOriginal").toString(),
                  QStringLiteral("2020:01:02 03:04:05"))
            << format;
    }
}

TEST(ImageDestinationErrors, UnsupportedWritesFailWithAReason) {
    QByteArray out;
    ImageDestination avif(&out, QStringLiteral("public.avif"), 1);
    EXPECT_FALSE(avif.isValid());
    EXPECT_FALSE(avif.finalize());
    EXPECT_FALSE(avif.errorString().isEmpty());
    EXPECT_FALSE(ImageDestination::typeIdentifiers().contains(QStringLiteral("public.avif")));

    const ImageSource jpeg =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    ImageDestination asTiff(&out, QStringLiteral("public.tiff"), 1);
    asTiff.addImageFromSource(jpeg, 0, {});
    EXPECT_FALSE(asTiff.finalize());
    EXPECT_FALSE(asTiff.errorString().isEmpty());

    ImageDestination twoFrames(&out, QStringLiteral("public.jpeg"), 2);
    EXPECT_FALSE(twoFrames.isValid());

    const ImageSource broken(QByteArray("not an image"));
    ImageDestination fromBroken(&out, QStringLiteral("public.jpeg"), 1);
    fromBroken.addImageFromSource(broken, 0, {});
    EXPECT_FALSE(fromBroken.finalize());

    ImageDestination badValue(&out, jpeg.type(), 1);
    badValue.addImageFromSource(jpeg, 0, {{"{Exif}", QVariantMap{{"ExposureTime", "fast"}}}});
    EXPECT_FALSE(badValue.finalize());
    EXPECT_TRUE(badValue.errorString().contains("ExposureTime"));
}
