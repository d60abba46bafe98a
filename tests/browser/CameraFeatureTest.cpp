// The camera window against folder-backed cameras (libgphoto2's "Directory Browse").
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/CameraWindow.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/CameraItems.h"
#include "platform/core/CameraDevice.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

namespace {
class CameraFeature : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        d = std::make_unique<AppDelegate>();
        d->launch();
        camera().deviceBrowser()->setAutodetectEnabled(false);
        d->preferences().storagelocation = storage.path();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
        Workspace::setRevealer({});
    }
    // A memory card: a folder of fixture copies in a DCIM sub-folder.
    QString makeCard(const QString &name, const QStringList &fixtures) {
        const QString card = cards.filePath(name);
        QDir().mkpath(card + "/DCIM/100TEST");
        for (const QString &f : fixtures)
            EXPECT_FALSE(copyFixture(f, card + "/DCIM/100TEST").isEmpty());
        return card;
    }
    void plugIn(const QString &card) {
        const qsizetype before = camera().cameraCount();
        camera().deviceBrowser()->addFolderDevice(card);
        camera().deviceBrowser()->pollNow();
        ASSERT_TRUE(waitFor([&] { return camera().cameraCount() == before + 1; }));
    }
    void openCurrent(qsizetype expectedItems) {
        camera().OpenDeviceAction();
        ASSERT_TRUE(waitFor([&] {
            return camera().photos().size() == expectedItems && !camera().cameraRequestsPending();
        }));
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
    void answer(QMessageBox *sheet, const QString &button) {
        for (QAbstractButton *b : sheet->buttons())
            if (b->text() == button) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << button.toStdString();
    }
    bool sameBytes(const QString &a, const QString &b) {
        QFile fa(a), fb(b);
        return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
               fa.readAll() == fb.readAll();
    }
    QTemporaryDir cards, storage;
    QStringList revealed;
    std::unique_ptr<AppDelegate> d;
};
} // namespace

TEST_F(CameraFeature, NoCameraSheetAndMenuStaysOff) {
    EXPECT_FALSE(drive(*d).find<QAction>("changtoiOSmodemenu")->isEnabled());
    camera().ChangeToImportiOSDevicePhoto();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "No camera detected");
    EXPECT_EQ(sheet->informativeText(), "Please connect the camera to the computer by USB cable.");
    EXPECT_FALSE(drive(*d).find("deviceWindow")->isVisible());
    answer(sheet, " Ok ");
    // With no device the actions send nothing and leave no spinner running.
    camera().OpenDeviceAction();
    camera().DownloadPhotoAction();
    EXPECT_FALSE(drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible());
}

