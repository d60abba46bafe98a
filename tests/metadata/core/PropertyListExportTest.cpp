#include "metadata/core/PropertyListExport.h"
#include "support/PlistReader.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

IKImageItemPtr photoItem(const QString &path) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = QFileInfo(path).fileName();
    item->fileThumbPath = path;
    return item;
}

// A JPEG without any metadata.
QString plainJpeg(const QString &dir, const QString &name) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir + QLatin1Char('/') + name;
    image.save(path, "JPEG");
    return path;
}

class PlistExport : public ::testing::Test {
  protected:
    void SetUp() override {
        park = copyFixture("St James Park.jpg", photos.path());
        palm = copyFixture("IMG_1994.JPG", photos.path());
        bare = plainJpeg(photos.path(), "bare.jpg");
        items = {photoItem(park), photoItem(palm), photoItem(bare)};
        storage = store.filePath("Changed Photos");
    }
    QJsonObject exportAndRead(PlistExportKind kind) {
        const PlistExportResult r = exportPhotosToPlist(items, storage, kind);
        EXPECT_TRUE(r.written) << r.reason.toStdString();
        EXPECT_EQ(r.path, storage + "/" + plistExportFileName(kind));
        return readPlistOutside(r.path);
    }
    QTemporaryDir photos, store;
    QString park, palm, bare, storage;
    QList<IKImageItemPtr> items;
};

} // namespace

TEST_F(PlistExport, EachLayoutHoldsItsSections) {
    // The storage folder does not exist yet: the export makes it.
    const QJsonObject tiff = exportAndRead(PlistExportKind::Tiff)["value"].toObject();
    EXPECT_EQ(tiff.keys().size(), 3);
    EXPECT_EQ(tiff["St James Park.jpg"]["Model"]["v"].toString(), "NIKON D7000");
    EXPECT_EQ(tiff["bare.jpg"].toObject().size(), 0);

    const QJsonObject exif = exportAndRead(PlistExportKind::Exif)["value"].toObject();
    EXPECT_EQ(exif["St James Park.jpg"]["DateTimeOriginal"]["v"].toString(), "2018:10:13 09:18:12");
    EXPECT_EQ(exif["IMG_1994.JPG"]["FNumber"]["t"].toString(), "real");
    EXPECT_DOUBLE_EQ(exif["IMG_1994.JPG"]["FNumber"]["v"].toDouble(), 4.0);
    EXPECT_EQ(exif["IMG_1994.JPG"]["ISOSpeedRatings"].toArray().at(0)["t"].toString(), "int");

    const QJsonObject both = exportAndRead(PlistExportKind::ExifAndTiff)["value"].toObject();
    EXPECT_TRUE(both["IMG_1994.JPG"].toObject().contains("{Exif}"));
    EXPECT_TRUE(both["IMG_1994.JPG"].toObject().contains("{TIFF}"));
    EXPECT_FALSE(both["bare.jpg"].toObject().contains("{TIFF}"));

    const QJsonObject gps = exportAndRead(PlistExportKind::ExifAndGps)["value"].toObject();
    EXPECT_EQ(gps["St James Park.jpg"]["{GPS}"]["LatitudeRef"]["v"].toString(), "N");
    EXPECT_EQ(gps["St James Park.jpg"]["{GPS}"]["Latitude"]["t"].toString(), "real");
    EXPECT_FALSE(gps["IMG_1994.JPG"].toObject().contains("{GPS}"));
    EXPECT_TRUE(gps["IMG_1994.JPG"].toObject().contains("{Exif}"));

    const QJsonObject all = exportAndRead(PlistExportKind::AllMetadata)["value"].toObject();
    EXPECT_EQ(all["St James Park.jpg"]["PixelWidth"]["t"].toString(), "int");
    EXPECT_TRUE(all["St James Park.jpg"].toObject().contains("{IPTC}"));
    EXPECT_EQ(all["St James Park.jpg"]["{IPTC}"]["Keywords"].toArray().size(), 6);
}

TEST_F(PlistExport, EmptySelectionStillWritesAnEmptyRoot) {
    const PlistExportResult r = exportPhotosToPlist({}, storage, PlistExportKind::Exif);
    ASSERT_TRUE(r.written);
    EXPECT_EQ(readPlistOutside(r.path)["value"].toObject().size(), 0);
}

