#include "metadata/EditSheet.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/core/EditSheetChanges.h"
#include "platform/MapView.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/DatedPhotos.h"
#include "support/HeifPixels.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

// Numbers as numbers (-n), so references read "S" and exposure times as decimals.
QVariantMap readBack(const QString &path) {
    return ImageSource::fromPath(path).properties(0);
}

// The running program with photos in its list, the first of `select` selected.
class EditSheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        // Selecting a photo with a position asks the geocoder: keep that on this machine.
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    // `planted`: exiftool assignments made in the copy before it is listed.
    QString add(const QString &fixture, const QStringList &planted = {}) {
        const QString path = copyFixture(fixture, dir.path());
        if (!planted.isEmpty()) {
            EXPECT_TRUE(exiftoolWrite(path, planted));
        }
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
        return path;
    }
    void selectRow(int row) {
        localBrowser(*d)->selectionModel()->select(localBrowser(*d)->model()->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect);
    }
    EditSheet &sheet() { return drive(*d).editSheet(); }
    QWidget *window() { return drive(*d).find("eidtMetaWindow"); }
    // The sheet's field `name` (the lens window has fields of the same names).
    QLineEdit *field(const char *name) {
        return drive(*d).findIn<QLineEdit>("eidtMetaWindow", name);
    }
    void type(const char *name, const QString &text) { drive(*d).type(field(name), text); }
    QMessageBox *visibleAlert() {
        for (QMessageBox *box : d->window->findChildren<QMessageBox *>())
            if (box->isVisible())
                return box;
        return nullptr;
    }
    QString out(const QString &name) { return dir.filePath("out/" + name); }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> d;
    QStringList revealed;
};

// Each tag of a written file with its expected value; the tags it was told of are the changed ones.
struct ExpectedTags {
    const QJsonObject &after;
    QStringList changed;
    void operator()(const QStringList &tags, const QJsonValue &value) {
        for (const QString &tag : tags)
            EXPECT_EQ(after.value(tag), value) << tag.toStdString();
        changed << tags;
    }
};

} // namespace

TEST(EditSheetValues, NumbersFractionsAndApexValues) {
    EXPECT_DOUBLE_EQ(*parseDecimalOrFraction("1/125"), 0.008);
    EXPECT_DOUBLE_EQ(*parseDecimalOrFraction(" 2.8 "), 2.8);
    EXPECT_DOUBLE_EQ(*parseDecimalOrFraction("-1.5"), -1.5);
    EXPECT_FALSE(parseDecimalOrFraction("1/0"));
    EXPECT_FALSE(parseDecimalOrFraction("f/2.8"));
    EXPECT_FALSE(parseDecimalOrFraction(""));
    EXPECT_FALSE(parseDecimalOrFraction("fast"));
    EXPECT_NEAR(apertureValueForFNumber(2.8), 2.97, 0.01);
    EXPECT_NEAR(shutterSpeedValueForExposureTime(0.008), 6.97, 0.01);
    EXPECT_NEAR(shutterSpeedValueForExposureTime(*parseDecimalOrFraction("1/125")), 6.97, 0.01);
    EXPECT_EQ(normalizedCameraDate("2019-05-04 10:20:30"), "2019:05:04 10:20:30");
    EXPECT_EQ(normalizedCameraDate("2019:05:04 10:20:30"), "2019:05:04 10:20:30");
}

TEST(EditSheetValues, OnlyFieldsThatWillBeWrittenAreChecked) {
    EditSheetTexts remembered;
    remembered.fNumber = "odd"; // as the photo had it: not ours to refuse
    remembered.gpsLatitude = "51.5";
    remembered.gpsLongitude = "-0.13";
    EditSheetTexts fields = remembered;
    EXPECT_TRUE(editSheetProblems(fields, remembered, {true, true, true}).isEmpty());

    fields.gpsLatitude = "north";
    EXPECT_TRUE(editSheetProblems(fields, remembered, {true, true, false}).isEmpty());
    EXPECT_EQ(editSheetProblems(fields, remembered, {false, false, true}).size(), 1);
    fields.gpsLatitude = "91";
    EXPECT_EQ(editSheetProblems(fields, remembered, {false, false, true}).size(), 1);
    fields.gpsLatitude = "51.5";

    fields.exposureTime = "1/0";
    fields.cameraDate = "yesterday";
    fields.imageDescription = "free text is always fine";
    fields.orientation = "9";
    fields.isoSpeed = "100,200";
    EXPECT_EQ(editSheetProblems(fields, remembered, {false, true, false}).size(), 3);
}

