// The library edit panel on copies of the fixture libraries, driven as the user drives it:
// select photos, type into fields, press the apply button; then the library's own database
// is read with the sqlite3 command.
#include "LibraryEditTestSupport.h"
#include "app/Browsers.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "browser/PanelValueLabel.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryPanels.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPropertyAnimation>
#include <QTest>
#include <QTreeWidget>

namespace {

// Quotes, SQL comment and wildcard characters, and text outside ASCII.
const QString kTricky = QString::fromUtf8("It's \"Sunday\"; -- 100% Frítest ü'); DROP TABLE x; --");

double secondsOf(const QDateTime &local) {
    return double(local.toSecsSinceEpoch() - 978307200);
}

class LibraryPanel : public LibraryEditTest, public ::testing::WithParamInterface<const char *> {
  protected:
    void apply() { drive(*d).click("applyPhotolibEiteViewBtn"); }
    // The one sheet an apply ends with.
    SheetText onlySheet() {
        const QList<SheetText> sheets = takeSheets();
        EXPECT_EQ(sheets.size(), 1);
        return sheets.value(0);
    }
};

const char kApplied[] = "New Photo Library metadata tag(s) has been applied.";

} // namespace

INSTANTIATE_TEST_SUITE_P(Libraries, LibraryPanel,
                         ::testing::Values("Test-10.14.6", "Test-10.15.7", "Test-13.0.0",
                                           "Test-iPhoto-9.6.1"));

TEST_P(LibraryPanel, ATypedTitleReachesEverySelectedPhotoAndNothingElse) {
    ASSERT_TRUE(openLibrary(GetParam()));
    const QStringList names = {"St James Park.jpg", "wedding.jpg", "Tulips.jpg"};
    select(names);
    QList<QStringList> positions;
    QStringList captions;
    for (const QString &n : names) {
        positions << libraryPosition(record(n));
        captions << libraryCaption(record(n));
    }
    type("photolibEiteTitlelab", kTricky);
    apply();
    const SheetText applied = onlySheet();
    EXPECT_EQ(applied.text, kApplied);
    EXPECT_EQ(applied.informative, "The changed exif data has been saved in the library.");
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        EXPECT_EQ(libraryTitle(record(names[i])), kTricky);
        EXPECT_EQ(record(names[i]).fileTitle, kTricky);
        // Only the typed field: the first photo's position and caption went nowhere.
        EXPECT_EQ(libraryPosition(record(names[i])), positions[i]);
        EXPECT_EQ(libraryCaption(record(names[i])), captions[i]);
    }
    EXPECT_EQ(integrity(), "ok");
    // The panel shows the records again, and what was typed is spent.
    EXPECT_EQ(field("photolibEiteTitlelab")->text(), kTricky);
    EXPECT_FALSE(d->libraryPanels().typedFields().title);
    EXPECT_EQ(d->browsers().selectedLibraryItems().size(), 3);
}

TEST_P(LibraryPanel, ATypedPositionGoesToEveryPhotoAndEmptyFieldsRemoveIt) {
    ASSERT_TRUE(openLibrary(GetParam()));
    const QStringList names = {"wedding.jpg", "Tulips.jpg"};
    select(names);
    type("photolibEitegpsLatilab", "48.858370");
    type("photolibEitegpsLongtlab", "2.294481");
    // Typing moves the panel's map, nothing more.
    EXPECT_NEAR(drive(*d).find<PKMapView>("photolibEiteMapView")->centerLatitude(), 48.85837, 1e-6);
    apply();
    EXPECT_EQ(onlySheet().text, kApplied);
    for (const QString &n : names) {
        const QStringList at = libraryPosition(record(n));
        ASSERT_EQ(at.size(), 2) << n.toStdString();
        EXPECT_NEAR(at[0].toDouble(), 48.85837, 1e-6);
        EXPECT_NEAR(at[1].toDouble(), 2.294481, 1e-6);
        EXPECT_EQ(record(n).latitudeText(), "48.858370");
    }

    // No position on the globe: refused before anything is written.
    const QStringList before = databaseHashes();
    type("photolibEitegpsLatilab", "91");
    apply();
    EXPECT_EQ(onlySheet().text, "The position cannot be written.");
    type("photolibEitegpsLatilab", "north");
    apply();
    EXPECT_EQ(onlySheet().text, "The position cannot be written.");
    EXPECT_EQ(databaseHashes(), before);

    type("photolibEitegpsLatilab", "");
    type("photolibEitegpsLongtlab", "");
    apply();
    EXPECT_EQ(onlySheet().text, kApplied);
    // The current schema keeps "no position" as -180, -180; the older one as NULL.
    const QStringList none =
        currentSchema() ? QStringList{"-180.0", "-180.0"} : QStringList{"", ""};
    for (const QString &n : names) {
        EXPECT_EQ(libraryPosition(record(n)), none) << n.toStdString();
        EXPECT_FALSE(record(n).hasLocation());
    }
    EXPECT_EQ(integrity(), "ok");
}

