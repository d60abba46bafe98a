// The editing features on photos of a folder-backed camera (libgphoto2's "Directory
// Browse"): each downloads the selected photos and edits the copies, never the card.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "browser/CameraWindow.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/LensWindow.h"
#include "metadata/MetadataMenus.h"
#include "platform/core/CameraDevice.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

QJsonObject exiftool(const QString &path) {
    QProcess p;
    p.start("exiftool", {"-j", "-n", "-G1", path});
    p.waitForFinished(30000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array().at(0).toObject();
}

bool hasGroup(const QJsonObject &json, const QString &group) {
    for (auto it = json.begin(); it != json.end(); ++it)
        if (it.key().startsWith(group + ":"))
            return true;
    return false;
}

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CameraRoads : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        d = std::make_unique<AppDelegate>();
        d->launch();
        camera().deviceBrowser()->setAutodetectEnabled(false);
        d->preferences().storagelocation = storage.path();
        card = cards.filePath("card");
        QDir().mkpath(card + "/DCIM/100TEST");
        for (const char *f : {"wedding.jpg", "St James Park.jpg", "IMG_1994.JPG"})
            EXPECT_FALSE(copyFixture(f, card + "/DCIM/100TEST").isEmpty());
        camera().deviceBrowser()->addFolderDevice(card);
        camera().deviceBrowser()->pollNow();
        ASSERT_TRUE(waitFor([&] { return camera().cameraCount() == 1; }));
        camera().OpenDeviceAction();
        ASSERT_TRUE(waitFor(
            [&] { return camera().photos().size() == 3 && !camera().cameraRequestsPending(); }));
        d->mainWindowController().setLocalMode(false); // the camera is the source
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setUrlOpener({});
        Workspace::setRevealer({});
    }
    CameraWindow &camera() { return drive(*d).cameraWindow(); }
    void select(const QStringList &names) {
        QList<int> rows;
        for (int i = 0; i < camera().photos().size(); ++i)
            if (names.contains(camera().photos()[i]->fileName))
                rows << i;
        drive(*d).selectRows("imageBrowserView", rows);
    }
    QMessageBox *openSheet() {
        for (QWidget *top : QApplication::topLevelWidgets())
            for (QMessageBox *s : top->findChildren<QMessageBox *>())
                if (s->isVisible())
                    return s;
        return nullptr;
    }
    // Answers the sheet that is open, with its button titled `button` when one is named, and
    // returns its text.
    QString answerSheet(const QString &button = {}) {
        QMessageBox *sheet = openSheet();
        if (!sheet)
            return {};
        const QString text = sheet->text();
        QAbstractButton *chosen = sheet->buttons().first();
        for (QAbstractButton *b : sheet->buttons())
            if (b->text() == button)
                chosen = b;
        chosen->click();
        QApplication::processEvents();
        return text;
    }
    bool settled() {
        return !camera().cameraRequestsPending() &&
               !drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible();
    }
    QString onCard(const QString &name) { return card + "/DCIM/100TEST/" + name; }
    QStringList storageFiles() {
        return QDir(storage.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir cards, storage;
    QString card;
    QStringList revealed;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST(FreeFileName, NumberedCandidates) {
    EXPECT_EQ(numberedFileName("IMG_1.JPG", 1), "IMG_1.JPG");
    EXPECT_EQ(numberedFileName("IMG_1.JPG", 2), "IMG_1 (2).JPG");
    EXPECT_EQ(numberedFileName("St James Park.jpg", 3), "St James Park (3).jpg");
    EXPECT_EQ(numberedFileName("archive.tar.gz", 2), "archive.tar (2).gz");
    EXPECT_EQ(numberedFileName("README", 2), "README (2)");
    EXPECT_EQ(numberedFileName(".hidden", 2), ".hidden (2)");
}

TEST(FreeFileName, MoveNeverReplaces) {
    QTemporaryDir dir;
    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("a.jpg", "first");
    write("a (2).jpg", "second");
    write(".tmp", "third");
    QString error;
    const QString landed = moveToFreeName(dir.filePath(".tmp"), dir.path(), "a.jpg", &error);
    EXPECT_EQ(landed, dir.filePath("a (3).jpg")) << error.toStdString();
    EXPECT_EQ(bytesOf(dir.filePath("a.jpg")), "first");
    EXPECT_EQ(bytesOf(dir.filePath("a (2).jpg")), "second");
    EXPECT_EQ(bytesOf(landed), "third");
    EXPECT_FALSE(QFile::exists(dir.filePath(".tmp")));
    EXPECT_EQ(freeFilePath(dir.path(), "a.jpg"), dir.filePath("a (4).jpg"));
}

TEST_F(CameraRoads, DownloadKeepsAFileAlreadyInTheStorageFolder) {
    {
        QFile mine(storage.filePath("wedding.jpg"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("the user's own file");
    }
    select({"wedding.jpg"});
    camera().DownloadPhotoAction();
    ASSERT_TRUE(waitFor([&] { return revealed.size() == 1 && settled(); }));
    EXPECT_EQ(bytesOf(storage.filePath("wedding.jpg")), "the user's own file");
    EXPECT_EQ(revealed.first(), storage.filePath("wedding (2).jpg"));
    EXPECT_EQ(bytesOf(revealed.first()), bytesOf(onCard("wedding.jpg")));
    // No half-written temporary is left behind, and the copy is readable by others.
    EXPECT_EQ(storageFiles(), (QStringList{"wedding (2).jpg", "wedding.jpg"}));
    EXPECT_TRUE(QFile::permissions(revealed.first()) & QFile::ReadOther);
}

TEST_F(CameraRoads, RemovalsWriteBesideTheCopyAndNeverReplace) {
    select({"St James Park.jpg"});
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    const QString first = storage.filePath("NoGPS_St James Park.jpg");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(first) && settled(); }));
    EXPECT_EQ(openSheet(), nullptr); // the GPS removal ends without a message
    const QJsonObject out = exiftool(first);
    EXPECT_FALSE(hasGroup(out, "GPS"));
    EXPECT_EQ(out.value("IPTC:ObjectName").toString(), "St. James's Park");
    // The downloaded copy and the card keep their position.
    const QString copy = storage.filePath("St James Park.jpg");
    EXPECT_TRUE(hasGroup(exiftool(copy), "GPS"));
    EXPECT_EQ(bytesOf(copy), bytesOf(onCard("St James Park.jpg")));
    EXPECT_EQ(bytesOf(onCard("St James Park.jpg")), bytesOf(fixturePath("St James Park.jpg")));

    // A second run reuses the copy and keeps the first result.
    const QByteArray firstBytes = bytesOf(first);
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    const QString second = storage.filePath("NoGPS_St James Park (2).jpg");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(second) && settled(); }));
    EXPECT_EQ(bytesOf(first), firstBytes);
    EXPECT_EQ(storageFiles(), (QStringList{"NoGPS_St James Park (2).jpg", "NoGPS_St James Park.jpg",
                                           "St James Park.jpg"}));
}