TEST(EditSheetValues, ChangedFieldsReachTheirKeys) {
    EditSheetTexts remembered;
    remembered.keywords = "Cloudy,Sky";
    remembered.lensSerialNumber = "111";
    remembered.orientation = "1";
    EditSheetTexts fields = remembered;
    fields.keywords = "Cloudy, Sky, Beach";
    fields.lensSerialNumber = "222";
    fields.orientation = "6";
    fields.fNumber = "2.8";
    fields.exposureTime = "1/125";
    fields.cameraDate = "2019-05-04 10:20:30";
    QVariantMap working{{"Orientation", 1},
                        {"{TIFF}", QVariantMap{{"Orientation", 1}, {"Model", "D7000"}}},
                        {"{ExifAux}", QVariantMap{{"SerialNumber", "BODY-1"}}}};
    applyEditSheetChanges(working, fields, remembered, {false, true, false});
    const QVariantMap tiff = working["{TIFF}"].toMap();
    const QVariantMap exif = working["{Exif}"].toMap();
    const QVariantMap iptc = working["{IPTC}"].toMap();
    const QVariantMap aux = working["{ExifAux}"].toMap();
    EXPECT_EQ(working["Orientation"].toInt(), 6);
    EXPECT_EQ(tiff["Orientation"].toInt(), 6);
    EXPECT_EQ(tiff["Model"].toString(), "D7000");
    EXPECT_EQ(tiff["DateTime"].toString(), "2019:05:04 10:20:30");
    EXPECT_EQ(exif["DateTimeOriginal"].toString(), "2019:05:04 10:20:30");
    EXPECT_NEAR(exif["ExposureTime"].toDouble(), 0.008, 1e-12);
    EXPECT_NEAR(exif["ApertureValue"].toDouble(), 2.97, 0.01);
    EXPECT_EQ(iptc["Keywords"].toStringList(), (QStringList{"Cloudy", "Sky", "Beach"}));
    EXPECT_FALSE(iptc.contains("ImageOrientation"));
    const QDateTime utc =
        QDateTime(QDate(2019, 5, 4), QTime(10, 20, 30), QTimeZone::systemTimeZone()).toUTC();
    EXPECT_EQ(iptc["DateCreated"].toString(), utc.toString("yyyyMMdd"));
    // A photo without an IPTC time gets one in UTC, with its zone said.
    EXPECT_EQ(iptc["TimeCreated"].toString(), utc.toString("HHmmss") + "+0000");
    EXPECT_EQ(aux["LensSerialNumber"].toString(), "222");
    EXPECT_EQ(aux["SerialNumber"].toString(), "BODY-1"); // the body's, untouched
    EXPECT_FALSE(working.contains("{GPS}"));

    // An emptied number field removes its tag, with the value derived from it.
    EditSheetTexts emptied = fields;
    emptied.fNumber = "";
    applyEditSheetChanges(working, emptied, fields, {false, true, false});
    EXPECT_TRUE(working["{Exif}"].toMap().contains("FNumber"));
    EXPECT_FALSE(working["{Exif}"].toMap()["FNumber"].isValid());
    EXPECT_FALSE(working["{Exif}"].toMap()["ApertureValue"].isValid());
}

