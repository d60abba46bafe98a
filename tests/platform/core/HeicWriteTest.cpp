#include "platform/core/ExiftoolSession.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImagePropertyTables.h"
#include "platform/core/ImageSource.h"

#include "support/DatedPhotos.h"
#include "support/HeifPixels.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtConcurrent>

namespace {

QVariantMap section(const QVariantMap &props, const char *name) {
    return props.value(QLatin1String(name)).toMap();
}

QByteArray writeHeic(const ImageSource &source, const QVariantMap &frame, QString *error) {
    QByteArray out;
    ImageDestination dest(&out, source.type(), source.count());
    dest.addImageFromSource(source, 0, frame);
    if (!dest.finalize()) {
        *error = dest.errorString();
        EXPECT_TRUE(out.isEmpty());
        return {};
    }
    return out;
}

struct HeicCopy {
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;
};

void loadCopy(HeicCopy &c) {
    ASSERT_TRUE(c.dir.isValid());
    c.path = copyFixture(QStringLiteral("IMG_3092.heic"), c.dir.path());
    ASSERT_FALSE(c.path.isEmpty());
    c.bytes = readAll(c.path);
    ASSERT_FALSE(c.bytes.isEmpty());
}

QJsonObject toolView(const QDir &dir, const QByteArray &bytes) {
    const QString path = dir.filePath(QStringLiteral("written.heic"));
    EXPECT_TRUE(writeAll(path, bytes));
    return exiftoolJson(path, {QStringLiteral("-n"), QStringLiteral("-G1")});
}

} // namespace

