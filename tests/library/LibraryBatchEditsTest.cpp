// The library's batch edits on copies of the fixture libraries: the batch date window's
// library save, the copies between library fields and the fields taken from the originals,
// checked in the library's own database with the sqlite3 command and against exiftool.
#include "LibraryEditTestSupport.h"
#include "app/Browsers.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "library/LibraryPanels.h"
#include "metadata/DateWindows.h"
#include "platform/ImageView.h"
#include "platform/core/FileDates.h"
#include "support/JobWait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>

namespace {

double secondsOf(const QDateTime &date) {
    return double(date.toSecsSinceEpoch() - 978307200);
}

const char kApplied[] = "New Photo Library metadata tag(s) has been applied.";

class LibraryBatch : public LibraryEditTest, public ::testing::WithParamInterface<const char *> {
  protected:
    void openDateWindow() {
        d->dateWindows().ChangePhotoLibraryPhotoDateAction();
        ASSERT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    }
    void saveDates() { drive(*d).click("changeMutiPhotoDateBtn"); }
    SheetText onlySheet() {
        const QList<SheetText> sheets = takeSheets();
        EXPECT_EQ(sheets.size(), 1);
        return sheets.value(0);
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Libraries, LibraryBatch,
                         ::testing::Values("Test-10.14.6", "Test-10.15.7", "Test-13.0.0"));

TEST_P(LibraryBatch, ASetDateStepsTenMinutesFromPhotoToPhotoInBrowserOrder) {
    ASSERT_TRUE(openLibrary(GetParam()));
    select({"Tulips.jpg", "St James Park.jpg", "wedding.jpg"});
    const QList<IKImageItemPtr> order = d->browsers().selectedLibraryItems();
    ASSERT_EQ(order.size(), 3);
    openDateWindow();
    EXPECT_EQ(drive(*d).find<QLabel>("EditDateHeadInfolab")->text(),
              "Choose One of Three Methods to Batch Modify Photo Library Photo Dates:");
    EXPECT_EQ(field("mutSetDatelab")->placeholderText(),
              field("photolibEiteCameraDatelab")->text());
    field("mutSetDatelab")->setText("2021-03-04 05:06:07");
    drive(*d).find<QCheckBox>("AddDateNumBtn")->setChecked(true);
    field("AddDateNumlab")->setText("10");
    drive(*d).find<QComboBox>("AddDateUnitBtn")->setCurrentText("Minute");
    saveDates();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_FALSE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    const QDateTime start(QDate(2021, 3, 4), QTime(5, 6, 7));
    for (int k = 0; k < 3; ++k) {
        const PRPicFileInfo &r = *order[k]->photoLibFileNode;
        SCOPED_TRACE(order[k]->fileName.toStdString());
        EXPECT_NEAR(libraryCameraDate(r), secondsOf(start.addSecs(600 * k)), 1e-3);
        EXPECT_EQ(r.cameraDate.text(), start.addSecs(600 * k).toString("yyyy-MM-dd HH:mm:ss"));
    }
    EXPECT_EQ(integrity(), "ok");

    // Without the step every photo gets the one date.
    openDateWindow();
    field("mutSetDatelab")->setText("2021:03:04 05:06:07");
    saveDates();
    EXPECT_EQ(onlySheet().text, kApplied);
    for (const IKImageItemPtr &i : order)
        EXPECT_NEAR(libraryCameraDate(*i->photoLibFileNode), secondsOf(start), 1e-3);
}

TEST_P(LibraryBatch, AnHourAddedTwiceIsTwoHoursAndSubtractedGoesBack) {
    ASSERT_TRUE(openLibrary(GetParam()));
    select({"St James Park.jpg", "wedding.jpg"});
    const QList<IKImageItemPtr> photos = d->browsers().selectedLibraryItems();
    const QString tokensApart =
        currentSchema()
            ? QString("SELECT count(*) FROM %1 WHERE ZSORTTOKEN != ZDATECREATED").arg(assetTable())
            : QString("SELECT 0");
    const QString apartBefore = value(tokensApart);
    QList<double> before;
    for (const IKImageItemPtr &i : photos)
        before << libraryCameraDate(*i->photoLibFileNode);
    for (int round = 0; round < 2; ++round) {
        openDateWindow();
        // Four characters or fewer in the set-date field: the amounts are meant.
        field("mutSetDatelab")->setText("2021");
        field("hourVaulab")->setText("1");
        drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
        saveDates();
        EXPECT_EQ(onlySheet().text, kApplied);
    }
    for (int i = 0; i < photos.size(); ++i) {
        const PRPicFileInfo &r = *photos[i]->photoLibFileNode;
        EXPECT_NEAR(libraryCameraDate(r), before[i] + 7200, 1e-3);
        const QDateTime shown = QDateTime::fromSecsSinceEpoch(qint64(before[i]) + 978307200 + 7200);
        EXPECT_EQ(r.cameraDate.text(), shown.toString("yyyy-MM-dd HH:mm:ss"));
    }
    openDateWindow();
    field("hourVaulab")->setText("2");
    drive(*d).find<QPushButton>("RemoveTimeBtn")->click(); // the pair of buttons: subtract
    ASSERT_FALSE(drive(*d).find<QPushButton>("AddTimeBtn")->isChecked());
    saveDates();
    EXPECT_EQ(onlySheet().text, kApplied);
    for (int i = 0; i < photos.size(); ++i)
        EXPECT_NEAR(libraryCameraDate(*photos[i]->photoLibFileNode), before[i], 1e-3);
    // The sort tokens moved with their dates.
    EXPECT_EQ(value(tokensApart), apartBefore);
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(LibraryEditTest, TheSampleShiftNeedsBothDatesAndUndatedPhotosAreNamed) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    // IMG_1693.tif's date lies in the year 3914190: no date the calendar can move.
    select({"wedding.jpg", "IMG_1693.tif"});
    const PRPicFileInfo &wedding = record("wedding.jpg");
    const double before = libraryCameraDate(wedding);
    const QStringList hashes = databaseHashes();
    d->dateWindows().ChangePhotoLibraryPhotoDateAction();
    QPixmap sample(8, 8);
    sample.fill(Qt::gray);
    drive(*d).find<PKImageView>("dateImageview")->setImage(sample);
    field("beforeorignalDatelab")->setText("2020:01:01 00:00:00");
    field("afterorignalDatelab")->setText("sometime");
    drive(*d).click("changeMutiPhotoDateBtn");
    QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "Invalid date format");
    EXPECT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    EXPECT_EQ(databaseHashes(), hashes);

