// Download runs over the photo service: a fake that answers late, twice, failing or refusing,
// and Linux, where the service cannot be reached.
#include "export/core/CloudDownload.h"
#include "platform/core/FileDates.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ICloudDownload : ::testing::Test {
    QTemporaryDir dir;
    QString storage() const { return dir.filePath("S"); }
    FakeCloudPhotoLibrary fake;

    ExportEntry photo(const QString &name, bool local, const QString &uuid = {}) {
        auto item = std::make_shared<IKImageItem>();
        item->fileName = name;
        item->filePath = dir.filePath("L/originals/" + name);
        item->fileThumbPath =
            dir.filePath("L/derivatives/" + QFileInfo(name).completeBaseName() + "_1_105_c.jpeg");
        item->bICloudDownloadPhoto = local;
        if (local)
            writeFile(item->filePath, "original " + name.toUtf8());
        writeFile(item->fileThumbPath, "thumb " + name.toUtf8());
        item->photoLibFileNode = std::make_shared<PRPicFileInfo>();
        item->photoLibFileNode->editRare().photouuid = uuid;
        item->photoLibFileNode->createDate.setText("2020-01-11 15:37:47");
        return ExportEntry{item, item, 0};
    }

    // Runs and waits for the end; the percentages shown, in order.
    CloudDownloadRun::Report download(const QList<ExportEntry> &entries, QList<int> *percents,
                                      int *ends) {
        QMutex m;
        CloudDownloadRun::Report report;
        std::atomic<int> endCount{0};
        auto run = CloudDownloadRun::start(
            entries, storage(), fake,
            [&](int finished, int total) {
                QMutexLocker lock(&m);
                percents->append(finished * 100 / total);
            },
            [&](const CloudDownloadRun::Report &r) {
                QMutexLocker lock(&m);
                report = r;
                ++endCount;
            });
        QDeadlineTimer deadline(10000);
        while (endCount == 0 && !deadline.hasExpired())
            QThread::msleep(5);
        QThread::msleep(100); // a second completion would come by now
        *ends = endCount;
        QMutexLocker lock(&m);
        return report;
    }
};

} // namespace

TEST_F(ICloudDownload, LocalOriginalsAreCopiedAndLateDownloadsEndTheRun) {
    fake.late = true;
    fake.served << FakeCloudPhotoLibrary::Served{{"U3", "IMG_3.HEIC", 1}, "cloud bytes", {}};
    QList<int> percents;
    int ends = 0;
    const auto report = download(
        {photo("IMG_1.JPG", true), photo("IMG_2.JPG", true), photo("IMG_3.HEIC", false, "U3")},
        &percents, &ends);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(percents, (QList<int>{33, 66, 100}));
    EXPECT_TRUE(report.notDownloaded.isEmpty());
    EXPECT_EQ(readAll(storage() + "/IMG_3.HEIC"), "cloud bytes");
    EXPECT_EQ(readAll(storage() + "/IMG_1.JPG"), "original IMG_1.JPG");
    const QDateTime created(QDate(2020, 1, 11), QTime(15, 37, 47));
    EXPECT_EQ(FileDates::modificationDate(storage() + "/IMG_3.HEIC"), created);
    EXPECT_EQ(FileDates::creationDate(storage() + "/IMG_1.JPG"), created);
    // Nothing of ours is left behind.
    EXPECT_EQ(QDir(storage()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(ICloudDownload, FailedRefusedAndUnmatchedPhotosGoOutAsThumbnailsAndAreNamed) {
    fake.served << FakeCloudPhotoLibrary::Served{{"U1", "A.HEIC", 1}, {}, "the network is down"};
    // A resource of another photo with the same name is not this photo's original.
    fake.served << FakeCloudPhotoLibrary::Served{{"OTHER", "C.HEIC", 1}, "not mine", {}};
    QList<int> percents;
    int ends = 0;
    auto report =
        download({photo("A.HEIC", false, "U1"), photo("C.HEIC", false, "U3")}, &percents, &ends);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(percents, (QList<int>{50, 100}));
    ASSERT_EQ(report.notDownloaded.size(), 2);
    EXPECT_EQ(report.notDownloaded[0], "A.HEIC: the network is down (its thumbnail is A.jpeg)");
    EXPECT_TRUE(report.notDownloaded[1].startsWith("C.HEIC: iCloud Photos holds no original"));
    EXPECT_EQ(readAll(storage() + "/A.jpeg"), "thumb A.HEIC");
    EXPECT_FALSE(QFileInfo::exists(storage() + "/C.HEIC"));

    fake.granted = false;
    percents.clear();
    report = download({photo("B.HEIC", false, "U2")}, &percents, &ends);
    ASSERT_EQ(report.notDownloaded.size(), 1);
    EXPECT_EQ(report.notDownloaded[0],
              "B.HEIC: access to iCloud Photos was refused (its thumbnail is B.jpeg)");
}

TEST_F(ICloudDownload, DoubleMatchesAndDoubleCompletionsNeverOverwriteOrCountTwice) {
    fake.completeTwice = true;
    fake.late = true;
    fake.served << FakeCloudPhotoLibrary::Served{{"U1", "IMG_9.HEIC", 1}, "first", {}}
                << FakeCloudPhotoLibrary::Served{{"U1", "IMG_9.MOV", 2}, "video", {}}
                << FakeCloudPhotoLibrary::Served{{"U1", "IMG_9_adjust.plist", 5}, "no", {}};
    writeFile(storage() + "/IMG_9.HEIC", "already here");
    QList<int> percents;
    int ends = 0;
    const auto report = download({photo("IMG_9.HEIC", false, "U1")}, &percents, &ends);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(percents, QList<int>{100});
    EXPECT_EQ(readAll(storage() + "/IMG_9.HEIC"), "already here");
    EXPECT_EQ(readAll(storage() + "/IMG_9 2.HEIC"), "first");
    EXPECT_EQ(readAll(storage() + "/IMG_9.MOV"), "video");
    EXPECT_FALSE(QFileInfo::exists(storage() + "/IMG_9_adjust.plist"));
    EXPECT_EQ(report.written.size(), 2);
}

TEST_F(ICloudDownload, LinuxCannotReachTheServiceAndSaysSo) {
    LinuxCloudPhotoLibrary linuxService;
    QString why;
    EXPECT_FALSE(linuxService.isAvailable(&why));
    EXPECT_EQ(why, "iCloud Photos cannot be reached from Linux");
    fake.available = false;
    QList<int> percents;
    int ends = 0;
    const auto report =
        download({photo("D.JPG", true), photo("E.HEIC", false, "U5")}, &percents, &ends);
    EXPECT_EQ(percents, (QList<int>{50, 100}));
    ASSERT_EQ(report.notDownloaded.size(), 1);
    EXPECT_TRUE(report.notDownloaded[0].startsWith("E.HEIC: "));
    EXPECT_EQ(readAll(storage() + "/D.JPG"), "original D.JPG");
    EXPECT_EQ(readAll(storage() + "/E.jpeg"), "thumb E.HEIC");
}