TEST_F(CameraFeature, DiscoveryListingAndThumbnails) {
    const QString card = makeCard("one", {"wedding.jpg", "IMG_1994.JPG", "IMG_0123.mov"});
    plugIn(card);
    EXPECT_TRUE(drive(*d).find<QAction>("changtoiOSmodemenu")->isEnabled());
    EXPECT_EQ(drive(*d).text("deviceNamelab"), "Directory Browse");
    ASSERT_TRUE(camera().currentCamera());
    camera().ChangeToImportiOSDevicePhoto();
    EXPECT_TRUE(drive(*d).find("deviceWindow")->isVisible());
    EXPECT_EQ(openSheet(), nullptr);
    // In the middle of the screen.
    const QRect area = d->window->screen()->availableGeometry();
    EXPECT_LE(
        (drive(*d).find("deviceWindow")->geometry().center() - area.center()).manhattanLength(), 2);

    // Nothing is selected yet, so no action is offered.
    QList<QPushButton *> actions;
    for (const char *name : {"downloadPhotoBtn", "importEditPhotoBtn", "deletePhotoBtn",
                             "viewExifBtn", "removeExifBtn"})
        actions << drive(*d).find<QPushButton>(name);
    for (QPushButton *b : actions)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    openCurrent(3);
    EXPECT_FALSE(drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible());
    EXPECT_EQ(camera().photoBrowser()->model()->rowCount(), 3);
    for (QPushButton *b : actions)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    select({"wedding.jpg"});
    for (QPushButton *b : actions)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    select({});
    EXPECT_FALSE(drive(*d).find<QPushButton>("importEditPhotoBtn")->isEnabled());
    QStringList thumbPaths;
    for (int row = 0; row < 3; ++row) {
        const IKImageItemPtr &item = camera().photos()[row];
        // Every cell shows the file's name under a picture that fits the cell: a picture
        // larger than the icon pushes the name out of it.
        const QModelIndex cell = camera().photoBrowser()->model()->index(row, 0);
        EXPECT_EQ(cell.data(Qt::DisplayRole).toString(), item->fileName);
        const QImage picture = cell.data(Qt::DecorationRole).value<QImage>();
        ASSERT_FALSE(picture.isNull()) << item->fileName.toStdString();
        const QSizeF shown = picture.deviceIndependentSize();
        const QSize icon = camera().photoBrowser()->iconSize();
        EXPECT_LE(shown.width(), icon.width()) << item->fileName.toStdString();
        EXPECT_LE(shown.height(), icon.height()) << item->fileName.toStdString();
        // The photo without a preview of its own and the video show themselves (their
        // shape), not a stand-in tile.
        EXPECT_GT(picture.width(), picture.height()) << item->fileName.toStdString();
        EXPECT_TRUE(item->rare().cameraItem.lock());
        EXPECT_EQ(QFileInfo(item->filePath).fileName(), item->fileName);
        EXPECT_TRUE(item->filePath.startsWith(cameraThumbnailRoot()));
        // A TIFF despite the camera file's extension.
        QImageReader reader(item->filePath);
        EXPECT_EQ(reader.format(), "tiff") << item->filePath.toStdString();
        EXPECT_EQ(item->fileType, item->fileName.endsWith(".mov") ? "Movie" : "Image");
        thumbPaths << item->filePath;
    }
    // A second opening lists nothing twice.
    openCurrent(3);
    EXPECT_EQ(camera().photos().size(), 3);

    // A second camera with a file of the same name keeps its own thumbnail file.
    const QString other = makeCard("two", {"IMG_1994.JPG"});
    plugIn(other);
    openCurrent(4);
    const QString newest = camera().photos().last()->filePath;
    EXPECT_EQ(camera().photos().last()->fileName, "IMG_1994.JPG");
    EXPECT_FALSE(thumbPaths.contains(newest));
}

TEST_F(CameraFeature, UnpluggingOneOfTwoKeepsTheOtherUsable) {
    const QString first = makeCard("first", {"wedding.jpg", "IMG_1994.JPG"});
    const QString second = makeCard("second", {"Fritest.jpeg"});
    plugIn(first);
    openCurrent(2);
    plugIn(second);
    openCurrent(3);
    ASSERT_TRUE(QDir(second).removeRecursively());
    camera().deviceBrowser()->pollNow();
    ASSERT_TRUE(waitFor([&] { return camera().cameraCount() == 1; }));
    // The gone camera's item leaves; the other camera is current and still answers.
    EXPECT_EQ(camera().photos().size(), 2);
    ASSERT_TRUE(camera().currentCamera());
    EXPECT_EQ(camera().currentCamera()->address().port, "disk:" + first);
    select({"wedding.jpg"});
    camera().DownloadPhotoAction();
    ASSERT_TRUE(waitFor([&] { return !revealed.isEmpty(); }));
    EXPECT_TRUE(sameBytes(storage.filePath("wedding.jpg"), fixturePath("wedding.jpg")));

    drive(*d).find("deviceWindow")->show();
    ASSERT_TRUE(QDir(first).removeRecursively());
    camera().deviceBrowser()->pollNow();
    ASSERT_TRUE(waitFor([&] { return camera().cameraCount() == 0; }));
    EXPECT_TRUE(camera().photos().isEmpty());
    EXPECT_FALSE(camera().currentCamera());
    EXPECT_FALSE(drive(*d).find("deviceWindow")->isVisible());
}

