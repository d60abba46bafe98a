// Every copy of a photo's date moves with a date change, in JPEG and HEIC photos alike, and
// nothing else changes: run through the application object, read back by exiftool.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/DatedPhotos.h"
#include "support/HeifPixels.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class DateTwins : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // A zone away from UTC and from the photos' own, so a date told in the wrong one shows.
        oldTz = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        clearUserDefaults();
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([](const QString &, const QString &) {});
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
        if (oldTz.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldTz);
        tzset();
    }
    void add(const QString &path) {
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
    }
    void select(std::initializer_list<int> rows) {
        QItemSelectionModel *s = localBrowser(*d)->selectionModel();
        s->clearSelection();
        for (int row : rows)
            s->select(localBrowser(*d)->model()->index(row, 0), QItemSelectionModel::Select);
    }
    // Types into the edit sheet's field `name`.
    void type(const char *name, const QString &text) {
        drive(*d).type(drive(*d).findIn<QLineEdit>("eidtMetaWindow", name), text);
    }
    QString out(const QString &name) { return dir.filePath("out/" + name); }
    // The batch window's amounts: one hour added to the selected photos.
    bool addOneHour() {
        d->dateWindows().ChangeDateExifFromPhoto();
        if (!waitForJobs(*d))
            return false;
        drive(*d).find<QLineEdit>("hourVaulab")->setText("1");
        drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
        d->dateWindows().ClickMutiDateChangedSaveAction();
        return waitForJobs(*d);
    }

    QByteArray oldTz;
    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> d;
};

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

} // namespace

// The batch shift by one hour, on a rotated JPEG that has its date in Exif, in IPTC (times
// without a zone) and in four XMP copies, and on an iPhone HEIC.
TEST_F(DateTwins, AShiftMovesEveryCopyAndNothingElse) {
    const QString jpeg = makeRotatedDatedJpeg(dir.path());
    ASSERT_FALSE(jpeg.isEmpty());
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    add(jpeg);
    add(heic);
    select({0, 1});
    ASSERT_TRUE(addOneHour());

    {
        SCOPED_TRACE("rotated JPEG");
        const QJsonObject before = exiftoolAll(jpeg);
        const QJsonObject after = exiftoolAll(out("rotated-dates.jpg"));
        const QString moved = QStringLiteral("2019:05:04 18:18:56");
        const QStringList dates = {"IFD0:ModifyDate",           "ExifIFD:DateTimeOriginal",
                                   "ExifIFD:CreateDate",        "XMP-exif:DateTimeOriginal",
                                   "XMP-photoshop:DateCreated", "XMP-xmp:CreateDate",
                                   "XMP-xmp:ModifyDate"};
        for (const QString &tag : dates)
            EXPECT_EQ(after.value(tag).toString(), moved) << tag.toStdString();
        // The IPTC times move and keep their form, without a zone.
        EXPECT_EQ(after.value("IPTC:DateCreated").toString(), QStringLiteral("2019:05:04"));
        EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), QStringLiteral("18:18:56"));
        EXPECT_EQ(after.value("IPTC:DigitalCreationTime").toString(), QStringLiteral("18:18:56"));
        EXPECT_EQ(after.value("Photoshop:IPTCDigest"), after.value("File:CurrentIPTCDigest"));
        EXPECT_FALSE(after.contains("ExifTool:Warning"));
        const QStringList changed =
            sorted(dates + QStringList{"IPTC:TimeCreated", "IPTC:DigitalCreationTime",
                                       "Photoshop:IPTCDigest",
                                       // the writer's name, as every XMP writer leaves it
                                       "XMP-x:XMPToolkit"});
        EXPECT_EQ(changedTags(before, after), changed);
        EXPECT_EQ(after.value("IFD0:Orientation").toString(), QStringLiteral("Rotate 90 CW"));
        EXPECT_EQ(jpegScanData(readAll(out("rotated-dates.jpg"))), jpegScanData(readAll(jpeg)));
    }
    {
        SCOPED_TRACE("HEIC");
        const QJsonObject before = exiftoolAll(heic);
        const QJsonObject after = exiftoolAll(out("IMG_3092.heic"));
        const QString moved = QStringLiteral("2020:09:19 15:36:26");
        for (const char *tag : {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate",
                                "XMP-photoshop:DateCreated", "XMP-xmp:CreateDate"})
            EXPECT_EQ(after.value(tag).toString(), moved) << tag;
        // The XMP modify date takes the zone of the Exif one; the Exif zones stay.
        EXPECT_EQ(after.value("XMP-xmp:ModifyDate").toString(), moved + "-07:00");
        EXPECT_EQ(after.value("ExifIFD:OffsetTimeOriginal").toString(), QStringLiteral("-07:00"));
        EXPECT_EQ(changedTags(before, after),
                  sorted({"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate",
                          "XMP-photoshop:DateCreated", "XMP-xmp:CreateDate", "XMP-xmp:ModifyDate",
                          // exiftool's own marks, as in every HEIC it writes
                          "QuickTime:MediaDataSize", "XMP-dc:Subject", "XMP-x:XMPToolkit"}));
        EXPECT_TRUE(decodedPixels(readAll(out("IMG_3092.heic"))) == decodedPixels(readAll(heic)));
    }
}

