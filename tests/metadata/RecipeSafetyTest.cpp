// The write recipe under faults: files and links already in the storage folder, a full disk,
// a disk without user attributes, a photo changed by another program, over-long names.
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

WriteRecipeOptions lensOptions(const QString &model) {
    WriteRecipeOptions o;
    o.change = [=](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["LensModel"] = model;
        working["{Exif}"] = exif;
        return true;
    };
    return o;
}

class RecipeSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        photos = dir.filePath("photos");
        storage = dir.filePath("storage");
        QDir().mkpath(photos);
        QDir().mkpath(storage);
    }
    QString lens(const QString &path) { return exiftool(path).value("EXIF:LensModel").toString(); }
    QTemporaryDir dir;
    QString photos, storage;
};

} // namespace

TEST_F(RecipeSafety, OverwriteLeavesAnUnrelatedFileOfTheSameNameInTheStorageFolder) {
    const QString wedding = copyFixture("wedding.jpg", photos);
    // Left by an earlier job on another photo of the same name.
    writeFile(storage + "/wedding.jpg", "an earlier job's wedding.jpg");
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(wedding)}, storage, true, lensOptions("Overwritten"));
    ASSERT_EQ(report.writtenCount(), 1) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(report.photos[0].outputPath, wedding);
    EXPECT_EQ(lens(wedding), "Overwritten");
    EXPECT_EQ(readAll(storage + "/wedding.jpg"), "an earlier job's wedding.jpg");
    EXPECT_EQ(QDir(storage).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(QDir(photos).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(RecipeSafety, LinksInTheStorageFolderAreTakenNamesNeverFollowed) {
    const QString wedding = copyFixture("wedding.jpg", photos);
    const QString park = copyFixture("St James Park.jpg", photos);
    const QString notes = dir.filePath("notes.txt");
    writeFile(notes, "the user's notes");
    ASSERT_TRUE(QFile::link("../notes.txt", storage + "/wedding.jpg"));
    // Dangling: writing through it would create a file outside the storage folder.
    ASSERT_TRUE(QFile::link("../outside/St James Park.jpg", storage + "/St James Park.jpg"));
    QDir().mkpath(dir.filePath("outside"));

    const WriteRecipeReport report =
        runWriteRecipe({itemFor(wedding), itemFor(park)}, storage, false, lensOptions("Linked"));
    ASSERT_EQ(report.writtenCount(), 2) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(readAll(notes), "the user's notes");
    EXPECT_FALSE(QFile::exists(dir.filePath("outside/St James Park.jpg")));
    EXPECT_TRUE(QFileInfo(storage + "/wedding.jpg").isSymLink());
    EXPECT_EQ(report.photos[0].outputPath, storage + "/wedding (2).jpg");
    EXPECT_EQ(report.photos[1].outputPath, storage + "/St James Park (2).jpg");
    EXPECT_EQ(lens(storage + "/wedding (2).jpg"), "Linked");
    EXPECT_EQ(lens(storage + "/St James Park (2).jpg"), "Linked");
}

TEST_F(RecipeSafety, AnOriginalThatIsALinkIsNotReplaced) {
    const QString real = copyFixture("wedding.jpg", dir.path());
    const QByteArray before = readAll(real);
    ASSERT_TRUE(QFile::link(real, photos + "/wedding.jpg"));
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(photos + "/wedding.jpg")}, storage, true, lensOptions("x"));
    EXPECT_EQ(report.writtenCount(), 0);
    EXPECT_EQ(readAll(real), before);
    EXPECT_TRUE(QFileInfo(photos + "/wedding.jpg").isSymLink());
}

