#include "metadata/core/PropertyListImport.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"
#include "support/PlistReader.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

IKImageItemPtr importItem(const QString &path) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = QFileInfo(path).fileName();
    item->fileThumbPath = path;
    return item;
}

void writeText(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString writePlist(const QString &path, const QVariant &root) {
    QString error;
    EXPECT_TRUE(PropertyList::writeXml(path, root, &error)) << error.toStdString();
    return path;
}

class PlistImport : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(work.path()).mkpath("a");
        QDir(work.path()).mkpath("b");
        storage = work.filePath("out");
        exported = work.filePath("exported");
    }
    // `fixture` copied into folder `sub` under the name `name`.
    QString photo(const QString &fixture, const QString &sub, const QString &name) {
        const QString copy = copyFixture(fixture, work.filePath(sub));
        const QString target = work.filePath(sub + "/" + name);
        if (copy != target)
            QFile::rename(copy, target);
        return target;
    }
    QTemporaryDir work;
    QString storage, exported;
};

} // namespace

TEST_F(PlistImport, ExifRoundTripGoesOnlyToPhotosOfTheSameName) {
    const QString a = photo("St James Park.jpg", "a", "shot.jpg");
    const PlistExportResult r =
        exportPhotosToPlist({importItem(a)}, exported, PlistExportKind::Exif);
    ASSERT_TRUE(r.written);
    const PerPhotoPlist file = loadPerPhotoPlist(r.path, PlistExportKind::Exif);
    ASSERT_TRUE(file.ok) << file.reason.toStdString();

    // Another camera's photo under the same name takes the whole "{Exif}"; one of another
    // name is left alone.
    const QString b = photo("IMG_1994.JPG", "b", "shot.jpg");
    const QString c = photo("wedding.jpg", "b", "other.jpg");
    const PlistImportResult result = importPerPhotoPlist(
        {importItem(b), importItem(c)}, storage, false, PlistExportKind::Exif, file, QString());
    EXPECT_EQ(result.notInFile, QStringList{"other.jpg"});
    ASSERT_EQ(result.report.writtenCount(), 1)
        << result.report.notWritten().join(";").toStdString();
    const QVariantMap exifA = propertiesOf(a).value("{Exif}").toMap();
    const QVariantMap exifB = propertiesOf(storage + "/shot.jpg").value("{Exif}").toMap();
    EXPECT_EQ(exifB.value("DateTimeOriginal"), exifA.value("DateTimeOriginal"));
    EXPECT_EQ(exifB.value("ISOSpeedRatings").toList().value(0).toInt(), 200);
    // IMG_1994's F-number is not in the entry and does not survive.
    EXPECT_EQ(exifB.value("FNumber"), exifA.value("FNumber"));
    EXPECT_FALSE(QFile::exists(storage + "/other.jpg"));
    const QJsonObject outside = exiftoolNumbers(storage + "/shot.jpg");
    EXPECT_EQ(outside.value("ExifIFD:DateTimeOriginal").toString(), "2018:10:13 09:18:12");
    EXPECT_EQ(outside.value("IFD0:Model").toString(), "Canon PowerShot G10");
}

TEST_F(PlistImport, TiffImportTakesTheEntryByNameOrTheFirst) {
    const QString a = photo("St James Park.jpg", "a", "park.jpg");
    const QString w = photo("wedding.jpg", "a", "wedding.jpg");
    // The wedding photo first in the file, whatever the sorting of names.
    const QVariantMap park = propertiesOf(a).value("{TIFF}").toMap();
    const QVariantMap wedding = propertiesOf(w).value("{TIFF}").toMap();
    const PropertyList::OrderedDictionary root{{"zz.jpg", wedding}, {"park.jpg", park}};
    const QString path = writePlist(work.filePath("tiff.plist"), QVariant::fromValue(root));
    const PerPhotoPlist file = loadPerPhotoPlist(path, PlistExportKind::Tiff);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(plistEntryForPhoto(file, PlistExportKind::Tiff, "park.jpg")->value("Model"),
              "NIKON D7000");
    EXPECT_EQ(plistEntryForPhoto(file, PlistExportKind::Tiff, "IMG_9.JPG")->value("Model"),
              "NIKON D810");
    EXPECT_FALSE(plistEntryForPhoto(file, PlistExportKind::Exif, "IMG_9.JPG"));

    const QString b = photo("IMG_1994.JPG", "b", "IMG_9.JPG");
    const PlistImportResult result = importPerPhotoPlist(
        {importItem(b)}, storage, false, PlistExportKind::Tiff, file, "2020:05:06 07:08:09");
    ASSERT_EQ(result.report.writtenCount(), 1);
    const QString out = storage + "/IMG_9.JPG";
    EXPECT_EQ(propertiesOf(out).value("{TIFF}").toMap().value("Model"), "NIKON D810");
    // The edit sheet's camera date becomes the file dates.
    EXPECT_EQ(FileDates::modificationDate(out).toString("yyyy:MM:dd HH:mm:ss"),
              "2020:05:06 07:08:09");
    EXPECT_EQ(propertiesOf(b).value("{TIFF}").toMap().value("Model"), "Canon PowerShot G10");
}

