// Each removal takes away exactly its keys, checked with our reader and with exiftool.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "metadata/core/MetadataRemoval.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/DatedPhotos.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList groupKeys(const QJsonObject &json, const QString &group) {
    QStringList out;
    for (auto it = json.begin(); it != json.end(); ++it)
        if (it.key().startsWith(group + ':'))
            out << it.key();
    return out;
}

class Removal : public ::testing::Test {
  protected:
    // `planted`: exiftool assignments made in the copy before the removal.
    QString removeFrom(const QString &fixture, MetadataRemoval removal,
                       const QStringList &planted = {}) {
        const QString photo = copyFixture(fixture, dir.path());
        if (!planted.isEmpty()) {
            EXPECT_TRUE(exiftoolWrite(photo, planted));
        }
        WriteRecipeOptions o;
        o.change = [removal](QVariantMap &w, const IKImageItem &) {
            applyLocalRemoval(w, removal);
            return true;
        };
        o.destinationDictionary.clear();
        const WriteRecipeReport r = runWriteRecipe({itemFor(photo)}, dir.filePath("out"), false, o);
        EXPECT_EQ(r.writtenCount(), 1) << r.notWritten().join(';').toStdString();
        return dir.filePath("out/" + fixture);
    }
    QTemporaryDir dir;
};

} // namespace

TEST(RemovalKeys, AllMetadataListAndCameraNames) {
    const QStringList keys = allMetadataDictionaryKeys();
    EXPECT_EQ(keys.size(), 17);
    EXPECT_EQ(keys.first(), "{Exif}");
    EXPECT_EQ(keys.last(), "{OpenEXR}");
    EXPECT_FALSE(keys.contains("Orientation"));
    EXPECT_EQ(cameraRemovalPrefix(MetadataRemoval::AllMetadata), "NoExifAndGPS_");
    EXPECT_EQ(cameraRemovalPrefix(MetadataRemoval::Tiff), "NoIPTC_");
    EXPECT_EQ(cameraRemovalPrefix(MetadataRemoval::Exif), "NoExif_");
    EXPECT_EQ(cameraRemovalPrefix(MetadataRemoval::Gps), "NoGPS_");
    EXPECT_EQ(cameraRemovalProperties(MetadataRemoval::AllMetadata).keys(),
              (QStringList{"{Exif}", "{GPS}"}));
}

TEST(RemovalKeys, TagStrippingNeverAddsTags) {
    QVariantMap w{{"{TIFF}", QVariantMap{{"Make", "X"}}},
                  {"{IPTC}", QVariantMap{{"DateCreated", "20200101"}, {"City", "Oslo"}}},
                  {"{GPS}", QVariantMap{{"Latitude", 1.0}, {"DateStamp", "2020:01:01"}}}};
    applyLocalRemoval(w, MetadataRemoval::Exif);
    const QVariantMap tiff = w.value("{TIFF}").toMap();
    EXPECT_EQ(tiff, (QVariantMap{{"Make", "X"}})); // no DateTime: left as it was
    const QVariantMap iptc = w.value("{IPTC}").toMap();
    EXPECT_TRUE(iptc.value("DateCreated").isNull());
    EXPECT_FALSE(iptc.contains("TimeCreated"));
    EXPECT_EQ(iptc.value("City").toString(), "Oslo");
    EXPECT_TRUE(w.value("{GPS}").toMap().value("DateStamp").isNull());
    EXPECT_FALSE(w.value("{GPS}").toMap().contains("TimeStamp"));
    EXPECT_TRUE(w.contains("{Exif}") && w.value("{Exif}").isNull());
    EXPECT_TRUE(w.contains("{ExifAux}") && w.value("{ExifAux}").isNull());
}

