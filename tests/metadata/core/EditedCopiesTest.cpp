// Successive edits of one photo add up in its one copy in the storage folder, and a copy
// that is no longer as we wrote it (or whose original changed) is never taken or replaced.
#include "metadata/core/EditedCopies.h"
#include "metadata/core/MetadataRemoval.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "support/DatedPhotos.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

// One change of the working copy, in the dictionaries every written type carries.
WriteRecipeOptions setting(const QString &dictionary, const QString &key, const QVariant &value) {
    WriteRecipeOptions o;
    o.change = [=](QVariantMap &working, const IKImageItem &) {
        QVariantMap sub = subDictionary(working, dictionary);
        sub[key] = value;
        working[dictionary] = sub;
        return true;
    };
    o.destinationDictionary.clear();
    return o;
}

WriteRecipeOptions removingGps() {
    WriteRecipeOptions o;
    o.change = [](QVariantMap &working, const IKImageItem &) {
        applyLocalRemoval(working, MetadataRemoval::Gps);
        return true;
    };
    o.destinationDictionary.clear();
    return o;
}

// A date edit as the date window makes it: one hour later than the photo says now.
WriteRecipeOptions anHourLater() {
    WriteRecipeOptions o;
    o.change = [](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        const QDateTime now =
            QDateTime::fromString(exif["DateTimeOriginal"].toString(), "yyyy:MM:dd HH:mm:ss");
        if (!now.isValid())
            return false;
        exif["DateTimeOriginal"] = now.addSecs(3600).toString("yyyy:MM:dd HH:mm:ss");
        working["{Exif}"] = exif;
        return true;
    };
    o.destinationDictionary.clear();
    return o;
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class EditedCopiesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        photos = dir.filePath("photos");
        storage = dir.filePath("out");
        QDir().mkpath(photos);
    }
    WriteRecipeReport edit(const IKImageItemPtr &item, const WriteRecipeOptions &o) {
        const WriteRecipeReport r = runWriteRecipe({item}, storage, false, o);
        EXPECT_EQ(r.writtenCount(), 1) << r.notWritten().join("; ").toStdString();
        return r;
    }
    QTemporaryDir dir;
    QString photos, storage;
};

} // namespace

TEST_F(EditedCopiesTest, ATitleThenAGpsRemovalLeaveBothInOneCopy) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const QByteArray before = readAll(park);
    // A new item each time, as after a restart: the record on the copy is what counts.
    edit(itemFor(park), setting("{IPTC}", "ObjectName", "Horse Guards"));
    edit(itemFor(park), removingGps());

    EXPECT_EQ(filesIn(storage), QStringList{"St James Park.jpg"});
    const QJsonObject tool = exiftoolNumbers(storage + "/St James Park.jpg");
    EXPECT_EQ(tool["IPTC:ObjectName"].toString(), "Horse Guards");
    EXPECT_FALSE(tool.contains("GPS:GPSLatitude"));
    EXPECT_FALSE(tool.contains("Composite:GPSPosition"));
    EXPECT_EQ(tool["IFD0:Model"].toString(), "NIKON D7000");
    EXPECT_EQ(readAll(park), before); // the original is never touched
}

TEST_F(EditedCopiesTest, ThreeEditsAddUpInHeicJpegAndPng) {
    const QString heic = copyFixture("IMG_3092.heic", photos);
    const QString jpeg = copyFixture("wedding.jpg", photos);
    const QString png = photos + "/drawing.png";
    QImage pixels(64, 48, QImage::Format_RGB32);
    pixels.fill(Qt::darkCyan);
    ASSERT_TRUE(pixels.save(png, "PNG"));
    ASSERT_TRUE(exiftoolWrite(png, {"-DateTimeOriginal=2020:05:06 07:08:09"}));

    for (const QString &photo : {heic, jpeg, png}) {
        SCOPED_TRACE(photo.toStdString());
        const IKImageItemPtr item = itemFor(photo);
        const QString date = exiftoolNumbers(photo)["ExifIFD:DateTimeOriginal"].toString();
        ASSERT_FALSE(date.isEmpty());
        edit(item, setting("{TIFF}", "Artist", "Ann Example"));
        edit(item, setting("{GPS}", "Latitude", 12.5));
        const WriteRecipeReport third = edit(item, anHourLater());

        const QString copy = third.photos.value(0).outputPath;
        EXPECT_EQ(filesIn(storage).filter(QFileInfo(photo).completeBaseName()).size(), 1)
            << filesIn(storage).join(", ").toStdString();
        EXPECT_EQ(item->rare().editedCopyPath, copy);
        EXPECT_EQ(item->currentPath(), copy);
        const QJsonObject tool = exiftoolNumbers(copy);
        EXPECT_EQ(tool["IFD0:Artist"].toString(), "Ann Example");
        EXPECT_NEAR(tool["GPS:GPSLatitude"].toDouble(), 12.5, 1e-6);
        EXPECT_EQ(tool["ExifIFD:DateTimeOriginal"].toString(),
                  QDateTime::fromString(date, "yyyy:MM:dd HH:mm:ss")
                      .addSecs(3600)
                      .toString("yyyy:MM:dd HH:mm:ss"));
        EXPECT_FALSE(exiftoolNumbers(photo).contains("IFD0:Artist"));
    }
}

