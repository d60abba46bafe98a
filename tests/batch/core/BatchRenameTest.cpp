#include "batch/core/BatchRename.h"
#include "platform/core/FileDates.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace batchrename;

namespace {

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class BatchRenameJob : public ::testing::Test {
  protected:
    void SetUp() override {
        storage = dir.filePath(QStringLiteral("storage"));
        photos = dir.filePath(QStringLiteral("photos"));
        QDir().mkpath(storage);
        QDir().mkpath(photos);
        settings.storage = storage;
    }
    // Three different photos, a.jpg b.jpg c.jpg, in the photos folder.
    QList<Photo> threePhotos() {
        QList<Photo> out;
        for (const char *n : {"a.jpg", "b.jpg", "c.jpg"}) {
            const QString path =
                writeFile(QDir(photos).filePath(QLatin1String(n)), QByteArray("bytes of ") + n);
            out << Photo{path, QLatin1String(n)};
        }
        return out;
    }
    QList<JobResult> run(const QList<Photo> &list) {
        JobRunner runner;
        EXPECT_TRUE(start(runner, settings, list));
        return runner.waitForResults();
    }
    QTemporaryDir dir;
    QString storage, photos;
    Settings settings;
};

} // namespace

TEST_F(BatchRenameJob, EqualCustomNamesEachGetAFileAndNothingIsReplaced) {
    settings.naming.customText = QStringLiteral("Trip");
    // A file that was there before the job keeps its bytes.
    writeFile(QDir(storage).filePath(QStringLiteral("Trip.jpg")), "unrelated");
    const QList<Photo> list = threePhotos();
    const QDateTime when(QDate(2015, 6, 7), QTime(8, 9, 10), QTimeZone::utc());
    ASSERT_TRUE(FileDates::setDates(list[0].filePath, when));
    const QList<JobResult> results = run(list);
    ASSERT_EQ(results.size(), 3);
    for (const JobResult &r : results)
        EXPECT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_EQ(filesIn(storage),
              (QStringList{QStringLiteral("Trip (2).jpg"), QStringLiteral("Trip (3).jpg"),
                           QStringLiteral("Trip (4).jpg"), QStringLiteral("Trip.jpg")}));
    EXPECT_EQ(bytesOf(QDir(storage).filePath(QStringLiteral("Trip.jpg"))), "unrelated");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bytesOf(results[i].outputPath), bytesOf(list[i].filePath));
    // The copy has the photo's dates; the originals stay where they were.
    EXPECT_EQ(FileDates::modificationDate(results[0].outputPath), when);
    EXPECT_EQ(FileDates::creationDate(results[0].outputPath), when);
    EXPECT_EQ(filesIn(photos).size(), 3);
}

TEST_F(BatchRenameJob, OverwriteRenamesEachPhotoInItsOwnFolder) {
    settings.overwrite = true;
    settings.naming.customText = QStringLiteral("Trip");
    const QList<Photo> list = threePhotos();
    QList<QByteArray> before;
    for (const Photo &p : list)
        before << bytesOf(p.filePath);
    const QList<JobResult> results = run(list);
    EXPECT_EQ(filesIn(photos),
              (QStringList{QStringLiteral("Trip (2).jpg"), QStringLiteral("Trip (3).jpg"),
                           QStringLiteral("Trip.jpg")}));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(results[i].ok) << results[i].reason.toStdString();
        EXPECT_EQ(QFileInfo(results[i].outputPath).absolutePath(), photos);
        EXPECT_EQ(bytesOf(results[i].outputPath), before[i]);
    }
    EXPECT_TRUE(filesIn(storage).isEmpty());
}