TEST_F(CameraRoads, RemovingAllMetadataFromACameraPhotoLeavesNoneOfIt) {
    select({"wedding.jpg"});
    d->metadataMenus().DeleteAllPhotoMetadataData();
    ASSERT_TRUE(waitForJobs(*d));
    const QString out = storage.filePath("NoExifAndGPS_wedding.jpg");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(out) && settled() && openSheet(); }));
    EXPECT_EQ(answerSheet(), "Photo metadata updated successfully.");
    const QJsonObject json = exiftool(out);
    EXPECT_FALSE(hasGroup(json, "IPTC"));
    EXPECT_FALSE(hasGroup(json, "ExifIFD"));
    EXPECT_FALSE(json.contains("IPTC:Keywords"));
    EXPECT_TRUE(ImageSource(bytesOf(out)).isValid());
    EXPECT_EQ(exiftool(storage.filePath("wedding.jpg")).value("IPTC:Keywords").toString(),
              "wedding");
}

TEST_F(CameraRoads, CameraButtonPopsTheRemovalMenuForTheCamera) {
    d->mainWindowController().setLocalMode(
        true); // the main window is in local mode with nothing selected
    select({});
    EXPECT_FALSE(
        drive(*d).find<QPushButton>("removeExifBtn")->isEnabled()); // nothing to remove from
    EXPECT_FALSE(drive(*d).find<QPushButton>("downloadPhotoBtn")->isEnabled());
    select({"St James Park.jpg"});
    EXPECT_TRUE(drive(*d).find<QPushButton>("downloadPhotoBtn")->isEnabled());
    ASSERT_TRUE(drive(*d).find<QPushButton>("removeExifBtn")->isEnabled());
    drive(*d).click("removeExifBtn");
    EXPECT_TRUE(camera().removalMenuIsFromCamera());
    EXPECT_TRUE(drive(*d).find<QMenu>("removeExifMenu")->isVisible());
    EXPECT_TRUE(camera().cameraIsSource());
    // The user picks a removal from the open menu.
    d->metadataMenus().RemoveExifDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QMenu>("removeExifMenu")->hide();
    const QString out = storage.filePath("NoExif_St James Park.jpg");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(out) && settled() && openSheet(); }));
    answerSheet();
    EXPECT_FALSE(camera().removalMenuIsFromCamera());
    EXPECT_FALSE(camera().cameraIsSource());
    const QJsonObject json = exiftool(out);
    EXPECT_FALSE(json.contains("ExifIFD:DateTimeOriginal"));
    EXPECT_TRUE(json.contains("GPS:GPSLatitude")); // the position stays
    EXPECT_TRUE(d->localLists().localPhotoItemArray.isEmpty());
}

