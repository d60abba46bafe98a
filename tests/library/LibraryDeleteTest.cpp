// Deleting photos from a copied library: the rows go in one transaction and one copy back,
// the store stays whole, and only then the files go to the Trash; any failure before that
// leaves every file where it was.
#include "LibraryTestSupport.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/MainWindowController.h"
#include "export/DuplicateWindow.h"
#include "export/core/DuplicateScan.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryWindows.h"
#include "library/core/LibraryDeletion.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/Trash.h"
#include "support/AppDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Rows that name an asset or an attributes row no table holds (faces may stay unlinked).
int danglingReferences(const QString &db) {
    int n = 0;
    for (const QStringList &row :
         sqliteRows(db, QStringLiteral("SELECT m.name, p.name FROM sqlite_master m, "
                                       "pragma_table_info(m.name) p WHERE m.type = 'table' AND "
                                       "p.name IN ('ZASSET', 'ZASSETATTRIBUTES')"))) {
        if (row[0] == QLatin1String("ZDETECTEDFACE"))
            continue;
        const QString target = row[1] == QLatin1String("ZASSET")
                                   ? QStringLiteral("ZGENERICASSET")
                                   : QStringLiteral("ZADDITIONALASSETATTRIBUTES");
        n += sqliteValue(db, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 IS NOT NULL AND %2 "
                                            "NOT IN (SELECT Z_PK FROM %3)")
                                 .arg(row[0], row[1], target))
                 .toInt();
    }
    return n;
}