TEST_F(PlistImport, ExifAndTiffEntryWithoutTiffKeepsThePhotosTiff) {
    const QString b = photo("IMG_1994.JPG", "b", "IMG_1994.JPG");
    const QVariantMap exif{{"DateTimeOriginal", "2001:02:03 04:05:06"}};
    const QString path = writePlist(work.filePath("et.plist"),
                                    QVariantMap{{"IMG_1994.JPG", QVariantMap{{"{Exif}", exif}}}});
    const PerPhotoPlist file = loadPerPhotoPlist(path, PlistExportKind::ExifAndTiff);
    ASSERT_TRUE(file.ok);
    const PlistImportResult result = importPerPhotoPlist(
        {importItem(b)}, storage, false, PlistExportKind::ExifAndTiff, file, "not a date");
    ASSERT_EQ(result.report.writtenCount(), 1);
    const QVariantMap props = propertiesOf(storage + "/IMG_1994.JPG");
    EXPECT_EQ(props.value("{Exif}").toMap().value("DateTimeOriginal"), "2001:02:03 04:05:06");
    EXPECT_EQ(props.value("{TIFF}").toMap().value("Model"), "Canon PowerShot G10");
}

TEST_F(PlistImport, ExifAndGpsRoundTripFromABinaryFile) {
    const QString a = photo("St James Park.jpg", "a", "x.jpg");
    const PlistExportResult r =
        exportPhotosToPlist({importItem(a)}, exported, PlistExportKind::ExifAndGps);
    ASSERT_TRUE(r.written);
    const QString binary = work.filePath("gps.bplist");
    ASSERT_TRUE(convertToBinaryPlist(r.path, binary));
    const PerPhotoPlist file = loadPerPhotoPlist(binary, PlistExportKind::ExifAndGps);
    ASSERT_TRUE(file.ok) << file.reason.toStdString();
    const QString b = photo("IMG_1994.JPG", "b", "x.jpg");
    const PlistImportResult result = importPerPhotoPlist(
        {importItem(b)}, storage, false, PlistExportKind::ExifAndGps, file, QString());
    ASSERT_EQ(result.report.writtenCount(), 1);
    const QJsonObject outside = exiftoolNumbers(storage + "/x.jpg");
    EXPECT_NEAR(outside.value("GPS:GPSLatitude").toDouble(), 51.503572, 1e-5);
    EXPECT_EQ(outside.value("GPS:GPSLatitudeRef").toString(), "N");
    EXPECT_NEAR(outside.value("GPS:GPSLongitude").toDouble(), 0.131806, 1e-5);
}