TEST_F(CameraRoads, NothingSelectedSaysSo) {
    select({});
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(answerSheet(), "No Item has been selected");
    d->dateWindows().ShowChangeDateWindow();
    EXPECT_EQ(answerSheet(), "No Item has been selected");
    EXPECT_TRUE(storageFiles().isEmpty());
}

TEST_F(CameraRoads, SingleDateWindowEditsTheDownloadedCopy) {
    select({"IMG_1994.JPG"});
    d->dateWindows().ShowChangeDateWindow();
    ASSERT_TRUE(waitFor(
        [&] { return drive(*d).find<QWidget>("changeDateWindow")->isVisible() && settled(); }));
    EXPECT_EQ(drive(*d).find<QLineEdit>("orignalDatelab")->text(), "2020:04:15 10:25:51");

    // A text that is no date writes nothing and keeps the window open.
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("yesterday");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(answerSheet(), "Invalid date format");
    EXPECT_TRUE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());

    const QByteArray downloaded = bytesOf(storage.filePath("IMG_1994.JPG"));
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2001:02:03 04:05:06");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2001-02-03 04:05:07");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(waitFor([&] { return settled() && openSheet(); }));
    EXPECT_EQ(answerSheet(), "Photo metadata updated successfully.");
    EXPECT_FALSE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
    const QString copy = storage.filePath("IMG_1994.JPG");
    EXPECT_NE(bytesOf(copy), downloaded);
    const QJsonObject json = exiftool(copy);
    EXPECT_EQ(json.value("ExifIFD:DateTimeOriginal").toString(), "2001:02:03 04:05:06");
    EXPECT_EQ(json.value("ExifIFD:CreateDate").toString(), "2001:02:03 04:05:07");
    // One copy only, and the card is untouched.
    EXPECT_EQ(storageFiles(), QStringList{"IMG_1994.JPG"});
    EXPECT_EQ(bytesOf(onCard("IMG_1994.JPG")), bytesOf(fixturePath("IMG_1994.JPG")));
}

