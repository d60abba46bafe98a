// Edits made one after the other in the window all end up in the photo's one copy, and the
// window shows that copy afterwards.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/MetadataMenus.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class EditsAddUp : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([](const QString &, const QString &) {});
        d = std::make_unique<AppDelegate>();
        d->launch();
        QDir().mkpath(dir.filePath("photos"));
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    QString add(const QString &fixture) {
        const QString path = copyFixture(fixture, dir.filePath("photos"));
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
        return path;
    }
    void select(std::initializer_list<int> rows) {
        QItemSelectionModel *s = localBrowser(*d)->selectionModel();
        s->clearSelection();
        for (int row : rows)
            s->select(localBrowser(*d)->model()->index(row, 0), QItemSelectionModel::Select);
    }
    void selectFirst() {
        localBrowser(*d)->selectionModel()->select(localBrowser(*d)->model()->index(0, 0),
                                                   QItemSelectionModel::ClearAndSelect);
    }
    void typeTitle(const QString &text) {
        drive(*d).editSheet().StartEditViewAction();
        drive(*d).type(drive(*d).findIn<QLineEdit>("eidtMetaWindow", "titlelab"), text);
        drive(*d).editSheet().ClickApplyChangeAction();
        ASSERT_TRUE(waitForJobs(*d));
    }
    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(EditsAddUp, ATitleThenRemoveGpsLeaveACopyWithTheTitleAndNoPosition) {
    const QString park = add("St James Park.jpg");
    const QByteArray original = readAll(park);
    selectFirst();
    ASSERT_EQ(d->selection().oldTitleStr, "St. James's Park");
    typeTitle("Horse Guards");
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));

    const QString copy = dir.filePath("out/St James Park.jpg");
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"St James Park.jpg"});
    const QJsonObject tool = exiftoolNumbers(copy);
    EXPECT_EQ(tool["IPTC:ObjectName"].toString(), "Horse Guards");
    EXPECT_FALSE(tool.contains("GPS:GPSLatitude"));
    EXPECT_EQ(tool["IFD0:Model"].toString(), "NIKON D7000");
    EXPECT_EQ(readAll(park), original);

    // The item keeps both paths, and the panels and the edit sheet read the copy.
    const IKImageItemPtr item = d->localLists().localPhotoItemArray.first();
    EXPECT_EQ(item->filePath, park);
    EXPECT_EQ(item->rare().editedCopyPath, copy);
    EXPECT_EQ(d->selection().oldTitleStr, "Horse Guards");
    EXPECT_EQ(drive(*d).text("photoTitlelab"), "Horse Guards");
    EXPECT_TRUE(d->selection().oldGpsLatiStr.isEmpty());
    drive(*d).editSheet().StartEditViewAction();
    EXPECT_EQ(drive(*d).findIn<QLineEdit>("eidtMetaWindow", "titlelab")->text(), "Horse Guards");
}

TEST_F(EditsAddUp, ThreeTitlesOneAfterTheOtherRewriteTheOneCopy) {
    add("IMG_3092.heic");
    selectFirst();
    typeTitle("one");
    typeTitle("two");
    typeTitle("three");
    const QStringList files = QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files, QStringList{"IMG_3092.heic"});
    EXPECT_EQ(exiftoolNumbers(dir.filePath("out/IMG_3092.heic"))["XMP-dc:Title"].toString(),
              "three");
    EXPECT_EQ(d->selection().oldTitleStr, "three");
}

TEST_F(EditsAddUp, TheTitleJustTypedNamesTheRenamedCopy) {
    add("St James Park.jpg");
    selectFirst();
    typeTitle("Horse Guards");
    d->metadataMenus().ClickCopyPhotoTitleToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString renamed = dir.filePath("out/Horse Guards.jpg");
    ASSERT_TRUE(QFile::exists(renamed))
        << QDir(dir.filePath("out")).entryList(QDir::Files).join(", ").toStdString();
    EXPECT_EQ(exiftoolNumbers(renamed)["IPTC:ObjectName"].toString(), "Horse Guards");
}

// "+1 h" copies a photo without a camera date as it is, dated by its creation. After a title
// it started from the original and wrote "drawing (2).png" without the title; it starts from
// the titled copy, as every other edit does.
TEST_F(EditsAddUp, ATitleThenAnHourOnUndatedPngsLeaveOneCopyEachWithTheTitle) {
    const QStringList names = {"drawing.png", "wedding.png"};
    QImage drawing(32, 24, QImage::Format_RGB32);
    drawing.fill(Qt::darkGreen);
    ASSERT_TRUE(drawing.save(dir.filePath("photos/drawing.png"), "PNG"));
    ASSERT_TRUE(QImage(fixturePath("wedding.jpg"))
                    .scaledToWidth(200)
                    .save(dir.filePath("photos/wedding.png"), "PNG"));
    QList<QDateTime> created;
    for (int i = 0; i < names.size(); ++i) {
        const QString photo = dir.filePath("photos/" + names[i]);
        d->mainWindowController().appendLocalItem(makeLocalItem(photo));
        created << FileDates::creationDate(photo);
    }
    d->mainWindowController().LoadImportedPhotsonMainThread();
    for (int row : {0, 1}) {
        select({row});
        typeTitle(QStringLiteral("Title %1").arg(row));
    }
    select({0, 1});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("hourVaulab")->setText("1");
    drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));

    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), names);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const QString copy = dir.filePath("out/" + names[i]);
        const QJsonObject after = exiftoolJson(copy, {"-G1", "-a"});
        EXPECT_EQ(after["XMP-dc:Title"].toString(), QStringLiteral("Title %1").arg(i));
        EXPECT_FALSE(after.contains("ExifIFD:DateTimeOriginal"));
        EXPECT_EQ(FileDates::creationDate(copy), created[i]);
        EXPECT_EQ(FileDates::modificationDate(copy), created[i]);
        // The copy is still the photo's: its next edit starts from it again.
        EXPECT_EQ(d->localLists().localPhotoItemArray[i]->rare().editedCopyPath, copy);
        EXPECT_EQ(
            editedCopyToStartFrom(*d->localLists().localPhotoItemArray[i], dir.filePath("out")),
            copy);
    }
}