TEST(EditSheetValues, NewPositionKeepsTheRestOfTheGps) {
    const QVariantMap old{{"Latitude", 51.5},        {"LatitudeRef", "N"}, {"Longitude", 0.13},
                          {"LongitudeRef", "W"},     {"Altitude", 2.6},    {"AltitudeRef", 0},
                          {"TimeStamp", "09:18:12"}, {"Speed", 4.0},       {"SpeedRef", "M"}};
    const QVariantMap gps = gpsWithPosition(old, {-33.5, 0.0});
    EXPECT_DOUBLE_EQ(gps["Latitude"].toDouble(), 33.5);
    EXPECT_EQ(gps["LatitudeRef"].toString(), "S");
    EXPECT_DOUBLE_EQ(gps["Longitude"].toDouble(), 0.0);
    EXPECT_EQ(gps["LongitudeRef"].toString(), "E");
    EXPECT_DOUBLE_EQ(gps["Altitude"].toDouble(), 2.6);
    EXPECT_EQ(gps["TimeStamp"].toString(), "09:18:12");
    EXPECT_EQ(gps["SpeedRef"].toString(), "M");
    EXPECT_DOUBLE_EQ(gps["Speed"].toDouble(), 4.0);
    // A photo without a track gets none: 0 would say it faced true north.
    EXPECT_FALSE(gps.contains("Track"));
    EXPECT_FALSE(gps.contains("TrackRef"));
    EXPECT_EQ(gps["GPSVersion"].toList().size(), 4);
}

TEST_F(EditSheetTest, ApplyWritesEachChangedFieldAndNothingElse) {
    const QString park = add("St James Park.jpg");
    selectRow(0);
    sheet().StartEditViewAction();
    ASSERT_TRUE(window()->isVisible());
    EXPECT_EQ(field("cameraModelab")->text(), "NIKON D7000");
    EXPECT_EQ(field("imageExpotimelab")->text(), d->selection().oldimageExpotimeStr);
    type("titlelab", "Horse Guards");
    type("artistlab", "");
    type("imageFNumberlab", "2.8");
    type("imageExpotimelab", "1/125");
    type("gpsLatilab", "-33.5");
    type("cameraDatelab", "2019-05-04 10:20:30");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(window()->isVisible());

    const QString written = out("St James Park.jpg");
    ASSERT_TRUE(QFile::exists(written));
    EXPECT_EQ(revealed.value(0), written);
    const QVariantMap props = readBack(written);
    EXPECT_EQ(props["{IPTC}"].toMap()["ObjectName"].toString(), "Horse Guards");
    const QVariantMap gps = props["{GPS}"].toMap();
    EXPECT_NEAR(gps["Latitude"].toDouble(), 33.5, 1e-4);
    EXPECT_EQ(gps["LatitudeRef"].toString(), "S");
    EXPECT_NEAR(gps["Longitude"].toDouble(), 0.131806, 1e-4);
    EXPECT_EQ(gps["LongitudeRef"].toString(), "W");

    const QJsonObject tool = exiftoolNumbers(written);
    // APEX values as stored; exiftool shows them converted back to f/2.8 and 1/125 s.
    EXPECT_NEAR(props["{Exif}"].toMap()["ApertureValue"].toDouble(), 2.97, 0.01);
    EXPECT_NEAR(props["{Exif}"].toMap()["ShutterSpeedValue"].toDouble(), 6.97, 0.01);
    EXPECT_NEAR(tool["ExifIFD:ApertureValue"].toDouble(), 2.8, 0.01);
    EXPECT_NEAR(tool["ExifIFD:ShutterSpeedValue"].toVariant().toDouble(), 0.008, 1e-5);
    EXPECT_NEAR(tool["GPS:GPSLatitude"].toDouble(), 33.5, 1e-4);
    EXPECT_NEAR(tool["ExifIFD:ExposureTime"].toDouble(), 0.008, 1e-6);
    EXPECT_NEAR(tool["ExifIFD:FNumber"].toDouble(), 2.8, 1e-3);
    EXPECT_EQ(tool["IFD0:Artist"].toString(), "");
    EXPECT_EQ(tool["GPS:GPSLatitudeRef"].toString(), "S");
    EXPECT_NEAR(tool["GPS:GPSAltitude"].toDouble(), 2.6, 0.01); // kept
    EXPECT_EQ(tool["ExifIFD:DateTimeOriginal"].toString(), "2019:05:04 10:20:30");
    // Untouched fields keep their values.
    EXPECT_EQ(tool["IFD0:Model"].toString(), "NIKON D7000");
    EXPECT_EQ(tool["ExifIFD:LensModel"].toString(), "12.0-24.0 mm f/4.0");
    EXPECT_EQ(tool["ExifIFD:ISO"].toInt(), 200);
    // The camera date is the file's date; the original is left alone.
    EXPECT_EQ(FileDates::modificationDate(written),
              QDateTime(QDate(2019, 5, 4), QTime(10, 20, 30)));
    EXPECT_EQ(readBack(park)["{IPTC}"].toMap()["ObjectName"].toString(), "St. James's Park");
}