TEST_F(EditedCopiesTest, ACopyChangedElsewhereIsNeitherTakenNorReplaced) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const IKImageItemPtr item = itemFor(park);
    edit(item, setting("{TIFF}", "Software", "first"));
    const QString copy = storage + "/St James Park.jpg";
    // Another program changes our copy in place (its record stays): it is the user's file now.
    {
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
        f.write("appended by another program");
    }
    const QByteArray theirs = readAll(copy);

    const WriteRecipeReport second = edit(item, setting("{Exif}", "LensModel", "second"));
    EXPECT_EQ(readAll(copy), theirs);
    const QString next = second.photos.value(0).outputPath;
    EXPECT_NE(next, copy);
    const QJsonObject tool = exiftoolNumbers(next);
    EXPECT_EQ(tool["ExifIFD:LensModel"].toString(), "second");
    EXPECT_EQ(tool["IFD0:Software"].toString(), // started again from the original
              "Adobe Photoshop Lightroom Classic 8.1 (Macintosh)");
}

TEST_F(EditedCopiesTest, AnOriginalChangedSinceIsTheNewStart) {
    const QString park = copyFixture("St James Park.jpg", photos);
    edit(itemFor(park), setting("{TIFF}", "Software", "old copy"));
    const QString copy = storage + "/St James Park.jpg";
    const QByteArray oldCopy = readAll(copy);
    // The original is overwritten (by us with overwriting on, or by another program).
    ASSERT_TRUE(exiftoolWrite(park, {"-Copyright=newer original"}));

    const WriteRecipeReport r = edit(itemFor(park), setting("{Exif}", "LensModel", "next"));
    EXPECT_EQ(readAll(copy), oldCopy);
    const QJsonObject tool = exiftoolNumbers(r.photos.value(0).outputPath);
    EXPECT_EQ(tool["IFD0:Copyright"].toString(), "newer original");
    EXPECT_NE(tool["IFD0:Software"].toString(), "old copy");
}

TEST_F(EditedCopiesTest, OverwritingTheOriginalEndsTheCopyAsStart) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const IKImageItemPtr item = itemFor(park);
    edit(item, setting("{TIFF}", "Artist", "copy"));
    ASSERT_FALSE(item->rare().editedCopyPath.isEmpty());
    const WriteRecipeReport over =
        runWriteRecipe({item}, storage, true, setting("{Exif}", "LensModel", "over"));
    ASSERT_EQ(over.writtenCount(), 1);
    EXPECT_EQ(over.photos[0].outputPath, park);
    EXPECT_TRUE(item->rare().editedCopyPath.isEmpty());
    EXPECT_EQ(item->currentPath(), park);
    // The old copy no longer derives from the original as it is now.
    const WriteRecipeReport after = edit(item, setting("{TIFF}", "Make", "after"));
    const QJsonObject tool = exiftoolNumbers(after.photos.value(0).outputPath);
    EXPECT_EQ(tool["ExifIFD:LensModel"].toString(), "over");
    EXPECT_EQ(tool["IFD0:Make"].toString(), "after");
    EXPECT_EQ(exiftoolNumbers(storage + "/St James Park.jpg")["IFD0:Artist"].toString(), "copy");
}