TEST_F(Removal, ExifGoesButThePositionStays) {
    const QString out = removeFrom("St James Park.jpg", MetadataRemoval::Exif);
    const QVariantMap p = propertiesOf(out);
    EXPECT_FALSE(p.contains("{Exif}"));
    const QVariantMap gps = p.value("{GPS}").toMap();
    EXPECT_NEAR(gps.value("Latitude").toDouble(), 51.5036, 1e-3);
    EXPECT_EQ(p.value("{TIFF}").toMap().value("Artist").toString(), "Jeff Hitchcock");
    EXPECT_FALSE(p.value("{TIFF}").toMap().contains("DateTime"));
    EXPECT_FALSE(p.value("{IPTC}").toMap().contains("DateCreated"));
    EXPECT_EQ(p.value("{IPTC}").toMap().value("ObjectName").toString(), "St. James's Park");
    const QJsonObject json = exiftool(out);
    EXPECT_FALSE(json.contains("EXIF:DateTimeOriginal"));
    EXPECT_FALSE(json.contains("EXIF:ModifyDate"));
    EXPECT_FALSE(json.contains("IPTC:DateCreated"));
    EXPECT_EQ(json.value("EXIF:GPSLatitudeRef").toString(), "North");
}

TEST_F(Removal, ExifAndGpsTakeBothAndTheDatesOnly) {
    const QString out = removeFrom("St James Park.jpg", MetadataRemoval::ExifAndGps);
    const QJsonObject json = exiftool(out);
    EXPECT_FALSE(json.contains("EXIF:GPSLatitude"));
    EXPECT_FALSE(json.contains("EXIF:ExposureTime"));
    EXPECT_FALSE(json.contains("IPTC:DateCreated"));
    EXPECT_EQ(json.value("EXIF:Make").toString(), "NIKON CORPORATION");
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park");
}

TEST_F(Removal, GpsAloneLeavesExif) {
    const QString out = removeFrom("St James Park.jpg", MetadataRemoval::Gps);
    const QJsonObject json = exiftool(out);
    EXPECT_TRUE(groupKeys(json, "EXIF").filter("GPS").isEmpty());
    EXPECT_EQ(json.value("EXIF:DateTimeOriginal").toString(), "2018:10:13 09:18:12");
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park");
}

// A viewer that prefers XMP found the position in its exif:GPS copies after the removal.
TEST_F(Removal, GpsLeavesNoXmpCopyOfThePosition) {
    for (const char *fixture : {"St James Park.jpg", "IMG_3092.heic"}) {
        SCOPED_TRACE(fixture);
        const QString out = removeFrom(
            fixture, MetadataRemoval::Gps,
            {"-GPSLatitude=51.5", "-GPSLatitudeRef=N", "-GPSLongitude=0.13", "-GPSLongitudeRef=W",
             "-XMP-exif:GPSLatitude=51.5", "-XMP-exif:GPSLongitude=-0.13",
             "-XMP-exif:GPSAltitude=3", "-XMP-exif:GPSMapDatum=WGS-84", "-XMP-dc:Title=Park"});
        const QJsonObject json = exiftoolJson(out, {"-G1", "-a"});
        EXPECT_TRUE(json.keys().filter("GPS").isEmpty()) << json.keys().join(' ').toStdString();
        EXPECT_EQ(json.value("XMP-dc:Title").toString(), "Park");
    }
}

TEST_F(Removal, IptcLeavesNoCopyForAReaderToFind) {
    const QString out = removeFrom("St James Park.jpg", MetadataRemoval::Iptc);
    const QJsonObject json = exiftool(out);
    EXPECT_TRUE(groupKeys(json, "IPTC").isEmpty());
    EXPECT_FALSE(json.contains("XMP:Title"));
    EXPECT_EQ(json.value("EXIF:Artist").toString(), "Jeff Hitchcock");
    EXPECT_EQ(json.value("EXIF:GPSLatitudeRef").toString(), "North");
}