TEST(HeicWrite, DateLensGpsAndKeywordsReachTheFileAndPixelsStay) {
    HeicCopy c;
    loadCopy(c);
    const ImageSource source(c.bytes);
    ASSERT_TRUE(source.isValid());
    ASSERT_EQ(source.type(), QStringLiteral("public.heic"));
    QVariantMap props = source.properties(0);
    ASSERT_EQ(section(props, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2020:09:19 14:36:26"));

    QVariantMap exif = section(props, "{Exif}");
    exif["DateTimeOriginal"] = QStringLiteral("2021:03:04 05:06:07");
    exif["LensModel"] = QStringLiteral("Test Lens 50mm");
    props["{Exif}"] = exif;
    props["{GPS}"] = QVariantMap{{"Latitude", 51.50357},
                                 {"LatitudeRef", "N"},
                                 {"Longitude", 0.131806},
                                 {"LongitudeRef", "W"}};
    props["{IPTC}"] = QVariantMap{{"Keywords", QStringList{"London", "Trafalgar Square", "Café"}},
                                  {"City", QStringLiteral("London")}};

    QString error;
    const QByteArray written = writeHeic(source, props, &error);
    ASSERT_FALSE(written.isEmpty()) << error.toStdString();
    EXPECT_NE(written, c.bytes);
    EXPECT_EQ(readAll(c.path), c.bytes) << "the source file must not be touched";

    const ImageSource back(written);
    ASSERT_TRUE(back.isValid()) << back.errorString().toStdString();
    EXPECT_EQ(back.type(), QStringLiteral("public.heic"));
    EXPECT_EQ(back.count(), source.count());
    const QVariantMap got = back.properties(0);
    EXPECT_EQ(section(got, "{Exif}").value("DateTimeOriginal").toString(),
              QStringLiteral("2021:03:04 05:06:07"));
    EXPECT_EQ(section(got, "{Exif}").value("LensModel").toString(),
              QStringLiteral("Test Lens 50mm"));
    EXPECT_EQ(section(got, "{Exif}").value("ExposureTime"),
              section(source.properties(0), "{Exif}").value("ExposureTime"));
    EXPECT_EQ(section(got, "{TIFF}").value("Model").toString(), QStringLiteral("iPhone 6s"));
    const QVariantMap gps = section(got, "{GPS}");
    EXPECT_NEAR(gps.value("Latitude").toDouble(), 51.50357, 1e-5);
    EXPECT_EQ(gps.value("LatitudeRef").toString(), QStringLiteral("N"));
    EXPECT_NEAR(gps.value("Longitude").toDouble(), 0.131806, 1e-5);
    EXPECT_EQ(gps.value("LongitudeRef").toString(), QStringLiteral("W"));
    EXPECT_EQ(section(got, "{IPTC}").value("Keywords").toStringList(),
              (QStringList{"London", "Trafalgar Square", "Café"}));
    EXPECT_EQ(section(got, "{IPTC}").value("City").toString(), QStringLiteral("London"));

    const QJsonObject tool = toolView(c.dir.path(), written);
    EXPECT_EQ(tool.value("ExifIFD:DateTimeOriginal").toString(),
              QStringLiteral("2021:03:04 05:06:07"));
    EXPECT_EQ(tool.value("ExifIFD:LensModel").toString(), QStringLiteral("Test Lens 50mm"));
    EXPECT_EQ(tool.value("IFD0:Model").toString(), QStringLiteral("iPhone 6s"));
    EXPECT_NEAR(tool.value("GPS:GPSLatitude").toDouble(), 51.50357, 1e-5);
    EXPECT_EQ(tool.value("GPS:GPSLatitudeRef").toString(), QStringLiteral("N"));
    EXPECT_NEAR(tool.value("GPS:GPSLongitude").toDouble(), 0.131806, 1e-5);
    EXPECT_EQ(tool.value("GPS:GPSLongitudeRef").toString(), QStringLiteral("W"));
    EXPECT_EQ(tool.value("XMP-dc:Subject").toArray(),
              (QJsonArray{"London", "Trafalgar Square", "Café"}));
    EXPECT_EQ(tool.value("XMP-photoshop:City").toString(), QStringLiteral("London"));
    // Untouched dates keep their values.
    EXPECT_EQ(tool.value("ExifIFD:CreateDate").toString(), QStringLiteral("2020:09:19 14:36:26"));

    const QByteArray pixels = decodedPixels(c.bytes);
    ASSERT_FALSE(pixels.isEmpty());
    EXPECT_TRUE(decodedPixels(written) == pixels) << "the image must decode to the same pixels";
    EXPECT_LT(qAbs(written.size() - c.bytes.size()), 64 * 1024);
}

TEST(HeicWrite, NullAndLeftOutKeysAreRemoved) {
    HeicCopy c;
    loadCopy(c);
    const ImageSource source(c.bytes);
    QVariantMap props = source.properties(0);
    props["{GPS}"] =
        QVariantMap{{"Latitude", 51.50357}, {"LatitudeRef", "N"}, {"Longitude", 0.131806},
                    {"LongitudeRef", "W"},  {"Altitude", 12.5},   {"AltitudeRef", 0}};
    props["{IPTC}"] = QVariantMap{{"Keywords", QStringList{"one", "two"}}};
    QString error;
    const QByteArray first = writeHeic(source, props, &error);
    ASSERT_FALSE(first.isEmpty()) << error.toStdString();

    // A section given without a key drops that key; a null section drops the whole section.
    const ImageSource withGps(first);
    QVariantMap next = withGps.properties(0);
    QVariantMap gps = section(next, "{GPS}");
    ASSERT_TRUE(gps.contains("Altitude"));
    gps.remove("Altitude");
    gps.remove("AltitudeRef");
    next["{GPS}"] = gps;
    QVariantMap exif = section(next, "{Exif}");
    ASSERT_TRUE(exif.contains("LensModel"));
    exif["LensModel"] = QVariant();
    next["{Exif}"] = exif;
    next["{IPTC}"] = QVariant();
    const QByteArray second = writeHeic(withGps, next, &error);
    ASSERT_FALSE(second.isEmpty()) << error.toStdString();
    QVariantMap got = ImageSource(second).properties(0);
    EXPECT_FALSE(section(got, "{GPS}").contains("Altitude"));
    EXPECT_NEAR(section(got, "{GPS}").value("Latitude").toDouble(), 51.50357, 1e-5);
    EXPECT_FALSE(section(got, "{Exif}").contains("LensModel"));
    EXPECT_TRUE(section(got, "{Exif}").contains("LensMake"));
    EXPECT_FALSE(got.contains("{IPTC}"));
    QJsonObject tool = toolView(c.dir.path(), second);
    EXPECT_FALSE(tool.contains("GPS:GPSAltitude"));
    EXPECT_FALSE(tool.contains("ExifIFD:LensModel"));
    EXPECT_FALSE(tool.contains("XMP-dc:Subject"));
    EXPECT_TRUE(tool.contains("GPS:GPSLatitude"));
    // In HEIF the IPTC dates are these XMP dates: they go with it; Exif keeps its own.
    EXPECT_FALSE(tool.contains("XMP-photoshop:DateCreated"));
    EXPECT_FALSE(tool.contains("XMP-xmp:CreateDate"));
    EXPECT_EQ(tool.value("ExifIFD:CreateDate").toString(), QStringLiteral("2020:09:19 14:36:26"));

    QVariantMap noGps = ImageSource(second).properties(0);
    noGps["{GPS}"] = QVariant();
    const QByteArray third = writeHeic(ImageSource(second), noGps, &error);
    ASSERT_FALSE(third.isEmpty()) << error.toStdString();
    got = ImageSource(third).properties(0);
    EXPECT_FALSE(got.contains("{GPS}"));
    EXPECT_EQ(section(got, "{TIFF}").value("Model").toString(), QStringLiteral("iPhone 6s"));
    tool = toolView(c.dir.path(), third);
    EXPECT_FALSE(tool.contains("GPS:GPSLatitude"));
    EXPECT_FALSE(tool.contains("GPS:GPSLatitudeRef"));
    EXPECT_EQ(tool.value("ExifIFD:DateTimeOriginal").toString(),
              QStringLiteral("2020:09:19 14:36:26"));
    EXPECT_TRUE(decodedPixels(third) == decodedPixels(c.bytes));

    // Nothing changed: the bytes come back as they were.
    const QByteArray same = writeHeic(source, source.properties(0), &error);
    EXPECT_EQ(same, c.bytes) << error.toStdString();
}

TEST(HeicWrite, FailuresLeaveTheOutputEmptyWithAReason) {
    HeicCopy c;
    loadCopy(c);
    // libheif reads past a broken box after the image data; exiftool refuses to rewrite it.
    const ImageSource truncated(c.bytes + QByteArray("\xff\xff\xff\x00free", 8) +
                                QByteArray(16, '\0'));
    ASSERT_TRUE(truncated.isValid()) << truncated.errorString().toStdString();
    QVariantMap props = truncated.properties(0);
    QVariantMap exif = section(props, "{Exif}");
    exif["DateTimeOriginal"] = QStringLiteral("2021:03:04 05:06:07");
    props["{Exif}"] = exif;
    QString error;
    EXPECT_TRUE(writeHeic(truncated, props, &error).isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String("Error"))) << error.toStdString();

    // Values that cannot be turned into tags fail before exiftool runs.
    const ImageSource source(c.bytes);
    QVariantMap bad = source.properties(0);
    bad["{GPS}"] = QVariantMap{{"Latitude", "north-ish"}};
    error.clear();
    EXPECT_TRUE(writeHeic(source, bad, &error).isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String("Latitude"))) << error.toStdString();

    QVariantMap noTwin = source.properties(0);
    noTwin["{IPTC}"] = QVariantMap{{"EditStatus", "final"}};
    error.clear();
    EXPECT_TRUE(writeHeic(source, noTwin, &error).isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String("EditStatus"))) << error.toStdString();
}

