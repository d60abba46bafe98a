#include "metadata/core/WriteRecipe.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/LensWindow.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

QByteArray digest(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

WriteRecipeOptions lensOptions(const QString &make, const QString &model) {
    WriteRecipeOptions o;
    o.change = [=](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["LensMake"] = make;
        exif["LensModel"] = model;
        working["{Exif}"] = exif;
        return true;
    };
    return o;
}

class Recipe : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        photos = dir.filePath("photos");
        storage = dir.filePath("storage");
        QDir().mkpath(photos);
    }
    QTemporaryDir dir;
    QString photos, storage;
};

} // namespace

TEST_F(Recipe, WritesIntoTheStorageFolderAndLeavesOriginalsAlone) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const QString wedding = copyFixture("wedding.jpg", photos);
    const QDateTime created(QDate(2018, 10, 13), QTime(9, 18, 12));
    ASSERT_TRUE(FileDates::setDates(park, created));
    const QByteArray parkBefore = digest(park);

    const WriteRecipeReport report =
        runWriteRecipe({itemFor(park), itemFor(wedding)}, storage, false,
                       lensOptions("Nikon", "AF-S 35mm f/1.8G"));
    ASSERT_EQ(report.writtenCount(), 2) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(digest(park), parkBefore);
    const QString out = storage + "/St James Park.jpg";
    EXPECT_EQ(report.revealPath, out);
    EXPECT_EQ(report.revealRoot, storage);

    const QVariantMap exif = subDictionary(ImageSource::fromPath(out).properties(0), "{Exif}");
    EXPECT_EQ(exif.value("LensModel").toString(), "AF-S 35mm f/1.8G");
    EXPECT_EQ(exif.value("DateTimeOriginal").toString(), "2018:10:13 09:18:12");
    const QJsonObject outside = exiftool(out);
    EXPECT_EQ(outside.value("EXIF:LensMake").toString(), "Nikon");
    EXPECT_EQ(outside.value("EXIF:LensModel").toString(), "AF-S 35mm f/1.8G");
    EXPECT_EQ(outside.value("EXIF:Model").toString(), "NIKON D7000");
    EXPECT_TRUE(outside.contains("EXIF:GPSLatitude"));
    EXPECT_EQ(FileDates::creationDate(out), created);
    EXPECT_EQ(FileDates::modificationDate(out), created);
    EXPECT_TRUE(QFile::exists(storage + "/wedding.jpg"));
}

TEST_F(Recipe, OverwriteReplacesTheOriginalOnlyWithAWrittenFile) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(park)}, storage, true, lensOptions("Nikon", "Replaced"));
    ASSERT_EQ(report.writtenCount(), 1);
    EXPECT_EQ(report.revealPath, park);
    EXPECT_EQ(report.revealRoot, photos);
    EXPECT_FALSE(QFile::exists(storage + "/St James Park.jpg"));
    EXPECT_EQ(exiftool(park).value("EXIF:LensModel").toString(), "Replaced");
}

TEST_F(Recipe, BrokenFilesAreSkippedAndReported) {
    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(photos + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString empty = write("empty.jpg", {});
    const QString noise = write("noise.jpg", QByteArray(5000, '\x17'));
    QFile park(fixturePath("St James Park.jpg"));
    park.open(QIODevice::ReadOnly);
    const QString truncated = write("truncated.jpg", park.read(1000));
    const QByteArray truncatedBefore = digest(truncated);
    const QString missing = photos + "/missing.jpg";

    const WriteRecipeReport report =
        runWriteRecipe({itemFor(empty), itemFor(noise), itemFor(truncated), itemFor(missing)},
                       storage, true, lensOptions("a", "b"));
    EXPECT_EQ(report.writtenCount(), 0);
    EXPECT_EQ(report.notWritten().size(), 4);
    EXPECT_TRUE(report.revealPath.isEmpty());
    EXPECT_EQ(digest(truncated), truncatedBefore);
    EXPECT_TRUE(QDir(storage).entryList(QDir::Files).isEmpty());
}

TEST(RecipeChecks, ValuesCompareWithRationalTolerance) {
    const QVariantMap written{{"ExposureTime", 0.008000001},
                              {"FNumber", 2.8},
                              {"ISOSpeedRatings", QVariantList{100}},
                              {"LensModel", "X "}};
    EXPECT_TRUE(sameValues(written, {{"ExposureTime", 1.0 / 125}, {"FNumber", "2.8"}}));
    EXPECT_TRUE(sameValues(written, {{"ISOSpeedRatings", QVariantList{100}}, {"LensModel", "X"}}));
    EXPECT_FALSE(sameValues(written, {{"FNumber", 4.0}}));
    EXPECT_FALSE(sameValues(written, {{"LensMake", "Nikon"}}));
    EXPECT_TRUE(sameValues(written, {{"LensMake", QVariant()}}));
    EXPECT_EQ(recompressedPath("/a/b/IMG_1.JPG"), "/a/b/IMG_1_.JPG");
    EXPECT_FALSE(checkSameExifFromImageData(QByteArray(), {}));
    EXPECT_FALSE(checkSameExifFromImageData(QByteArray(100, 'x'), {}));
}

TEST(LensWindow, WritesTheSelectedPhotosAndRevealsTheFirst) {
    QTemporaryDir dir;
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QStringList revealed;
    Workspace::setRevealer([&](const QString &p, const QString &root) { revealed << p << root; });
    clearUserDefaults();
    userDefaults()->setValue("storagePath", dir.filePath("out"));
    {
        AppDelegate d;
        d.launch();
        const QString a = copyFixture("St James Park.jpg", dir.path());
        const QString b = copyFixture("wedding.jpg", dir.path());
        const QString c = copyFixture("Fritest.jpeg", dir.path());
        d.localLists().localPhotoItemArray = {itemFor(a), itemFor(b), itemFor(c)};
        QStandardItemModel model(3, 1);
        localBrowser(d)->setModel(&model);
        localBrowser(d)->selectionModel()->select(model.index(2, 0), QItemSelectionModel::Select);
        localBrowser(d)->selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select);
        drive(d).lensWindow().ShowCameLensModel();
        drive(d).type(drive(d).findIn<QLineEdit>("changelensWindow", "lensMakelab"), "Sigma");
        drive(d).type(drive(d).findIn<QLineEdit>("changelensWindow", "lensModellab"), "");
        drive(d).lensWindow().ChangeCameLensModel();
        ASSERT_TRUE(waitForJobs(d));
        EXPECT_FALSE(drive(d).find("changelensWindow")->isVisible());
        const QString outA = dir.filePath("out/St James Park.jpg");
        EXPECT_EQ(revealed, (QStringList{outA, dir.filePath("out")})); // one reveal per job
        EXPECT_EQ(exiftool(dir.filePath("out/Fritest.jpeg")).value("EXIF:LensMake").toString(),
                  "Sigma");
        EXPECT_FALSE(QFile::exists(dir.filePath("out/wedding.jpg")));
        localBrowser(d)->setModel(nullptr);
    }
    Workspace::setRevealer({});
    Workspace::setUrlOpener({});
}