// "DateCreated cannot be stored in HEIF files" refused the whole save, title, keywords and
// position too.
TEST_F(DateTwins, TheEditSheetSavesDateTitleKeywordsAndPositionOfAHeicInOneGo) {
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    add(heic);
    select({0});
    drive(*d).editSheet().StartEditViewAction();
    type("cameraDatelab", "2021-03-04 05:06:07");
    type("titlelab", "Harbour");
    type("keywordslab", "Sydney, Ferry");
    type("gpsLatilab", "-33.8568");
    type("gpsLongtlab", "151.2153");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));

    const QString written = out("IMG_3092.heic");
    ASSERT_TRUE(QFile::exists(written));
    const QJsonObject before = exiftoolAll(heic, true);
    const QJsonObject after = exiftoolAll(written, true);
    const QString date = QStringLiteral("2021:03:04 05:06:07");
    for (const char *tag : {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate",
                            "XMP-photoshop:DateCreated", "XMP-xmp:CreateDate"})
        EXPECT_EQ(after.value(tag).toString(), date) << tag;
    EXPECT_EQ(after.value("XMP-xmp:ModifyDate").toString(), date + "-07:00");
    EXPECT_EQ(after.value("XMP-dc:Title").toString(), QStringLiteral("Harbour"));
    EXPECT_EQ(after.value("XMP-dc:Subject").toArray(), (QJsonArray{"Sydney", "Ferry"}));
    EXPECT_NEAR(after.value("GPS:GPSLatitude").toDouble(), 33.8568, 1e-4);
    EXPECT_EQ(after.value("GPS:GPSLatitudeRef").toString(), QStringLiteral("S"));
    EXPECT_NEAR(after.value("GPS:GPSLongitude").toDouble(), 151.2153, 1e-4);
    EXPECT_EQ(after.value("GPS:GPSLongitudeRef").toString(), QStringLiteral("E"));
    EXPECT_EQ(changedTags(before, after),
              sorted({"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate",
                      "XMP-photoshop:DateCreated", "XMP-xmp:CreateDate", "XMP-xmp:ModifyDate",
                      "XMP-dc:Title", "GPS:GPSVersionID", "GPS:GPSLatitudeRef", "GPS:GPSLatitude",
                      "GPS:GPSLongitudeRef", "GPS:GPSLongitude", "QuickTime:MediaDataSize",
                      "XMP-dc:Subject", "XMP-x:XMPToolkit"}));
    EXPECT_TRUE(decodedPixels(readAll(written)) == decodedPixels(readAll(heic)));
}