TEST_F(EditedCopiesTest, ACopyNamedLikeThePhotoButMadeFromAnotherIsLeftAlone) {
    const QString park = copyFixture("St James Park.jpg", photos);
    QDir().mkpath(dir.filePath("elsewhere"));
    const QString other = copyFixture("St James Park.jpg", dir.filePath("elsewhere"));
    edit(itemFor(other), setting("{TIFF}", "Artist", "other photo"));
    const QByteArray othersCopy = readAll(storage + "/St James Park.jpg");

    const WriteRecipeReport r = edit(itemFor(park), setting("{TIFF}", "Artist", "this photo"));
    EXPECT_EQ(readAll(storage + "/St James Park.jpg"), othersCopy);
    EXPECT_EQ(exiftoolNumbers(r.photos.value(0).outputPath)["IFD0:Artist"].toString(),
              "this photo");
}

TEST_F(EditedCopiesTest, TheRecordNamesTheOriginalAndTheDigestOfTheCopy) {
    const QString park = copyFixture("St James Park.jpg", photos);
    const WriteRecipeReport r = edit(itemFor(park), setting("{TIFF}", "Artist", "x"));
    const QString copy = r.photos.value(0).outputPath;
    char value[4096];
    const ssize_t n = ::getxattr(QFile::encodeName(copy).constData(),
                                 EditedCopies::kSourceAttribute, value, sizeof value);
    ASSERT_GT(n, 0);
    EXPECT_EQ(QString::fromUtf8(value, int(n)), QFileInfo(park).canonicalFilePath());
    const ssize_t m = ::getxattr(QFile::encodeName(copy).constData(),
                                 EditedCopies::kDigestAttribute, value, sizeof value);
    ASSERT_GT(m, 0);
    EXPECT_EQ(QByteArray(value, int(m)), EditedCopies::digestOf(readAll(copy)));
    EXPECT_EQ(r.photos[0].digest, EditedCopies::digestOf(readAll(copy)));
    EXPECT_TRUE(r.photos[0].digest.startsWith("xxh128:")) << r.photos[0].digest.constData();
    EXPECT_EQ(r.photos[0].digest.size(), 7 + 32);

    // A record written before holds BLAKE2b-256 alone: the copy is still the next start...
    const QByteArray older =
        QCryptographicHash::hash(readAll(copy), QCryptographicHash::Blake2b_256).toHex();
    ASSERT_EQ(::setxattr(QFile::encodeName(copy).constData(), EditedCopies::kDigestAttribute,
                         older.constData(), size_t(older.size()), 0),
              0);
    edit(itemFor(park), setting("{IPTC}", "ObjectName", "Horse Guards"));
    const QJsonObject tool = exiftoolNumbers(copy);
    EXPECT_EQ(tool["IFD0:Artist"].toString(), "x");
    EXPECT_EQ(tool["IPTC:ObjectName"].toString(), "Horse Guards");
    // ...and a copy changed since behind such a record is not.
    ASSERT_EQ(::setxattr(QFile::encodeName(copy).constData(), EditedCopies::kDigestAttribute,
                         older.constData(), size_t(older.size()), 0),
              0);
    const QByteArray changed = readAll(copy);
    const WriteRecipeReport third = edit(itemFor(park), setting("{TIFF}", "Make", "y"));
    EXPECT_EQ(readAll(copy), changed);
    EXPECT_NE(third.photos.value(0).outputPath, copy);
    EXPECT_EQ(exiftoolNumbers(third.photos.value(0).outputPath)["IFD0:Artist"].toString(),
              "Jeff Hitchcock"); // the original's, not the copy's "x"
}

TEST(EditedCopyDigest, TheSameWholeOrInPiecesAtEverySizeInBothKinds) {
    for (const int size : {0, 1, 127, 128, 129, 240, 65536, 200 * 1024 + 3}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char((i * 131) ^ (i >> 7));
        const QByteArray blake =
            QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).toHex();
        for (const QByteArray &like : {QByteArray(), blake}) {
            const QByteArray whole = like.isEmpty() ? EditedCopies::digestOf(bytes) : blake;
            EditedCopies::Digest pieces(like);
            for (int at = 0; at < size; at += 1000)
                pieces.add(bytes.constData() + at, size_t(std::min(1000, size - at)));
            EXPECT_EQ(pieces.hex(), whole) << size;
        }
        bytes.append('x');
        EXPECT_NE(EditedCopies::digestOf(bytes), EditedCopies::digestOf(bytes.chopped(1)));
    }
}