TEST_P(LibraryPanel, AnInvalidCameraDateChangesNothingAndAValidOneIsLocalTime) {
    ASSERT_TRUE(openLibrary(GetParam()));
    select({"wedding.jpg"});
    const QString shown = record("wedding.jpg").cameraDate.text(),
                  title = record("wedding.jpg").fileTitle;
    const QStringList before = databaseHashes();
    type("photolibEiteTitlelab", "Not this either");
    type("photolibEiteCameraDatelab", "31/12/2020 10:00");
    apply();
    const SheetText alert = onlySheet();
    EXPECT_EQ(alert.text, "Invalid date format");
    EXPECT_EQ(alert.informative,
              "Input the valid date format: YYYY:MM:DD HH:MM:SS or YYYY-MM-DD HH:MM:SS");
    EXPECT_EQ(databaseHashes(), before);
    EXPECT_EQ(record("wedding.jpg").cameraDate.text(), shown);
    EXPECT_EQ(record("wedding.jpg").fileTitle, title);

    type("photolibEiteCameraDatelab", "2020:12:31 23:59:58");
    apply();
    EXPECT_EQ(onlySheet().text, kApplied);
    EXPECT_NEAR(libraryCameraDate(record("wedding.jpg")),
                secondsOf(QDateTime(QDate(2020, 12, 31), QTime(23, 59, 58))), 1e-3);
    EXPECT_EQ(record("wedding.jpg").cameraDate.text(), "2020-12-31 23:59:58");
    EXPECT_EQ(field("photolibEiteCameraDatelab")->text(), "2020-12-31 23:59:58");
    EXPECT_EQ(integrity(), "ok");
}