// A photo that names its zone everywhere: the typed date is a time of that zone, and every copy
// tells it there. Neither our zone nor UTC takes its place ("-07:00" became "+00:00").
TEST_F(DateTwins, TheEditSheetKeepsEachCopyInThePhotosZone) {
    const QString jpeg = makeZonedDatedJpeg(dir.path());
    ASSERT_FALSE(jpeg.isEmpty());
    add(jpeg);
    select({0});
    drive(*d).editSheet().StartEditViewAction();
    type("cameraDatelab", "2021-03-04 05:06:07");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));

    const QString written = out("zoned-dates.jpg");
    const QJsonObject before = exiftoolAll(jpeg);
    const QJsonObject after = exiftoolAll(written);
    const QString date = QStringLiteral("2021:03:04 05:06:07");
    const QStringList exifDates = {"IFD0:ModifyDate", "ExifIFD:DateTimeOriginal",
                                   "ExifIFD:CreateDate"};
    const QStringList xmpDates = {"XMP-exif:DateTimeOriginal", "XMP-photoshop:DateCreated",
                                  "XMP-xmp:CreateDate", "XMP-xmp:ModifyDate"};
    for (const QString &tag : exifDates)
        EXPECT_EQ(after.value(tag).toString(), date) << tag.toStdString();
    for (const QString &tag : xmpDates)
        EXPECT_EQ(after.value(tag).toString(), date + "-07:00") << tag.toStdString();
    for (const char *tag :
         {"ExifIFD:OffsetTime", "ExifIFD:OffsetTimeOriginal", "ExifIFD:OffsetTimeDigitized"})
        EXPECT_EQ(after.value(tag).toString(), QStringLiteral("-07:00")) << tag;
    EXPECT_EQ(after.value("IPTC:DateCreated").toString(), QStringLiteral("2021:03:04"));
    EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), QStringLiteral("05:06:07-07:00"));
    EXPECT_EQ(after.value("IPTC:DigitalCreationDate").toString(), QStringLiteral("2021:03:04"));
    EXPECT_EQ(after.value("IPTC:DigitalCreationTime").toString(), QStringLiteral("05:06:07-07:00"));
    EXPECT_EQ(after.value("Photoshop:IPTCDigest"), after.value("File:CurrentIPTCDigest"));
    EXPECT_FALSE(after.contains("ExifTool:Warning"));
    EXPECT_EQ(changedTags(before, after),
              sorted(exifDates + xmpDates +
                     QStringList{"IPTC:DateCreated", "IPTC:TimeCreated", "IPTC:DigitalCreationDate",
                                 "IPTC:DigitalCreationTime", "Photoshop:IPTCDigest",
                                 "XMP-x:XMPToolkit"}));
    EXPECT_EQ(jpegScanData(readAll(written)), jpegScanData(readAll(jpeg)));
}