// The file-date actions copied the original byte for byte, so after a title they wrote
// "name (2).ext" without it. Each starts from the titled copy and dates it in its place; a
// copy another program changed is left alone.
TEST_F(EditsAddUp, ATitleThenEachFileDateActionLeaveOneCopyEachWithTheTitle) {
    const QStringList names = {"clip.mp4", "St James Park.jpg", "wedding.jpg"};
    QStringList originals;
    for (const QString &name : names)
        originals << copyFixture(name, dir.filePath("photos"));
    for (const QString &photo : originals)
        d->mainWindowController().appendLocalItem(makeLocalItem(photo));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    QList<QByteArray> before;
    for (int row = 0; row < names.size(); ++row) {
        before << readAll(originals[row]);
        select({row});
        typeTitle(QStringLiteral("Title %1").arg(row));
    }
    const auto copyOf = [this, &names](int i) { return dir.filePath("out/" + names[i]); };
    const auto expectDates = [&](const QList<QDateTime> &creation,
                                 const QList<QDateTime> &modification, const char *action) {
        SCOPED_TRACE(action);
        EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), names);
        for (int i = 0; i < names.size(); ++i) {
            EXPECT_EQ(FileDates::creationDate(copyOf(i)), creation[i]) << i;
            EXPECT_EQ(FileDates::modificationDate(copyOf(i)), modification[i]) << i;
        }
    };
    select({0, 1, 2});

    const QDateTime set(QDate(2001, 2, 3), QTime(4, 5, 6));
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2001:02:03 04:05:06");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2001:02:03 04:05:06");
    d->dateWindows().ClickCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    expectDates({set, set, set}, {set, set, set}, "change file dates");
    // The panels show the dates of the copy just dated.
    EXPECT_TRUE(drive(*d).text("photoCreateDatelab").contains("2001"))
        << drive(*d).text("photoCreateDatelab").toStdString();

    // The hour goes onto the copies' dates, not the originals'.
    const QDateTime later = set.addSecs(3600);
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("hourVaulab")->setText("1");
    drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
    d->dateWindows().ClickMutiCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    expectDates({later, later, later}, {later, later, later}, "batch file dates");

    const QDateTime touched(QDate(2012, 1, 2), QTime(3, 4, 5));
    for (int i = 0; i < names.size(); ++i)
        ASSERT_TRUE(FileDates::setModificationDate(copyOf(i), touched));
    d->dateWindows().ClickCopyModiyDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    d->dateWindows().ClickCopyCreatedDateToModifyDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    expectDates({touched, touched, touched}, {touched, touched, touched},
                "file dates into each other");

    const QList<QDateTime> camera = {
        QDateTime(QDate(2020, 12, 5), QTime(5, 21, 52), QTimeZone::utc()).toLocalTime(),
        QDateTime(QDate(2018, 10, 13), QTime(9, 18, 12)),
        QDateTime(QDate(2019, 4, 15), QTime(14, 40, 24))};
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    expectDates(camera, camera, "camera date to file dates");

    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const QJsonObject tool = exiftoolJson(copyOf(i), {"-G1", "-a"});
        EXPECT_EQ(tool[i == 0 ? "ItemList:Title" : "XMP-dc:Title"].toString(),
                  QStringLiteral("Title %1").arg(i));
        EXPECT_EQ(readAll(originals[i]), before[i]);
        EXPECT_EQ(d->localLists().localPhotoItemArray[i]->rare().editedCopyPath, copyOf(i));
    }

    // A copy another program changed stays as it is; the dates go onto a new copy of the
    // original.
    QFile changed(copyOf(2));
    ASSERT_TRUE(changed.open(QIODevice::Append));
    changed.write("changed elsewhere");
    changed.close();
    const QByteArray elsewhere = readAll(copyOf(2));
    select({2});
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2001:02:03 04:05:06");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2001:02:03 04:05:06");
    d->dateWindows().ClickCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(copyOf(2)), elsewhere);
    EXPECT_EQ(readAll(dir.filePath("out/wedding (2).jpg")), before[2]);
    EXPECT_EQ(FileDates::creationDate(dir.filePath("out/wedding (2).jpg")), set);
}