TEST_F(Recipe, UnwritableTypesBecomeALosslessTiffBesideNotOverTheOriginal) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    const QString bmp = photos + "/scan.bmp";
    ASSERT_TRUE(image.save(bmp, "BMP"));
    const QByteArray before = digest(bmp);
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(bmp)}, storage, true, lensOptions("Kestry", "Flatbed"));
    ASSERT_EQ(report.writtenCount(), 1) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(digest(bmp), before);
    const QString out = storage + "/scan.tiff";
    EXPECT_EQ(report.photos.first().outputPath, out);
    EXPECT_EQ(exiftool(out).value("EXIF:LensModel").toString(), "Flatbed");
    QImage back(out);
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
}

TEST_F(Recipe, SameNamesFromTwoFoldersKeepBothOutputs) {
    QDir().mkpath(photos + "/a");
    QDir().mkpath(photos + "/b");
    const QString first = copyFixture("St James Park.jpg", photos + "/a");
    const QString second = copyFixture("St James Park.jpg", photos + "/b");
    const WriteRecipeReport report = runWriteRecipe({itemFor(first), itemFor(second)}, storage,
                                                    false, lensOptions("Nikon", "Both"));
    ASSERT_EQ(report.writtenCount(), 2);
    EXPECT_NE(report.photos[0].outputPath, report.photos[1].outputPath);
    EXPECT_EQ(report.photos[1].outputPath, storage + "/St James Park (2).jpg");
    EXPECT_TRUE(QFile::exists(storage + "/St James Park.jpg"));
    EXPECT_TRUE(QFile::exists(storage + "/St James Park (2).jpg"));
}

TEST_F(Recipe, ARawsJpegNeverTakesThePlaceOfTheCamerasOwnJpeg) {
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray preview;
    QBuffer buffer(&preview);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPEG"));
    const QString raw = photos + "/DSC_0001.NEF";
    ASSERT_TRUE(writeAll(raw, makeMinimalDng(preview, "Kestry", "Cam", "2021:06:15 12:34:56")));
    // The shot's JPEG, downloaded from the camera into the storage folder.
    QDir().mkpath(storage);
    const QString cameraJpeg = copyFixture("wedding.jpg", storage);
    ASSERT_TRUE(QFile::rename(cameraJpeg, storage + "/DSC_0001.jpg"));
    const QByteArray before = digest(storage + "/DSC_0001.jpg");

    WriteRecipeOptions options = lensOptions("Kestry", "Raw");
    options.useRawTemporary = true;
    const WriteRecipeReport report = runWriteRecipe({itemFor(raw)}, storage, true, options);
    ASSERT_EQ(report.writtenCount(), 1) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(digest(storage + "/DSC_0001.jpg"), before);
    EXPECT_EQ(report.photos.first().outputPath, storage + "/DSC_0001 (2).jpg");
    EXPECT_EQ(exiftool(storage + "/DSC_0001 (2).jpg").value("EXIF:LensModel").toString(), "Raw");
}