TEST_F(EditSheetTest, ClickingIntoThePositionRewritesNothing) {
    add("St James Park.jpg");
    add("Fritest.jpeg");
    selectRow(0);
    sheet().StartEditViewAction();
    sheet().control(field("gpsLatilab")); // editing begins, nothing typed
    sheet().control(field("titlelab"));
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject before = exiftoolNumbers(fixturePath("St James Park.jpg"));
    const QJsonObject after = exiftoolNumbers(out("St James Park.jpg"));
    for (const char *key :
         {"GPS:GPSLatitude", "GPS:GPSLongitude", "GPS:GPSAltitude", "GPS:GPSVersionID",
          "ExifIFD:ExposureTime", "IFD0:Artist", "IPTC:DateCreated", "ExifIFD:LensModel"})
        EXPECT_EQ(after[key], before[key]) << key;
    EXPECT_FALSE(after.contains("GPS:GPSSpeedRef"));
    EXPECT_EQ(FileDates::modificationDate(out("St James Park.jpg")),
              FileDates::modificationDate(dir.filePath("St James Park.jpg")));

    // Keywords stay a list when one is added.
    selectRow(1);
    sheet().StartEditViewAction();
    EXPECT_EQ(field("keywordslab")->text(), d->selection().oldKeywordStr);
    type("keywordslab", field("keywordslab")->text() + ",Beach");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QStringList keywords =
        readBack(out("Fritest.jpeg"))["{IPTC}"].toMap()["Keywords"].toStringList();
    EXPECT_EQ(keywords.size(), 6);
    EXPECT_EQ(keywords.last(), "Beach");
    EXPECT_EQ(readBack(out("Fritest.jpeg"))["{IPTC}"].toMap()["ObjectName"].toString(),
              QString::fromUtf8("Frítest"));
}

TEST_F(EditSheetTest, APositionThatIsNoNumberIsRefusedAndNothingIsWritten) {
    // Its XMP copy of the position differs from the Exif one the sheet shows: no apply that
    // leaves the position as shown may touch either.
    const QString park = add("St James Park.jpg",
                             {"-XMP-exif:GPSLatitude=48.8584", "-XMP-exif:GPSLongitude=2.2945"});
    selectRow(0);
    sheet().StartEditViewAction();
    type("gpsLatilab", "fifty-one");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *alert = visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->informativeText().contains("fifty-one"));
    EXPECT_TRUE(window()->isVisible());
    EXPECT_FALSE(QFile::exists(out("St James Park.jpg")));
    alert->buttons().first()->click();

    // Cancel forgets what was typed: the next opening shows the photo's values, and an apply
    // writes only what is typed then.
    sheet().HideEditViewAction();
    sheet().StartEditViewAction();
    EXPECT_EQ(field("gpsLatilab")->text(), d->selection().oldGpsLatiStr);
    type("titlelab", "Horse Guards");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject after = exiftoolAll(out("St James Park.jpg"), true);
    EXPECT_EQ(after["IPTC:ObjectName"].toString(), "Horse Guards");
    EXPECT_EQ(changedTags(exiftoolAll(park, true), after),
              (QStringList{"IPTC:CodedCharacterSet", "IPTC:ObjectName", "XMP-dc:Title",
                           "XMP-x:XMPToolkit"}));
}

TEST_F(EditSheetTest, ARawOriginalIsNeverReplacedByItsPreview) {
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray preview;
    QBuffer buffer(&preview);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPEG"));
    const QByteArray rawBytes =
        makeMinimalDng(preview, "Kestry", "TestCam 1", "2021:06:15 12:34:56");
    const QString raw = dir.filePath("DSC_0001.NEF");
    QFile file(raw);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rawBytes);
    file.close();
    d->mainWindowController().appendLocalItem(makeLocalItem(raw));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    d->preferences().overwrite = true;
    selectRow(0);
    sheet().StartEditViewAction();
    type("titlelab", "Green field");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));

    QFile again(raw);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), rawBytes);
    const QString written = out("DSC_0001.jpg");
    ASSERT_TRUE(QFile::exists(written));
    EXPECT_EQ(readBack(written)["{IPTC}"].toMap()["ObjectName"].toString(), "Green field");
}