TEST_F(CameraFeature, DownloadAndDownloadAndEdit) {
    const QString card = makeCard("card", {"wedding.jpg", "IMG_1994.JPG", "IMG_0123.mov"});
    plugIn(card);
    openCurrent(3);
    select({"wedding.jpg", "IMG_0123.mov"});
    camera().DownloadPhotoAction();
    ASSERT_TRUE(waitFor([&] { return !revealed.isEmpty() && !camera().cameraRequestsPending(); }));
    QApplication::processEvents();
    // One reveal per download job: the first photo of the list.
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_TRUE(revealed.first() == storage.filePath("wedding.jpg") ||
                revealed.first() == storage.filePath("IMG_0123.mov"));
    EXPECT_TRUE(QFile::exists(storage.filePath("IMG_0123.mov")));
    EXPECT_TRUE(d->localLists().localPhotoItemArray.isEmpty());
    EXPECT_FALSE(drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible());
    // An outside reader sees the video whole.
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                            storage.filePath("IMG_0123.mov")});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_NEAR(probe.readAllStandardOutput().trimmed().toDouble(), 2.9, 0.2);

    revealed.clear();
    select({"wedding.jpg", "IMG_1994.JPG"});
    camera().DownloadImportEditePhotoAction();
    ASSERT_TRUE(waitFor([&] { return !revealed.isEmpty() && !camera().cameraRequestsPending(); }));
    QApplication::processEvents();
    ASSERT_EQ(revealed.size(), 1);
    ASSERT_EQ(d->localLists().localPhotoItemArray.size(), 2);
    EXPECT_EQ(d->localLists().localImportPhotoItemArray.size(), 2);
    QStringList names;
    for (const auto &item : d->localLists().localPhotoItemArray) {
        names << item->fileName;
        EXPECT_EQ(item->filePath, storage.filePath(item->fileName));
    }
    names.sort();
    // The first download's wedding.jpg is still there, so the second copy takes a new name.
    EXPECT_EQ(names, (QStringList{"IMG_1994.JPG", "wedding (2).jpg"}));
    EXPECT_TRUE(revealed.first() == storage.filePath("wedding (2).jpg") ||
                revealed.first() == storage.filePath("IMG_1994.JPG"));
    EXPECT_TRUE(sameBytes(storage.filePath("wedding (2).jpg"), fixturePath("wedding.jpg")));
    EXPECT_TRUE(sameBytes(storage.filePath("IMG_1994.JPG"), fixturePath("IMG_1994.JPG")));
    EXPECT_EQ(drive(*d).find<QListView>("localImageBrowserView")->model()->rowCount(), 2);
    EXPECT_EQ(openSheet(), nullptr);
}

TEST_F(CameraFeature, FailedDownloadIsReportedNotListedNorRevealed) {
    const QString card = makeCard("card", {"wedding.jpg"});
    plugIn(card);
    openCurrent(1);
    ASSERT_TRUE(QFile::remove(card + "/DCIM/100TEST/wedding.jpg"));
    select({"wedding.jpg"});
    camera().DownloadImportEditePhotoAction();
    ASSERT_TRUE(waitFor([&] { return openSheet() != nullptr; }));
    EXPECT_EQ(openSheet()->text(), "The photo could not be downloaded.");
    EXPECT_TRUE(revealed.isEmpty());
    EXPECT_TRUE(d->localLists().localPhotoItemArray.isEmpty());
    EXPECT_FALSE(QFile::exists(storage.filePath("wedding.jpg")));
    EXPECT_FALSE(drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible());
    answer(openSheet(), " Ok ");
}

TEST_F(CameraFeature, DeleteWaitsForTheDeviceAndCancelKeepsAll) {
    const QString card = makeCard("card", {"wedding.jpg", "IMG_1994.JPG", "IMG_0123.mov"});
    plugIn(card);
    openCurrent(3);
    drive(*d).find("deviceWindow")->show();
    select({"wedding.jpg", "IMG_0123.mov"});
    camera().DeletePhotoAction();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Are you sure you want to delete the selected photo ?");
    answer(sheet, "Cancel");
    EXPECT_EQ(camera().photos().size(), 3);
    EXPECT_TRUE(QFile::exists(card + "/DCIM/100TEST/wedding.jpg"));

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // One of the two vanished from the card: only the confirmed one leaves the list.
    ASSERT_TRUE(QFile::remove(card + "/DCIM/100TEST/IMG_0123.mov"));
    camera().DeletePhotoAction();
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    answer(sheet, " Delete ");
    EXPECT_EQ(camera().photos().size(), 3); // nothing leaves before the device answers
    ASSERT_TRUE(waitFor([&] { return !camera().cameraRequestsPending(); }));
    QStringList left;
    for (const auto &item : camera().photos())
        left << item->fileName;
    left.sort();
    EXPECT_EQ(left, (QStringList{"IMG_0123.mov", "IMG_1994.JPG"}));
    EXPECT_FALSE(QFile::exists(card + "/DCIM/100TEST/wedding.jpg"));
    ASSERT_TRUE(waitFor([&] { return openSheet() != nullptr; }));
    EXPECT_EQ(openSheet()->text(), "The photo could not be deleted.");
    answer(openSheet(), " Ok ");
}

