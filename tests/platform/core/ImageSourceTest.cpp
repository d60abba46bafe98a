#include "platform/core/ImageSource.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImagePropertyTables.h"

#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

QVariantMap dict(const QVariantMap &props, const char *name) {
    return props.value(QLatin1String(name)).toMap();
}

QStringList strings(const QVariant &v) {
    return v.toStringList();
}

QByteArray jpegOf(int width, int height, Qt::GlobalColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A blue photo with a red 160-pixel Exif thumbnail and a green 512-pixel XMP preview, as
// cameras and editors embed several previews of different sizes.
QByteArray photoWithTwoPreviews() {
    ensureExiv2Initialised();
    const QByteArray photo = jpegOf(1200, 900, Qt::blue);
    const QByteArray small = jpegOf(160, 120, Qt::red);
    const QByteArray large = jpegOf(512, 384, Qt::green);
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
        reinterpret_cast<const Exiv2::byte *>(photo.constData()), long(photo.size()));
    image->readMetadata();
    image->exifData()["Exif.Image.Make"] = std::string("Test");
    Exiv2::ExifThumb(image->exifData())
        .setJpegThumbnail(reinterpret_cast<const Exiv2::byte *>(small.constData()),
                          long(small.size()));
    Exiv2::XmpData &xmp = image->xmpData();
    Exiv2::XmpTextValue alt;
    alt.setXmpArrayType(Exiv2::XmpValue::xaAlt);
    xmp.add(Exiv2::XmpKey("Xmp.xmp.Thumbnails"), &alt);
    xmp["Xmp.xmp.Thumbnails[1]/xmpGImg:format"] = std::string("JPEG");
    xmp["Xmp.xmp.Thumbnails[1]/xmpGImg:width"] = std::string("512");
    xmp["Xmp.xmp.Thumbnails[1]/xmpGImg:height"] = std::string("384");
    xmp["Xmp.xmp.Thumbnails[1]/xmpGImg:image"] = large.toBase64().toStdString();
    image->writeMetadata();
    Exiv2::BasicIo &io = image->io();
    io.open();
    const QByteArray out(reinterpret_cast<const char *>(io.mmap()), qsizetype(io.size()));
    io.munmap();
    io.close();
    return out;
}

bool mostly(const QImage &image, Qt::GlobalColor colour) {
    const QColor want(colour), got = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(got.red() - want.red()) < 40 && qAbs(got.green() - want.green()) < 40 &&
           qAbs(got.blue() - want.blue()) < 40;
}

} // namespace