TEST_F(EditSheetTest, EveryFieldReachesItsTags) {
    add("Fritest.jpeg");
    selectRow(0);
    sheet().StartEditViewAction();
    type("imageDescrilab", "Dusk over the bay");
    type("copyrightlab", "© 2021 K.");
    type("commentslab", "tripod");
    type("cameraMakelab", "Kestry");
    type("cameraModelab", "K-1");
    type("lensMakelab", "Zeiss");
    type("lensModellab", "Planar 50");
    type("lensSerialNumlab", "L-42");
    type("imageOrientationlab", "6");
    type("imageISOSpeedlab", "400");
    type("imageFlen35mmlab", "75");
    type("imageBrightlab", "-1.5");
    type("imageWhiteBalancelab", "1");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject tool = exiftoolNumbers(out("Fritest.jpeg"));
    EXPECT_EQ(tool["IFD0:ImageDescription"].toString(), "Dusk over the bay");
    EXPECT_EQ(tool["IPTC:Caption-Abstract"].toString(), "Dusk over the bay");
    EXPECT_EQ(tool["IFD0:Copyright"].toString(), "© 2021 K.");
    EXPECT_EQ(tool["ExifIFD:UserComment"].toString(), "tripod");
    EXPECT_EQ(tool["IFD0:Make"].toString(), "Kestry");
    EXPECT_EQ(tool["IFD0:Model"].toString(), "K-1");
    EXPECT_EQ(tool["ExifIFD:LensMake"].toString(), "Zeiss");
    EXPECT_EQ(tool["ExifIFD:LensModel"].toString(), "Planar 50");
    EXPECT_EQ(tool["ExifIFD:LensSerialNumber"].toVariant().toString(), "L-42");
    EXPECT_EQ(tool["IFD0:Orientation"].toInt(), 6);
    EXPECT_EQ(tool["ExifIFD:ISO"].toInt(), 400);
    EXPECT_EQ(tool["ExifIFD:FocalLengthIn35mmFormat"].toInt(), 75);
    EXPECT_NEAR(tool["ExifIFD:BrightnessValue"].toVariant().toDouble(), -1.5, 1e-6);
    EXPECT_EQ(tool["ExifIFD:WhiteBalance"].toInt(), 1);
    // Untouched: the title, the keywords and the F-number.
    EXPECT_EQ(tool["IPTC:ObjectName"].toString(), QString::fromUtf8("Frítest"));
    EXPECT_NEAR(tool["ExifIFD:FNumber"].toVariant().toDouble(), 1.8, 1e-6);
    EXPECT_EQ(tool["IPTC:Keywords"].toArray().size(), 5);
}

