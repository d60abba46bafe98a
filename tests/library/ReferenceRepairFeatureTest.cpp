// Relinking the lost referenced photos of a copied 10.15.7 library: a moved file under a
// chosen root, then a renamed one in its folder, written into the library or renamed back
// on disk.
#include "LibraryTestSupport.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/MainWindowController.h"
#include "library/LibraryWindows.h"
#include "library/core/ReferenceRepair.h"
#include "platform/core/PhotosApplication.h"
#include "support/AppDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kPumpkinsSize = 700340; // the size the library records for Pumpkins4.jpg

void writeSized(const QString &path, int size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(QByteArray(size, 'p'));
}

class ReferenceRepair : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
        setPhotosApplication(&photos);
        d = std::make_unique<AppDelegate>();
        d->launch();
        lib = copyLibrary(QLatin1String(libraryName()), dir.path());
        database = lib + (older() ? QStringLiteral("/database/photos.db")
                                  : QStringLiteral("/database/Photos.sqlite"));
        ASSERT_TRUE(d->mainWindowController().LoadPhotosLibraryItemThreader(lib));
        QDeadlineTimer deadline(120000);
        while (!d->library().scanComplete && !deadline.hasExpired())
            QTest::qWait(5);
        ASSERT_TRUE(d->library().scanComplete);
        closeSheets();
        for (const IKImageItemPtr &i : d->library().photoLibBroserArray) {
            if (i->fileName == QLatin1String("Pumpkins4.jpg"))
                pumpkins = i;
            if (i->fileName == QLatin1String("wedding.jpg"))
                wedding = i;
        }
        ASSERT_TRUE(pumpkins && wedding);
        ASSERT_TRUE(pumpkins->photoLibFileNode->bLostReferencePhoto);
    }
    void TearDown() override {
        d.reset();
        setPhotosApplication(nullptr);
    }
    virtual const char *libraryName() const { return "Test-10.15.7"; }
    bool older() const { return QLatin1String(libraryName()) == QLatin1String("Test-10.14.6"); }
    void select(const QList<IKImageItemPtr> &items) {
        QItemSelectionModel *m = drive(*d).find<QListView>("photoLibBrowserView")->selectionModel();
        m->clearSelection();
        for (const IKImageItemPtr &i : items)
            m->select(drive(*d)
                          .find<QListView>("photoLibBrowserView")
                          ->model()
                          ->index(int(d->library().photoLibBroserArray.indexOf(i)), 0),
                      QItemSelectionModel::Select);
    }
    // The folder panel's end with `root` chosen.
    void chooseRoot(const QString &root) {
        auto *panel = new QFileDialog(d->window);
        panel->setOption(QFileDialog::DontUseNativeDialog, true);
        panel->setFileMode(QFileDialog::AnyFile);
        panel->selectFile(root);
        d->libraryWindows().openPanelDidEnd18(panel, 1);
        delete panel;
    }
    QMessageBox *visibleSheet() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    void closeSheets() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            s->close();
    }
    QStringList assetRow() {
        return sqliteRows(database, QStringLiteral("SELECT a.ZDIRECTORY, a.ZFILENAME, "
                                                   "b.ZORIGINALFILENAME FROM ZGENERICASSET a JOIN "
                                                   "ZADDITIONALASSETATTRIBUTES b ON b.ZASSET = "
                                                   "a.Z_PK WHERE a.Z_PK = %1")
                                        .arg(pumpkins->photoLibFileNode->photoAssetID))
            .value(0);
    }
    // The library loaded again after a change of its database: the photo of `asset`.
    IKImageItemPtr reloaded(int asset) {
        if (!d->mainWindowController().LoadPhotosLibraryItemThreader(lib))
            return nullptr;
        QDeadlineTimer deadline(120000);
        while (!d->library().scanComplete && !deadline.hasExpired())
            QTest::qWait(5);
        closeSheets();
        for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
            if (i->photoLibFileNode && i->photoLibFileNode->photoAssetID == asset)
                return i;
        return nullptr;
    }
    FakePhotosApplication photos;
    QTemporaryDir dir, roots;
    QString lib, database;
    IKImageItemPtr pumpkins, wedding;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(ReferenceRepair, AMovedFileOfTheRecordsSizeIsRelinkedAndTheOthersListed) {
    const QString root = roots.path() + QStringLiteral("/Neue Platte");
    const QString before = sqliteValue(database, QStringLiteral("SELECT ZDIRECTORY FROM "
                                                                "ZGENERICASSET WHERE Z_PK = 1"));
    // Two files of the record's size in one folder: neither is taken.
    writeSized(root + QStringLiteral("/Shared/one.jpg"), kPumpkinsSize);
    writeSized(root + QStringLiteral("/Shared/two.jpg"), kPumpkinsSize);
    select({pumpkins});
    chooseRoot(root);
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("No selected referenced photo was relinked."));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("several files")));
    EXPECT_EQ(assetRow().value(0), QStringLiteral("/Volumes/MacBook Mojave/Users/Shared"));
    closeSheets();

    QFile::remove(root + QStringLiteral("/Shared/one.jpg"));
    QFile::remove(root + QStringLiteral("/Shared/two.jpg"));
    writeSized(root + QStringLiteral("/Shared/Pumpkins4.jpg"), kPumpkinsSize);
    // From the view of the photos whose file is missing, which lets go of it once relinked.
    d->mainWindowController().ShowLostReferencePhotosinPhotoLibraryAction();
    ASSERT_TRUE(d->library().photoLibBroserArray.contains(pumpkins));
    d->library().photoLibBroserArray << wedding;
    d->mainWindowController().LoadImportedPhotoLibraryonMainThread();
    select({pumpkins, wedding});
    chooseRoot(root);
    EXPECT_FALSE(d->library().photoLibBroserArray.contains(pumpkins));
    EXPECT_TRUE(d->library().photoLibBroserArray.contains(wedding)) << "not relinked: stays";
    sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("1 referenced photo(s) relinked: the library browser "
                                            "shows them from their new place."));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("wedding.jpg")));
    EXPECT_EQ(sheet->icon(), QMessageBox::Warning) << "one was not relinked";
    EXPECT_EQ(assetRow().value(0), root + QStringLiteral("/Shared"));
    EXPECT_EQ(pumpkins->filePath, root + QStringLiteral("/Shared/Pumpkins4.jpg"));
    EXPECT_FALSE(pumpkins->photoLibFileNode->bLostReferencePhoto);
    EXPECT_FALSE(d->library().lostReferencePhotoItemArray.contains(pumpkins));
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
    EXPECT_NE(before, assetRow().value(0));
}