TEST(ImageSourceRead, NikonJpegCarriesTiffExifGpsAndIptc) {
    const ImageSource source =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    EXPECT_EQ(source.type(), QStringLiteral("public.jpeg"));
    EXPECT_EQ(source.count(), 1);
    const QVariantMap props = source.properties(0);

    EXPECT_EQ(props.value("PixelWidth").toInt(), 2047);
    EXPECT_EQ(props.value("PixelHeight").toInt(), 1356);
    EXPECT_EQ(props.value("ColorModel").toString(), QStringLiteral("RGB"));
    EXPECT_EQ(props.value("Depth").toInt(), 8);
    EXPECT_DOUBLE_EQ(props.value("DPIWidth").toDouble(), 72.0);
    EXPECT_EQ(props.value("ProfileName").toString(), QStringLiteral("sRGB IEC61966-2.1"));

    const QVariantMap tiff = dict(props, "{TIFF}");
    EXPECT_EQ(tiff.value("Make").toString(), QStringLiteral("NIKON CORPORATION"));
    EXPECT_EQ(tiff.value("Model").toString(), QStringLiteral("NIKON D7000"));
    EXPECT_EQ(tiff.value("Artist").toString(), QStringLiteral("Jeff Hitchcock"));
    EXPECT_EQ(tiff.value("Copyright").toString(),
              QStringLiteral("Copyright 2018 Jeff Hitchcock, Some Rights Reserved"));
    EXPECT_EQ(tiff.value("DateTime").toString(), QStringLiteral("2019:07:22 21:12:11"));

    const QVariantMap exif = dict(props, "{Exif}");
    EXPECT_EQ(exif.value("DateTimeOriginal").toString(), QStringLiteral("2018:10:13 09:18:12"));
    EXPECT_EQ(exif.value("DateTimeDigitized").toString(), QStringLiteral("2018:10:13 09:18:12"));
    EXPECT_DOUBLE_EQ(exif.value("ExposureTime").toDouble(), 1.0 / 2000);
    EXPECT_EQ(exif.value("ISOSpeedRatings").toList(), QVariantList{200});
    EXPECT_EQ(exif.value("ExifVersion").toList(), (QVariantList{2, 3, 1}));
    EXPECT_EQ(exif.value("LensModel").toString(), QStringLiteral("12.0-24.0 mm f/4.0"));
    EXPECT_NEAR(exif.value("ExposureBiasValue").toDouble(), -5.0 / 3, 1e-9);

    const QVariantMap gps = dict(props, "{GPS}");
    EXPECT_NEAR(gps.value("Latitude").toDouble(), 51.50357, 1e-5);
    EXPECT_EQ(gps.value("LatitudeRef").toString(), QStringLiteral("N"));
    EXPECT_NEAR(gps.value("Longitude").toDouble(), 0.131806, 1e-5);
    EXPECT_EQ(gps.value("LongitudeRef").toString(), QStringLiteral("W"));
    EXPECT_NEAR(gps.value("Altitude").toDouble(), 2.6, 0.05);
    EXPECT_EQ(gps.value("AltitudeRef").toInt(), 0);
    EXPECT_EQ(gps.value("GPSVersion").toList(), (QVariantList{2, 3, 0, 0}));

    const QVariantMap iptc = dict(props, "{IPTC}");
    EXPECT_EQ(iptc.value("ObjectName").toString(), QStringLiteral("St. James's Park"));
    EXPECT_EQ(strings(iptc.value("Keywords")),
              (QStringList{"UK", "England", "United Kingdom", "London", "London 2018",
                           "St. James's Park"}));
    EXPECT_EQ(iptc.value("By-line").toString(), QStringLiteral("Jeff Hitchcock"));
    EXPECT_EQ(iptc.value("DateCreated").toString(), QStringLiteral("20181013"));
    EXPECT_EQ(iptc.value("TimeCreated").toString(), QStringLiteral("091812-0700"));
}

TEST(ImageSourceRead, BytesAndPathGiveTheSameProperties) {
    const QString path = fixturePath(QStringLiteral("St James Park.jpg"));
    const ImageSource fromBytes(readAll(path));
    const ImageSource fromPath = ImageSource::fromPath(path);
    EXPECT_EQ(fromBytes.properties(0), fromPath.properties(0));
    EXPECT_TRUE(fromBytes.properties(1).isEmpty());
    EXPECT_TRUE(fromBytes.properties(-1).isEmpty());
}

TEST(ImageSourceRead, Utf8IptcDecodesNonAsciiText) {
    const ImageSource source = ImageSource::fromPath(fixturePath(QStringLiteral("Fritest.jpeg")));
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    const QVariantMap iptc = dict(source.properties(0), "{IPTC}");
    EXPECT_EQ(iptc.value("ObjectName").toString(), QStringLiteral("Frítest"));
    EXPECT_EQ(strings(iptc.value("Keywords")),
              (QStringList{"Cloudy", "Cord", "Outdoor", "Sky", "Sunset Sunrise"}));
    EXPECT_EQ(dict(source.properties(0), "{TIFF}").value("Model").toString(),
              QStringLiteral("iPhone 11 Pro"));
}

