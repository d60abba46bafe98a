#include "platform/core/SafeWrite.h"
#include "platform/core/FreeFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(FreeFileName, LinksAreTakenNamesDanglingOrNot) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("storage");
    QDir().mkpath(folder);
    writeFile(dir.filePath("notes.txt"), "notes");
    ASSERT_TRUE(QFile::link("../notes.txt", folder + "/a.jpg"));
    ASSERT_TRUE(QFile::link("../nowhere/a.jpg", folder + "/a (2).jpg"));
    EXPECT_EQ(freeFilePath(folder, "a.jpg"), folder + "/a (3).jpg");

    QString error;
    const QString written = SafeWrite::writeNewFile(folder, "a.jpg", "new bytes", &error);
    EXPECT_EQ(written, folder + "/a (3).jpg") << error.toStdString();
    EXPECT_EQ(readAll(written), "new bytes");
    EXPECT_EQ(readAll(dir.filePath("notes.txt")), "notes");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nowhere")));
    EXPECT_TRUE(QFileInfo(folder + "/a.jpg").isSymLink());
    // No temporary is left behind.
    EXPECT_EQ(QDir(folder)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
                  .size(),
              3);
}

TEST(FreeFileName, FullLengthNamesAreShortenedToTakeTheirNumber) {
    const QString name = QString(250, QChar(0x00e9)).left(125) + ".jpeg"; // 255 bytes
    ASSERT_EQ(name.toUtf8().size(), 255);
    const QString second = numberedFileName(name, 2);
    EXPECT_LE(second.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_TRUE(second.endsWith(" (2).jpeg"));
    EXPECT_TRUE(second.startsWith(QString(100, QChar(0x00e9))));
    // Names whose numbered candidates can meet share a group, whatever their extensions.
    EXPECT_EQ(freeNameGroup(second), freeNameGroup(name));
    EXPECT_EQ(freeNameGroup("IMG_1 (2) (3).heic"), freeNameGroup("img_1.JPG"));
    EXPECT_NE(freeNameGroup("IMG_12.heic"), freeNameGroup("IMG_1.heic"));
    const QString tooLong = QString(300, QLatin1Char('x')) + ".jpg";
    EXPECT_EQ(numberedFileName(tooLong, 1).toUtf8().size(), kMaxFileNameBytes);

    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(SafeWrite::writeNewFile(dir.path(), name, "1", &error).isEmpty());
    const QString again = SafeWrite::writeNewFile(dir.path(), name, "2", &error);
    EXPECT_EQ(QFileInfo(again).fileName(), second) << error.toStdString();
}

TEST(SafeWrite, ReplacingRefusesALinkAndAFileChangedMeanwhile) {
    QTemporaryDir dir;
    writeFile(dir.filePath("real.txt"), "real");
    ASSERT_TRUE(QFile::link(dir.filePath("real.txt"), dir.filePath("link.txt")));
    QString error;
    EXPECT_FALSE(SafeWrite::replaceFileContents(dir.filePath("link.txt"), "new", &error));
    EXPECT_EQ(readAll(dir.filePath("real.txt")), "real");
    EXPECT_TRUE(QFileInfo(dir.filePath("link.txt")).isSymLink());

    const QString photo = dir.filePath("photo.jpg");
    writeFile(photo, "as read");
    const SafeWrite::FileStamp stamp = SafeWrite::stampOf(photo);
    SafeWrite::Temporary temp;
    ASSERT_TRUE(temp.create(dir.path(), &error));
    ASSERT_TRUE(temp.write("ours", &error));
    ASSERT_TRUE(temp.finish("ours", &error));
    writeFile(photo, "theirs, written meanwhile");
    EXPECT_FALSE(SafeWrite::replaceWith(temp.path(), photo, stamp, &error));
    EXPECT_TRUE(error.contains("changed by another program")) << error.toStdString();
    EXPECT_EQ(readAll(photo), "theirs, written meanwhile");
}

// The read-back compares every byte and hands on only what compared equal; the syncs of a
// batch name each file that is not durable.
TEST(SafeWrite, ReadBackAndBatchSyncReportEachFailure) {
    QTemporaryDir dir;
    QString error;
    const QByteArray bytes(300 * 1024, 'p');
    QByteArray other = bytes;
    other[200 * 1024] = 'q';
    SafeWrite::Temporary temp;
    ASSERT_TRUE(temp.create(dir.path(), &error) && temp.write(bytes, &error));
    QByteArray seen;
    const auto keep = [&seen](const char *data, size_t size) {
        seen.append(data, qsizetype(size));
    };
    EXPECT_FALSE(temp.readBack(other.left(1000), QByteArrayView(other).sliced(1000), keep, &error));
    EXPECT_TRUE(error.contains("did not read back")) << error.toStdString();
    EXPECT_LT(seen.size(), bytes.size());
    seen.clear();
    // Written as one, read back against two parts (rewritten segments, then the picture).
    EXPECT_TRUE(temp.readBack(bytes.left(1000), QByteArrayView(bytes).sliced(1000), keep, &error));
    EXPECT_EQ(seen, bytes);
    EXPECT_FALSE(temp.closeUnsynced(bytes.left(10), &error));

    const QStringList errors = SafeWrite::syncFiles({temp.path(), dir.filePath("gone")});
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].isEmpty()) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("gone")) << errors[1].toStdString();
}

TEST(SafeWrite, StaleTemporariesOfEndedRunsGoOthersStay) {
    QTemporaryDir dir;
    // A process that has ended: its id is free.
    QProcess ended;
    ended.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 0.2")});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString stale = dir.filePath(QStringLiteral(".pk-tmp-%1-00ff").arg(endedPid));
    const QString live =
        dir.filePath(QStringLiteral(".pk-tmp-%1-00ff").arg(QCoreApplication::applicationPid()));
    const QString photo = dir.filePath("IMG_1.JPG");
    for (const QString &path : {stale, live, photo})
        writeFile(path, "x");
    EXPECT_EQ(SafeWrite::removeStaleTemporaries(dir.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(live));
    EXPECT_TRUE(QFileInfo::exists(photo));
    // The first write of this run into a photo's folder takes its leftovers away too.
    QTemporaryDir photos;
    const QString leftover = photos.filePath(QStringLiteral(".pk-tmp-%1-00ff").arg(endedPid));
    writeFile(leftover, "x");
    QString error;
    ASSERT_TRUE(SafeWrite::replaceFileContents(photos.filePath("IMG_2.JPG"), "new", &error));
    EXPECT_FALSE(QFileInfo::exists(leftover));
}