TEST_F(CameraRoads, GpsWindowOpensOnTheCopyAndSavesIntoIt) {
    select({"St James Park.jpg"});
    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    ASSERT_TRUE(waitFor(
        [&] { return drive(*d).find<QWidget>("changeGPSWindow")->isVisible() && settled(); }));
    EXPECT_NEAR(drive(*d).text("latitudelab").toDouble(), 51.5036, 1e-3);
    EXPECT_NEAR(drive(*d).text("longtitudelab").toDouble(), -0.1318, 1e-3);

    drive(*d).type("latitudelab", "-33.5");
    drive(*d).type("longtitudelab", "151.25");
    drive(*d).type("dateStamplab", "2020:01:02");
    drive(*d).type("timeStamplab", "03:04:05");
    drive(*d).gpsWindow().ClickSaveChangeGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString copy = storage.filePath("St James Park.jpg");
    ASSERT_TRUE(waitFor(
        [&] { return settled() && exiftool(copy).value("GPS:GPSLatitudeRef").toString() == "S"; }));
    const QJsonObject json = exiftool(copy);
    EXPECT_NEAR(json.value("GPS:GPSLatitude").toDouble(), 33.5, 1e-4);
    EXPECT_NEAR(json.value("GPS:GPSLongitude").toDouble(), 151.25, 1e-4);
    EXPECT_EQ(json.value("GPS:GPSLongitudeRef").toString(), "E");
    EXPECT_EQ(json.value("GPS:GPSDateStamp").toString(), "2020:01:02");
    EXPECT_EQ(storageFiles(), QStringList{"St James Park.jpg"});
    EXPECT_EQ(bytesOf(onCard("St James Park.jpg")), bytesOf(fixturePath("St James Park.jpg")));
}

TEST_F(CameraRoads, EditSheetChecksWhatItWritesThenEditsTheCopies) {
    select({"wedding.jpg", "IMG_1994.JPG"});
    // The sheet opens empty for camera photos, whatever a local photo showed before.
    d->selection().oldTitleStr = "A local photo's title";
    d->selection().oldArtistStr = "A local artist";
    drive(*d).editSheet().StartEditViewAction();
    const auto field = [this](const char *name) {
        return drive(*d).findIn<QLineEdit>("eidtMetaWindow", name);
    };
    EXPECT_TRUE(field("titlelab")->text().isEmpty());
    EXPECT_TRUE(field("artistlab")->text().isEmpty());
    field("titlelab")->setText("From the camera");
    field("imageFNumberlab")->setText("two point eight");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(answerSheet(), "Invalid value");
    QApplication::processEvents();
    EXPECT_TRUE(storageFiles().isEmpty()); // nothing downloaded, nothing written

    field("imageFNumberlab")->setText("2.8");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(waitFor([&] { return settled() && openSheet(); }));
    EXPECT_TRUE(revealed.isEmpty()) << "the sheet's button is the reveal";
    EXPECT_EQ(answerSheet("Show in Folder"), "Photo metadata updated successfully.");
    for (const QString name : {"wedding.jpg", "IMG_1994.JPG"}) {
        const QJsonObject json = exiftool(storage.filePath(name));
        EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "From the camera")
            << name.toStdString();
        EXPECT_NEAR(json.value("ExifIFD:FNumber").toDouble(), 2.8, 1e-6);
        EXPECT_EQ(bytesOf(onCard(name)), bytesOf(fixturePath(name)));
    }
    // One reveal per job: the first copy.
    EXPECT_EQ(revealed.count(storage.filePath("wedding.jpg")) +
                  revealed.count(storage.filePath("IMG_1994.JPG")),
              1);
    // Fields left empty keep the photo's own tags.
    const QJsonObject wedding = exiftool(storage.filePath("wedding.jpg"));
    EXPECT_EQ(wedding.value("IPTC:Keywords").toString(), "wedding");
    EXPECT_FALSE(wedding.contains("IFD0:Artist"));
}

