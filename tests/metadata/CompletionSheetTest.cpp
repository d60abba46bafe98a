// The end of a job: what the completion sheet says, its icon, and its one reveal.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class CompletionSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        // Selecting a photo with a position asks the geocoder: keep that on this machine.
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed << (p.isEmpty() ? root : p);
        });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    QString add(const QString &fixture) {
        const QString path = copyFixture(fixture, dir.path());
        addPath(path);
        return path;
    }
    void addPath(const QString &path) {
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
    }
    void selectAll() {
        auto *selection = localBrowser(*d)->selectionModel();
        for (int row = 0; row < localBrowser(*d)->model()->rowCount(); ++row)
            selection->select(localBrowser(*d)->model()->index(row, 0),
                              QItemSelectionModel::Select);
    }
    // What the user does: picks the item of `menu` titled `text`.
    void choose(QMenu *menu, const QString &text) {
        ASSERT_TRUE(menu);
        for (QAction *action : menu->actions())
            if (action->text() == text) {
                action->trigger();
                return;
            }
        FAIL() << "no menu item " << text.toStdString();
    }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    QAbstractButton *button(QMessageBox *sheet, const QString &text) {
        for (QAbstractButton *b : sheet->buttons())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    QString out(const QString &name) { return dir.filePath("out/" + name); }

    QTemporaryDir dir;
    QStringList revealed;
    std::unique_ptr<AppDelegate> d;
};
} // namespace

TEST_F(CompletionSheet, SuppressionBoxStoresOnlyWhenChecked) {
    EXPECT_TRUE(d->sheets().LocalPhotoMetadataChangedCompletedAlert(JobReport{}));
    QPointer<QMessageBox> sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Photo metadata updated successfully.");
    ASSERT_TRUE(suppressionButton(sheet));
    sheet->buttons().first()->click();
    EXPECT_FALSE(userDefaults()->contains("LocalPhotoMetadataAlertSuppress"));

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    d->sheets().LocalPhotoMetadataChangedCompletedAlert(JobReport{});
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    suppressionButton(sheet)->setChecked(true);
    sheet->buttons().first()->click();
    EXPECT_TRUE(userDefaults()->value("LocalPhotoMetadataAlertSuppress").toBool());

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(d->sheets().LocalPhotoMetadataChangedCompletedAlert(JobReport{}));
    EXPECT_EQ(openSheet(), nullptr);
}

TEST_F(CompletionSheet, FailuresAreToldEvenWhenSuppressed) {
    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
    JobReport report;
    report.notWritten = QStringList{"broken.jpg: not an image", "empty.png: empty file"};
    EXPECT_TRUE(d->sheets().LocalPhotoMetadataChangedCompletedAlert(report));
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Some photos could not be changed.");
    EXPECT_EQ(sheet->icon(), QMessageBox::Warning);
    EXPECT_TRUE(sheet->informativeText().contains("broken.jpg"));
    EXPECT_TRUE(sheet->informativeText().contains("empty.png"));
    EXPECT_FALSE(button(sheet, "Show in Folder")) << "nothing was written to show";

    // A job's own words (a search that found nothing) are its only trace: never suppressed,
    // no box to suppress them, shown over the job's own window.
    sheet->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QWidget own(d->window);
    own.setWindowFlag(Qt::Window);
    own.show();
    JobReport nothing;
    nothing.message = "No duplicate photos found.";
    nothing.nothingToDo = true;
    d->jobs().finishJob(nothing, &own);
    QMessageBox *words = own.findChild<QMessageBox *>();
    ASSERT_TRUE(words);
    EXPECT_TRUE(words->isVisible());
    EXPECT_EQ(words->text(), "No duplicate photos found.");
    EXPECT_EQ(words->icon(), QMessageBox::Information);
    EXPECT_FALSE(suppressionButton(words));
}

