// The write recipe as a job: started without waiting, committed in batches, cancellable.
#include "metadata/core/VideoEdits.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobRunner.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

WriteRecipeOptions modelOptions(const QString &model) {
    WriteRecipeOptions o;
    o.change = [=](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["LensModel"] = model;
        working["{Exif}"] = exif;
        return true;
    };
    return o;
}

// Every file in `folder`, hidden ones too: a temporary left behind shows here.
QStringList everyFile(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

struct Ended {
    int calls = 0;
    WriteRecipeReport report;
    bool cancelled = false;
};

WriteRecipeDone recordInto(Ended &ended) {
    return [&ended](const WriteRecipeReport &r, bool c) {
        ++ended.calls;
        ended.report = r;
        ended.cancelled = c;
    };
}

class RecipeJob : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        photos = dir.filePath("photos");
        storage = dir.filePath("storage");
        QDir().mkpath(photos);
    }
    bool waitFor(JobRunner &runner) {
        QSignalSpy spy(&runner, &JobRunner::finished);
        return spy.wait(120000);
    }
    QTemporaryDir dir;
    QString photos, storage;
};

} // namespace

TEST_F(RecipeJob, ReturnsAtOnceAndReportsOnceEveryPhotoIsInPlace) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const QString broken = photos + "/broken.jpg";
    ASSERT_TRUE(writeAll(broken, QByteArray(3000, 'z')));
    JobRunner runner;
    QList<int> written;
    QObject::connect(&runner, &JobRunner::resultReady, [&](int index, const JobResult &r) {
        if (r.ok) {
            written << index;
            // Reported only once it stands under its final name.
            EXPECT_TRUE(QFile::exists(r.outputPath));
            EXPECT_FALSE(QFileInfo(r.outputPath).fileName().startsWith('.'));
        }
    });
    Ended ended;
    ASSERT_TRUE(startWriteRecipe(runner, {itemFor(park), itemFor(broken)}, storage, false,
                                 modelOptions("Async"), recordInto(ended)));
    EXPECT_EQ(ended.calls, 0) << "the window must not wait for the photos";
    ASSERT_TRUE(waitFor(runner));
    ASSERT_EQ(ended.calls, 1);
    EXPECT_FALSE(ended.cancelled);
    EXPECT_EQ(written, QList<int>{0});
    ASSERT_EQ(ended.report.photos.size(), 2);
    EXPECT_TRUE(ended.report.photos[0].written);
    EXPECT_FALSE(ended.report.photos[1].written);
    EXPECT_EQ(ended.report.notWritten().size(), 1);
    EXPECT_TRUE(ended.report.notWritten().first().startsWith("broken.jpg: "));
    EXPECT_EQ(ended.report.revealPath, storage + "/St James Park.jpg");
    EXPECT_EQ(exiftool(storage + "/St James Park.jpg").value("EXIF:LensModel").toString(), "Async");
    EXPECT_EQ(everyFile(storage), QStringList{"St James Park.jpg"});
}

TEST_F(RecipeJob, OverwritingKeepsTheOriginalsPermissions) {
    const QString park = copyFixture("St James Park.jpg", photos);
    ASSERT_EQ(::chmod(QFile::encodeName(park).constData(), 0640), 0);
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(park)}, storage, true, modelOptions("Kept"));
    ASSERT_EQ(report.writtenCount(), 1) << report.notWritten().join("; ").toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(park).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(exiftool(park).value("EXIF:LensModel").toString(), "Kept");
    EXPECT_EQ(everyFile(photos), QStringList{"St James Park.jpg"});
}

TEST_F(RecipeJob, ACancelledJobLeavesWholePhotosOrNone) {
    // Every worker is held in its first photo until the cancel, so the rest never start.
    const int workers = JobRunner::pool()->maxThreadCount();
    const int count = workers + 8;
    QList<IKImageItemPtr> items;
    for (int i = 0; i < count; ++i) {
        const QString path = photos + QStringLiteral("/photo%1.jpg").arg(i);
        ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), path));
        items << itemFor(path);
    }
    JobRunner runner;
    Ended ended;
    auto gate = std::make_shared<QSemaphore>();
    WriteRecipeOptions options = modelOptions("Stopped");
    const auto change = options.change;
    options.change = [gate, change](QVariantMap &working, const IKImageItem &item) {
        gate->acquire();
        gate->release();
        return change(working, item);
    };
    ASSERT_TRUE(startWriteRecipe(runner, items, storage, false, options, recordInto(ended)));
    runner.cancel();
    gate->release();
    ASSERT_TRUE(waitFor(runner));
    ASSERT_EQ(ended.calls, 1);
    EXPECT_TRUE(ended.cancelled);
    ASSERT_EQ(ended.report.photos.size(), count);
    int cancelled = 0;
    for (const WriteRecipeResult &photo : ended.report.photos) {
        const QString out = storage + "/" + QFileInfo(photo.sourcePath).fileName();
        if (photo.written) {
            EXPECT_EQ(photo.outputPath, out);
            EXPECT_EQ(subDictionary(ImageSource::fromPath(out).properties(0), "{Exif}")
                          .value("LensModel")
                          .toString(),
                      "Stopped");
        } else {
            ++cancelled;
            EXPECT_EQ(photo.reason, "cancelled");
            EXPECT_FALSE(QFile::exists(out));
        }
    }
    EXPECT_GE(cancelled, count - workers);
    EXPECT_EQ(ended.report.writtenCount() + cancelled, count);
    for (const QString &name : everyFile(storage))
        EXPECT_FALSE(name.startsWith('.')) << "temporary left behind: " << name.toStdString();
}