TEST_F(EditedCopiesTest, WithoutUserAttributesTheItemRemembersItsCopyForTheSession) {
    QDir().mkpath(storage);
    QString why;
    if (!mountScratch(storage, "ramfs", QString(), &why))
        GTEST_SKIP() << why.toStdString();
    const QString park = copyFixture("St James Park.jpg", photos);
    WriteRecipeOptions keepDates = setting("{TIFF}", "Software", "first");
    keepDates.dates = WriteRecipeOptions::Dates::Keep; // ramfs keeps no creation date either
    const IKImageItemPtr item = itemFor(park);
    const WriteRecipeReport first = runWriteRecipe({item}, storage, false, keepDates);
    WriteRecipeOptions second = removingGps();
    second.dates = WriteRecipeOptions::Dates::Keep;
    const WriteRecipeReport again = runWriteRecipe({item}, storage, false, second);
    // A new session knows nothing of the unrecorded copy, and leaves it alone.
    WriteRecipeOptions third = setting("{Exif}", "LensModel", "new session");
    third.dates = WriteRecipeOptions::Dates::Keep;
    const WriteRecipeReport fresh = runWriteRecipe({itemFor(park)}, storage, false, third);
    const QStringList files = filesIn(storage);
    const QJsonObject copy = exiftoolNumbers(storage + "/St James Park.jpg");
    const QJsonObject freshCopy = exiftoolNumbers(fresh.photos.value(0).outputPath);
    unmountScratch(storage);

    ASSERT_EQ(first.writtenCount(), 1) << first.notWritten().join("; ").toStdString();
    ASSERT_EQ(again.writtenCount(), 1) << again.notWritten().join("; ").toStdString();
    EXPECT_EQ(again.photos[0].outputPath, storage + "/St James Park.jpg");
    EXPECT_EQ(copy["IFD0:Software"].toString(), "first");
    EXPECT_FALSE(copy.contains("GPS:GPSLatitude"));
    EXPECT_EQ(files.size(), 2) << files.join(", ").toStdString();
    EXPECT_EQ(freshCopy["ExifIFD:LensModel"].toString(), "new session");
    EXPECT_NE(freshCopy["IFD0:Software"].toString(), "first");
}

TEST_F(EditedCopiesTest, TwoDateShiftsOfAVideoAddUp) {
    const QString clip = copyFixture("IMG_0123.mov", photos);
    const IKImageItemPtr item = itemFor(clip);
    // exiftool's "2020:01:05 14:13:13-08:00" as an instant.
    const auto instant = [](QString text) {
        text.replace(4, 1, "-").replace(7, 1, "-").replace(10, 1, "T");
        return QDateTime::fromString(text, Qt::ISODate);
    };
    const QDateTime before = instant(exiftoolNumbers(clip)["Keys:CreationDate"].toString());
    ASSERT_TRUE(before.isValid());
    edit(item, anHourLater());
    const WriteRecipeReport second = edit(item, anHourLater());
    const QString copy = second.photos.value(0).outputPath;
    EXPECT_EQ(filesIn(storage), QStringList{"IMG_0123.mov"});
    const QDateTime after = instant(exiftoolNumbers(copy)["Keys:CreationDate"].toString());
    EXPECT_EQ(after, before.addSecs(2 * 3600)) << after.toString(Qt::ISODate).toStdString();
}

TEST_F(EditedCopiesTest, AFifoInTheListIsSkippedInsteadOfOpened) {
    const QString fifo = photos + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening it for reading would wait for a writer forever: this only detects a hang.
    auto job = std::async(std::launch::async, [&] {
        return runWriteRecipe({itemFor(fifo)}, storage, false, setting("{TIFF}", "Artist", "x"));
    });
    ASSERT_EQ(job.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const WriteRecipeReport r = job.get();
    EXPECT_EQ(r.writtenCount(), 0);
    ASSERT_EQ(r.notWritten().size(), 1);
    EXPECT_TRUE(r.notWritten().first().contains("not a regular file"))
        << r.notWritten().first().toStdString();
}