TEST(HeicWrite, TagNamesFollowExiftool) {
    const QVariantMap original{
        {"{Exif}", QVariantMap{{"DateTimeDigitized", "2020:01:01 00:00:00"}, {"FNumber", 2.2}}},
        {"{TIFF}", QVariantMap{{"Model", "iPhone 6s"}, {"Orientation", 1}}},
        {"{GPS}", QVariantMap{{"Altitude", 3}}}};
    QString error;
    const QStringList args = heifTagArguments(
        original,
        {QVariantMap{{"{Exif}", QVariantMap{{"DateTimeDigitized", "2021:02:03 04:05:06"},
                                            {"FNumber", 2.2},
                                            {"ExposureTime", "1/125"},
                                            {"ISOSpeedRatings", QVariantList{100}},
                                            {"ExifVersion", QVariantList{2, 3, 1}}}},
                     {"{TIFF}", QVariantMap{{"Make", "Apple"}}},
                     {"{GPS}", QVariantMap{{"Latitude", -33.5}, {"TimeStamp", "04:05:06"}}},
                     {"{ExifAux}", QVariantMap{{"LensModel", "Aux Lens"}}},
                     {"{IPTC}", QVariantMap{{"ObjectName", "Title"},
                                            {"Caption/Abstract", "Caption"},
                                            {"By-line", "Me"},
                                            {"Country/PrimaryLocationName", "UK"}}}},
         QVariantMap{{"Orientation", 6}}},
        &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const QStringList expected = {
        "-EXIF:CreateDate=2021:02:03 04:05:06",
        "-EXIF:ExposureTime=0.008",
        "-EXIF:ISO=100",
        "-EXIF:ExifVersion=0231",
        "-EXIF:Orientation=6",
        "-EXIF:Make=Apple",
        "-EXIF:Model=",
        "-EXIF:GPSAltitude=",
        "-EXIF:GPSLatitude=33.5",
        "-EXIF:GPSTimeStamp=04:05:06",
        "-XMP-aux:Lens=Aux Lens",
        "-XMP-dc:Title=Title",
        "-XMP-dc:Description=Caption",
        "-XMP-dc:Creator=Me",
        "-XMP-photoshop:Country=UK",
    };
    for (const QString &e : expected)
        EXPECT_TRUE(args.contains(e))
            << e.toStdString() << " in " << args.join(" | ").toStdString();
    // Unchanged keys are not rewritten; a removed key is removed, not its whole group.
    EXPECT_FALSE(args.join(' ').contains("FNumber"));
    EXPECT_FALSE(args.contains("-GPS:all="));
}

// The XMP copies a HEIC has follow its Exif texts and keywords, as a JPEG's do; a copy it lacks
// is not added, and one an IPTC value already sets is set once.
TEST(HeicWrite, ExifTextsAndKeywordsReachTheXmpCopiesTheFileHas) {
    Exiv2::XmpParser::initialize();
    Exiv2::XmpData xmp;
    xmp["Xmp.dc.creator"] = "Old";
    xmp["Xmp.exifEX.LensModel"] = "Old lens";
    xmp["Xmp.lr.hierarchicalSubject"] = "Old";
    const QVariantMap original{{"{TIFF}", QVariantMap{{"Artist", "Old"}, {"Copyright", "Old"}}},
                               {"{Exif}", QVariantMap{{"LensModel", "Old lens"}}},
                               {"{IPTC}", QVariantMap{{"Keywords", QStringList{"Old"}}}}};
    const auto argsFor = [&](const QVariantMap &change) {
        QString error;
        const QStringList args = heifTagArguments(original, {change}, &error, &xmp);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return args;
    };
    QStringList args = argsFor({{"{TIFF}", QVariantMap{{"Artist", "New"}, {"Copyright", "New"}}},
                                {"{Exif}", QVariantMap{{"LensModel", "New lens"}}},
                                {"{IPTC}", QVariantMap{{"Keywords", QStringList{"A", "B"}}}}});
    args.sort();
    EXPECT_EQ(args,
              (QStringList{"-EXIF:Artist=New", "-EXIF:Copyright=New", "-EXIF:LensModel=New lens",
                           "-XMP-dc:Creator=New", "-XMP-dc:Subject=A", "-XMP-dc:Subject=B",
                           "-XMP-exifEX:LensModel=New lens", "-XMP-lr:HierarchicalSubject=A",
                           "-XMP-lr:HierarchicalSubject=B"}));
    args = argsFor({{"{TIFF}", QVariantMap{{"Artist", "Same"}, {"Copyright", "Old"}}},
                    {"{Exif}", QVariantMap{{"LensModel", "Old lens"}}},
                    {"{IPTC}", QVariantMap{{"By-line", "Same"}}}});
    EXPECT_EQ(args.filter("XMP-dc:Creator"), QStringList{"-XMP-dc:Creator=Same"});
    EXPECT_TRUE(args.contains("-XMP-lr:HierarchicalSubject=")) << args.join(' ').toStdString();
}

TEST(ExiftoolSession, ServesCommandsFromManyThreadsAndRestarts) {
    ExiftoolSession session;
    QByteArray out;
    QString error;
    ASSERT_TRUE(session.run({QStringLiteral("-ver")}, &out, &error)) << error.toStdString();
    const QByteArray version = out.trimmed();
    EXPECT_FALSE(version.isEmpty());

    const QList<int> jobs{1, 2, 3, 4, 5, 6, 7, 8};
    const QList<QByteArray> answers = QtConcurrent::blockingMapped(jobs, [&](int) {
        QByteArray o;
        QString e;
        return session.run({QStringLiteral("-ver")}, &o, &e) ? o.trimmed() : e.toUtf8();
    });
    for (const QByteArray &a : answers)
        EXPECT_EQ(a, version);

    // A command exiftool rejects fails without spoiling the next one.
    EXPECT_FALSE(session.run({QStringLiteral("/no/such/file.heic")}, &out, &error));
    EXPECT_FALSE(error.isEmpty());
    session.shutdown();
    ASSERT_TRUE(session.run({QStringLiteral("-ver")}, &out, &error)) << error.toStdString();
    EXPECT_EQ(out.trimmed(), version);
}

TEST(ExiftoolSession, MissingProgramIsReported) {
    ExiftoolSession session(QStringLiteral("/nonexistent/bin/exiftool"));
    QByteArray out;
    QString error;
    EXPECT_FALSE(session.run({QStringLiteral("-ver")}, &out, &error));
    EXPECT_EQ(error, QStringLiteral("exiftool is not installed"));
}

// Both writers read values through one set of encoders: what one refuses, the other refuses too,
// and what one takes, the other stores as the same value.
TEST(HeicWrite, ValuesAreReadAsTheJpegWriterReadsThem) {
    const ImageSource jpeg = ImageSource::fromPath(fixturePath(QStringLiteral("wedding.jpg")));
    ASSERT_TRUE(jpeg.isValid());
    const QVariantMap refused[] = {
        {{"{Exif}", QVariantMap{{"ExposureTime", "1.5/2"}}}},
        {{"{Exif}", QVariantMap{{"FNumber", "fast"}}}},
        {{"{GPS}", QVariantMap{{"TimeStamp", "25:00:00"}}}},
        {{"{GPS}", QVariantMap{{"Latitude", "200"}}}},
    };
    for (const QVariantMap &change : refused) {
        const QString what = QString::fromUtf8(QJsonDocument::fromVariant(change).toJson());
        QString error;
        EXPECT_TRUE(heifTagArguments({}, {change}, &error).isEmpty()) << what.toStdString();
        EXPECT_FALSE(error.isEmpty()) << what.toStdString();
        QByteArray out;
        ImageDestination destination(&out, jpeg.type(), 1);
        destination.addImageFromSource(jpeg, 0, change);
        EXPECT_FALSE(destination.finalize()) << what.toStdString();
    }

    const QVariantMap taken{{"{Exif}", QVariantMap{{"ExposureTime", " 1/250 "},
                                                   {"ExifVersion", "0230"},
                                                   {"SubjectArea", "10, 20 30"}}},
                            {"{GPS}", QVariantMap{{"TimeStamp", "7:08:09.5"}}}};
    QString error;
    const QStringList args = heifTagArguments({}, {taken}, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(args.contains("-EXIF:ExposureTime=0.004"));
    EXPECT_TRUE(args.contains("-EXIF:ExifVersion=0230"));
    EXPECT_TRUE(args.contains("-EXIF:SubjectArea=10 20 30"));
    EXPECT_TRUE(args.contains("-EXIF:GPSTimeStamp=7:08:09.5"));
    QByteArray out;
    ImageDestination destination(&out, jpeg.type(), 1);
    destination.addImageFromSource(jpeg, 0, taken);
    ASSERT_TRUE(destination.finalize()) << destination.errorString().toStdString();
    const QVariantMap back = ImageSource(out).properties(0);
    EXPECT_DOUBLE_EQ(section(back, "{Exif}").value("ExposureTime").toDouble(), 0.004);
    EXPECT_EQ(section(back, "{Exif}").value("ExifVersion").toList(), (QVariantList{2, 3}));
    EXPECT_EQ(section(back, "{Exif}").value("SubjectArea").toList(), (QVariantList{10, 20, 30}));
    EXPECT_EQ(section(back, "{GPS}").value("TimeStamp").toString(), QStringLiteral("07:08:09.50"));
}
// HEIF files carry IPTC as XMP: the creation date and time are photoshop:DateCreated, the
// digital creation date and time xmp:CreateDate.
TEST(HeicIptcDates, DatesAndTimesGoToTheirXmpPlacesAndReadBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString heic = copyFixture(QStringLiteral("IMG_3092.heic"), dir.path());
    const QByteArray bytes = readAll(heic);
    const ImageSource source(bytes);
    ASSERT_TRUE(source.isValid());
    QVariantMap working = source.properties(0);
    QVariantMap iptc = working.value("{IPTC}").toMap();
    iptc.insert("DateCreated", QStringLiteral("20210304"));
    iptc.insert("TimeCreated", QStringLiteral("050607-0700"));
    iptc.insert("DigitalCreationDate", QStringLiteral("20210303"));
    iptc.insert("DigitalCreationTime", QStringLiteral("220607"));
    working.insert("{IPTC}", iptc);
    QString error;
    const QByteArray out = writeHeic(source, working, &error);
    ASSERT_FALSE(out.isEmpty()) << error.toStdString();
    const QString path = dir.filePath(QStringLiteral("out.heic"));
    ASSERT_TRUE(writeAll(path, out));

    const QJsonObject before = exiftoolAll(heic);
    const QJsonObject after = exiftoolAll(path);
    // Besides the dates only exiftool's own marks change: its name as the XMP writer, the
    // size of the media data that holds the XMP, and the fixture's empty keyword bag, which
    // it does not write again.
    EXPECT_EQ(changedTags(before, after),
              (QStringList{"QuickTime:MediaDataSize", "XMP-dc:Subject", "XMP-photoshop:DateCreated",
                           "XMP-x:XMPToolkit", "XMP-xmp:CreateDate"}));
    EXPECT_EQ(after.value("XMP-photoshop:DateCreated").toString(),
              QStringLiteral("2021:03:04 05:06:07-07:00"));
    EXPECT_EQ(after.value("XMP-xmp:CreateDate").toString(), QStringLiteral("2021:03:03 22:06:07"));

    const ImageSource back(out);
    const QVariantMap got = back.properties(0).value("{IPTC}").toMap();
    EXPECT_EQ(got.value("DateCreated").toString(), QStringLiteral("20210304"));
    EXPECT_EQ(got.value("TimeCreated").toString(), QStringLiteral("050607-0700"));
    EXPECT_EQ(got.value("DigitalCreationDate").toString(), QStringLiteral("20210303"));
    EXPECT_EQ(got.value("DigitalCreationTime").toString(), QStringLiteral("220607"));
    // Read back and written again unchanged, the file stays as it is.
    EXPECT_EQ(writeHeic(back, back.properties(0), &error), out) << error.toStdString();

    // The fixture's own XMP dates read as its IPTC dates: without a zone, the fraction dropped.
    const QVariantMap own = source.properties(0).value("{IPTC}").toMap();
    EXPECT_EQ(own.value("DateCreated").toString(), QStringLiteral("20200919"));
    EXPECT_EQ(own.value("TimeCreated").toString(), QStringLiteral("143626"));
}