QString trashInfoPathOf(const QString &trashedName) {
    QFile f(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/info/") + trashedName +
            QStringLiteral(".trashinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("Path="))
            return QUrl::fromPercentEncoding(line.mid(5));
    return {};
}

class LibraryDelete : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
        setPhotosApplication(&photos);
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        setPhotosApplication(nullptr);
        setTrash(nullptr);
    }
    // `sql` changes the copy before it is opened.
    bool open(const QString &parent, const char *name = "Test-10.15.7",
              const QString &sql = QString()) {
        QDir().mkpath(parent);
        lib = copyLibrary(QLatin1String(name), parent);
        database = lib + (QLatin1String(name) == QLatin1String("Test-10.14.6")
                              ? QStringLiteral("/database/photos.db")
                          : QLatin1String(name) == QLatin1String("Test-iPhoto-9.6.1")
                              ? QStringLiteral("/Database/apdb/Library.apdb")
                              : QStringLiteral("/database/Photos.sqlite"));
        if (!sql.isEmpty())
            sqliteValue(database, sql);
        if (lib.isEmpty() || !d->mainWindowController().LoadPhotosLibraryItemThreader(lib))
            return false;
        waitForScan();
        closeSheets();
        return d->library().scanComplete && d->libraryDatabase().session().workingCopy();
    }
    void waitForScan() {
        QDeadlineTimer deadline(120000);
        while (!d->library().scanComplete && !deadline.hasExpired())
            QTest::qWait(5);
    }
    IKImageItemPtr item(const QString &fileName) {
        for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
            if (i->fileName == fileName)
                return i;
        return nullptr;
    }
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
    QString count(const QString &sql) { return sqliteValue(database, sql); }
    FakePhotosApplication photos;
    QTemporaryDir dir;
    QString lib, database;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(LibraryDelete, ConfirmedDeletionRemovesRowsThenTrashesFilesAndCompanions) {
    // A library whose path has "%" and "é", which the trash info must spell back exactly.
    ASSERT_TRUE(open(dir.path() + QStringLiteral("/Fotos é 100%")));
    const IKImageItemPtr wedding = item(QStringLiteral("wedding.jpg"));
    const IKImageItemPtr pumpkins = item(QStringLiteral("Pumpkins3.jpg"));
    ASSERT_TRUE(wedding && pumpkins);
    const QString weddingFile = wedding->filePath, pumpkinsFile = pumpkins->filePath;
    ASSERT_TRUE(QFile::exists(weddingFile) && QFile::exists(pumpkinsFile));
    const QString companion = livePhotoCompanionPath(weddingFile);
    {
        QFile f(companion);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the video half");
    }
    const QString triggers = count(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE "
                                                  "type = 'trigger'"));
    const QString assets = count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET"));
    const int keys[] = {wedding->photoLibFileNode->photoAssetID,
                        pumpkins->photoLibFileNode->photoAssetID};

    select({wedding, pumpkins});
    d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction();
    QMessageBox *ask = visibleSheet();
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->text(), QStringLiteral("Are you sure you want to delete the selected "
                                          "photo(s) from Photo Library?"));
    d->libraryWindows().savePanelDidEnd9(ask, 1);
    QMessageBox *done = visibleSheet();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text(),
              QStringLiteral("The selected photo(s) has been removed from Photo Library."));
    EXPECT_TRUE(done->informativeText().isEmpty()) << done->informativeText().toStdString();
    EXPECT_EQ(done->icon(), QMessageBox::Information);

    // The library's own database, after the copy back.
    for (int key : keys) {
        EXPECT_EQ(
            count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1").arg(key)),
            QStringLiteral("0"));
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZADDITIONALASSETATTRIBUTES WHERE "
                                       "ZASSET = %1")
                            .arg(key)),
                  QStringLiteral("0"));
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET")).toInt(),
              assets.toInt() - 2);
    EXPECT_EQ(danglingReferences(database), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'")),
              triggers);
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    // The files, the companion too, are in the home trash with their old paths.
    for (const QString &file : {weddingFile, pumpkinsFile, companion}) {
        EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
        const QString name = QFileInfo(file).fileName();
        EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_DATA_HOME") +
                                  QStringLiteral("/Trash/files/") + name));
        EXPECT_EQ(trashInfoPathOf(name), file);
    }
    // Gone from every list, not only the shown one.
    for (const IKImageItemPtr &gone : {wedding, pumpkins}) {
        EXPECT_FALSE(d->library().photoLibBroserArray.contains(gone));
        EXPECT_FALSE(d->library().backupdifPhotoLibItemArray.contains(gone));
        EXPECT_FALSE(d->library().jpgPhotosItemArray.contains(gone));
        for (const auto &album : d->library().albumDictionary)
            EXPECT_FALSE(album.contains(gone));
    }
    EXPECT_FALSE(d->library().nameDictionary.contains(QStringLiteral("Pumpkins3.jpg")));

    // A restore brings the rows back, puts their files back from the Trash and reloads; a
    // file emptied from the Trash meanwhile is named.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    const QString pumpkinsName = QFileInfo(pumpkinsFile).fileName();
    ASSERT_TRUE(QFile::remove(trash + QStringLiteral("/files/") + pumpkinsName));
    ASSERT_TRUE(QFile::remove(trash + QStringLiteral("/info/%1.trashinfo").arg(pumpkinsName)));
    closeSheets();
    const QString backup = d->libraryDatabase().session().workingCopy()->lastBackupPath();
    d->libraryDatabase().savePanelDidEnd6(nullptr, 1);
    QMessageBox *restored = visibleSheet();
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->text(),
              QStringLiteral("Restore Photo Library metadata has been completed."));
    EXPECT_EQ(restored->informativeText(),
              QStringLiteral("All photolibrary data has been restored before the change.\nThe "
                             "library is as its backup of %1 holds it.\nThese files of restored "
                             "photos could not be put back from the Trash:\n%2: it is not in the "
                             "Trash")
                  .arg(libraryBackupTimeText(backup), pumpkinsFile));
    EXPECT_FALSE(QFile::exists(pumpkinsFile));
    for (const QString &file : {weddingFile, companion}) {
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_TRUE(trashInfoPathOf(QFileInfo(file).fileName()).isEmpty());
    }
    // Read once the reload has let go of the library: sqlite3 waits for no lock of ours.
    waitForScan();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET")), assets);
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_TRUE(item(QStringLiteral("wedding.jpg")) && item(QStringLiteral("Pumpkins3.jpg")));
}