TEST_F(RecipeSafety, APhotoChangedByAnotherProgramDuringTheJobIsReportedNotOverwritten) {
    const QString wedding = copyFixture("wedding.jpg", photos);
    WriteRecipeOptions options = lensOptions("Mine");
    const auto change = options.change;
    // The other program writes while ours is between reading and replacing.
    options.change = [&, change](QVariantMap &working, const IKImageItem &item) {
        QFile f(wedding);
        f.open(QIODevice::Append);
        f.write("edited elsewhere");
        return change(working, item);
    };
    const QByteArray theirs = readAll(wedding) + "edited elsewhere";
    const WriteRecipeReport report = runWriteRecipe({itemFor(wedding)}, storage, true, options);
    EXPECT_EQ(report.writtenCount(), 0);
    ASSERT_EQ(report.notWritten().size(), 1);
    EXPECT_TRUE(report.notWritten().first().contains("changed by another program"))
        << report.notWritten().first().toStdString();
    EXPECT_EQ(readAll(wedding), theirs);
    EXPECT_EQ(QDir(photos).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(RecipeSafety, AFullLengthNameTakesANumberByShorteningItsBase) {
    const QString longName = QString(251, QLatin1Char('w')) + ".jpg"; // 255 bytes
    const QString photo = photos + "/" + longName;
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), photo));
    QFile::setPermissions(photo, QFile::ReadOwner | QFile::WriteOwner);
    // A file of that name already in the storage folder, and not one of our edits.
    QDir().mkpath(storage);
    ASSERT_TRUE(QFile::copy(fixturePath("St James Park.jpg"), storage + "/" + longName));
    const QByteArray theirs = readAll(storage + "/" + longName);
    const WriteRecipeReport second =
        runWriteRecipe({itemFor(photo)}, storage, false, lensOptions("second"));
    ASSERT_EQ(second.writtenCount(), 1) << second.notWritten().join("; ").toStdString();
    const QString numbered = QFileInfo(second.photos[0].outputPath).fileName();
    EXPECT_TRUE(numbered.endsWith(" (2).jpg"));
    EXPECT_LE(numbered.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_EQ(lens(second.photos[0].outputPath), "second");
    EXPECT_EQ(readAll(storage + "/" + longName), theirs);
}

TEST_F(RecipeSafety, AFullDiskIsReportedAsSuch) {
    QString why;
    if (!mountScratch(storage, "tmpfs", "size=64k", &why))
        GTEST_SKIP() << why.toStdString();
    const QString park = copyFixture("St James Park.jpg", photos);
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(park)}, storage, false, lensOptions("x"));
    const QStringList failures = report.notWritten();
    const QStringList left = QDir(storage).entryList(QDir::Files | QDir::Hidden);
    unmountScratch(storage);
    EXPECT_EQ(report.writtenCount(), 0);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().contains("No space left on device"))
        << failures.first().toStdString();
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}

// A folder on a file system without extended attributes (FAT, exFAT) keeps no creation date:
// the photo is written with its modification date, and the ending names what is missing.
TEST_F(RecipeSafety, AStorageFolderWithoutUserAttributesDoesNotReportSuccess) {
    QString why;
    if (!mountScratch(storage, "ramfs", QString(), &why))
        GTEST_SKIP() << why.toStdString();
    const QString park = copyFixture("St James Park.jpg", photos);
    const QDateTime taken(QDate(2018, 10, 13), QTime(9, 18, 12));
    ASSERT_TRUE(FileDates::setDates(park, taken));
    const WriteRecipeReport report =
        runWriteRecipe({itemFor(park)}, storage, false, lensOptions("x"));
    const QString landed = storage + "/St James Park.jpg";
    const QDateTime modified = FileDates::modificationDate(landed);
    const QString lensWritten = lens(landed);
    unmountScratch(storage);
    EXPECT_EQ(report.writtenCount(), 1) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(modified, taken);
    EXPECT_EQ(lensWritten, "x");
    const JobReport job = jobReportFromRecipe(report);
    ASSERT_EQ(job.partlyWritten.size(), 1);
    EXPECT_TRUE(job.partlyWritten.first().contains("creation date"))
        << job.partlyWritten.first().toStdString();
}

TEST(FileDates, WhereAttributesAreUnsupportedOnlyTheModificationDateIsSet) {
    QTemporaryDir dir;
    QString why;
    if (!mountScratch(dir.path(), "ramfs", QString(), &why))
        GTEST_SKIP() << why.toStdString();
    const QString file = dir.filePath("a.jpg");
    QFile(file).open(QIODevice::WriteOnly);
    const QDateTime date(QDate(2020, 1, 5), QTime(12, 30, 45));
    QString error;
    const bool kept = FileDates::keepsCreationDates(file);
    const bool both = FileDates::setDates(file, date, &error);
    const QDateTime modified = FileDates::modificationDate(file);
    unmountScratch(dir.path());
    EXPECT_FALSE(kept);
    EXPECT_TRUE(both) << error.toStdString();
    EXPECT_EQ(modified, date);
    EXPECT_TRUE(FileDates::keepsCreationDates(fixturePath("wedding.jpg")));
}