    field("afterorignalDatelab")->setText("2020-01-03 12:00:00");
    drive(*d).click("changeMutiPhotoDateBtn");
    sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, kApplied);
    EXPECT_TRUE(sheets[0].informative.contains("IMG_1693.tif"));
    EXPECT_NEAR(libraryCameraDate(wedding), before + 2.5 * 86400, 1e-3);
    EXPECT_EQ(record("IMG_1693.tif").cameraDate.text(), "3914190-11-27 08:25:45");
}

TEST_F(LibraryEditTest, TheDateWindowsLibrarySaveAsksWhetherTheLibraryIsFree) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"wedding.jpg"});
    d->dateWindows().ChangePhotoLibraryPhotoDateAction();
    auto *fileDates = drive(*d)
                          .find<QWidget>("changeMutiDateWindow")
                          ->findChild<QPushButton *>("ClickMutiCreatedDateChangedSaveAction");
    ASSERT_TRUE(fileDates);
    EXPECT_TRUE(fileDates->isHidden()); // library photos have no file dates here
    field("mutSetDatelab")->setText("2021-03-04 05:06:07");
    const QStringList hashes = databaseHashes();
    photos.heldBy << DatabaseHolder{4244, QStringLiteral("Photos"), QStringLiteral("lock")};
    drive(*d).click("changeMutiPhotoDateBtn");
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "You need to quit the running Photos application.");
    EXPECT_EQ(databaseHashes(), hashes);
    EXPECT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());

    // In local mode the same button saves local photos, and the library is left alone.
    photos.heldBy.clear();
    d->mainWindowController().ChangeLocalPhotoMenuAction();
    drive(*d).click("changeMutiPhotoDateBtn");
    ASSERT_TRUE(waitForJobs(*d));
    takeSheets();
    EXPECT_EQ(databaseHashes(), hashes);
    EXPECT_EQ(drive(*d).find<PRButton>("changeMutiPhotoDateBtn")->imageName(), "savechanges.png");
}

