// The camera layer against libgphoto2's "Directory Browse" driver on a folder of copies.
#include "platform/core/CameraDevice.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class CameraLayer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(cardDir.isValid());
        card = cardDir.path() + "/card";
        ASSERT_TRUE(QDir().mkpath(card + "/DCIM/100TEST"));
        ASSERT_FALSE(copyFixture("wedding.jpg", card + "/DCIM/100TEST").isEmpty());
        ASSERT_FALSE(copyFixture("IMG_1994.JPG", card + "/DCIM/100TEST").isEmpty());
        ASSERT_FALSE(copyFixture("IMG_0123.mov", card + "/DCIM/100TEST").isEmpty());
        ASSERT_FALSE(copyFixture("clip.mp4", card).isEmpty());
    }
    PKCameraDevicePtr openedDevice(QList<PKCameraFilePtr> *files) {
        auto device =
            std::make_shared<PKCameraDevice>(PKDeviceAddress{"Directory Browse", "disk:" + card});
        QObject::connect(device.get(), &PKCameraDevice::didAddItems,
                         [files](const QList<PKCameraFilePtr> &f) { *files << f; });
        bool opened = false;
        QString error = "unset";
        QObject::connect(device.get(), &PKCameraDevice::didOpenSession, [&](const QString &e) {
            opened = true;
            error = e;
        });
        device->requestOpenSession();
        EXPECT_TRUE(waitFor([&] { return opened; }));
        EXPECT_EQ(error, "");
        return device;
    }
    PKCameraFilePtr named(const QList<PKCameraFilePtr> &files, const QString &name) {
        for (const auto &f : files)
            if (f->name == name)
                return f;
        return nullptr;
    }
    QTemporaryDir cardDir;
    QString card;
};
} // namespace

TEST_F(CameraLayer, BrowserFindsFolderDeviceAndLosesItWhenItGoes) {
    PKDeviceBrowser browser;
    browser.setAutodetectEnabled(false);
    QList<PKCameraDevicePtr> added, removed;
    QObject::connect(&browser, &PKDeviceBrowser::didAddDevice,
                     [&](const PKCameraDevicePtr &d, bool) { added << d; });
    QObject::connect(&browser, &PKDeviceBrowser::didRemoveDevice,
                     [&](const PKCameraDevicePtr &d, bool) { removed << d; });
    browser.addFolderDevice(card);
    browser.start(100);
    ASSERT_TRUE(waitFor([&] { return added.size() == 1; }));
    EXPECT_EQ(added[0]->name(), "Directory Browse");
    EXPECT_EQ(added[0]->type() & kPKDeviceTypeCamera, kPKDeviceTypeCamera);
    // Further polls report nothing new while the folder stays.
    browser.pollNow();
    QTest::qWait(300);
    EXPECT_EQ(added.size(), 1);
    ASSERT_TRUE(QDir(card).removeRecursively());
    ASSERT_TRUE(waitFor([&] { return removed.size() == 1; }));
    EXPECT_EQ(removed[0], added[0]);
    EXPECT_TRUE(browser.devices().isEmpty());
}

TEST_F(CameraLayer, ListsEveryFolderWithTypesAndPreviews) {
    QList<PKCameraFilePtr> files;
    auto device = openedDevice(&files);
    EXPECT_TRUE(device->hasOpenSession());
    ASSERT_EQ(files.size(), 4);
    auto jpeg = named(files, "wedding.jpg"), upper = named(files, "IMG_1994.JPG"),
         movie = named(files, "IMG_0123.mov"), clip = named(files, "clip.mp4");
    ASSERT_TRUE(jpeg && upper && movie && clip);
    EXPECT_EQ(jpeg->UTI, "public.image");
    EXPECT_EQ(upper->UTI, "public.image");
    EXPECT_EQ(clip->UTI, "public.movie");
    EXPECT_EQ(movie->UTI, "public.movie");
    EXPECT_EQ(jpeg->folder, "/DCIM/100TEST");
    EXPECT_EQ(clip->folder, "/");
    // The Canon photo carries a preview; the Nikon photo and the videos, which have none to
    // give, get a picture made from the file on the card.
    EXPECT_EQ(upper->thumbnail.size(), QSize(160, 120));
    for (const auto &f : {jpeg, movie, clip}) {
        EXPECT_FALSE(f->thumbnail.isNull()) << f->name.toStdString();
        EXPECT_LE(std::max(f->thumbnail.width(), f->thumbnail.height()), 256);
    }
    EXPECT_EQ(jpeg->size, QFileInfo(fixturePath("wedding.jpg")).size());
    EXPECT_EQ(jpeg->device(), device.get());
    EXPECT_EQ(device->mediaFiles().size(), 4);
}