// Photos deleted in one run of the program and restored in the next: the backup made at the
// second open is the library as it is now, and the sheet says so; the backup of the first
// open, chosen on the sheet, brings back the photos' rows and, from the Trash, their files.
TEST_F(LibraryDelete, ARestoreInALaterRunNamesItsBackupAndOffersTheOlderOnes) {
    ASSERT_TRUE(open(dir.path()));
    const IKImageItemPtr wedding = item(QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(wedding);
    const QString weddingFile = wedding->filePath;
    const QString assets = count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET"));
    const QString firstBackup = d->libraryDatabase().session().workingCopy()->lastBackupPath();
    select({wedding});
    d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction();
    ASSERT_TRUE(visibleSheet());
    d->libraryWindows().savePanelDidEnd9(visibleSheet(), 1);
    closeSheets();
    ASSERT_FALSE(QFile::exists(weddingFile));

    // The program ends; its next run, with the same home, opens the same library.
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    ASSERT_TRUE(d->mainWindowController().LoadPhotosLibraryItemThreader(lib));
    waitForScan();
    closeSheets();
    ASSERT_FALSE(item(QStringLiteral("wedding.jpg")));
    const QString secondBackup = d->libraryDatabase().session().workingCopy()->lastBackupPath();
    ASSERT_NE(secondBackup, firstBackup);

    d->libraryDatabase().RestorePhotoLibraryDatabase();
    QMessageBox *ask = visibleSheet();
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->text(), QStringLiteral("Are you sure you want to restore the photo library?"));
    const QString will =
        QStringLiteral("All photo library data will be restored before the change.");
    EXPECT_EQ(ask->informativeText(),
              will + QStringLiteral("\nThe backup of %1 is the library as it is now: restoring it "
                                    "changes nothing. Choose an older backup of this library "
                                    "below.")
                         .arg(libraryBackupTimeText(secondBackup)));
    auto *choice = ask->findChild<QComboBox *>(QStringLiteral("restoreBackupChoice"));
    ASSERT_TRUE(choice);
    ASSERT_EQ(choice->count(), 2);
    EXPECT_EQ(choice->itemData(0).toString(), secondBackup);
    EXPECT_EQ(choice->itemText(0), QStringLiteral("Backup of %1 (the library as it is now)")
                                       .arg(libraryBackupTimeText(secondBackup)));
    EXPECT_EQ(choice->itemData(1).toString(), firstBackup);
    EXPECT_EQ(choice->itemText(1),
              QStringLiteral("Backup of %1").arg(libraryBackupTimeText(firstBackup)));
    choice->setCurrentIndex(1);
    d->libraryDatabase().savePanelDidEnd6(ask, 1);
    QMessageBox *done = visibleSheet();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text(), QStringLiteral("Restore Photo Library metadata has been completed."));
    EXPECT_EQ(done->informativeText(),
              QStringLiteral("All photolibrary data has been restored before the change.\nThe "
                             "library is as its backup of %1 holds it.")
                  .arg(libraryBackupTimeText(firstBackup)));
    EXPECT_TRUE(QFile::exists(weddingFile));
    waitForScan();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET")), assets);
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_TRUE(item(QStringLiteral("wedding.jpg")));
}