TEST_F(PlistImport, AllMetadataEntryBecomesThePhotosMetadata) {
    const QString a = photo("Fritest.jpeg", "a", "f.jpeg");
    const PlistExportResult r =
        exportPhotosToPlist({importItem(a)}, exported, PlistExportKind::AllMetadata);
    const PerPhotoPlist file = loadPerPhotoPlist(r.path, PlistExportKind::AllMetadata);
    ASSERT_TRUE(file.ok);
    const QString b = photo("wedding.jpg", "b", "f.jpeg");
    const PlistImportResult result = importPerPhotoPlist(
        {importItem(b)}, storage, false, PlistExportKind::AllMetadata, file, QString());
    ASSERT_EQ(result.report.writtenCount(), 1)
        << result.report.notWritten().join(";").toStdString();
    const QVariantMap props = propertiesOf(storage + "/f.jpeg");
    EXPECT_EQ(props.value("{TIFF}").toMap().value("Model"), "iPhone 11 Pro");
    EXPECT_EQ(props.value("{IPTC}").toMap().value("ObjectName"), QStringLiteral("Frítest"));
    EXPECT_EQ(props.value("{Exif}").toMap().value("DateTimeOriginal"), "2021:09:05 19:41:12");
}

TEST_F(PlistImport, FilesOfTheWrongShapeAreRefused) {
    const std::pair<const char *, QByteArray> broken[] = {
        {"empty.plist", QByteArray()},
        {"text.plist", "hello"},
        {"array.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"},
        {"nothing.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>"},
    };
    for (const auto &[name, bytes] : broken) {
        writeText(work.filePath(name), bytes);
        for (PlistExportKind kind : {PlistExportKind::Tiff, PlistExportKind::AllMetadata}) {
            const PerPhotoPlist file = loadPerPhotoPlist(work.filePath(name), kind);
            EXPECT_FALSE(file.ok) << name;
            EXPECT_FALSE(file.reason.isEmpty()) << name;
        }
        EXPECT_FALSE(loadTemplatePlist(work.filePath(name)).ok) << name;
    }
    // A template chosen for a per-photo import, and the other way round.
    const QString tpl =
        writePlist(work.filePath("t.plist"), QVariantMap{{"Artist", "Ann"}, {"Latitude", 1.0}});
    EXPECT_FALSE(loadPerPhotoPlist(tpl, PlistExportKind::Exif).ok);
    const QString both = writePlist(
        work.filePath("both.plist"),
        QVariantMap{{"a.jpg", QVariantMap{{"{Exif}", QVariantMap{{"ISOSpeedRatings", 100}}}}}});
    EXPECT_FALSE(loadTemplatePlist(both).ok);
    // Whole sections where an Exif import expects tags; a section that is not a dictionary.
    EXPECT_FALSE(loadPerPhotoPlist(both, PlistExportKind::Exif).ok);
    EXPECT_TRUE(loadPerPhotoPlist(both, PlistExportKind::ExifAndTiff).ok);
    const QString odd = writePlist(work.filePath("odd.plist"),
                                   QVariantMap{{"a.jpg", QVariantMap{{"{Exif}", "text"}}}});
    EXPECT_FALSE(loadPerPhotoPlist(odd, PlistExportKind::ExifAndGps).ok);
    // Template values of the wrong kind.
    EXPECT_FALSE(
        loadTemplatePlist(writePlist(work.filePath("n.plist"), QVariantMap{{"Artist", 5}})).ok);
    EXPECT_FALSE(loadTemplatePlist(writePlist(work.filePath("d.plist"),
                                              QVariantMap{{"DateTimeDigitized", "yesterday"}}))
                     .ok);
    EXPECT_FALSE(
        loadTemplatePlist(writePlist(work.filePath("l.plist"), QVariantMap{{"Latitude", "north"}}))
            .ok);
}

TEST_F(PlistImport, EmptyTemplateKeepsValuesAndWritesNoPosition) {
    const auto dict = templateDictionary([](const char *) { return QString(); });
    QString error;
    const QString path = writeTemplatePlist(work.filePath("tpl"), dict, &error);
    const TemplatePlist tpl = loadTemplatePlist(path);
    ASSERT_TRUE(tpl.ok) << tpl.reason.toStdString();
    EXPECT_FALSE(tpl.hasPosition);

    const QString p = photo("IMG_1994.JPG", "a", "IMG_1994.JPG");
    const WriteRecipeReport report = importTemplatePlist({importItem(p)}, storage, false, tpl);
    ASSERT_EQ(report.writtenCount(), 1) << report.notWritten().join(";").toStdString();
    const QVariantMap props = propertiesOf(storage + "/IMG_1994.JPG");
    EXPECT_EQ(props.value("{TIFF}").toMap().value("Model"), "Canon PowerShot G10");
    EXPECT_EQ(props.value("{Exif}").toMap().value("DateTimeOriginal"), "2020:04:15 10:25:51");
    EXPECT_DOUBLE_EQ(props.value("{Exif}").toMap().value("FNumber").toDouble(), 4.0);
    EXPECT_FALSE(props.contains("{GPS}"));
    EXPECT_TRUE(props.value("{IPTC}").toMap().value("Keywords").toList().isEmpty());
}