TEST_F(CameraLayer, DownloadWritesWholeFileUnderTheGivenName) {
    QList<PKCameraFilePtr> files;
    auto device = openedDevice(&files);
    QTemporaryDir target;
    QList<PKDownloadResult> results;
    auto file = named(files, "IMG_1994.JPG");
    ASSERT_TRUE(file);
    device->requestDownloadFile(file, target.path(), "IMG_1994.JPG",
                                [&](const PKDownloadResult &r) { results << r; });
    device->requestDownloadFile(file, target.path(), "../escape.jpg",
                                [&](const PKDownloadResult &r) { results << r; });
    ASSERT_TRUE(waitFor([&] { return results.size() == 2; }));
    const PKDownloadResult ok = results[0].saveAsName == "IMG_1994.JPG" ? results[0] : results[1];
    const PKDownloadResult bad = results[0].saveAsName == "IMG_1994.JPG" ? results[1] : results[0];
    EXPECT_EQ(ok.reason, "");
    EXPECT_EQ(ok.path, target.path() + "/IMG_1994.JPG");
    QFile a(ok.path), b(fixturePath("IMG_1994.JPG"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());
    EXPECT_NE(bad.reason, "");
    EXPECT_TRUE(bad.path.isEmpty());
    EXPECT_FALSE(QFile::exists(target.path() + "/../escape.jpg"));
    // Only the one file: no temporary left beside it.
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_TRUE(waitFor([&] { return device->pendingRequests() == 0; }));
}

TEST_F(CameraLayer, FailedDownloadLeavesNoFile) {
    QList<PKCameraFilePtr> files;
    auto device = openedDevice(&files);
    auto file = named(files, "wedding.jpg");
    ASSERT_TRUE(QFile::remove(card + "/DCIM/100TEST/wedding.jpg"));
    QTemporaryDir target;
    bool done = false;
    PKDownloadResult result;
    device->requestDownloadFile(file, target.path(), "wedding.jpg", [&](const PKDownloadResult &r) {
        result = r;
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_NE(result.reason, "");
    EXPECT_TRUE(result.path.isEmpty());
    EXPECT_TRUE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(CameraLayer, DeleteReportsOnlyWhatTheDeviceRemoved) {
    QList<PKCameraFilePtr> files;
    auto device = openedDevice(&files);
    auto gone = named(files, "wedding.jpg"), missing = named(files, "IMG_1994.JPG");
    ASSERT_TRUE(QFile::remove(card + "/DCIM/100TEST/IMG_1994.JPG")); // vanished behind our back
    QList<PKCameraFilePtr> removed, failed;
    QObject::connect(device.get(), &PKCameraDevice::didRemoveItem,
                     [&](const PKCameraFilePtr &f) { removed << f; });
    QObject::connect(device.get(), &PKCameraDevice::didFailToDeleteItem,
                     [&](const PKCameraFilePtr &f, const QString &) { failed << f; });
    device->requestDeleteFiles({gone, missing});
    ASSERT_TRUE(waitFor([&] { return removed.size() + failed.size() == 2; }));
    EXPECT_EQ(removed, QList<PKCameraFilePtr>{gone});
    EXPECT_EQ(failed, QList<PKCameraFilePtr>{missing});
    EXPECT_FALSE(QFile::exists(card + "/DCIM/100TEST/wedding.jpg"));
    EXPECT_FALSE(device->mediaFiles().contains(gone));
    EXPECT_TRUE(device->mediaFiles().contains(missing));
}