TEST_F(LibraryDelete, AFailedCopyBackTrashesNothingAndChangesNoList) {
    FakeTrash fake;
    setTrash(&fake);
    ASSERT_TRUE(open(dir.path()));
    const IKImageItemPtr wedding = item(QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(wedding);
    const QList<IKImageItemPtr> shown = d->library().photoLibBroserArray;
    // Another program changes the library's database after our open.
    ASSERT_EQ(sqliteValue(database, QStringLiteral("PRAGMA user_version = 7; PRAGMA "
                                                   "user_version")),
              QStringLiteral("7"));
    select({wedding});
    d->libraryWindows().DeletePhotoinPhotoLibraryAction();
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("The photos were not removed from the Photo Library."));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("changed by another program")))
        << sheet->informativeText().toStdString();
    EXPECT_TRUE(fake.trashed.isEmpty());
    EXPECT_TRUE(QFile::exists(wedding->filePath));
    EXPECT_EQ(d->library().photoLibBroserArray, shown);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1")
                        .arg(wedding->photoLibFileNode->photoAssetID)),
              QStringLiteral("1"));
    // The working copy rolled back too: the next try deletes nothing twice.
    EXPECT_FALSE(d->libraryDatabase().session().store());

    // A read-only database folder refuses the copy back for anyone but root.
    if (geteuid() != 0) {
        ASSERT_TRUE(open(dir.path() + QStringLiteral("/again")));
        const IKImageItemPtr park = item(QStringLiteral("St James Park.jpg"));
        ASSERT_TRUE(park);
        QFile::setPermissions(lib + QStringLiteral("/database"),
                              QFile::ReadOwner | QFile::ExeOwner);
        select({park});
        d->libraryWindows().DeletePhotoinPhotoLibraryAction();
        QFile::setPermissions(lib + QStringLiteral("/database"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(fake.trashed.isEmpty());
        EXPECT_TRUE(QFile::exists(park->filePath));
    }
}

TEST_F(LibraryDelete, AHeldLibraryIsOfferedTheQuitAndNothingIsDeleted) {
    FakeTrash fake;
    setTrash(&fake);
    ASSERT_TRUE(open(dir.path()));
    const IKImageItemPtr wedding = item(QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(wedding);
    photos.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    select({wedding});
    for (const std::function<void()> &road : std::initializer_list<std::function<void()>>{
             [this] { d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction(); },
             [this] { d->libraryWindows().DeletePhotoinPhotoLibraryAction(); },
             [this] { d->duplicateWindow().DeleteDuplicatePhotosinPhotoLibraryAction(); }}) {
        road();
        QMessageBox *sheet = visibleSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->text(),
                  QStringLiteral("You need to quit the running Photos application."));
        EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("Photos (4242)")));
        closeSheets();
    }
    // Free again, but the question is answered " Cancel ".
    photos.heldBy.clear();
    d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction();
    QMessageBox *ask = visibleSheet();
    ASSERT_TRUE(ask);
    d->libraryWindows().savePanelDidEnd9(ask, 0);
    EXPECT_FALSE(visibleSheet());
    EXPECT_TRUE(fake.trashed.isEmpty());
    EXPECT_TRUE(d->library().photoLibBroserArray.contains(wedding));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1")
                        .arg(wedding->photoLibFileNode->photoAssetID)),
              QStringLiteral("1"));
}

TEST_F(LibraryDelete, WithoutAReadableDatabaseNothingIsDeletedAndTheSheetSaysWhy) {
    FakeTrash fake;
    setTrash(&fake);
    QDir().mkpath(dir.path() + QStringLiteral("/broken"));
    lib = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path() + QStringLiteral("/broken"));
    ASSERT_FALSE(lib.isEmpty());
    database = lib + QStringLiteral("/database/Photos.sqlite");
    for (const char *f : {"Photos.sqlite-wal", "Photos.sqlite-shm"})
        QFile::remove(lib + QStringLiteral("/database/") + QLatin1String(f));
    writeBytes(database, QByteArray("SQLite format 3").append(4096, '\x7f'));
    ASSERT_TRUE(d->mainWindowController().LoadPhotosLibraryItemThreader(lib));
    waitForScan();
    closeSheets();
    // The folder walk still shows the originals.
    ASSERT_FALSE(d->library().photoLibBroserArray.isEmpty());
    const IKImageItemPtr first = d->library().photoLibBroserArray.first();
    const QByteArray bytes = fileBytes(database);
    select({first});
    d->libraryWindows().DeletePhotoinPhotoLibraryAction();
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("The photos were not removed from the Photo Library."));
    EXPECT_TRUE(sheet->informativeText().contains(lib)) << sheet->informativeText().toStdString();
    EXPECT_TRUE(fake.trashed.isEmpty());
    EXPECT_TRUE(QFile::exists(first->filePath));
    EXPECT_EQ(fileBytes(database), bytes);
    EXPECT_TRUE(d->library().photoLibBroserArray.contains(first));
}