// Photos are moved into place a batch at a time after one sync; same-named photos from
// different folders still take their numbers in list order, each with its own change.
TEST_F(RecipeJob, SameNamedPhotosOfManyBatchesAreNumberedAsListed) {
    QList<IKImageItemPtr> items;
    for (int i = 0; i < 12; ++i) {
        const QString folder = photos + QStringLiteral("/f%1").arg(i);
        QDir().mkpath(folder);
        items << itemFor(copyFixture("wedding.jpg", folder));
    }
    WriteRecipeOptions options;
    options.change = [](QVariantMap &working, const IKImageItem &item) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["LensModel"] = QFileInfo(QFileInfo(item.filePath).absolutePath()).fileName();
        working["{Exif}"] = exif;
        return true;
    };
    const WriteRecipeReport report = runWriteRecipe(items, storage, false, options);
    ASSERT_EQ(report.photos.size(), 12);
    EXPECT_EQ(report.writtenCount(), 12);
    for (int i = 0; i < 12; ++i) {
        const QString expected =
            i == 0 ? QStringLiteral("wedding.jpg") : QStringLiteral("wedding (%1).jpg").arg(i + 1);
        EXPECT_EQ(QFileInfo(report.photos[i].outputPath).fileName(), expected);
        EXPECT_EQ(exiftool(report.photos[i].outputPath).value("EXIF:LensModel").toString(),
                  QStringLiteral("f%1").arg(i));
    }
    EXPECT_EQ(everyFile(storage).size(), 12); // no temporary left behind
}

// The video road's plan: a new wall clock keeps the capture's own offset, and a position the
// written file still holds is named, never taken for removed.
TEST(VideoRoad, KeepsTheCapturesZoneAndNamesWhatTheFileStillHolds) {
    const QJsonObject tags{{"Keys:GPSCoordinates", "48.8583 2.2945 35"},
                           {"Keys:CreationDate", "2020:01:11 10:00:00+01:00"},
                           {"ItemList:Title", "Old"}};
    const QDateTime created(QDate(2020, 1, 11), QTime(10, 0), QTimeZone(3600));
    const QVariantMap before = VideoEdits::propertiesOf(tags, created);
    EXPECT_EQ(before["{IPTC}"].toMap()["ObjectName"], "Old");
    QVariantMap after = before;
    after.insert("{GPS}", QVariant());
    after.insert("{Exif}", QVariantMap{{"DateTimeOriginal", "2020:01:11 11:30:00"}});
    after.insert("{TIFF}", QVariantMap{{"Copyright", "Kim"}});
    const VideoEdits::Plan plan = VideoEdits::planFor(before, after, tags, created);
    EXPECT_EQ(plan.expected["Keys:CreationDate"], "2020:01:11 11:30:00+01:00");
    EXPECT_EQ(plan.expected["QuickTime:CreateDate"], "2020:01:11 10:30:00");
    EXPECT_TRUE(plan.expected["Keys:GPSCoordinates"].isNull());
    EXPECT_EQ(plan.leftOut, QStringList{"copyright"});
    QJsonObject written = tags;
    written["Keys:CreationDate"] = "2020:01:11 11:30:00+01:00";
    written["UserData:DateTimeOriginal"] = "2020:01:11 11:30:00+01:00";
    written["QuickTime:CreateDate"] = "2020:01:11 10:30:00";
    EXPECT_EQ(VideoEdits::missedIn(written, plan), QStringList{"Keys:GPSCoordinates"});
    written.remove("Keys:GPSCoordinates");
    EXPECT_TRUE(VideoEdits::missedIn(written, plan).isEmpty());
}