TEST_F(CameraFeature, ViewMetadataSkipsVideosWithoutStopping) {
    const QString card =
        makeCard("card", {"IMG_1994.JPG", "IMG_0123.mov", "wedding.jpg", "clip.mp4"});
    plugIn(card);
    openCurrent(4);
    select({"IMG_1994.JPG", "IMG_0123.mov", "wedding.jpg", "clip.mp4"});
    camera().ViewExifData();
    ASSERT_TRUE(waitFor([&] { return !revealed.isEmpty() && !camera().cameraRequestsPending(); }));
    QApplication::processEvents();
    EXPECT_EQ(revealed, QStringList{storage.filePath("IMG_1994.JPG")}) << "one reveal per job";
    EXPECT_TRUE(QFile::exists(storage.filePath("IMG_1994.JPG")));
    EXPECT_TRUE(QFile::exists(storage.filePath("wedding.jpg")));
    EXPECT_FALSE(QFile::exists(storage.filePath("IMG_0123.mov")));
    EXPECT_FALSE(QFile::exists(storage.filePath("clip.mp4")));
    EXPECT_FALSE(drive(*d).find<QProgressBar>("previewProgressor")->isVisible());
    EXPECT_FALSE(d->selection().currentFileName.isEmpty());
    // The downloaded copy reads back as the photo, metadata and all.
    QProcess exiftool;
    exiftool.start("exiftool", {"-s3", "-Model", storage.filePath("IMG_1994.JPG")});
    ASSERT_TRUE(exiftool.waitForFinished(30000));
    EXPECT_EQ(exiftool.readAllStandardOutput().trimmed(), "Canon PowerShot G10");
}

// A card of many small photos, so that a listing is still running when it is stopped: one
// tiny JPEG under many names (hard links, each listed and read as a file of its own).
static QString makeBigCard(const QString &card, int count) {
    QDir().mkpath(card + "/DCIM/100TEST");
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString first = card + "/DCIM/100TEST/P0000.jpg";
    EXPECT_TRUE(image.save(first));
    for (int i = 1; i < count; ++i)
        EXPECT_EQ(
            ::link(
                QFile::encodeName(first).constData(),
                QFile::encodeName(
                    QStringLiteral("%1/DCIM/100TEST/P%2.jpg").arg(card).arg(i, 4, 10, QChar('0')))
                    .constData()),
            0);
    return card;
}