TEST_F(ReferenceRepair, ARenamedFileIsWrittenIntoTheLibraryOrRenamedBackWithoutReplacing) {
    const QString root = roots.path();
    writeSized(root + QStringLiteral("/Shared/Pumpkins4.jpg"), kPumpkinsSize);
    select({pumpkins});
    chooseRoot(root);
    closeSheets();
    ASSERT_EQ(pumpkins->filePath, root + QStringLiteral("/Shared/Pumpkins4.jpg"));

    // Renamed behind the library's back; the library takes the new whole name.
    ASSERT_TRUE(QFile::rename(pumpkins->filePath, root + QStringLiteral("/Shared/Kürbis 4.jpeg")));
    writeSized(root + QStringLiteral("/Shared/small.jpg"), 10);
    select({pumpkins}); // the relink reloaded the browser
    d->libraryWindows().FixReferencedPhotosAction();
    ASSERT_TRUE(drive(*d).find<QWidget>("fixReferencedNameWindow")->isVisible());
    EXPECT_TRUE(drive(*d).find<QCheckBox>("copyOrigFileNameBtn")->isChecked());
    // The two boxes stay opposite.
    drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->click();
    EXPECT_FALSE(drive(*d).find<QCheckBox>("copyOrigFileNameBtn")->isChecked());
    drive(*d).find<QCheckBox>("copyOrigFileNameBtn")->click();
    EXPECT_FALSE(drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->isChecked());
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    EXPECT_FALSE(drive(*d).find<QWidget>("fixReferencedNameWindow")->isVisible());
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("1 referenced photo(s) relinked: the library browser "
                                            "shows them from their new place."));
    EXPECT_EQ(sheet->icon(), QMessageBox::Information) << "all relinked: no warning sign";
    EXPECT_EQ(assetRow(),
              (QStringList{root + QStringLiteral("/Shared"), "Kürbis 4.jpeg", "Kürbis 4.jpeg"}));
    EXPECT_EQ(pumpkins->filePath, root + QStringLiteral("/Shared/Kürbis 4.jpeg"));
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
    closeSheets();

    // Renamed again; this time the file is renamed back to the library's name, but a link
    // that has taken that name is never replaced.
    const QString libraryName = pumpkins->filePath;
    ASSERT_TRUE(QFile::rename(libraryName, root + QStringLiteral("/Shared/IMG 9.jpg")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/nowhere"), libraryName));
    drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->click();
    ASSERT_TRUE(drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->isChecked());
    select({pumpkins});
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("No selected referenced photo was relinked."));
    EXPECT_TRUE(sheet->informativeText().contains(libraryName))
        << sheet->informativeText().toStdString();
    // The renamed-photo repair that found nothing points to the moved-photo repair.
    EXPECT_TRUE(sheet->informativeText().startsWith(
        QStringLiteral("If the originals were moved, use Fix Moved Referenced Photos first")));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("/Shared/IMG 9.jpg")));
    closeSheets();
    QFile::remove(libraryName);
    select({pumpkins});
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    EXPECT_TRUE(QFileInfo(libraryName).isFile());
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/Shared/IMG 9.jpg")));
    EXPECT_EQ(assetRow().value(1), QStringLiteral("Kürbis 4.jpeg")) << "the library is unchanged";
}

