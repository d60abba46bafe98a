#include "library/core/LibraryLoad.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString copyPackage(const QString &name, const QTemporaryDir &dir) {
    const QString source = fixturesDir() + QStringLiteral("/libraries/") + name;
    const QString target = dir.path() + QLatin1Char('/') + name;
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), source, target}) != 0 ||
        QProcess::execute(QStringLiteral("chmod"),
                          {QStringLiteral("-R"), QStringLiteral("u+w"), target}) != 0)
        return {};
    return target;
}
} // namespace

// Small batches: each hand-back only adds at the end, and all of them together are the load.
TEST(LibraryLoad, BatchesOnlyGrowTheListsAtTheirEnd) {
    QTemporaryDir dir;
    FakePhotosApplication photos;
    LibraryLoadSettings settings;
    settings.libraryPath = copyPackage(QStringLiteral("Test-13.0.0.photoslibrary"), dir);
    ASSERT_FALSE(settings.libraryPath.isEmpty());
    settings.now = QDateTime::currentDateTime();
    settings.photos = &photos;
    settings.batchRecords = 3;
    settings.batchIntervalMs = 60000;
    LibraryLists all;
    QList<PRPicFileInfoPtr> records;
    int batches = 0;
    const LibraryLoadOutcome outcome = runLibraryLoad(settings, [&](LibraryLoadBatch &&b) {
        EXPECT_FALSE(b.restart);
        EXPECT_LE(b.records.size(), 3);
        ++batches;
        all.append(b.lists);
        records.append(b.records);
    });
    EXPECT_TRUE(outcome.libraryRead);
    EXPECT_TRUE(outcome.note.isEmpty());
    ASSERT_TRUE(outcome.workingCopy);
    EXPECT_EQ(records.size(), 14);
    EXPECT_EQ(all.photoLibBroserArray.size(), 14);
    EXPECT_EQ(outcome.itemCount, 14);
    EXPECT_GE(batches, 5);
    EXPECT_LE(batches, 7);
}

TEST(LibraryLoad, MalformedDatabaseWalksTheFoldersAndWritesNothing) {
    QTemporaryDir dir;
    FakePhotosApplication photos;
    LibraryLoadSettings settings;
    settings.libraryPath = copyPackage(QStringLiteral("Test-13.0.0.photoslibrary"), dir);
    settings.photos = &photos;
    const QString db = settings.libraryPath + QStringLiteral("/database/Photos.sqlite");
    for (const char *f : {"-wal", "-shm"})
        QFile::remove(db + QLatin1String(f));
    QFile file(db);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(8192, 'x'));
    file.close();
    int items = 0;
    const LibraryLoadOutcome outcome = runLibraryLoad(
        settings, [&](LibraryLoadBatch &&b) { items += int(b.lists.photoLibBroserArray.size()); });
    EXPECT_FALSE(outcome.libraryRead);
    EXPECT_FALSE(outcome.workingCopy);
    EXPECT_EQ(items, 12);
    EXPECT_TRUE(outcome.note.contains(settings.libraryPath));
    QFile again(db);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray(8192, 'x'));
}