TEST_P(LibraryPanel, ANewFileNameKeepsItsExtensionAndAnEmptyOneIsRefused) {
    ASSERT_TRUE(openLibrary(GetParam()));
    select({"wedding.jpg"});
    const IKImageItemPtr photo = item("wedding.jpg");
    EXPECT_EQ(field("photolibEiteFileNamelab")->text(), "wedding");
    const QStringList before = databaseHashes();
    type("photolibEiteFileNamelab", " ... ");
    apply();
    EXPECT_EQ(onlySheet().text, "The file name cannot be used.");
    EXPECT_EQ(databaseHashes(), before);

    const QString name = QString::fromUtf8("Bride's day – Zürich 100%");
    type("photolibEiteFileNamelab", name);
    apply();
    EXPECT_EQ(onlySheet().text, kApplied);
    const QString stored = name + ".jpg";
    const PRPicFileInfo &r = *photo->photoLibFileNode;
    // The name the scan reads, so that the next open shows it too.
    EXPECT_EQ(currentSchema()
                  ? value(QString("SELECT ZORIGINALFILENAME FROM ZADDITIONALASSETATTRIBUTES "
                                  "WHERE Z_PK = %1")
                              .arg(r.photoID))
                  : value(QString("SELECT originalFileName FROM RKMaster WHERE modelId = %1")
                              .arg(r.photoID)),
              stored);
    EXPECT_EQ(r.fileName, stored);
    EXPECT_EQ(photo->fileName, stored);
    EXPECT_EQ(field("photolibEiteFileNamelab")->text(), name);
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(LibraryEditTest, TypingMarksItsFieldOnlyAndANewSelectionForgetsIt) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"St James Park.jpg"});
    // The selection filled the panel; filling is not typing.
    EXPECT_EQ(field("photolibEiteTitlelab")->text(), "St. James's Park");
    const auto flags = [this] {
        const LibraryPanels::TypedFields t = d->libraryPanels().typedFields();
        return QList<bool>{t.title, t.name, t.caption,      t.keywords,
                           t.date,  t.lens, t.makeAndModel, t.position};
    };
    EXPECT_EQ(flags(), QList<bool>(8, false));
    QTest::keyClicks(field("photolibEiteTitlelab"), "!");
    EXPECT_EQ(field("photolibEiteTitlelab")->text(), "St. James's Park!");
    EXPECT_EQ(flags(), (QList<bool>{true, false, false, false, false, false, false, false}));
    QTest::keyClicks(field("photolibEiteCameraModellab"), "x");
    QTest::keyClicks(field("photolibEitekeywordslab"), "x");
    EXPECT_EQ(flags(), (QList<bool>{true, false, false, true, false, false, true, false}));
    select({"wedding.jpg"});
    EXPECT_EQ(flags(), QList<bool>(8, false));
    QTest::keyClicks(field("photolibEiteLensModellab"), "x");
    QTest::keyClicks(field("photolibEitegpsLongtlab"), "1");
    EXPECT_TRUE(d->libraryPanels().typedFields().lens);
    EXPECT_TRUE(d->libraryPanels().typedFields().position);
    // Opening the original's panel starts the library panel afresh.
    d->libraryPanels().StartPhotoOriginalEditViewAction();
    EXPECT_EQ(flags(), QList<bool>(8, false));
}

TEST_F(LibraryEditTest, ALensTypedAloneGoesWithThePanelsMakeAndModel) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"wedding.jpg"});
    const PRPicFileInfo &r = record("wedding.jpg");
    type("photolibEiteLensModellab", "Nikkor 105mm f/1.4E; 'ED'");
    drive(*d).click("applyPhotolibEiteViewBtn");
    ASSERT_EQ(takeSheets().value(0).text, kApplied);
    EXPECT_EQ(
        rows(QString("SELECT ZCAMERAMAKE, ZCAMERAMODEL, ZLENSMODEL FROM ZEXTENDEDATTRIBUTES "
                     "WHERE ZASSET = %1")
                 .arg(r.photoAssetID)),
        (QList<QStringList>{{"NIKON CORPORATION", "NIKON D810", "Nikkor 105mm f/1.4E; 'ED'"}}));
    EXPECT_EQ(r.fileLensModel, "Nikkor 105mm f/1.4E; 'ED'");
}

TEST_F(LibraryEditTest, AReadOnlyLibraryIsRefusedWithItsReasonBeforeAnythingElse) {
    photos.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    ASSERT_FALSE(d->libraryDatabase().readOnlyReason().isEmpty());
    const QStringList before = databaseHashes();
    select({"wedding.jpg"});
    type("photolibEiteTitlelab", "Never written");
    drive(*d).click("applyPhotolibEiteViewBtn");
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    // Not the offer to quit the holder: the library was opened read-only, and says why.
    EXPECT_EQ(sheets[0].text, "The photo library is open read-only.");
    EXPECT_TRUE(sheets[0].informative.contains("Photos (4242)"));
    EXPECT_EQ(databaseHashes(), before);
    EXPECT_EQ(record("wedding.jpg").fileTitle, "");
}