TEST_F(CameraFeature, ListingThousandsOfPhotosNeverStallsTheWindow) {
    constexpr int kPhotos = 3000;
    const QString card = makeBigCard(cards.filePath("big"), kPhotos);
    // The longest time the event loop went without a turn while the device listed, less the
    // time the main thread stood ready to run meanwhile: on a machine loaded by other builds
    // that wait is the scheduler's (it reached 200 ms). A lock held by a thread the scheduler
    // set aside (the loader's, while libgphoto2 loads its drivers) can still hold the loop up,
    // so the best of up to three listings counts; work, a decode or a synced write on the main
    // thread stalls every one.
    const auto listingStall = [&]() -> qint64 {
        plugIn(card);
        camera().ChangeToImportiOSDevicePhoto();
        EXPECT_TRUE(drive(*d).find("deviceWindow")->isVisible());
        QElapsedTimer clock;
        qint64 last = 0, lastQueued = runQueueWaitMs(), longest = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed(), queued = runQueueWaitMs();
            longest = std::max(longest, (now - last) - (queued - lastQueued));
            last = now;
            lastQueued = queued;
        });
        bool opened = false;
        QObject::connect(camera().currentCamera().get(), &PKCameraDevice::didOpenSession,
                         [&] { opened = true; });
        clock.start();
        tick.start();
        camera().OpenDeviceAction();
        EXPECT_TRUE(waitFor([&] { return opened; }, 120000));
        return opened ? longest : std::numeric_limits<qint64>::max();
    };
    qint64 best = listingStall();
    for (int run = 1; run < 3 && best >= 100; ++run) {
        // The card unplugged and plugged in again lists afresh.
        camera().deviceBrowser()->removeFolderDevice(card);
        camera().deviceBrowser()->pollNow();
        ASSERT_TRUE(waitFor([&] { return camera().cameraCount() == 0; }));
        best = std::min(best, listingStall());
    }
    EXPECT_LT(best, 100) << "the window stalled for " << best << " ms";
    ASSERT_EQ(camera().photos().size(), kPhotos);
    EXPECT_EQ(camera().photoBrowser()->model()->rowCount(), kPhotos);
    // Every item has its picture, also on disk.
    const IKImageItemPtr lastItem = camera().photos().last();
    EXPECT_FALSE(lastItem->rare().fileImage.isNull());
    EXPECT_EQ(QImageReader(lastItem->filePath).size(), QSize(24, 16));
}

TEST_F(CameraFeature, ClosingTheWindowOrChoosingAnotherCameraStopsTheListing) {
    constexpr int kPhotos = 300;
    plugIn(makeBigCard(cards.filePath("big"), kPhotos));
    auto device = camera().currentCamera();
    ASSERT_TRUE(device);
    int opened = 0, stopped = 0;
    QObject::connect(device.get(), &PKCameraDevice::didOpenSession, [&] { ++opened; });
    QObject::connect(device.get(), &PKCameraDevice::didStopListing, [&] { ++stopped; });
    // At the first photo: a download is asked for, then the window closes.
    camera().ChangeToImportiOSDevicePhoto();
    auto first = std::make_shared<QMetaObject::Connection>();
    qsizetype atClose = -1;
    *first = QObject::connect(device.get(), &PKCameraDevice::didAddItems, [&, first] {
        QObject::disconnect(*first);
        select({camera().photos().first()->fileName});
        camera().DownloadPhotoAction();
        drive(*d).find("deviceWindow")->close();
        atClose = camera().photos().size();
    });
    camera().OpenDeviceAction();
    ASSERT_TRUE(waitFor([&] { return stopped == 1 && !camera().cameraRequestsPending(); }));
    QApplication::processEvents();
    // The listing ended with what it had when the window closed: no file came after; the
    // download sent before the close still arrived.
    const qsizetype partial = camera().photos().size();
    EXPECT_EQ(partial, atClose);
    EXPECT_GE(partial, 1);
    EXPECT_LT(partial, kPhotos);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(device->hasOpenSession());
    EXPECT_EQ(openSheet(), nullptr);
    EXPECT_FALSE(drive(*d).find<QProgressBar>("camerataskProgressor")->isVisible());
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_TRUE(QFile::exists(revealed.first()));

    // Opened again, the device lists the rest: every photo once.
    camera().ChangeToImportiOSDevicePhoto();
    openCurrent(kPhotos);
    EXPECT_EQ(opened, 1);
    QSet<QString> names;
    for (const IKImageItemPtr &item : camera().photos())
        names.insert(item->fileName);
    EXPECT_EQ(names.size(), kPhotos);

    // Another camera arriving while one lists becomes the chosen one and stops that listing;
    // asked to open again before the stop has ended, the stopped camera lists the rest.
    plugIn(makeBigCard(cards.filePath("second"), kPhotos));
    auto second = camera().currentCamera();
    ASSERT_TRUE(second && second != device);
    stopped = 0;
    QObject::connect(second.get(), &PKCameraDevice::didStopListing, [&] { ++stopped; });
    *first = QObject::connect(second.get(), &PKCameraDevice::didAddItems, [&, first] {
        QObject::disconnect(*first);
        const QString third = makeCard("third", {"wedding.jpg"});
        camera().deviceBrowserDidAddDevice(
            std::make_shared<PKCameraDevice>(PKDeviceAddress{"Directory Browse", "disk:" + third}),
            false);
        second->requestOpenSession();
    });
    camera().OpenDeviceAction();
    ASSERT_TRUE(waitFor([&] { return stopped == 1 && !camera().cameraRequestsPending(); }));
    EXPECT_EQ(camera().cameraCount(), 3);
    EXPECT_TRUE(second->hasOpenSession());
    EXPECT_EQ(camera().photos().size(), 2 * kPhotos);
}