TEST_F(BatchRenameJob, TemplateNamesFromTwoFoldersAndManyEqualNames) {
    settings.naming.useCustomName = false;
    settings.naming.templateText = QStringLiteral("{ExistingFileName}");
    settings.naming.dateFormatTitle = QStringLiteral("Please Choose Date format");
    const QString one = writeFile(dir.filePath(QStringLiteral("one/IMG_1.jpg")), "first");
    const QString two = writeFile(dir.filePath(QStringLiteral("two/IMG_1.jpg")), "second");
    QList<JobResult> results =
        run({Photo{one, QStringLiteral("IMG_1.jpg")}, Photo{two, QStringLiteral("IMG_1.jpg")}});
    // The second takes its counter before the extension.
    EXPECT_EQ(filesIn(storage),
              (QStringList{QStringLiteral("IMG_1 2.jpg"), QStringLiteral("IMG_1.jpg")}));
    EXPECT_EQ(bytesOf(results[1].outputPath), "second");

    // Hundreds of photos given one custom name each get a file of their own.
    QTemporaryDir many;
    settings.storage = many.path();
    settings.naming.useCustomName = true;
    settings.naming.customText = QStringLiteral("Same");
    QList<Photo> list;
    for (int i = 0; i < 300; ++i)
        list << Photo{one, QStringLiteral("IMG_1.jpg")};
    results = run(list);
    for (const JobResult &r : results)
        ASSERT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_EQ(filesIn(many.path()).size(), 300);
    EXPECT_TRUE(QFile::exists(QDir(many.path()).filePath(QStringLiteral("Same (300).jpg"))));
}

TEST_F(BatchRenameJob, UnusableNamesAreMadeSafeOrSkipped) {
    const QString photo = writeFile(QDir(photos).filePath(QStringLiteral("p.jpg")), "p");
    const Photo p{photo, QStringLiteral("p.jpg")};
    const auto nameFor = [&](const QString &custom) {
        settings.naming.customText = custom;
        QTemporaryDir out;
        settings.storage = out.path();
        const QList<JobResult> r = run({p});
        const QStringList files = filesIn(out.path());
        return std::make_pair(r[0], files.value(0));
    };
    auto [slash, slashFile] = nameFor(QStringLiteral("a/b"));
    EXPECT_EQ(slashFile, QStringLiteral("a-b.jpg"));
    auto [dots, dotsFile] = nameFor(QStringLiteral(".."));
    EXPECT_FALSE(dots.ok);
    EXPECT_TRUE(dotsFile.isEmpty()); // nothing written, no temporary left
    auto [hidden, hiddenFile] = nameFor(QStringLiteral(".secret"));
    EXPECT_EQ(hiddenFile, QStringLiteral("secret.jpg"));
    auto [empty, emptyFile] = nameFor(QString());
    EXPECT_FALSE(empty.ok);
    EXPECT_FALSE(empty.reason.isEmpty());
    auto [longName, longFile] = nameFor(QString(300, QLatin1Char('x')));
    ASSERT_TRUE(longName.ok);
    EXPECT_LE(longFile.toUtf8().size(), 255);
    EXPECT_TRUE(longFile.endsWith(QLatin1String("x.jpg")));

    // A photo that is gone is named as not done; nothing else changes.
    settings.naming.customText = QStringLiteral("Gone");
    settings.storage = storage;
    const QList<JobResult> r =
        run({Photo{dir.filePath(QStringLiteral("missing.jpg")), QStringLiteral("missing.jpg")}});
    EXPECT_FALSE(r[0].ok);
    EXPECT_TRUE(filesIn(storage).isEmpty());
}

TEST_F(BatchRenameJob, TemplateReadsTheTagsOfARealPhoto) {
    const QString park = copyFixture(QStringLiteral("St James Park.jpg"), photos);
    settings.naming.useCustomName = false;
    settings.naming.templateText = QStringLiteral("{Title}-{Camera Date}");
    settings.naming.dateFormatTitle = QStringLiteral("YYYY_MM_DD");
    settings.naming.counter = true;
    const QList<JobResult> r = run({Photo{park, QStringLiteral("St James Park.jpg")}});
    ASSERT_TRUE(r[0].ok) << r[0].reason.toStdString();
    EXPECT_EQ(QFileInfo(r[0].outputPath).fileName(),
              QStringLiteral("St. James's Park-2018_10_13000001.jpg"));
    EXPECT_EQ(bytesOf(r[0].outputPath), bytesOf(park));
}