// An iPhoto master keeps its original as a second version, which the library does not show
// and which has its own title and keyword ("Maria"): the panel's edit reaches the shown
// version alone.
TEST_F(LibraryEditTest, AnOlderLibrarysEditReachesOnlyTheVersionItShows) {
    ASSERT_TRUE(openLibrary("Test-iPhoto-9.6.1"));
    select({"wedding.jpg"});
    const PRPicFileInfo &r = record("wedding.jpg");
    const QString versions =
        QString("SELECT v.modelId, v.name, v.fileName, v.hasKeywords, (SELECT group_concat(n) "
                "FROM (SELECT k.name n FROM RKKeywordForVersion j JOIN RKKeyword k ON k.modelId "
                "= j.keywordId WHERE j.versionId = v.modelId ORDER BY k.name)) FROM RKVersion v "
                "WHERE v.masterId = %1 ORDER BY v.modelId")
            .arg(r.photoID);
    const QList<QStringList> before = rows(versions);
    ASSERT_EQ(before.size(), 2);
    EXPECT_EQ(r.versionID, before[0][0].toInt());
    EXPECT_EQ(before[1], (QStringList{"26", "wedding", "wedding.jpg", "1", "Maria"}));
    type("photolibEiteTitlelab", "Bride and groom");
    type("photolibEitekeywordslab", "wedding, church");
    drive(*d).click("applyPhotolibEiteViewBtn");
    ASSERT_EQ(takeSheets().value(0).text, kApplied);
    const QList<QStringList> after = rows(versions);
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0],
              (QStringList{before[0][0], "Bride and groom", "wedding.jpg", "1", "church,wedding"}));
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(integrity(), "ok");
}

// A library copied from a Mac keeps the lock that Mac left, naming it: the library opens
// read-only and an edit is refused naming that computer, with the offer to take the library
// over. Taken over, the lock is gone, the library opens again writable and takes the edit.
TEST_F(LibraryEditTest, AnotherComputersLockRefusesTheEditUntilTakenOver) {
    setPhotosApplication(nullptr); // the lock file is read, as on the user's computer
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    const QString lock = database() + ".lock";
    EXPECT_TRUE(d->libraryDatabase().readOnlyReason().contains("Rhets-MacBook-Pro.local"));
    const QStringList before = databaseHashes();
    select({"wedding.jpg"});
    type("photolibEiteTitlelab", "Not while it is open there");
    drive(*d).click("applyPhotolibEiteViewBtn");
    QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "The photo library is open on another computer.");
    EXPECT_TRUE(sheets[0].informative.startsWith(
        "photolibraryd (14817) on the computer \"Rhets-MacBook-Pro.local\" has the library"))
        << sheets[0].informative.toStdString();
    EXPECT_EQ(databaseHashes(), before);
    EXPECT_EQ(record("wedding.jpg").fileTitle, "");

    // " Cancel " leaves it all; " Take Over " removes the lock and opens the library again.
    d->libraryDatabase().takeOverEnd(nullptr, 0);
    EXPECT_TRUE(QFileInfo::exists(lock));
    drive(*d).click("applyPhotolibEiteViewBtn");
    ASSERT_EQ(takeSheets().size(), 1);
    d->libraryDatabase().takeOverEnd(nullptr, 1);
    QDeadlineTimer deadline(120000);
    while (!d->library().scanComplete && !deadline.hasExpired())
        QTest::qWait(5);
    EXPECT_TRUE(takeSheets().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(lock));
    EXPECT_TRUE(d->libraryDatabase().readOnlyReason().isEmpty());
    select({"wedding.jpg"});
    type("photolibEiteTitlelab", "Taken over");
    drive(*d).click("applyPhotolibEiteViewBtn");
    ASSERT_EQ(takeSheets().value(0).text, kApplied);
    EXPECT_EQ(libraryTitle(record("wedding.jpg")), "Taken over");
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(LibraryEditTest, ALibraryTakenByAnotherProgramAfterTheOpenIsOfferedToQuit) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    const QStringList before = databaseHashes();
    photos.heldBy << DatabaseHolder{4243, QStringLiteral("Photos"), QStringLiteral("lock")};
    select({"wedding.jpg"});
    type("photolibEiteTitlelab", "Never written");
    d->libraryPanels().ApplyPhotoLibMetadataChangeAction();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "You need to quit the running Photos application.");
    EXPECT_EQ(databaseHashes(), before);
    EXPECT_TRUE(photos.ended.isEmpty());
}