TEST(ImageSourceRead, HeicMetadataComesThroughLibheif) {
    const ImageSource source = ImageSource::fromPath(fixturePath(QStringLiteral("IMG_3092.heic")));
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    EXPECT_EQ(source.type(), QStringLiteral("public.heic"));
    EXPECT_GE(source.count(), 1);
    const QVariantMap props = source.properties(0);
    const int w = props.value("PixelWidth").toInt();
    const int h = props.value("PixelHeight").toInt();
    EXPECT_TRUE((w == 3024 && h == 4032) || (w == 4032 && h == 3024)) << w << "x" << h;
    EXPECT_EQ(dict(props, "{TIFF}").value("Model").toString(), QStringLiteral("iPhone 6s"));
    EXPECT_EQ(dict(props, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2020:09:19 14:36:26"));
    EXPECT_NEAR(dict(props, "{Exif}").value("ExposureTime").toDouble(), 1.0 / 769, 1e-9);
}

TEST(ImageSourceRead, CanonJpegWithMakerNotes) {
    const ImageSource source = ImageSource::fromPath(fixturePath(QStringLiteral("IMG_1994.JPG")));
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    const QVariantMap props = source.properties(0);
    EXPECT_EQ(dict(props, "{TIFF}").value("Model").toString(),
              QStringLiteral("Canon PowerShot G10"));
    EXPECT_EQ(dict(props, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2020:04:15 10:25:51"));
    EXPECT_EQ(props.value("PixelWidth").toInt(), 4416);
    EXPECT_EQ(props.value("PixelHeight").toInt(), 3312);
}

TEST(ImageSourceRead, ThumbnailsFitTheAskedSize) {
    for (const char *name : {"St James Park.jpg", "IMG_1994.JPG", "IMG_3092.heic"}) {
        const ImageSource source = ImageSource::fromPath(fixturePath(QLatin1String(name)));
        const QImage thumb = source.thumbnail(200);
        ASSERT_FALSE(thumb.isNull()) << name;
        EXPECT_LE(qMax(thumb.width(), thumb.height()), 200) << name;
    }
}

TEST(ImageSourceRead, ThumbnailsComeFromThePreviewThatFillsTheSize) {
    const ImageSource source(photoWithTwoPreviews());
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();

    // Not the 160-pixel thumbnail, blurry when blown up to 256: the 512-pixel preview.
    const QImage cell = source.thumbnail(256);
    EXPECT_EQ(qMax(cell.width(), cell.height()), 256);
    EXPECT_TRUE(mostly(cell, Qt::green)) << cell.pixelColor(128, 96).name().toStdString();

    // A small size is served by the small thumbnail.
    const QImage icon = source.thumbnail(128);
    EXPECT_EQ(qMax(icon.width(), icon.height()), 128);
    EXPECT_TRUE(mostly(icon, Qt::red));

    // Larger than every preview: the photo itself, scaled.
    const QImage big = source.thumbnail(800);
    EXPECT_EQ(qMax(big.width(), big.height()), 800);
    EXPECT_TRUE(mostly(big, Qt::blue));
}

TEST(ImageSourceRead, TheExifBlockAloneGivesTheSameExifDictionary) {
    for (const char *name :
         {"St James Park.jpg", "wedding.jpg", "IMG_1994.JPG", "Fritest.jpeg", "IMG_3092.heic"}) {
        const QByteArray bytes = readAll(fixturePath(QLatin1String(name)));
        const QVariantMap exif = dict(ImageSource(bytes).properties(0), "{Exif}");
        ASSERT_FALSE(exif.isEmpty()) << name;
        EXPECT_EQ(ImageSource::exifDictionary(bytes), exif) << name;
    }
    EXPECT_TRUE(ImageSource::exifDictionary(QByteArray("\xff\xd8\xff\xe1\xff\xff")).isEmpty());
    EXPECT_TRUE(ImageSource::exifDictionary(QByteArray(100, 'x')).isEmpty());
}

TEST(ImageSourceRead, RawFilesKeepThePixelSizeTheirExifGives) {
    // An Olympus raw file is a TIFF with its own magic number; Exiv2 takes its pixel size from
    // the Exif data, which the source keeps apart from the decoded image.
    QImage image(40, 24, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "TIFF"));
    ASSERT_TRUE(bytes.startsWith("II*"));
    bytes[2] = 'R';
    bytes[3] = 'O';
    const ImageSource source(bytes);
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    EXPECT_EQ(source.type(), QStringLiteral("com.olympus.raw-image"));
    EXPECT_EQ(source.properties(0).value("PixelWidth").toInt(), 40);
    EXPECT_EQ(source.properties(0).value("PixelHeight").toInt(), 24);
}

TEST(ImagePropertyTables, EveryExiv2KeyIsKnownToExiv2) {
    const ImageSource warmUp(QByteArray("x")); // initialises Exiv2's XMP toolkit
    for (const auto &table : {exifMappings(), tiffMappings(), gpsMappings()})
        for (const PropertyMapping &m : table)
            EXPECT_NO_THROW(Exiv2::ExifKey{m.exiv2Key}) << m.exiv2Key;
    for (const PropertyMapping &m : iptcMappings())
        EXPECT_NO_THROW(Exiv2::IptcKey{m.exiv2Key}) << m.exiv2Key;
    for (const PropertyMapping &m : exifAuxMappings())
        EXPECT_NO_THROW(Exiv2::XmpKey{m.exiv2Key}) << m.exiv2Key;
}

TEST(ImagePropertyTables, RationalsPickTheConventionalDenominator) {
    using R = std::pair<qint64, qint64>;
    EXPECT_EQ(toRational(0.008), (R{1, 125}));
    EXPECT_EQ(toRational(1.0 / 2000), (R{1, 2000}));
    EXPECT_EQ(toRational(2.8), (R{28, 10}));
    EXPECT_EQ(toRational(100), (R{100, 1}));
    EXPECT_EQ(toRational(-5.0 / 3), (R{-5, 3}));
    EXPECT_EQ(toRational(0.3), (R{3, 10}));
    EXPECT_EQ(toRational(0), (R{0, 1}));
    const R pi = toRational(3.14159265358979);
    EXPECT_NEAR(double(pi.first) / double(pi.second), 3.14159265358979, 1e-9);
}

namespace {

// Uncompressed 1x1 grey pages chained IFD to IFD, as scanners write multi-page TIFF.
QByteArray multiPageTiff(int pages) {
    const auto u16 = [](QByteArray &b, quint16 v) {
        b.append(char(v & 0xff)).append(char(v >> 8));
    };
    const auto u32 = [&](QByteArray &b, quint32 v) {
        u16(b, quint16(v & 0xffff));
        u16(b, quint16(v >> 16));
    };
    QByteArray out("II*\0", 4);
    u32(out, 8);
    const int ifdSize = 2 + 8 * 12 + 4;
    for (int p = 0; p < pages; ++p) {
        const quint32 ifd = quint32(out.size());
        const quint32 pixel = ifd + ifdSize;
        const quint32 next = p + 1 < pages ? pixel + 2 : 0;
        u16(out, 8);
        const std::pair<quint16, quint32> entries[] = {{256, 1}, {257, 1},     {258, 8}, {259, 1},
                                                       {262, 1}, {273, pixel}, {278, 1}, {279, 1}};
        for (auto [tag, value] : entries) {
            u16(out, tag);
            u16(out, tag == 273 ? 4 : 3); // LONG for the offset, SHORT for the rest
            u32(out, 1);
            u32(out, value);
        }
        u32(out, next);
        out.append(char(0x80)).append('\0');
    }
    return out;
}

} // namespace

TEST(ImageSourceRead, MultiPageTiffCountsItsPages) {
    const ImageSource source(multiPageTiff(3));
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    EXPECT_EQ(source.type(), QStringLiteral("public.tiff"));
    EXPECT_EQ(source.count(), 3);
    EXPECT_EQ(source.properties(0).value("ColorModel").toString(), QStringLiteral("Gray"));
    EXPECT_TRUE(source.properties(3).isEmpty());
}

// Broken files must come back as an error, never a crash or an exception.
TEST(ImageSourceBadInput, BrokenFilesReportAnError) {
    const QByteArray jpeg = readAll(fixturePath(QStringLiteral("St James Park.jpg")));
    QByteArray random(4096, '\0');
    QRandomGenerator gen(42);
    for (char &c : random)
        c = char(gen.bounded(256));

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += QByteArray("\x00\x00\x00\x0dIHDR\x00\x00\x00\x10\x00\x00\x00\x10\x08\x02\x00\x00\x00"
                      "\x90\x91\x68\x36",
                      25);
    png += QByteArray("\x7f\xff\xff\xf0tEXt", 8) + QByteArray(64, 'a');

    QByteArray tiff("II*\0", 4);
    tiff += QByteArray("\x00\x00\x10\x00", 4); // IFD0 at 1 MiB in a file of 64 bytes
    tiff += QByteArray(56, '\0');

    const std::pair<const char *, QByteArray> cases[] = {
        {"empty", QByteArray()},   {"random", random},        {"truncated jpeg", jpeg.left(1000)},
        {"png chunk length", png}, {"tiff ifd offset", tiff},
    };
    for (const auto &[name, bytes] : cases) {
        const ImageSource source(bytes);
        const bool unusable = !source.isValid() || source.properties(0).isEmpty();
        EXPECT_TRUE(unusable) << name;
        EXPECT_FALSE(source.errorString().isEmpty()) << name;
        EXPECT_NO_THROW(source.thumbnail()) << name;
    }
}