TEST_F(CompletionSheet, NamesTheMenuItemAndTheFolderAndRevealsOnlyFromItsButton) {
    add("St James Park.jpg");
    add("wedding.jpg");
    selectAll();
    choose(drive(*d).find<QMenu>("removeExifMenu"), "Remove Exif and GPS Data");
    ASSERT_TRUE(waitForJobs(*d));

    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "\u201cRemove Exif and GPS Data\u201d done for 2 photos.");
    EXPECT_EQ(sheet->icon(), QMessageBox::Information);
    EXPECT_TRUE(sheet->informativeText().contains(dir.filePath("out")))
        << sheet->informativeText().toStdString();
    EXPECT_TRUE(exiftool(out("St James Park.jpg")).value("GPS:GPSLatitude").isUndefined());
    EXPECT_TRUE(revealed.isEmpty()) << "the sheet offers the reveal; it does not add a second";
    EXPECT_TRUE(suppressionButton(sheet));

    QAbstractButton *show = button(sheet, "Show in Folder");
    ASSERT_TRUE(show);
    EXPECT_NE(sheet->escapeButton(), show);
    EXPECT_NE(sheet->defaultButton(), show);
    show->click();
    EXPECT_EQ(revealed, QStringList{out("St James Park.jpg")});
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(CompletionSheet, AQuietJobThatWentWellRevealsAtOnce) {
    add("St James Park.jpg");
    selectAll();
    choose(drive(*d).find<QMenu>("removeExifMenu"),
           "Remove GPS Data"); // says nothing when all went well
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(openSheet(), nullptr);
    EXPECT_EQ(revealed, QStringList{out("St James Park.jpg")});
}

TEST_F(CompletionSheet, PhotosNotWrittenMakeAWarningThatStillShowsTheOthers) {
    const QString broken = dir.filePath("broken.jpg");
    ASSERT_TRUE(writeAll(broken, QByteArray(4000, 'q')));
    addPath(broken);
    add("St James Park.jpg");
    selectAll();
    choose(drive(*d).find<QMenu>("removeExifMenu"), "Remove GPS Data");
    ASSERT_TRUE(waitForJobs(*d));

    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->text().contains("Remove GPS Data"));
    EXPECT_FALSE(sheet->text().contains("done"));
    EXPECT_EQ(sheet->icon(), QMessageBox::Warning);
    EXPECT_TRUE(sheet->informativeText().contains("broken.jpg: "));
    EXPECT_FALSE(sheet->informativeText().contains("St James Park.jpg"));
    EXPECT_TRUE(sheet->informativeText().contains(dir.filePath("out")));
    ASSERT_TRUE(button(sheet, "Show in Folder"));
    button(sheet, "Show in Folder")->click();
    EXPECT_EQ(revealed, QStringList{out("St James Park.jpg")});
}

TEST_F(CompletionSheet, AJobStartedInAWindowTakesTheItemThatOpenedItAndSaysOriginalsWereReplaced) {
    const QString park = add("St James Park.jpg");
    selectAll();
    d->preferences().overwrite = true;
    choose(drive(*d).find<QMenu>("editExifMenu"), "Edit Photo Metadata…");
    ASSERT_TRUE(drive(*d).find("eidtMetaWindow")->isVisible());
    QApplication::processEvents(); // the menu item's handling is over: only the sheet knows it
    QLineEdit *title = drive(*d).findIn<QLineEdit>("eidtMetaWindow", "titlelab");
    ASSERT_TRUE(title);
    title->setFocus();
    drive(*d).type(title, "Horse Guards Road");
    drive(*d).click(drive(*d).findIn<QPushButton>("eidtMetaWindow", "ClickApplyChangeAction"));
    ASSERT_TRUE(waitForJobs(*d));

    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "\u201cEdit Photo Metadata\u201d done for 1 photo.");
    EXPECT_EQ(sheet->informativeText(), "The original photo was overwritten.");
    EXPECT_EQ(exiftool(park).value("IPTC:ObjectName").toString(), "Horse Guards Road");
    EXPECT_FALSE(QFile::exists(out("St James Park.jpg")));
    button(sheet, "Show in Folder")->click();
    EXPECT_EQ(revealed, QStringList{park});
}

TEST_F(CompletionSheet, AWindowOpenedByAMenuItemStartsThatItemsJob) {
    const QString broken = dir.filePath("broken.jpg"); // a sheet is due: it names the item
    ASSERT_TRUE(writeAll(broken, QByteArray(4000, 'q')));
    addPath(broken);
    selectAll();
    choose(drive(*d).find<QMenu>("editExifMenu"), "Change Lens Make and Model…");
    QWidget *lensWindow = drive(*d).find("changelensWindow");
    ASSERT_TRUE(lensWindow && lensWindow->isVisible());
    QApplication::processEvents(); // the item's handling is over: only its window knows it
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensMakelab"), "Kestry");
    drive(*d).click("ChangeCameLensModel");
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(),
              "\u201cChange Lens Make and Model\u201d: some photos could not be changed.");
    sheet->buttons().first()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The GPS window's save is the job of the item that opened it.
    choose(drive(*d).find<QMenu>("editExifMenu"), "Edit GPS Position…");
    QWidget *gpsWindow = drive(*d).find("changeGPSWindow");
    ASSERT_TRUE(gpsWindow && gpsWindow->isVisible());
    QApplication::processEvents();
    drive(*d).type("latitudelab", "48.8584");
    drive(*d).type("longtitudelab", "2.2945");
    drive(*d).type("dateStamplab", "YYYY:MM:DD");
    drive(*d).type("timeStamplab", "HH:MM:SS");
    drive(*d).click("ClickSaveChangeGPSAction");
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(gpsWindow->isVisible());
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "\u201cEdit GPS Position\u201d: some photos could not be changed.");
}