TEST_F(ReferenceRepair, NothingSelectedOrAHeldLibraryIsSaidBeforeAnyPanelOpens) {
    drive(*d).find<QListView>("photoLibBrowserView")->selectionModel()->clearSelection();
    for (void (LibraryWindows::*repair)() : {&LibraryWindows::FixMovedReferencedPhotosAction,
                                             &LibraryWindows::FixReferencedPhotosAction}) {
        (d->libraryWindows().*repair)();
        QMessageBox *sheet = visibleSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->text(), QStringLiteral("The referenced photos were not repaired."));
        EXPECT_TRUE(sheet->informativeText().startsWith(QStringLiteral("No photo is selected.")));
        EXPECT_FALSE(d->window->findChild<QFileDialog *>());
        EXPECT_FALSE(drive(*d).find<QWidget>("fixReferencedNameWindow")->isVisible());
        closeSheets();
    }

    photos.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    select({pumpkins});
    d->libraryWindows().FixMovedReferencedPhotosAction();
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("You need to quit the running Photos application."));
    EXPECT_FALSE(d->window->findChild<QFileDialog *>());
    closeSheets();
    writeSized(roots.path() + QStringLiteral("/Pumpkins4.jpg"), kPumpkinsSize);
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->text(),
              QStringLiteral("You need to quit the running Photos application."));
    EXPECT_EQ(assetRow().value(0), QStringLiteral("/Volumes/MacBook Mojave/Users/Shared"));
    EXPECT_TRUE(pumpkins->photoLibFileNode->bLostReferencePhoto);
}