TEST_F(PlistExport, SameNamesAndUnreadablePhotosAreReported) {
    QTemporaryDir other;
    QDir(other.path()).mkdir("b");
    // Another photo under the name of the first, later in the list.
    const QString twin = copyFixture("wedding.jpg", other.path() + "/b");
    QFile::rename(twin, other.path() + "/b/St James Park.jpg");
    auto later = photoItem(other.path() + "/b/St James Park.jpg");
    auto broken = photoItem(other.path() + "/broken.jpg");
    QFile f(broken->filePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a photo");
    f.close();
    items << later << broken;

    const PlistExportResult r = exportPhotosToPlist(items, storage, PlistExportKind::Tiff);
    ASSERT_TRUE(r.written);
    EXPECT_EQ(r.duplicateNames, QStringList{"St James Park.jpg"});
    EXPECT_EQ(r.unreadable, QStringList{"broken.jpg"});
    const QJsonObject root = readPlistOutside(r.path)["value"].toObject();
    EXPECT_EQ(root["St James Park.jpg"]["Model"]["v"].toString(), "NIKON D810");
    EXPECT_FALSE(root.contains("broken.jpg"));
}

TEST_F(PlistExport, AWriteThatFailsIsReported) {
    // A file where the storage folder should be.
    const QString blocked = store.filePath("blocked");
    QFile f(blocked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const PlistExportResult r = exportPhotosToPlist(items, blocked, PlistExportKind::Exif);
    EXPECT_FALSE(r.written);
    EXPECT_FALSE(r.reason.isEmpty());
}

TEST_F(PlistExport, TemplateHoldsItsTwentyFiveKeysInOrder) {
    const QHash<QString, QString> texts{{"artistlab", "Ann"},
                                        {"gpsLatilab", "48.8566"},
                                        {"gpsLongtlab", "-0.1318"},
                                        {"imageISOSpeedlab", "200"}};
    const auto dict =
        templateDictionary([&](const char *field) { return texts.value(QLatin1String(field)); });
    QString error;
    const QString path = writeTemplatePlist(storage, dict, &error);
    ASSERT_EQ(path, storage + "/templatefile.plist") << error.toStdString();
    const QJsonObject outside = readPlistOutside(path);
    const QStringList expected{"Artist",
                               "ImageDescription",
                               "Copyright",
                               "Make",
                               "Model",
                               "LensMake",
                               "LensModel",
                               "LensSerialNumber",
                               "Orientation",
                               "ISOSpeedRatings",
                               "FNumber",
                               "FocalLenIn35mmFilm",
                               "BrightnessValue",
                               "ApertureValue",
                               "WhiteBalance",
                               "ExposureTime",
                               "DateTimeDigitized",
                               "UserComment",
                               "Keywords",
                               "ObjectName",
                               "Altitude",
                               "Latitude",
                               "LatitudeRef",
                               "Longitude",
                               "LongitudeRef"};
    QStringList keys;
    for (const auto &k : outside["keys"].toArray())
        keys << k.toString();
    EXPECT_EQ(keys, expected);
    const QJsonObject v = outside["value"].toObject();
    EXPECT_EQ(v["Artist"]["v"].toString(), "Ann");
    EXPECT_EQ(v["ISOSpeedRatings"]["t"].toString(), "str");
    EXPECT_EQ(v["Altitude"]["t"].toString(), "str");
    EXPECT_EQ(v["Altitude"]["v"].toString(), "");
    EXPECT_EQ(v["Latitude"]["t"].toString(), "real");
    EXPECT_DOUBLE_EQ(v["Latitude"]["v"].toDouble(), 48.856601715087891);
    EXPECT_EQ(v["LatitudeRef"]["v"].toString(), "N");
    EXPECT_LT(v["Longitude"]["v"].toDouble(), 0);
    EXPECT_EQ(v["LongitudeRef"]["v"].toString(), "W");

    // A never filled sheet still gives every key; its coordinates are 0 "N" and 0 "E".
    const auto empty = templateDictionary([](const char *) { return QString(); });
    ASSERT_EQ(empty.size(), 25);
    EXPECT_EQ(empty.at(21).second.toDouble(), 0.0);
    EXPECT_EQ(empty.at(22).second.toString(), "N");
    EXPECT_EQ(empty.at(24).second.toString(), "E");
    const auto south = templateDictionary(
        [](const char *f) { return QLatin1String(f) == "gpsLatilab" ? "-33.9" : QString(); });
    EXPECT_EQ(south.at(21).second.toDouble(), double(-33.9f));
    EXPECT_EQ(south.at(22).second.toString(), "S");
}

TEST_F(PlistExport, ShownPhotoFileIsNamedAfterItsBaseName) {
    QString error;
    const QVariantMap props{{"PixelWidth", 10}, {"{TIFF}", QVariantMap{{"Make", "Canon"}}}};
    const QString path = writeShownPhotoPlist(storage, "IMG_1.JPG", props, &error);
    EXPECT_EQ(path, storage + "/IMG_1.plist");
    const QJsonObject shown = readPlistOutside(path)["value"].toObject();
    EXPECT_EQ(shown["{TIFF}"]["Make"]["v"].toString(), "Canon");
    // A name is never taken as a path.
    EXPECT_EQ(writeShownPhotoPlist(storage, "../../evil.JPG", props, &error),
              storage + "/evil.plist");
    EXPECT_TRUE(writeShownPhotoPlist(storage, QString(), props, &error).isEmpty());
}