TEST_F(PlistImport, TemplateValuesReachTheirSections) {
    const QHash<QString, QString> texts{
        {"artistlab", "Ann Example"}, {"cameraDatelab", "2021-01-02 03:04:05"},
        {"imageISOSpeedlab", "400"},  {"imageOrientationlab", "1"},
        {"keywordslab", "sea, sky"},  {"titlelab", "Shore"},
        {"lensModellab", "50mm"},     {"gpsLatilab", "-33.9"},
        {"gpsLongtlab", "18.4"}};
    const auto dict =
        templateDictionary([&](const char *f) { return texts.value(QLatin1String(f)); });
    QString error;
    const TemplatePlist tpl =
        loadTemplatePlist(writeTemplatePlist(work.filePath("tpl"), dict, &error));
    ASSERT_TRUE(tpl.ok) << tpl.reason.toStdString();
    ASSERT_TRUE(tpl.hasPosition);

    // A photo with sections, and one without any metadata.
    const QString park = photo("St James Park.jpg", "a", "park.jpg");
    const QString bare = work.filePath("a/bare.jpg");
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(bare, "JPEG"));
    const WriteRecipeReport report =
        importTemplatePlist({importItem(park), importItem(bare)}, storage, false, tpl);
    ASSERT_EQ(report.writtenCount(), 2) << report.notWritten().join(";").toStdString();

    for (const QString &name : {QString("park.jpg"), QString("bare.jpg")}) {
        const QString out = storage + "/" + name;
        const QVariantMap props = propertiesOf(out);
        const QVariantMap exif = props.value("{Exif}").toMap();
        EXPECT_EQ(exif.value("DateTimeDigitized"), "2021:01:02 03:04:05") << name.toStdString();
        EXPECT_EQ(exif.value("LensModel"), "50mm");
        EXPECT_EQ(exif.value("ISOSpeedRatings").toList().value(0).toInt(), 400);
        EXPECT_EQ(props.value("{TIFF}").toMap().value("Artist"), "Ann Example");
        EXPECT_EQ(props.value("Orientation").toInt(), 1);
        EXPECT_EQ(props.value("{IPTC}").toMap().value("Keywords").toStringList(),
                  (QStringList{"sea", "sky"}));
        EXPECT_EQ(props.value("{IPTC}").toMap().value("ObjectName"), "Shore");
        const QVariantMap gps = props.value("{GPS}").toMap();
        EXPECT_NEAR(gps.value("Latitude").toDouble(), 33.9, 1e-5);
        EXPECT_EQ(gps.value("LatitudeRef"), "S");
        EXPECT_NEAR(gps.value("Longitude").toDouble(), 18.4, 1e-5);
        EXPECT_EQ(gps.value("LongitudeRef"), "E");
        const QJsonObject outside = exiftoolNumbers(out);
        EXPECT_EQ(outside.value("IFD0:Artist").toString(), "Ann Example");
        // No speed or heading is made up for a position that came without them.
        EXPECT_FALSE(outside.contains("GPS:GPSSpeed"));
        EXPECT_FALSE(outside.contains("GPS:GPSTrack"));
    }
    // Values the template did not fill stay as they were.
    EXPECT_EQ(propertiesOf(storage + "/park.jpg").value("{TIFF}").toMap().value("Model"),
              "NIKON D7000");
    // The original is untouched.
    EXPECT_EQ(propertiesOf(park).value("{TIFF}").toMap().value("Artist"),
              QVariant(propertiesOf(park).value("{TIFF}").toMap().value("Artist")));
    EXPECT_NE(propertiesOf(park).value("{GPS}").toMap().value("LatitudeRef"), "S");
}