TEST_F(Removal, TiffTakesTheImageTagsButNotTheOrientation) {
    const QString out = removeFrom("wedding.jpg", MetadataRemoval::IptcAndTiff);
    const QJsonObject json = exiftool(out);
    EXPECT_FALSE(json.contains("EXIF:ImageDescription"));
    EXPECT_FALSE(json.contains("EXIF:Make"));
    EXPECT_TRUE(groupKeys(json, "IPTC").isEmpty());
    EXPECT_EQ(json.value("EXIF:DateTimeOriginal").toString(), "2019:04:15 14:40:24");
}

TEST_F(Removal, AllMetadataKeepsTheOrientationAndThePixels) {
    const QString photo = copyFixture("wedding.jpg", dir.path());
    // Give the photo an orientation first, so keeping it is seen.
    WriteRecipeOptions turn;
    turn.change = [](QVariantMap &w, const IKImageItem &) {
        w["Orientation"] = 8;
        return true;
    };
    ASSERT_EQ(runWriteRecipe({itemFor(photo)}, dir.filePath("turned"), false, turn).writtenCount(),
              1);
    WriteRecipeOptions o;
    o.change = [](QVariantMap &w, const IKImageItem &) {
        applyLocalRemoval(w, MetadataRemoval::AllMetadata);
        return true;
    };
    o.destinationDictionary.clear();
    ASSERT_EQ(
        runWriteRecipe({itemFor(dir.filePath("turned/wedding.jpg"))}, dir.filePath("out"), false, o)
            .writtenCount(),
        1);
    const QVariantMap p = propertiesOf(dir.filePath("out/wedding.jpg"));
    EXPECT_EQ(p.value("Orientation").toInt(), 8);
    EXPECT_EQ(p.value("PixelWidth").toInt(), 2048);
    for (const char *key : {"{Exif}", "{GPS}", "{IPTC}", "{ExifAux}"})
        EXPECT_FALSE(p.contains(key)) << key;
    EXPECT_EQ(p.value("{TIFF}").toMap().keys(), QStringList{"Orientation"});
}

TEST(RemovalAction, EmptySelectionAsksAndTheOriginalIsNeverReplaced) {
    QTemporaryDir dir;
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QStringList revealed;
    Workspace::setRevealer([&](const QString &p, const QString &) { revealed << p; });
    clearUserDefaults();
    userDefaults()->setValue("storagePath", dir.filePath("out"));
    userDefaults()->setValue("PhotoOverWrite", true);
    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
    {
        AppDelegate d;
        d.launch();
        const QString a = copyFixture("St James Park.jpg", dir.path());
        QFile f(a);
        f.open(QIODevice::ReadOnly);
        const QByteArray before = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
        f.close();
        d.localPhotoItemArray = {itemFor(a)};
        QStandardItemModel model(1, 1);
        d.mainWindow.localImageBrowserView->setModel(&model);
        d.metadataMenus.RemoveGPSDataFromPhoto();
        ASSERT_TRUE(waitForJobs(d));
        QMessageBox *sheet = d.window->findChild<QMessageBox *>();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->text(), "No Item has been selected");
        EXPECT_EQ(sheet->informativeText(), "Please select at least one item to process.");
        sheet->close();

        d.mainWindow.localImageBrowserView->selectionModel()->select(model.index(0, 0),
                                                                     QItemSelectionModel::Select);
        d.metadataMenus.RemoveGPSDataFromPhoto();
        ASSERT_TRUE(waitForJobs(d));
        f.open(QIODevice::ReadOnly);
        EXPECT_EQ(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256), before);
        EXPECT_EQ(revealed, QStringList{dir.filePath("out/St James Park.jpg")});
        EXPECT_FALSE(propertiesOf(dir.filePath("out/St James Park.jpg")).contains("{GPS}"));
        d.mainWindow.localImageBrowserView->setModel(nullptr);
    }
    Workspace::setRevealer({});
    Workspace::setUrlOpener({});
}