TEST_F(LibraryDelete, TickedDuplicatesGoWithCompanionsAndAnUntrashableFileIsListed) {
    FakeTrash fake;
    setTrash(&fake);
    ASSERT_TRUE(open(dir.path()));
    const IKImageItemPtr kept = item(QStringLiteral("winebottle.jpeg"));
    IKImageItemPtr other;
    for (const IKImageItemPtr &i :
         d->library().nameDictionary.value(QStringLiteral("winebottle.jpeg")))
        if (i != kept)
            other = i;
    const IKImageItemPtr tulips = item(QStringLiteral("Tulips.jpg"));
    ASSERT_TRUE(kept && other && tulips);
    {
        QFile f(livePhotoCompanionPath(other->filePath));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    fake.refuse.insert(tulips->filePath);
    auto group = std::make_shared<PRDuplicateNode>();
    for (const IKImageItemPtr &i : {kept, other}) {
        auto file = std::make_shared<PRDupFileNode>();
        file->theItem = i;
        file->bSelected = i == other;
        group->fileChildren().append(file);
    }
    auto untouched = std::make_shared<PRDuplicateNode>();
    auto tulipGroup = std::make_shared<PRDuplicateNode>();
    auto tulipFile = std::make_shared<PRDupFileNode>();
    tulipFile->theItem = tulips;
    tulipFile->bSelected = true;
    tulipGroup->fileChildren().append(tulipFile);
    DuplicateScanResult found;
    found.groups = {group, untouched, tulipGroup};
    d->duplicateWindow().ScanDuplicateFinishedHanderToMainThread(found);

    d->duplicateWindow().DeleteDuplicatePhotosinPhotoLibraryAction();
    EXPECT_EQ(fake.trashed,
              (QStringList{other->filePath, livePhotoCompanionPath(other->filePath)}));
    EXPECT_TRUE(d->duplicateWindow().tickedFilesWentOut());
    EXPECT_TRUE(d->duplicateWindow().groups().isEmpty());
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(
        sheet->text(),
        QStringLiteral("The selected duplicate photo(s) has been removed from Photo Library."));
    EXPECT_TRUE(sheet->informativeText().contains(tulips->filePath));
    // The rows of both ticked photos went, the refused file's too; the unticked one stays.
    for (const IKImageItemPtr &gone : {other, tulips})
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1")
                            .arg(gone->photoLibFileNode->photoAssetID)),
                  QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1")
                        .arg(kept->photoLibFileNode->photoAssetID)),
              QStringLiteral("1"));
    EXPECT_TRUE(QFile::exists(tulips->filePath));
    EXPECT_TRUE(d->library().photoLibBroserArray.contains(kept));
    EXPECT_FALSE(d->library().photoLibBroserArray.contains(other));
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST_F(LibraryDelete, OlderLibraryLosesTheMasterAndItsVersions) {
    FakeTrash fake;
    setTrash(&fake);
    ASSERT_TRUE(open(dir.path(), "Test-10.14.6"));
    const IKImageItemPtr first = d->library().photoLibBroserArray.value(0);
    ASSERT_TRUE(first && first->photoLibFileNode);
    const int master = first->photoLibFileNode->photoID;
    select({first});
    d->libraryWindows().DeletePhotoinPhotoLibraryAction();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RKMaster WHERE modelId = %1").arg(master)),
              QStringLiteral("0"));
    EXPECT_EQ(
        count(QStringLiteral("SELECT count(*) FROM RKVersion WHERE masterId = %1").arg(master)),
        QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(fake.trashed, (QStringList{first->filePath}));
    EXPECT_FALSE(d->library().photoLibBroserArray.contains(first));

    // A RAW+JPEG pair goes whole: both masters' rows and, where it is there, the RAW's file.
    const IKImageItemPtr pair = item(QStringLiteral("IMG_1994.JPG"));
    ASSERT_TRUE(pair);
    const QString raw = QFileInfo(pair->filePath).path() + QStringLiteral("/IMG_1994.cr2");
    writeBytes(raw, "raw");
    fake.trashed.clear();
    select({pair});
    d->libraryWindows().DeletePhotoinPhotoLibraryAction();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RKMaster WHERE modelId IN (11, 12)")),
              QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(fake.trashed, (QStringList{pair->filePath, raw}));
}