TEST_F(EditSheetTest, FieldsKeepTheirWidthWhileTyping) {
    add("IMG_1994.JPG"); // no position: the map appears only once one is typed
    selectRow(0);
    sheet().StartEditViewAction();
    ASSERT_TRUE(window()->isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(drive(*d).find("editMetaMapView")->isVisible());
    const QList<QLineEdit *> fields = window()->findChildren<QLineEdit *>();
    ASSERT_EQ(fields.size(), 23);
    QHash<QLineEdit *, int> widths;
    for (QLineEdit *f : fields) {
        EXPECT_GE(f->width(), 120) << f->objectName().toStdString();
        widths[f] = f->width();
    }
    auto expectSameWidths = [&](const QString &after) {
        for (QLineEdit *f : fields)
            EXPECT_EQ(f->width(), widths[f])
                << f->objectName().toStdString() << " after " << after.toStdString();
    };
    const QString longText =
        QStringLiteral("A value much longer than any field is wide, typed to the end 0123456789");
    for (QLineEdit *typed : fields) {
        if (typed->isReadOnly())
            continue;
        typed->setFocus();
        typed->selectAll();
        QTest::keyClicks(typed, longText);
        QApplication::processEvents();
        EXPECT_EQ(typed->text(), longText);
        expectSameWidths(typed->objectName());
    }
    // A position typed brings the map beside the fields; they stay where they are.
    const std::pair<const char *, const char *> position[] = {{"gpsLatilab", "48.8584"},
                                                              {"gpsLongtlab", "2.2945"}};
    for (const auto &[name, typed] : position) {
        field(name)->selectAll();
        QTest::keyClicks(field(name), typed);
    }
    QApplication::processEvents();
    EXPECT_TRUE(drive(*d).find("editMetaMapView")->isVisible());
    expectSameWidths("the map appeared");
}

// A viewer that prefers XMP, or IPTC, shows the new artist, title, caption, keywords, camera,
// lens and comment: every copy the photo has takes them, and a copy it lacks is not added.
// wedding.jpg with the artist in Exif, IPTC and XMP; its twin with it in Exif and XMP only.
TEST_F(EditSheetTest, EachFieldReachesEveryCopyThePhotoHas) {
    QStringList paths;
    for (const char *name : {"twins.jpg", "xmp-artist.jpg"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QStringList tags = {"-IFD0:Artist=Old Name",
                            "-XMP-dc:Creator=Old Name",
                            "-IPTC:ObjectName=Old title",
                            "-XMP-dc:Title=Old title",
                            "-IFD0:ImageDescription=Old caption",
                            "-IPTC:Caption-Abstract=Old caption",
                            "-XMP-dc:Description=Old caption",
                            "-XMP-tiff:Model=NIKON D810",
                            "-XMP-exif:UserComment=Old comment",
                            "-XMP-exifEX:LensModel=Old lens"};
        if (paths.isEmpty())
            tags << "-IPTC:By-line=Old Name";
        ASSERT_TRUE(exiftoolWrite(path, tags));
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
        paths << path;
    }
    localBrowser(*d)->selectAll();
    sheet().StartEditViewAction();
    type("artistlab", "New Name");
    type("titlelab", "New title");
    type("imageDescrilab", "New caption");
    type("keywordslab", "Sea, Sky");
    type("cameraModelab", "D850");
    type("commentslab", "tripod");
    type("lensModellab", "Nikkor 50");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));

    for (const QString &path : paths) {
        const bool byLine = path == paths[0];
        SCOPED_TRACE(path.toStdString());
        const QString written = out(QFileInfo(path).fileName());
        const QJsonObject before = exiftoolAll(path);
        const QJsonObject after = exiftoolAll(written);
        ExpectedTags expect{after, {}};
        QStringList &changed = expect.changed;
        expect({"IFD0:Artist", "XMP-dc:Creator"}, "New Name");
        if (byLine)
            expect({"IPTC:By-line"}, "New Name");
        else
            EXPECT_FALSE(after.contains("IPTC:By-line"));
        expect({"IPTC:ObjectName", "XMP-dc:Title"}, "New title");
        expect({"IFD0:ImageDescription", "IPTC:Caption-Abstract", "XMP-dc:Description"},
               "New caption");
        expect({"IPTC:Keywords", "XMP-dc:Subject", "XMP-digiKam:TagsList"},
               QJsonArray{"Sea", "Sky"});
        expect({"IFD0:Model", "XMP-tiff:Model"}, "D850");
        expect({"ExifIFD:UserComment", "XMP-exif:UserComment"}, "tripod");
        expect({"ExifIFD:LensModel", "XMP-exifEX:LensModel"}, "Nikkor 50");
        // New IPTC text is declared UTF-8.
        changed << "IPTC:CodedCharacterSet"
                << "XMP-x:XMPToolkit";
        changed.sort();
        EXPECT_EQ(changedTags(before, after), changed);
        EXPECT_EQ(jpegScanData(readAll(written)), jpegScanData(readAll(path)));
    }
}