TEST_F(LibraryEditTest, AFailedWriteRollsBackTheWholeApplyAndNamesThePhoto) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    const QStringList before = databaseHashes();
    const QString working = d->library().currentPhotolibDatabasePath;
    // Tulips comes first in the browser; wedding's row has left the library since the scan.
    select({"Tulips.jpg", "wedding.jpg"});
    ASSERT_EQ(d->browsers().selectedLibraryItems().first(), item("Tulips.jpg"));
    const int tulips = record("Tulips.jpg").photoID;
    record("wedding.jpg").photoID = 424242;
    type("photolibEiteTitlelab", "Half an apply");
    d->libraryPanels().ApplyPhotoLibMetadataChangeAction();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "Photo Library metadata can't update");
    EXPECT_TRUE(sheets[0].informative.contains("wedding.jpg"));
    EXPECT_EQ(databaseHashes(), before);
    EXPECT_EQ(record("Tulips.jpg").fileTitle, "Tulips tied together at a flower shop");
    // Tulips' title was written first and went back with the rest.
    EXPECT_EQ(
        value(QString("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK = %1").arg(tulips),
              working),
        "Tulips tied together at a flower shop");
}

TEST_F(LibraryEditTest, ARefusedCopyBackSaysSoAndTheRecordsStayAsTheLibraryIs) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    const int wedding = record("wedding.jpg").photoID;
    // Another program changes the library after our open: ours must not go over it.
    QProcess::execute("sqlite3",
                      {database(), QString("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = "
                                           "'From elsewhere' WHERE Z_PK = %1")
                                       .arg(wedding)});
    select({"wedding.jpg"});
    type("photolibEiteTitlelab", "Ours");
    d->libraryPanels().ApplyPhotoLibMetadataChangeAction();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "Photo Library metadata can't update");
    EXPECT_TRUE(
        sheets[0].informative.startsWith("Writing the changed exif data to Photo Library failed."));
    EXPECT_EQ(record("wedding.jpg").fileTitle, "");
    EXPECT_EQ(libraryTitle(record("wedding.jpg")), "From elsewhere");
}