// An older library's scan leaves out a photo whose original is missing: a restore after a
// deletion still puts the restored photos' files back, a RAW+JPEG pair's RAW half too.
TEST_F(LibraryDelete, ARestoreOfAnOlderLibraryPutsItsFilesBack) {
    for (const char *name : {"Test-10.14.6", "Test-iPhoto-9.6.1"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(open(dir.filePath(name), name));
        QList<IKImageItemPtr> photos{item(QStringLiteral("Pumkins1.jpg")),
                                     item(QStringLiteral("IMG_1994.JPG"))};
        ASSERT_FALSE(photos.contains(nullptr));
        QStringList files{photos[0]->filePath, photos[1]->filePath};
        if (QLatin1String(name) == QLatin1String("Test-10.14.6")) {
            files << QFileInfo(files[1]).path() + QStringLiteral("/IMG_1994.cr2");
            writeBytes(files.last(), "raw");
        }
        const QString masters = count(QStringLiteral("SELECT count(*) FROM RKMaster"));
        select(photos);
        d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction();
        ASSERT_TRUE(visibleSheet());
        d->libraryWindows().savePanelDidEnd9(visibleSheet(), 1);
        closeSheets();
        for (const QString &file : files)
            ASSERT_FALSE(QFile::exists(file)) << file.toStdString();
        ASSERT_LT(count(QStringLiteral("SELECT count(*) FROM RKMaster")).toInt(), masters.toInt());

        d->libraryDatabase().savePanelDidEnd6(nullptr, 1);
        ASSERT_TRUE(visibleSheet());
        EXPECT_TRUE(visibleSheet()->informativeText().startsWith(
            QStringLiteral("All photolibrary data has been restored before the change.\nThe "
                           "library is as its backup of ")))
            << visibleSheet()->informativeText().toStdString();
        closeSheets();
        for (const QString &file : files)
            EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        waitForScan();
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RKMaster")), masters);
        EXPECT_EQ(count(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        EXPECT_TRUE(item(QStringLiteral("Pumkins1.jpg")) && item(QStringLiteral("IMG_1994.JPG")));
    }
}

// An iPhoto catalogue keeps each version's IPTC, Exif and other properties in Properties.apdb:
// they go with the photo, and both databases stay whole.
TEST_F(LibraryDelete, AnIPhotoPhotoTakesItsPropertiesAlong) {
    FakeTrash fake;
    setTrash(&fake);
    ASSERT_TRUE(open(dir.path(), "Test-iPhoto-9.6.1"));
    const QString props = QFileInfo(database).path() + QStringLiteral("/Properties.apdb");
    const IKImageItemPtr photo = item(QStringLiteral("Pumkins1.jpg"));
    ASSERT_TRUE(photo);
    const QString versions =
        count(QStringLiteral("SELECT group_concat(modelId) FROM RKVersion WHERE masterId = %1")
                  .arg(photo->photoLibFileNode->photoID));
    const QString propertyRows =
        QStringLiteral("SELECT (SELECT count(*) FROM RKIptcProperty WHERE versionId IN (%1)) + "
                       "(SELECT count(*) FROM RKExifStringProperty WHERE versionId IN (%1)) + "
                       "(SELECT count(*) FROM RKOtherProperty WHERE versionId IN (%1))")
            .arg(versions);
    const QString allRows = QStringLiteral("SELECT (SELECT count(*) FROM RKIptcProperty) + (SELECT "
                                           "count(*) FROM RKExifStringProperty) + (SELECT "
                                           "count(*) FROM RKOtherProperty)");
    const int others =
        sqliteValue(props, allRows).toInt() - sqliteValue(props, propertyRows).toInt();
    ASSERT_GT(sqliteValue(props, propertyRows).toInt(), 0);
    select({photo});
    d->libraryWindows().DeletePhotoinPhotoLibraryAction();
    EXPECT_EQ(sqliteValue(props, propertyRows), QStringLiteral("0"));
    EXPECT_EQ(sqliteValue(props, allRows).toInt(), others);
    EXPECT_EQ(
        count(QStringLiteral("SELECT count(*) FROM RKVersion WHERE modelId IN (%1)").arg(versions)),
        QStringLiteral("0"));
    for (const QString &db : {database, props})
        EXPECT_EQ(sqliteValue(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(fake.trashed, (QStringList{photo->filePath}));
}

TEST_F(LibraryDelete, ARecordThatNamesNoFileOfItsOwnLosesItsRowsAndTrashesNothing) {
    // Beside the library: files that records of a hostile library name by a climbing name, a
    // relative folder read against our working folder, a link, and an older image path.
    const QString out = dir.filePath("outside");
    for (const QString &f : {out + "/victim.jpg", out + "/victim_3.mov", out + "/rel/victim2.jpg",
                             out + "/ref/sub/keep", out + "/Users/keep", out + "/victim5.jpg"}) {
        QDir().mkpath(QFileInfo(f).path());
        writeBytes(f, "not the library's");
    }
    ASSERT_TRUE(QFile::link(out + "/victim.jpg", out + "/ref/link.jpg"));
    const QString relative = QDir::current().relativeFilePath(out + "/rel");
    const QStringList mine = {QDir::homePath() + "/.local/share/PhotoKestry",
                              QDir::homePath() + "/.cache", PrivateFolder::root()};
    struct Case {
        const char *library;
        QString sql;
        QStringList names;
        // How many of them still name a file at all: a relative folder with a slash is a
        // shared album's, inside the package, and with ".." it names none.
        int namingAFile;
    };
    for (const Case &c :
         {Case{"Test-10.15.7",
               QString("UPDATE ZGENERICASSET SET ZDIRECTORY = CASE Z_PK WHEN 3 THEN '%1/ref/sub' "
                       "WHEN 7 THEN '%2' WHEN 1 THEN '%1/ref' ELSE ZDIRECTORY END; UPDATE "
                       "ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = CASE Z_PK WHEN 6 "
                       "THEN '../../victim.jpg' WHEN 3 THEN 'victim2.jpg' WHEN 2 THEN "
                       "'link.jpg' ELSE ZORIGINALFILENAME END")
                   .arg(out, relative),
               {"../../victim.jpg", "victim2.jpg", "link.jpg"},
               2},
          Case{"Test-10.14.6",
               QString("UPDATE RKMaster SET imagePath = '%1/Users/../victim5.jpg', "
                       "originalFileName = 'victim5.jpg' WHERE modelId = 1")
                   .arg(out),
               {"victim5.jpg"},
               1}}) {
        ASSERT_TRUE(open(dir.filePath(c.library), c.library, c.sql)) << c.library;
        QList<IKImageItemPtr> hostile;
        for (const QString &name : c.names)
            hostile << item(name);
        ASSERT_FALSE(hostile.contains(nullptr)) << c.library;
        const QStringList before = treeListing(QDir::homePath(), QStringList(mine) << lib);
        select(hostile);
        d->libraryWindows().DeleteSelectedPhotosinPhotoLibraryAction();
        ASSERT_TRUE(visibleSheet());
        d->libraryWindows().savePanelDidEnd9(visibleSheet(), 1);
        ASSERT_TRUE(visibleSheet());
        EXPECT_TRUE(visibleSheet()->text().startsWith("The selected photo(s) has been removed"));
        // Each file that a record names but does not own is said to stay.
        EXPECT_EQ(visibleSheet()->informativeText().count("does not name it as the photo's own"),
                  c.namingAFile)
            << visibleSheet()->informativeText().toStdString();
        closeSheets();
        const QStringList after = treeListing(QDir::homePath(), QStringList(mine) << lib);
        EXPECT_EQ(after, before) << c.library;
        for (const IKImageItemPtr &gone : hostile)
            EXPECT_EQ(count(QLatin1String(c.library) != QLatin1String("Test-10.14.6")
                                ? QString("SELECT count(*) FROM ZGENERICASSET WHERE Z_PK = %1")
                                      .arg(gone->photoLibFileNode->photoAssetID)
                                : QString("SELECT count(*) FROM RKMaster WHERE modelId = %1")
                                      .arg(gone->photoLibFileNode->photoID)),
                      "0");
        EXPECT_EQ(count("PRAGMA integrity_check"), "ok");
    }
}