TEST_P(LibraryBatch, CopiesBetweenFieldsSkipEmptySourcesAndNameThem) {
    ASSERT_TRUE(openLibrary(GetParam()));
    // wedding has a caption and no title, Pumpkins4 a title and no caption.
    select({"wedding.jpg", "Pumpkins4.jpg"});
    const IKImageItemPtr wedding = item("wedding.jpg"), pumpkins = item("Pumpkins4.jpg");
    const PRPicFileInfo &w = *wedding->photoLibFileNode, &p = *pumpkins->photoLibFileNode;

    d->libraryPanels().CopyFileTitletoPhotoLibraryFileNameAction();
    SheetText sheet = onlySheet();
    EXPECT_EQ(sheet.text, kApplied);
    EXPECT_TRUE(sheet.informative.contains("wedding.jpg: it has no title"));
    EXPECT_EQ(p.fileName, "Pumpkin heads.jpg");
    EXPECT_EQ(pumpkins->fileName, "Pumpkin heads.jpg");
    EXPECT_EQ(w.fileName, "wedding.jpg");

    d->libraryPanels().CopyFileTitletoPhotoLibraryCaptionAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_EQ(libraryCaption(p), "Pumpkin heads");
    EXPECT_EQ(libraryCaption(w), "Bride Wedding day");
    if (currentSchema()) {
        EXPECT_EQ(value(QString("SELECT COUNT(*) FROM ZASSETDESCRIPTION WHERE ZASSETATTRIBUTES = "
                                "%1")
                            .arg(p.photoID)),
                  "1");
    }

    d->libraryPanels().CopyFileCaptiontoPhotoLibraryTitleAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_EQ(libraryTitle(w), "Bride Wedding day");

    d->libraryPanels().CopyFileNametoPhotoLibraryTileAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_EQ(libraryTitle(w), "wedding");
    EXPECT_EQ(libraryTitle(p), "Pumpkin heads");
    EXPECT_EQ(w.fileTitle, "wedding");

    d->libraryPanels().CopyFileNametoPhotoLibraryCaptionAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_EQ(libraryCaption(w), "wedding");

    d->libraryPanels().CopyCameraDatetoPhotoLibraryTileAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_EQ(libraryTitle(w), w.cameraDate.text());
    EXPECT_EQ(p.fileTitle, p.cameraDate.text());

    d->libraryPanels().CopyCameraDatetoPhotoLibraryAddedDateAction();
    EXPECT_EQ(onlySheet().text, kApplied);
    for (const PRPicFileInfo *r : {&w, &p}) {
        const QStringList dates =
            currentSchema()
                ? rows(QString("SELECT ZADDEDDATE, ZDATECREATED FROM %1 WHERE Z_PK = %2")
                           .arg(assetTable())
                           .arg(r->photoAssetID))
                      .value(0)
                : rows(QString("SELECT createDate, imageDate FROM RKMaster WHERE modelId = %1")
                           .arg(r->photoID))
                      .value(0);
        ASSERT_EQ(dates.size(), 2);
        EXPECT_EQ(dates[0], dates[1]);
    }
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(LibraryEditTest, TheOriginalsCameraDateOrElseItsCreationDateInUtc) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"St James Park.jpg", "wedding.jpg", "DSC03584.dng"});
    // wedding's original loses its Exif date; its creation date is then the one to copy.
    const QString weddingOriginal = item("wedding.jpg")->filePath;
    ASSERT_EQ(QProcess::execute(
                  "exiftool", {"-q", "-DateTimeOriginal=", "-overwrite_original", weddingOriginal}),
              0);
    const QDateTime created = QDateTime(QDate(2011, 2, 3), QTime(4, 5, 6), Qt::UTC);
    ASSERT_TRUE(FileDates::setCreationDate(weddingOriginal, created));

    d->libraryPanels().CopyOriginalCameraDatetoPhotoLibraryCameraDateAction();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, kApplied);
    EXPECT_TRUE(sheets[0].informative.contains("DSC03584.dng: its original is only in iCloud"));
    // Exif dates are local time; Tokyo's 09:18:12 is not London's.
    EXPECT_NEAR(libraryCameraDate(record("St James Park.jpg")),
                secondsOf(QDateTime(QDate(2018, 10, 13), QTime(9, 18, 12))), 1e-3);
    EXPECT_EQ(record("St James Park.jpg").cameraDate.text(), "2018-10-13 09:18:12");
    EXPECT_NEAR(libraryCameraDate(record("wedding.jpg")), secondsOf(created), 1e-3);
    EXPECT_EQ(record("wedding.jpg").cameraDate.text(),
              created.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(record("DSC03584.dng").cameraDate.text(), "2020-04-13 02:30:23");
}