TEST_F(ReferenceRepair, NothingIsRenamedInAFolderReachedThroughALink) {
    // The folder the library names is a link to another place, where a file of the record's
    // size waits: the rename stays out of it.
    const QString elsewhere = roots.path() + QStringLiteral("/elsewhere");
    const QString linked = roots.path() + QStringLiteral("/linked");
    writeSized(elsewhere + QStringLiteral("/Kürbis.jpg"), kPumpkinsSize);
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    const int asset = pumpkins->photoLibFileNode->photoAssetID;
    sqliteValue(database, QStringLiteral("UPDATE ZGENERICASSET SET ZDIRECTORY = '%1' WHERE Z_PK "
                                         "= %2")
                              .arg(linked)
                              .arg(asset));
    const IKImageItemPtr hostile = reloaded(asset);
    ASSERT_TRUE(hostile);
    const QStringList before = treeListing(roots.path());
    drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->setChecked(true); // rename files on disk
    select({hostile});
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->text(), QStringLiteral("No selected referenced photo was relinked."));
    EXPECT_TRUE(visibleSheet()->informativeText().contains(QStringLiteral("through a link")))
        << visibleSheet()->informativeText().toStdString();
    closeSheets();
    EXPECT_EQ(treeListing(roots.path()), before);
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}

class OlderReferenceRepair : public ReferenceRepair {
  protected:
    const char *libraryName() const override { return "Test-10.14.6"; }
    QStringList masterRow() {
        return sqliteRows(database, QStringLiteral("SELECT imagePath, name FROM RKMaster WHERE "
                                                   "modelId = %1")
                                        .arg(pumpkins->photoLibFileNode->photoID))
            .value(0);
    }
};

TEST_F(OlderReferenceRepair, TheMastersImagePathFollowsTheMovedAndRenamedFile) {
    const QString root = roots.path();
    writeSized(root + QStringLiteral("/Shared/Pumpkins4.jpg"), kPumpkinsSize);
    select({pumpkins});
    chooseRoot(root);
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("1 referenced photo(s) relinked: the library browser "
                                            "shows them from their new place."));
    EXPECT_EQ(masterRow().value(0), root + QStringLiteral("/Shared/Pumpkins4.jpg"));
    closeSheets();

    ASSERT_TRUE(QFile::rename(pumpkins->filePath, root + QStringLiteral("/Shared/Kürbis.jpg")));
    select({pumpkins});
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(masterRow(), (QStringList{root + QStringLiteral("/Shared/Kürbis.jpg"), "Kürbis"}));
    EXPECT_EQ(pumpkins->filePath, root + QStringLiteral("/Shared/Kürbis.jpg"));
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}

TEST_F(ReferenceRepair, ALostReferenceWhoseNameClimbsOutOfItsFolderIsNeverRepaired) {
    // A hostile library: Pumpkins4's name climbs two folders above the folder it names.
    const QString folder = roots.path() + QStringLiteral("/Shared/sub");
    ASSERT_TRUE(QDir().mkpath(folder));
    const int asset = pumpkins->photoLibFileNode->photoAssetID;
    sqliteValue(database, QStringLiteral("UPDATE ZGENERICASSET SET ZDIRECTORY = '%1' WHERE Z_PK = "
                                         "%2; UPDATE ZADDITIONALASSETATTRIBUTES SET "
                                         "ZORIGINALFILENAME = '../../victim.jpg' WHERE ZASSET = %2")
                              .arg(folder)
                              .arg(asset));
    const IKImageItemPtr hostile = reloaded(asset);
    ASSERT_TRUE(hostile);
    // A file of the record's size where the name leads, and one under the chosen root.
    writeSized(roots.path() + QStringLiteral("/bait.jpg"), kPumpkinsSize);
    writeSized(roots.path() + QStringLiteral("/moved/victim.jpg"), kPumpkinsSize);
    const QStringList row = assetRow();
    const QStringList before = treeListing(roots.path());

    drive(*d).find<QCheckBox>("copyPhotoLibFileNameBtn")->setChecked(true); // rename files on disk
    select({hostile});
    d->libraryWindows().StartCopyFileNameReferenceFileAction();
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("No selected referenced photo was relinked."));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("leads out of its folder")))
        << sheet->informativeText().toStdString();
    closeSheets();
    select({hostile});
    chooseRoot(roots.path() + QStringLiteral("/moved"));
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->text(), QStringLiteral("No selected referenced photo was relinked."));
    closeSheets();

    EXPECT_EQ(treeListing(roots.path()), before);
    EXPECT_EQ(assetRow(), row);
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}