// wedding.jpg's Exif names no zone, its IPTC times and XMP copies say -07:00: a shift moves
// each by the hour asked and a typed date becomes each copy's wall clock, every zone kept
// (the shift gave IPTC 22:40:24-07:00, the hour of Tokyo told in California).
TEST_F(DateTwins, CopiesWithTheirOwnZoneKeepItWhenExifNamesNone) {
    const QString zoned = QStringLiteral("2019:04:15 14:40:24-07:00");
    QStringList paths;
    for (const char *name : {"shifted.jpg", "typed.jpg"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(exiftoolWrite(path, {"-IPTC:DigitalCreationTime=14:40:24-07:00",
                                         "-XMP-photoshop:DateCreated=" + zoned,
                                         "-XMP-xmp:CreateDate=" + zoned,
                                         "-XMP-exif:DateTimeOriginal=" + zoned}));
        add(path);
        paths << path;
    }
    const QStringList exifDates = {"ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate"};
    const QStringList xmpDates = {"XMP-photoshop:DateCreated", "XMP-xmp:CreateDate",
                                  "XMP-exif:DateTimeOriginal"};
    const auto check = [&](const QString &path, const QString &day, const QString &clock) {
        const QJsonObject before = exiftoolAll(path);
        const QJsonObject after = exiftoolAll(out(QFileInfo(path).fileName()));
        for (const QString &tag : exifDates)
            EXPECT_EQ(after.value(tag).toString(), day + " " + clock) << tag.toStdString();
        for (const QString &tag : xmpDates)
            EXPECT_EQ(after.value(tag).toString(), day + " " + clock + "-07:00")
                << tag.toStdString();
        EXPECT_EQ(after.value("IPTC:DateCreated").toString(), day);
        EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), clock + "-07:00");
        EXPECT_EQ(after.value("IPTC:DigitalCreationDate").toString(), day);
        EXPECT_EQ(after.value("IPTC:DigitalCreationTime").toString(), clock + "-07:00");
        EXPECT_FALSE(after.contains("ExifIFD:OffsetTimeOriginal"));
        QStringList changed = exifDates + xmpDates +
                              QStringList{"IFD0:ModifyDate", "IPTC:TimeCreated",
                                          "IPTC:DigitalCreationTime", "XMP-x:XMPToolkit"};
        if (day != QLatin1String("2019:04:15"))
            changed << "IPTC:DateCreated"
                    << "IPTC:DigitalCreationDate";
        EXPECT_EQ(changedTags(before, after), sorted(changed));
        EXPECT_EQ(jpegScanData(readAll(out(QFileInfo(path).fileName()))),
                  jpegScanData(readAll(path)));
    };

    select({0});
    ASSERT_TRUE(addOneHour());
    {
        SCOPED_TRACE("shift by one hour");
        check(paths[0], "2019:04:15", "15:40:24");
    }

    select({1});
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2021-03-04 05:06:07");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2021-03-04 05:06:07");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    {
        SCOPED_TRACE("a typed date");
        check(paths[1], "2021:03:04", "05:06:07");
    }
}

// A date change that adds the IPTC digital creation time a photo lacked told it in our zone
// (the shift gave wedding.jpg "06:40:24+00:00" beside its own "15:40:24-07:00"). It takes the
// zone the photo names: the date's own Exif zone (an iPhone 11 Pro), its other Exif zone (an
// iPhone XS, which names only the original's), or its IPTC time's (a Nikon whose Exif names
// none).
TEST_F(DateTwins, AnAddedIptcTimeTakesTheZoneThePhotoNames) {
    struct Case {
        QString source, name, day, clock, zone;
    };
    const QList<Case> cases = {
        {fixturePath("wedding.jpg"), "wedding.jpg", "2019:04:15", "15:40:24", "-07:00"},
        {fixturePath("Fritest.jpeg"), "Fritest.jpeg", "2021:09:05", "20:41:12", "-07:00"},
        {fixturesDir() + "/libraries/Test-10.15.7.photoslibrary/originals/5/"
                         "52083079-73D5-4921-AC1B-FE76F279133F.jpeg",
         "iPhone XS.jpeg", "2019:02:03", "22:58:36", "+01:00"}};
    for (const Case &c : cases) {
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(QFile::copy(c.source, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_FALSE(exiftoolAll(path).contains("IPTC:DigitalCreationTime"));
        add(path);
    }
    select({0, 1, 2});
    ASSERT_TRUE(addOneHour());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QJsonObject after = exiftoolAll(out(c.name));
        EXPECT_EQ(after.value("ExifIFD:DateTimeOriginal").toString(), c.day + " " + c.clock);
        EXPECT_EQ(after.value("IPTC:DateCreated").toString(), c.day);
        EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), c.clock + c.zone);
        EXPECT_EQ(after.value("IPTC:DigitalCreationDate").toString(), c.day);
        EXPECT_EQ(after.value("IPTC:DigitalCreationTime").toString(), c.clock + c.zone);
    }
}