TEST(CameraItems, ThumbnailPathsStayInOurFolderAndApartPerDeviceAndFolder) {
    PKCameraFile a, b, sneaky;
    a.name = b.name = "IMG_0001.JPG";
    a.folder = "/DCIM/100CANON";
    b.folder = "/DCIM/101CANON";
    sneaky.name = "x.jpg";
    sneaky.folder = "/../../etc";
    const QString root = cameraThumbnailRoot();
    EXPECT_EQ(cameraThumbnailPath("dev1", a), root + "/dev1/DCIM/100CANON/IMG_0001.JPG");
    EXPECT_NE(cameraThumbnailPath("dev1", a), cameraThumbnailPath("dev1", b));
    EXPECT_NE(cameraThumbnailPath("dev1", a), cameraThumbnailPath("dev2", a));
    EXPECT_EQ(cameraThumbnailPath("dev1", sneaky), root + "/dev1/etc/x.jpg");
    // A file the listing did not ready (no thumbnail kept) makes no item; one that came
    // without a picture is readied with a tile of the cell's size naming its type.
    auto file = std::make_shared<PKCameraFile>(a);
    file->UTI = "public.image";
    EXPECT_EQ(makeCameraItem(file), nullptr);
    ASSERT_TRUE(cacheCameraThumbnail(*file, "dev1"));
    const IKImageItemPtr item = makeCameraItem(file);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->filePath, cameraThumbnailPath("dev1", a));
    EXPECT_EQ(item->rare().fileImage.deviceIndependentSize(), QSizeF(85, 85));
    EXPECT_EQ(QImageReader(item->filePath).size(), QSize(170, 170));
    // Neither a picture nor an item for a file that is no photo or video.
    PKCameraFile text = a;
    text.name = "NOTES.TXT";
    text.UTI = "text/plain";
    EXPECT_FALSE(cacheCameraThumbnail(text, "dev1"));
    EXPECT_EQ(makeCameraItem(std::make_shared<PKCameraFile>(text)), nullptr);
}

// Thumbnails used to go to a fixed shared folder another local user could prepare.
TEST(CameraItems, ThumbnailsNeverGoThroughAPlantedLinkOrASharedFolder) {
    QTemporaryDir dir;
    const QString victim = dir.filePath(".profile");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("export EDITOR=vi\n");
    }
    const QString shared = QDir::tempPath() + "/PhotoKestry-cameras/dev9/DCIM";
    ASSERT_TRUE(QDir().mkpath(shared));
    QFile::setPermissions(shared, QFileDevice::Permissions(0x7777));
    ASSERT_TRUE(QFile::link(victim, shared + "/IMG_0009.JPG"));

    auto file = std::make_shared<PKCameraFile>();
    file->name = "IMG_0009.JPG";
    file->folder = "/DCIM";
    file->UTI = "public.image";
    file->thumbnail = QImage(32, 24, QImage::Format_RGB32);
    file->thumbnail.fill(Qt::green);
    ASSERT_TRUE(cacheCameraThumbnail(*file, "dev9"));
    const IKImageItemPtr item = makeCameraItem(file);
    ASSERT_NE(item, nullptr);
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "export EDITOR=vi\n");
    EXPECT_FALSE(item->filePath.startsWith(QDir::tempPath() + "/PhotoKestry-cameras"));
    EXPECT_TRUE(PrivateFolder::isPrivate(cameraThumbnailRoot()));
    EXPECT_FALSE(QImageReader(item->filePath).read().isNull());
    QDir(QDir::tempPath() + "/PhotoKestry-cameras").removeRecursively();
}
