// Each removal takes away exactly its keys, checked with our reader and with exiftool.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/MetadataMenus.h"
#include "metadata/core/GpsChanges.h"
#include "metadata/core/MetadataRemoval.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
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
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

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
        return rewrite(photo, [removal](QVariantMap &w) { applyLocalRemoval(w, removal); });
    }
    // The photo's copy in "out" after `change`.
    QString rewrite(const QString &photo, std::function<void(QVariantMap &)> change) {
        WriteRecipeOptions o;
        o.change = [change](QVariantMap &w, const IKImageItem &) {
            change(w);
            return true;
        };
        o.destinationDictionary.clear();
        o.addsUp = false;
        const WriteRecipeReport r = runWriteRecipe({itemFor(photo)}, dir.filePath("out"), false, o);
        EXPECT_EQ(r.writtenCount(), 1) << r.notWritten().join(';').toStdString();
        return dir.filePath("out/" + QFileInfo(photo).fileName());
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

// A viewer that prefers XMP found the position in its exif:GPS copies after the removal, and
// a position kept in XMP alone (as some programs write it) stayed while the photo was reported
// written. That position is the photo's to our reader; an edit of something else leaves it
// where it is without adding an Exif copy, a move takes it along, and a removal takes it from
// every group, in JPEG, PNG and HEIC alike.
TEST_F(Removal, GpsTakesThePositionFromEveryGroupThatHoldsIt) {
    const QString png = dir.filePath("drawing.png");
    QImage pixels(24, 16, QImage::Format_RGB32);
    pixels.fill(Qt::darkCyan);
    ASSERT_TRUE(pixels.save(png, "PNG"));
    const QStringList inExif = {"-GPSLatitude=51.5",  "-GPSLatitudeRef=N", "-GPSLongitude=0.13",
                                "-GPSLongitudeRef=W", "-GPSAltitude=3",    "-GPSAltitudeRef=0"};
    const QStringList inXmp = {"-XMP-exif:GPSLatitude=51.5", "-XMP-exif:GPSLongitude=-0.13",
                               "-XMP-exif:GPSAltitude=3", "-XMP-exif:GPSMapDatum=WGS-84"};
    const auto positionTags = [](const QJsonObject &json) { return json.keys().filter("GPS"); };
    for (const QString &base : {fixturePath("wedding.jpg"), png, fixturePath("IMG_3092.heic")}) {
        for (const auto &[where, planted] : {std::pair{"xmp", inXmp}, std::pair{"exif", inExif},
                                             std::pair{"both", inExif + inXmp}}) {
            const QString photo =
                dir.filePath(QStringLiteral("%1-%2").arg(where, QFileInfo(base).fileName()));
            SCOPED_TRACE(photo.toStdString());
            ASSERT_TRUE(QFile::copy(base, photo));
            QFile::setPermissions(photo, QFile::ReadOwner | QFile::WriteOwner);
            ASSERT_TRUE(exiftoolWrite(photo, planted + QStringList{"-XMP-dc:Title=Park"}));
            const QJsonObject before = exiftoolAll(photo);
            ASSERT_EQ(before.contains("GPS:GPSLatitude"), where != QLatin1String("xmp"));
            ASSERT_EQ(before.contains("XMP-exif:GPSLatitude"), where != QLatin1String("exif"));
            const QVariantMap gps = propertiesOf(photo).value("{GPS}").toMap();
            EXPECT_NEAR(gps.value("Latitude").toDouble(), 51.5, 1e-6);
            EXPECT_EQ(gps.value("LongitudeRef").toString(), "W");
            EXPECT_NEAR(gps.value("Altitude").toDouble(), 3, 1e-6);

            if (where == QLatin1String("xmp")) {
                const QString titled = rewrite(photo, [](QVariantMap &w) {
                    QVariantMap iptc = w.value("{IPTC}").toMap();
                    iptc.insert("ObjectName", "Horse Guards");
                    w.insert("{IPTC}", iptc);
                });
                const QJsonObject after = exiftoolAll(titled);
                EXPECT_EQ(after.value("XMP-dc:Title").toString(), "Horse Guards");
                EXPECT_EQ(positionTags(after), positionTags(before));
                for (const QString &tag : positionTags(before))
                    EXPECT_EQ(after.value(tag), before.value(tag)) << tag.toStdString();
                QFile::remove(titled);
                // The GPS window's move takes the XMP copies along, and Exif gets it too.
                const QString moved = rewrite(photo, [](QVariantMap &w) {
                    w.insert("{GPS}", gpsWithPosition(w.value("{GPS}").toMap(), {-33.85, 151.21}));
                });
                const QJsonObject there = exiftoolAll(moved, true);
                for (const char *tag : {"GPS:GPSLatitude", "XMP-exif:GPSLatitude"})
                    EXPECT_NEAR(std::fabs(there.value(tag).toDouble()), 33.85, 1e-4) << tag;
                EXPECT_NEAR(there.value("XMP-exif:GPSLongitude").toDouble(), 151.21, 1e-4);
                EXPECT_EQ(there.value("GPS:GPSLatitudeRef").toString(), "S");
                QFile::remove(moved);
            }
            const QString out =
                rewrite(photo, [](QVariantMap &w) { applyLocalRemoval(w, MetadataRemoval::Gps); });
            const QJsonObject after = exiftoolAll(out);
            EXPECT_TRUE(positionTags(after).isEmpty())
                << positionTags(after).join(' ').toStdString();
            EXPECT_EQ(after.value("XMP-dc:Title").toString(), "Park");
            EXPECT_FALSE(propertiesOf(out).contains("{GPS}"));
        }
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
        d.localLists().localPhotoItemArray = {itemFor(a)};
        QStandardItemModel model(1, 1);
        localBrowser(d)->setModel(&model);
        d.metadataMenus().RemoveGPSDataFromPhoto();
        ASSERT_TRUE(waitForJobs(d));
        QMessageBox *sheet = d.window->findChild<QMessageBox *>();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->text(), "No Item has been selected");
        EXPECT_EQ(sheet->informativeText(), "Please select at least one item to process.");
        sheet->close();

        localBrowser(d)->selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select);
        d.metadataMenus().RemoveGPSDataFromPhoto();
        ASSERT_TRUE(waitForJobs(d));
        f.open(QIODevice::ReadOnly);
        EXPECT_EQ(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256), before);
        EXPECT_EQ(revealed, QStringList{dir.filePath("out/St James Park.jpg")});
        EXPECT_FALSE(propertiesOf(dir.filePath("out/St James Park.jpg")).contains("{GPS}"));

        // A photo without a position anywhere is named, as a video without one is, and no
        // copy of it is made.
        d.localLists().localPhotoItemArray = {itemFor(copyFixture("wedding.jpg", dir.path()))};
        d.metadataMenus().RemoveGPSDataFromPhoto();
        ASSERT_TRUE(waitForJobs(d));
        QMessageBox *named = nullptr;
        for (QMessageBox *box : d.window->findChildren<QMessageBox *>())
            if (box->isVisible())
                named = box;
        ASSERT_TRUE(named);
        EXPECT_TRUE(named->informativeText().contains("wedding.jpg: it holds no GPS position"))
            << named->informativeText().toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/wedding.jpg")));
        localBrowser(d)->setModel(nullptr);
    }
    Workspace::setRevealer({});
    Workspace::setUrlOpener({});
}