// Which libraries keep camera fields, and a photo whose original is only in iCloud.
struct OriginalCase {
    const char *library;
    bool cameraFields;
    const char *iCloudOnly;
};

class FromOriginal : public LibraryEditTest, public ::testing::WithParamInterface<OriginalCase> {};

INSTANTIATE_TEST_SUITE_P(Libraries, FromOriginal,
                         ::testing::Values(OriginalCase{"Test-10.14.6", false, nullptr},
                                           OriginalCase{"Test-10.15.7", true, "DSC03584.dng"},
                                           OriginalCase{"Test-13.0.0", true, "DSC03584.dng"}));

TEST_P(FromOriginal, TheOriginalWinsWhereItSaysSomethingAndIsNamedWhereNot) {
    const OriginalCase c = GetParam();
    ASSERT_TRUE(openLibrary(c.library));
    const IKImageItemPtr park = item("St James Park.jpg"), wedding = item("wedding.jpg");
    const PRPicFileInfo &r = *park->photoLibFileNode;
    // First the library is made to disagree with the file, through the panel.
    select({"St James Park.jpg"});
    type("photolibEiteTitlelab", "Somewhere else");
    type("photolibEitekeywordslab", QString::fromUtf8("Elsewhere, Zürich's"));
    type("photolibEitegpsLatilab", "10");
    type("photolibEitegpsLongtlab", "20");
    type("photolibEiteCameraMakelab", "Other");
    d->libraryPanels().ApplyPhotoLibMetadataChangeAction();
    {
        const SheetText first = takeSheets().value(0);
        ASSERT_EQ(first.text, kApplied) << first.informative.toStdString();
    }
    ASSERT_EQ(libraryTitle(r), "Somewhere else");
    const QString keywordTable = currentSchema() ? "ZKEYWORD" : "RKKeyword";
    const QString keywordRows = value("SELECT COUNT(*) FROM " + keywordTable);

    QStringList names = {"St James Park.jpg", "wedding.jpg"};
    if (c.iCloudOnly)
        names << c.iCloudOnly;
    select(names);
    const PRPicFileInfo untouched = c.iCloudOnly ? record(c.iCloudOnly) : PRPicFileInfo();
    const QStringList untouchedPosition =
        c.iCloudOnly ? libraryPosition(record(c.iCloudOnly)) : QStringList();
    const QStringList weddingPosition = libraryPosition(*wedding->photoLibFileNode);

    d->libraryPanels().ReplacePhotoLibrarytitleWithOriginalPhototitleAction();
    SheetText sheet = takeSheets().value(0);
    EXPECT_EQ(sheet.text, kApplied);
    // An original without a title clears the library's.
    EXPECT_FALSE(sheet.informative.contains("wedding.jpg")) << sheet.informative.toStdString();
    if (c.iCloudOnly) {
        EXPECT_TRUE(
            sheet.informative.contains(QString(c.iCloudOnly) + ": its original is only in iCloud"));
    }
    d->libraryPanels().ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction();
    sheet = takeSheets().value(0);
    EXPECT_TRUE(sheet.informative.contains("wedding.jpg: its original has no position"));
    d->libraryPanels().ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction();
    EXPECT_EQ(takeSheets().value(0).text, kApplied);
    d->libraryPanels().ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction();
    sheet = takeSheets().value(0);
    EXPECT_FALSE(sheet.informative.contains("St James Park.jpg"))
        << sheet.informative.toStdString();
    d->libraryPanels().ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction();
    sheet = takeSheets().value(0);
    EXPECT_EQ(sheet.text, c.cameraFields
                              ? QString(kApplied)
                              : QString("This library keeps no camera fields of its own."));

    EXPECT_EQ(libraryTitle(r), "St. James's Park");
    EXPECT_EQ(r.fileTitle, "St. James's Park");
    const QStringList six = {"England",          "London", "London 2018",
                             "St. James's Park", "UK",     "United Kingdom"};
    EXPECT_EQ(libraryKeywords(r), six);
    // All six are keywords of the library already: linked, not made again.
    EXPECT_EQ(value("SELECT COUNT(*) FROM " + keywordTable), keywordRows);
    const QVariantMap file = exiftoolNumbers(park->filePath);
    const QStringList at = libraryPosition(r);
    ASSERT_EQ(at.size(), 2);
    EXPECT_NEAR(at[0].toDouble(), file.value("GPSLatitude").toDouble(), 1e-6);
    EXPECT_NEAR(at[1].toDouble(), file.value("GPSLongitude").toDouble(), 1e-6);
    EXPECT_NEAR(r.latitudeText().toDouble(), file.value("GPSLatitude").toDouble(), 1e-6);
    if (c.cameraFields) {
        EXPECT_EQ(rows(QString("SELECT ZCAMERAMAKE, ZCAMERAMODEL, ZLENSMODEL FROM "
                               "ZEXTENDEDATTRIBUTES WHERE ZASSET = %1")
                           .arg(r.photoAssetID))
                      .value(0),
                  (QStringList{file.value("Make").toString(), file.value("Model").toString(),
                               file.value("LensModel").toString()}));
    }
    // A file without a position leaves the library's alone: no 0, 0.
    EXPECT_EQ(libraryPosition(*wedding->photoLibFileNode), weddingPosition);
    // The caption is the original's, also where it has none.
    ASSERT_TRUE(wedding->originalFileNode);
    const QString said = wedding->originalFileNode->fileDescription;
    EXPECT_EQ(libraryCaption(*wedding->photoLibFileNode),
              said.trimmed().isEmpty() ? QString() : said);
    EXPECT_EQ(libraryTitle(*wedding->photoLibFileNode), "");
    EXPECT_EQ(libraryCaption(r), "");
    if (c.iCloudOnly) {
        const PRPicFileInfo &kept = record(c.iCloudOnly);
        EXPECT_EQ(libraryTitle(kept), untouched.fileTitle);
        EXPECT_EQ(libraryCaption(kept), untouched.fileDescription);
        EXPECT_EQ(libraryPosition(kept), untouchedPosition);
    }
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(LibraryEditTest, TheMainMenusBatchDateItemServesTheLibraryInLibraryMode) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"wedding.jpg"});
    d->dateWindows().ChangeDateExifFromPhoto();
    EXPECT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    EXPECT_EQ(drive(*d).find<QLabel>("EditDateHeadInfolab")->text(),
              "Choose One of Three Methods to Batch Modify Photo Library Photo Dates:");
}