TEST_F(CompletionSheet, WithoutASheetTheResultIsRevealedOnce) {
    JobReport quiet;
    quiet.written = 1;
    quiet.revealPath = "/x/a.jpg";
    quiet.revealRoot = "/x";
    quiet.sheetOnSuccess = false;
    d->jobs().finishJob(quiet);
    EXPECT_EQ(openSheet(), nullptr);
    EXPECT_EQ(revealed, QStringList{"/x/a.jpg"});

    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
    quiet.sheetOnSuccess = true;
    d->jobs().finishJob(quiet);
    EXPECT_EQ(openSheet(), nullptr);
    EXPECT_EQ(revealed, (QStringList{"/x/a.jpg", "/x/a.jpg"}));
}

// The endings that bring their own words (merges, deletions, repairs, library edits).
TEST_F(CompletionSheet, OwnWordsAreShownAsTheyAreWithTheResultRevealedBeside) {
    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true); // not theirs to hide
    JobReport merged;
    merged.message = "The XMP merge has ended.";
    merged.informative = "1 files merged from 1 sidecars.";
    merged.written = 1;
    merged.revealPath = "/x/a.jpg";
    merged.revealRoot = "/x";
    QMessageBox *sheet = d->jobs().finishJob(merged);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(openSheet(), sheet);
    EXPECT_EQ(sheet->text(), merged.message);
    EXPECT_EQ(sheet->informativeText(), merged.informative);
    EXPECT_EQ(sheet->icon(), QMessageBox::Information);
    ASSERT_EQ(sheet->buttons().size(), 1);
    EXPECT_EQ(sheet->buttons().first()->text(), " Ok ");
    EXPECT_FALSE(suppressionButton(sheet));
    EXPECT_EQ(revealed, QStringList{"/x/a.jpg"});
    sheet->buttons().first()->click();

    // Something left, or nothing done, warns; where no file manager answers, the sheet itself
    // says where the result is, on the window the job ended in: no sheet of the main window
    // brings it in front of that window.
    Workspace::setRevealer({});
    Workspace::setUrlOpener([](const QUrl &) { return false; });
    QWidget jobWindow;
    jobWindow.show();
    merged.notWritten = QStringList{"b.xmp: no photo"};
    merged.revealPath.clear(); // the folder alone: no D-Bus is asked
    merged.button = " OK ";
    sheet = d->jobs().finishJob(merged, &jobWindow);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->parentWidget(), &jobWindow);
    EXPECT_EQ(sheet->icon(), QMessageBox::Warning);
    EXPECT_EQ(sheet->buttons().first()->text(), " OK ");
    EXPECT_EQ(sheet->informativeText(), merged.informative +
                                            "\n\nNo file manager answered. The photos are in " +
                                            QDir::toNativeSeparators("/x") + ".");
    EXPECT_EQ(openSheet(), nullptr);
    sheet->buttons().first()->click();

    // Its reveal asked for from a closing sheet: the note has a sheet of its own, there too.
    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", false);
    JobReport done;
    done.written = 1;
    done.revealRoot = "/x";
    sheet = d->jobs().finishJob(done, &jobWindow);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->buttons().size(), 2);
    sheet->buttons().at(1)->click(); // "Show in Folder"
    QStringList texts;
    for (QMessageBox *s : jobWindow.findChildren<QMessageBox *>())
        if (s->isVisible())
            texts << s->text() + "\n" + s->informativeText();
    EXPECT_EQ(texts, QStringList{"The folder could not be shown.\nNo file manager answered. The "
                                 "photos are in " +
                                 QDir::toNativeSeparators("/x") + "."});
    EXPECT_EQ(openSheet(), nullptr);
    JobReport refused;
    refused.message = "The photos were not removed from the Photo Library.";
    EXPECT_EQ(d->jobs().finishJob(refused)->icon(), QMessageBox::Warning);
}

TEST(Reveal, RecordedWhenReplaced) {
    QStringList seen;
    Workspace::setRevealer([&](const QString &p, const QString &root) { seen << p << root; });
    Workspace::selectFile("/x/y.jpg", "/x");
    Workspace::setRevealer({});
    EXPECT_EQ(seen, (QStringList{"/x/y.jpg", "/x"}));
}