TEST_F(CameraRoads, APhotoThatDoesNotArriveIsReportedAndTheOthersAreDone) {
    ASSERT_TRUE(QFile::remove(onCard("wedding.jpg")));
    select({"wedding.jpg", "IMG_1994.JPG"});
    d->metadataMenus().RemoveExifDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(waitFor([&] { return settled() && openSheet(); }));
    const QString details = openSheet()->informativeText();
    EXPECT_EQ(answerSheet(), "Some photos could not be changed.");
    EXPECT_TRUE(details.contains("wedding.jpg"));
    EXPECT_FALSE(details.contains("IMG_1994"));
    EXPECT_EQ(storageFiles(), (QStringList{"IMG_1994.JPG", "NoExif_IMG_1994.JPG"}));
    EXPECT_FALSE(
        exiftool(storage.filePath("NoExif_IMG_1994.JPG")).contains("ExifIFD:DateTimeOriginal"));
}

TEST_F(CameraRoads, LensWindowRewritesTheCopyQuietly) {
    select({"IMG_1994.JPG"});
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensMakelab"), "Kestry Optics");
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensModellab"), "KO 35mm F2");
    drive(*d).lensWindow().ChangeCameLensModel();
    ASSERT_TRUE(waitForJobs(*d));
    const QString copy = storage.filePath("IMG_1994.JPG");
    ASSERT_TRUE(waitFor([&] {
        return settled() && exiftool(copy).value("ExifIFD:LensModel").toString() == "KO 35mm F2";
    }));
    // The copy's job has ended too, and left nothing on the screen.
    ASSERT_TRUE(waitForJobs(*d));
    QTest::qWait(50);
    EXPECT_EQ(exiftool(copy).value("ExifIFD:LensMake").toString(), "Kestry Optics");
    EXPECT_EQ(openSheet(), nullptr)
        << (openSheet()
                ? (openSheet()->text() + " / " + openSheet()->informativeText()).toStdString()
                : std::string());
    EXPECT_FALSE(revealed.contains(copy));
    EXPECT_EQ(bytesOf(onCard("IMG_1994.JPG")), bytesOf(fixturePath("IMG_1994.JPG")));
}

TEST_F(CameraRoads, CameraDateBecomesTheFileDatesOfEachCopy) {
    select({"wedding.jpg", "IMG_1994.JPG"});
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(waitFor([&] { return settled() && openSheet(); }));
    EXPECT_EQ(answerSheet("Show in Folder"), "Photo metadata updated successfully.");
    const QDateTime wedding(QDate(2019, 4, 15), QTime(14, 40, 24));
    const QDateTime ip(QDate(2020, 4, 15), QTime(10, 25, 51));
    EXPECT_EQ(QFileInfo(storage.filePath("wedding.jpg")).lastModified(), wedding);
    EXPECT_EQ(FileDates::creationDate(storage.filePath("wedding.jpg")), wedding);
    EXPECT_EQ(QFileInfo(storage.filePath("IMG_1994.JPG")).lastModified(), ip);
    EXPECT_EQ(revealed.count(storage.filePath("wedding.jpg")) +
                  revealed.count(storage.filePath("IMG_1994.JPG")),
              1)
        << "one reveal per job";
    EXPECT_EQ(bytesOf(storage.filePath("wedding.jpg")), bytesOf(fixturePath("wedding.jpg")));

    // The copies' dates are set as a job of the window: its Cancel, pressed before a worker
    // is free, leaves them as they were. The button is the one the status bar shows: the
    // first job's hidden bar may still be there.
    const QDateTime before(QDate(2001, 2, 3), QTime(4, 5, 6));
    for (const char *name : {"wedding.jpg", "IMG_1994.JPG"})
        ASSERT_TRUE(FileDates::setModificationDate(storage.filePath(name), before));
    QSemaphore release;
    const int workers = JobRunner::pool()->maxThreadCount();
    for (int i = 0; i < workers; ++i)
        JobRunner::pool()->start([&release] { release.acquire(); });
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    QPushButton *cancel = shownJobCancel(*d);
    ASSERT_TRUE(cancel);
    cancel->click();
    release.release(workers);
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(waitFor([&] { return openSheet() != nullptr; }));
    EXPECT_NE(answerSheet(), "Photo metadata updated successfully.");
    for (const char *name : {"wedding.jpg", "IMG_1994.JPG"})
        EXPECT_EQ(QFileInfo(storage.filePath(name)).lastModified(), before) << name;
}