TEST_F(LibraryEditTest, PanelsSlideInAtTheWindowsRightEdgeAndTheirButtonsRoute) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"wedding.jpg"});
    QWidget *panel = drive(*d).find<QWidget>("photolibEditView");
    drive(*d).trigger("ClickEditPhotoExifDataMenuAction"); // library mode: the library panel
    ASSERT_TRUE(panel->isVisible());
    auto *slide = panel->findChild<QPropertyAnimation *>();
    ASSERT_TRUE(slide);
    EXPECT_EQ(slide->duration(), 200);
    // From the top of the browser down: the bar above stays in sight.
    const int top =
        drive(*d).find("photoLibBrowserView")->mapTo(d->window->centralWidget(), QPoint()).y();
    EXPECT_EQ(slide->startValue().toPoint(),
              QPoint(drive(*d).find<PKImageView>("localPhotoViewImageView")->width(), top));
    const QPoint end(d->window->width() - panel->width(), top);
    EXPECT_EQ(slide->endValue().toPoint(), end);
    QTRY_COMPARE(panel->pos(), end);
    // Close drops what was typed and not applied.
    const QString title = field("photolibEiteTitlelab")->text();
    type("photolibEiteTitlelab", "Never applied");
    ASSERT_TRUE(d->libraryPanels().typedFields().title);
    drive(*d).click("canclePhotolibEiteViewBtn");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(d->libraryPanels().typedFields().title);
    EXPECT_EQ(field("photolibEiteTitlelab")->text(), title);

    d->libraryPanels().StartPhotoOriginalEditViewAction();
    EXPECT_TRUE(drive(*d).find<QWidget>("photoOriginalEditView")->isVisible());
    QTRY_COMPARE(
        drive(*d).find<QWidget>("photoOriginalEditView")->pos(),
        QPoint(d->window->width() - drive(*d).find<QWidget>("photoOriginalEditView")->width(),
               top));
    drive(*d).click("canclePhotoOrigEiteViewBtn");
    EXPECT_TRUE(drive(*d).find<QWidget>("photoOriginalEditView")->isHidden());

    // The menu's item opens it too; leaving the library view takes the panels along.
    QAction *edit = nullptr;
    for (QAction *a : drive(*d).find<QMenu>("PhotolibEditExifMenu")->actions())
        if (a->text() == QString::fromUtf8("Edit Library Fields…"))
            edit = a;
    ASSERT_TRUE(edit);
    edit->trigger();
    EXPECT_TRUE(panel->isVisible());
    // So does the edit shortcut the menu shows, typed in the browser.
    drive(*d).click("canclePhotolibEiteViewBtn");
    ASSERT_TRUE(panel->isHidden());
    EXPECT_EQ(edit->shortcut(), QKeySequence("Ctrl+E"));
    d->window->show();
    d->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d->window));
    drive(*d).find<QListView>("photoLibBrowserView")->setFocus();
    QTest::keyClick(drive(*d).find<QListView>("photoLibBrowserView"), Qt::Key_E,
                    Qt::ControlModifier);
    EXPECT_TRUE(panel->isVisible());
    d->mainWindowController().ChangeLocalPhotoMenuAction();
    EXPECT_TRUE(panel->isHidden());
    // Nor do they open over the local view.
    d->libraryPanels().StartPhotoLibEditViewAction();
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(LibraryEditTest, PanelsLieUnderTheBarAndKeepTheirPlaceWithOrWithoutAMap) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    d->window->show();
    QWidget *area = d->window->centralWidget();
    const auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    };
    const auto placeOf = [area](QWidget *w) { return QRect(w->mapTo(area, QPoint()), w->size()); };
    const QList<QWidget *> bar = {drive(*d).find<PRButton>("filterPhotolibBtn"),
                                  drive(*d).find<PRButton>("showPhotoTypelibBtn"),
                                  drive(*d).find<PRButton>("PhotolibQuickBtn"),
                                  drive(*d).find<PRButton>("PhotolibEditExifBtn"),
                                  drive(*d).find<PRButton>("photolibMergeBtn"),
                                  drive(*d).find<PRButton>("photoliblocalphotoBtn"),
                                  drive(*d).find<PRButton>("photolibcameraphotoBtn")};
    struct Side {
        QWidget *panel;
        void (LibraryPanels::*open)();
        PKMapView *map;
        QLineEdit *field;
    };
    const Side sides[] = {
        {drive(*d).find<QWidget>("photolibEditView"), &LibraryPanels::StartPhotoLibEditViewAction,
         drive(*d).find<PKMapView>("photolibEiteMapView"), field("photolibEiteTitlelab")},
        {drive(*d).find<QWidget>("photoOriginalEditView"),
         &LibraryPanels::StartPhotoOriginalEditViewAction,
         drive(*d).find<PKMapView>("originalPhotolibMapView"), field("originalPhotolibTitlelab")}};
    // The default size, then the least the window takes (the panels follow a resize).
    for (const QSize size : {QSize(1200, 750), d->window->minimumSize()}) {
        SCOPED_TRACE(size.width());
        d->window->resize(size);
        settle();
        for (const Side &side : sides) {
            select({"St James Park.jpg"}); // placed, in the library and in its file
            (d->libraryPanels().*side.open)();
            QTest::qWait(300); // the slide
            settle();
            const QRect panel = placeOf(side.panel);
            EXPECT_EQ(panel.right(), area->width() - 1);
            EXPECT_EQ(panel.bottom(), area->height() - 1);
            for (QWidget *button : bar) {
                EXPECT_TRUE(button->isVisible()) << button->objectName().toStdString();
                EXPECT_FALSE(placeOf(button).intersects(panel))
                    << button->objectName().toStdString();
            }
            ASSERT_TRUE(side.map->isVisible());
            const QRect mapArea = placeOf(side.map);
            const QPoint field = placeOf(side.field).topLeft();
            select({"wedding.jpg"}); // no position anywhere
            settle();
            EXPECT_FALSE(side.map->isVisible());
            auto *none = side.panel->findChild<QLabel *>(side.map->objectName() + "Placeholder");
            ASSERT_TRUE(none);
            EXPECT_TRUE(none->isVisible());
            EXPECT_EQ(placeOf(none), mapArea);
            EXPECT_EQ(placeOf(side.field).topLeft(), field);
            EXPECT_EQ(placeOf(side.panel), panel);
            select({"St James Park.jpg"});
            settle();
            EXPECT_EQ(placeOf(side.map), mapArea);
            EXPECT_EQ(placeOf(side.field).topLeft(), field);
            // The Close and Apply buttons stay in the panel whatever the window's height.
            for (auto *button : side.panel->findChildren<PRButton *>())
                EXPECT_TRUE(panel.contains(placeOf(button))) << button->objectName().toStdString();
            side.panel->hide();
        }
    }
    // Six keywords make a line longer than the panel: shortened, whole in its tooltip.
    d->libraryPanels().StartPhotoLibEditViewAction();
    QTest::qWait(300);
    auto *keywords = static_cast<PanelValueLabel *>(drive(*d).find<QLabel>("photolibkeywordslab"));
    EXPECT_TRUE(keywords->text().endsWith("UK,London")) << keywords->text().toStdString();
    EXPECT_NE(keywords->shownText(), keywords->text());
    EXPECT_LE(keywords->mapTo(area, QPoint(keywords->width(), 0)).x(), area->width());
}