// A HEIC keeps its IPTC values in XMP: the artist, caption, copyright, title and keywords typed
// reach the XMP copies it has, every keyword list included, and nothing else moves.
TEST_F(EditSheetTest, AHeicsXmpCopiesTakeTheFields) {
    const QString path = dir.filePath("twins.heic");
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_3092.heic"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(exiftoolWrite(
        path,
        {"-EXIF:Artist=Old Name", "-XMP-dc:Creator=Old Name", "-EXIF:ImageDescription=Old caption",
         "-XMP-dc:Description=Old caption", "-EXIF:Copyright=Old owner", "-XMP-dc:Rights=Old owner",
         "-XMP-dc:Title=Old title", "-XMP-dc:Subject=Old", "-XMP-lr:HierarchicalSubject=Old",
         "-XMP-digiKam:TagsList=Old", "-XMP-microsoft:LastKeywordXMP=Old"}));
    d->mainWindowController().appendLocalItem(makeLocalItem(path));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    selectRow(0);
    sheet().StartEditViewAction();
    type("artistlab", "New Name");
    type("imageDescrilab", "New caption");
    type("copyrightlab", "New owner");
    type("titlelab", "New title");
    type("keywordslab", "Sea, Sky");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));

    const QString written = out("twins.heic");
    const QJsonObject before = exiftoolAll(path);
    const QJsonObject after = exiftoolAll(written);
    ExpectedTags expect{after, {}};
    QStringList &changed = expect.changed;
    expect({"IFD0:Artist", "XMP-dc:Creator"}, "New Name");
    expect({"IFD0:ImageDescription", "XMP-dc:Description"}, "New caption");
    expect({"IFD0:Copyright", "XMP-dc:Rights"}, "New owner");
    expect({"XMP-dc:Title"}, "New title");
    expect({"XMP-dc:Subject", "XMP-lr:HierarchicalSubject", "XMP-digiKam:TagsList",
            "XMP-microsoft:LastKeywordXMP"},
           QJsonArray{"Sea", "Sky"});
    changed << "QuickTime:MediaDataSize"; // the metadata items live in the media data
    changed.sort();
    EXPECT_EQ(changedTags(before, after), changed);
    EXPECT_EQ(decodedPixels(readAll(written)), decodedPixels(readAll(path)));
}

// A new position reaches the XMP copies of it a JPEG or HEIC has, or a viewer that prefers XMP
// shows the old place; the altitude, not edited, stays in both.
TEST_F(EditSheetTest, APositionReachesItsXmpCopies) {
    QStringList paths;
    for (const char *name : {"St James Park.jpg", "IMG_3092.heic"})
        paths << add(name, {"-GPSLatitude=51.5", "-GPSLatitudeRef=N", "-GPSLongitude=0.13",
                            "-GPSLongitudeRef=W", "-GPSAltitude=2.6", "-GPSAltitudeRef=0",
                            "-XMP-exif:GPSLatitude=51.5", "-XMP-exif:GPSLongitude=-0.13",
                            "-XMP-exif:GPSAltitude=2.6", "-XMP-exif:GPSAltitudeRef=0"});
    localBrowser(*d)->selectAll();
    sheet().StartEditViewAction();
    type("gpsLatilab", "-33.85");
    type("gpsLongtlab", "151.21");
    sheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const QJsonObject after = exiftoolAll(out(QFileInfo(path).fileName()), true);
        EXPECT_NEAR(after["GPS:GPSLatitude"].toDouble(), 33.85, 1e-4);
        EXPECT_EQ(after["GPS:GPSLatitudeRef"].toString(), "S");
        EXPECT_NEAR(after["XMP-exif:GPSLatitude"].toDouble(), -33.85, 1e-4);
        EXPECT_NEAR(after["XMP-exif:GPSLongitude"].toDouble(), 151.21, 1e-4);
        for (const char *tag : {"GPS:GPSAltitude", "XMP-exif:GPSAltitude"})
            EXPECT_NEAR(after[tag].toDouble(), 2.6, 1e-3) << tag;
        EXPECT_EQ(after["XMP-exif:GPSAltitudeRef"].toInt(), 0);
        QStringList changed = {"GPS:GPSLatitude",      "GPS:GPSLatitudeRef",
                               "GPS:GPSLongitude",     "GPS:GPSLongitudeRef",
                               "XMP-exif:GPSLatitude", "XMP-exif:GPSLongitude"};
        // the writer's name in the XMP; in a HEIC, exiftool's, already there since the planting
        changed << (path.endsWith(".heic") ? "QuickTime:MediaDataSize" : "XMP-x:XMPToolkit");
        changed.sort();
        EXPECT_EQ(changedTags(exiftoolAll(path, true), after), changed);
    }
}
