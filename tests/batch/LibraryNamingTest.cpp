// Batch titles, captions and names in copies of the three fixture libraries, checked with
// the sqlite3 command.
#include "../library/LibraryTestSupport.h"
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "batch/NamingWindows.h"
#include "browser/MainWindowController.h"
#include "library/LibraryDatabase.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The library browser.
QListView *libraryBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("photoLibBrowserView");
}

struct LibraryCase {
    const char *name;
    const char *database;
    bool current;
};

class LibraryNaming : public ::testing::TestWithParam<LibraryCase> {
  protected:
    void SetUp() override {
        clearUserDefaults();
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([](const QString &, const QString &) {});
        setPhotosApplication(&photos);
        d = std::make_unique<AppDelegate>();
        d->launch();
        lib = copyLibrary(QLatin1String(GetParam().name), dir.path());
        ASSERT_FALSE(lib.isEmpty());
        db = lib + QLatin1Char('/') + QLatin1String(GetParam().database);
        auto *panel = new QFileDialog(d->window);
        panel->setOption(QFileDialog::DontUseNativeDialog, true);
        panel->setFileMode(QFileDialog::AnyFile);
        panel->selectFile(lib);
        d->mainWindowController().openPanelDidEnd8(panel, 1);
        delete panel;
        QDeadlineTimer deadline(120000);
        while (!d->library().scanComplete && !deadline.hasExpired())
            QTest::qWait(5);
        ASSERT_TRUE(d->library().scanComplete);
        ASSERT_TRUE(d->libraryDatabase().readOnlyReason().isEmpty())
            << d->libraryDatabase().readOnlyReason().toStdString();
        ASSERT_EQ(d->library().bScanNewPhotosLib, GetParam().current);
        d->mainWindowController().setLocalMode(false);
    }
    void TearDown() override {
        d.reset();
        setPhotosApplication(nullptr);
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    // Selects the library items of these file names; returns them in list order.
    QList<IKImageItemPtr> select(const QStringList &names) {
        QList<IKImageItemPtr> out;
        QItemSelectionModel *selection = libraryBrowser(*d)->selectionModel();
        selection->clearSelection();
        const QList<IKImageItemPtr> &list = d->library().photoLibBroserArray;
        for (int i = 0; i < list.size(); ++i)
            if (names.contains(list[i]->fileName)) {
                selection->select(libraryBrowser(*d)->model()->index(i, 0),
                                  QItemSelectionModel::Select);
                out << list[i];
            }
        EXPECT_EQ(out.size(), names.size());
        return out;
    }
    QString titleInDatabase(int id) {
        return sqliteValue(
            db, GetParam().current
                    ? QStringLiteral("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES "
                                     "WHERE Z_PK = %1")
                          .arg(id)
                    : QStringLiteral("SELECT name FROM RKVersion WHERE masterId = %1").arg(id));
    }
    QStringList captionsInDatabase(int id) {
        QStringList out;
        const QString sql =
            GetParam().current
                ? QStringLiteral("SELECT ZLONGDESCRIPTION FROM ZASSETDESCRIPTION WHERE "
                                 "ZASSETATTRIBUTES = %1")
                      .arg(id)
                : QStringLiteral("SELECT extendedDescription FROM RKVersion WHERE masterId = %1")
                      .arg(id);
        for (const QStringList &row : sqliteRows(db, sql))
            out << row.value(0);
        return out;
    }
    QString nameInDatabase(int id) {
        return sqliteValue(db, GetParam().current
                                   ? QStringLiteral("SELECT ZORIGINALFILENAME FROM "
                                                    "ZADDITIONALASSETATTRIBUTES WHERE Z_PK = %1")
                                         .arg(id)
                                   : QStringLiteral("SELECT fileName FROM RKVersion WHERE "
                                                    "masterId = %1")
                                         .arg(id));
    }
    void expectWhole() {
        EXPECT_EQ(sqliteValue(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }
    void runTitleWindow(bool caption, const std::function<void()> &setUp) {
        caption ? d->namingWindows().BatchChangePhotoCaptionAction()
                : d->namingWindows().BatchChangePhotoTitleAction();
        setUp();
        d->namingWindows().ClickSaveChangePhotoTitleAction();
        ASSERT_TRUE(waitForJobs(*d));
    }
    QMessageBox *openSheet() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    FakePhotosApplication photos;
    QTemporaryDir dir;
    QString lib, db;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_P(LibraryNaming, TitlesCaptionsAndNamesReachDatabaseAndRecords) {
    const QList<IKImageItemPtr> items =
        select({QStringLiteral("St James Park.jpg"), QStringLiteral("wedding.jpg")});
    ASSERT_EQ(items.size(), 2);
    const IKImageItemPtr park =
        items[0]->fileName == QLatin1String("St James Park.jpg") ? items[0] : items[1];
    const IKImageItemPtr wedding = park == items[0] ? items[1] : items[0];
    const int parkId = park->photoLibFileNode->photoID,
              weddingId = wedding->photoLibFileNode->photoID;

    runTitleWindow(false, [&] {
        drive(*d).find<QComboBox>("useFileNameAsTitlePopButton")->setCurrentIndex(1);
        drive(*d).find<QLineEdit>("addTextFileNametoTitleLab")->setText(QStringLiteral("Owner's"));
    });
    EXPECT_EQ(titleInDatabase(parkId), QStringLiteral("Owner's St James Park"));
    EXPECT_EQ(titleInDatabase(weddingId), QStringLiteral("Owner's wedding"));
    EXPECT_EQ(park->photoLibFileNode->fileTitle, QStringLiteral("Owner's St James Park"));
    // Nothing to show in a file manager: the ending says what was done, without a warning.
    QMessageBox *done = openSheet();
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->informativeText().isEmpty()) << done->informativeText().toStdString();
    EXPECT_EQ(done->icon(), QMessageBox::Information) << done->text().toStdString();
    done->close();

    // A caption twice: the second replaces the first, one caption row per photo.
    for (const QString &text : {QStringLiteral("first"), QStringLiteral("second")}) {
        runTitleWindow(true, [&] {
            drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
            drive(*d)
                .find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")
                ->setText(text + QStringLiteral(" {File Name}"));
        });
        EXPECT_EQ(captionsInDatabase(parkId), QStringList{text + QStringLiteral(" St James Park")});
        EXPECT_EQ(captionsInDatabase(weddingId), QStringList{text + QStringLiteral(" wedding")});
        EXPECT_EQ(park->photoLibFileNode->fileDescription, text + QStringLiteral(" St James Park"));
    }

    // A template that gives nothing changes neither the library nor the record.
    select({QStringLiteral("wedding.jpg")});
    runTitleWindow(false, [&] {
        drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
        drive(*d)
            .find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")
            ->setText(QStringLiteral("{Comments}"));
    });
    EXPECT_EQ(titleInDatabase(weddingId), QStringLiteral("Owner's wedding"));
    EXPECT_EQ(wedding->photoLibFileNode->fileTitle, QStringLiteral("Owner's wedding"));

    // Names: custom text with the counter, counted over the selection.
    select({QStringLiteral("St James Park.jpg"), QStringLiteral("wedding.jpg")});
    drive(*d).find<QWidget>("photolibView")->show();
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QLineEdit>("customNamelab")->setText(QStringLiteral("Trip"));
    drive(*d).find<QCheckBox>("checkStartNumber")->setChecked(true);
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString first = items[0]->fileName, second = items[1]->fileName;
    EXPECT_EQ(first, QStringLiteral("Trip000001.jpg"));
    EXPECT_EQ(second, QStringLiteral("Trip000002.jpg"));
    EXPECT_EQ(items[0]->photoLibFileNode->fileName, first);
    EXPECT_EQ(nameInDatabase(items[0]->photoLibFileNode->photoID), first);
    EXPECT_EQ(nameInDatabase(items[1]->photoLibFileNode->photoID), second);
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(),
              QStringLiteral("{ExistingFileName}"));
    expectWhole();
    EXPECT_FALSE(drive(*d).find("renameActionWindow")->isVisible());
}

TEST_P(LibraryNaming, TemplatesReadTheRecordAndTheOriginalFile) {
    const QList<IKImageItemPtr> items = select({QStringLiteral("St James Park.jpg")});
    ASSERT_EQ(items.size(), 1);
    const PRPicFileInfo &record = *items[0]->photoLibFileNode;
    const int id = record.photoID;
    // Keywords come from the record, the camera make from the original file.
    QString keywords = record.fileKeywords;
    for (const char *gone : {" ", "\n", ","})
        keywords.remove(QLatin1String(gone));
    runTitleWindow(true, [&] {
        drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
        drive(*d)
            .find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")
            ->setText(QStringLiteral("{Keywords} {Camera Make}"));
    });
    EXPECT_EQ(captionsInDatabase(id), QStringList{keywords + QStringLiteral(" NIKON CORPORATION")});

    // A metadata name from the record's title, made fit for a file name.
    const QString title = record.fileTitle;
    ASSERT_FALSE(title.isEmpty());
    drive(*d).find<QWidget>("photolibView")->show();
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QCheckBox>("metaFileNameBtn")->click();
    drive(*d).find<QLineEdit>("filenameFormatstrlab")->setText(QStringLiteral("{Title}"));
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    QString expected = title;
    for (const char *gone : {"{", "}", ",", "(", ")", "/"})
        expected.remove(QLatin1String(gone));
    EXPECT_EQ(items[0]->fileName, expected + QStringLiteral(".jpg"));
    EXPECT_EQ(nameInDatabase(id), expected + QStringLiteral(".jpg"));

    // A custom name of two megabytes of accented letters is cut once to one file name.
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QCheckBox>("customerFileNameBtn")->click();
    QString huge;
    for (int i = 0; i < 500000; ++i)
        huge += QStringLiteral("e\u0301 ");
    drive(*d).find<QLineEdit>("customNamelab")->setText(huge);
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QByteArray stored = nameInDatabase(id).toUtf8();
    EXPECT_TRUE(stored.startsWith("e\xcc\x81 e")) << stored.left(40).toStdString();
    EXPECT_TRUE(stored.endsWith(".jpg"));
    EXPECT_LE(stored.size(), 255);
    EXPECT_EQ(items[0]->fileName.toUtf8(), stored);
    expectWhole();
}

TEST_P(LibraryNaming, OneFailedWriteUndoesTheWholeAction) {
    const QList<IKImageItemPtr> items =
        select({QStringLiteral("St James Park.jpg"), QStringLiteral("wedding.jpg")});
    ASSERT_EQ(items.size(), 2);
    const int firstId = items[0]->photoLibFileNode->photoID;
    const QString titleBefore = titleInDatabase(firstId);
    const QString recordBefore = items[0]->photoLibFileNode->fileTitle;
    // A record whose row has gone: its write is refused after the first one was made.
    items[1]->photoLibFileNode->photoID = 999999;
    runTitleWindow(false, [] {});
    EXPECT_EQ(titleInDatabase(firstId), titleBefore);
    EXPECT_EQ(items[0]->photoLibFileNode->fileTitle, recordBefore);
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains(items[0]->fileName));
    EXPECT_TRUE(sheet->informativeText().contains(items[1]->fileName));
    expectWhole();
}

TEST_P(LibraryNaming, WhilePhotosRunsNothingStarts) {
    select({QStringLiteral("wedding.jpg")});
    const QByteArray before = sqliteDump(db);
    photos.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    d->namingWindows().BatchChangePhotoTitleAction();
    d->namingWindows().ClickSaveChangePhotoTitleAction();
    EXPECT_EQ(d->jobs().runningJobCount(), 0);
    EXPECT_FALSE(drive(*d).find("batchTitleWindow")->isVisible());
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("You need to quit the running Photos application."));
    ASSERT_EQ(sheet->buttons().size(), 1);
    EXPECT_EQ(sheet->buttons().first()->text(), QStringLiteral(" OK "));
    sheet->buttons().first()->click();

    drive(*d).find<QWidget>("photolibView")->show();
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QLineEdit>("customNamelab")->setText(QStringLiteral("Trip"));
    d->namingWindows().SaveChangesRenameWindowAction();
    EXPECT_EQ(d->jobs().runningJobCount(), 0);
    EXPECT_TRUE(openSheet());
    EXPECT_FALSE(drive(*d).find("renameActionWindow")->isVisible());
    EXPECT_EQ(sqliteDump(db), before);
    EXPECT_TRUE(photos.ended.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, LibraryNaming,
    ::testing::Values(LibraryCase{"Test-10.15.7", "database/Photos.sqlite", true},
                      LibraryCase{"Test-13.0.0", "database/Photos.sqlite", true},
                      LibraryCase{"Test-10.14.6", "database/photos.db", false}),
    [](const auto &info) {
        return QString::fromLatin1(info.param.name)
            .remove(QLatin1Char('-'))
            .remove(QLatin1Char('.'))
            .toStdString();
    });