TEST_F(LibraryEditTest, TheRightColumnKeepsItsLinesApartAtEverySize) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    d->window->show();
    QWidget *preview = drive(*d).find("previewContentView");
    QWidget *column = preview->parentWidget();
    const auto placeOf = [column](QWidget *w) {
        return QRect(w->mapTo(column, QPoint()), w->size());
    };
    // Top to bottom, as the column shows them.
    const QList<QWidget *> rows = {preview,
                                   drive(*d).find("photoNamelab"),
                                   drive(*d).find("photoTitlelab"),
                                   drive(*d).find("photoModDatelab"),
                                   drive(*d).find("photoDPIlab"),
                                   drive(*d).find("photoLensInfolab"),
                                   drive(*d).find("photoExposurelab"),
                                   drive(*d).find("photoImageSizelab"),
                                   drive(*d).find("photoFileSizelab"),
                                   drive(*d).find("photoCreateDatelab"),
                                   drive(*d).find("locationCitylab"),
                                   drive(*d).find("previewOriginalphtoinfolab"),
                                   column->findChild<QWidget *>("localMapSlot"),
                                   drive(*d).find("localExifDataView")};
    for (const QSize size : {QSize(1200, 750), d->window->minimumSize()}) {
        SCOPED_TRACE(size.height());
        d->window->resize(size);
        select({"St James Park.jpg"});
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        ASSERT_TRUE(drive(*d).find("previewOriginalphtoinfolab")->isVisible());
        // The preview keeps a useful height; nothing is drawn over anything else.
        EXPECT_GE(preview->height(), 120);
        int below = 0;
        for (QWidget *row : rows) {
            ASSERT_TRUE(row);
            const QRect place = placeOf(row);
            EXPECT_GE(place.top(), below) << row->objectName().toStdString();
            EXPECT_GE(place.height(), row->fontMetrics().height())
                << row->objectName().toStdString();
            below = place.bottom();
            // The default window shows all of it; a shorter one scrolls the lines.
            if (size == QSize(1200, 750)) {
                EXPECT_LE(place.bottom(), column->height()) << row->objectName().toStdString();
            }
        }
        QWidget *tree = drive(*d).find("localExifDataView");
        EXPECT_GE(tree->height(), tree->minimumHeight());
    }
}
