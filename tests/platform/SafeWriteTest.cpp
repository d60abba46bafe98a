#include "platform/core/SafeWrite.h"
#include "platform/core/DirectWrite.h"
#include "platform/core/DurableBatch.h"
#include "platform/core/FreeFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

// While a test asks, the calls are answered as the FUSE drivers of exFAT and FAT answer them: no
// rename without replacing (EINVAL), no hard link (EPERM), no mode (ENOSYS), no owner (EPERM);
// and, asked for too, a rename that fails (EIO). Defined here, they stand in for the C
// library's in this whole program.
namespace {
std::atomic_bool likeFatDrives{false};
std::atomic_bool renamesFail{false};
} // namespace

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to,
                         unsigned int flags) noexcept {
    if (likeFatDrives && (flags & RENAME_NOREPLACE)) {
        errno = EINVAL;
        return -1;
    }
    return int(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}
extern "C" int rename(const char *from, const char *to) noexcept {
    if (renamesFail) {
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}
extern "C" int link(const char *from, const char *to) noexcept {
    if (likeFatDrives) {
        errno = EPERM;
        return -1;
    }
    return int(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}
extern "C" int fchmod(int fd, mode_t mode) noexcept {
    if (likeFatDrives) {
        errno = ENOSYS;
        return -1;
    }
    return int(::syscall(SYS_fchmod, fd, mode));
}
extern "C" int fchown(int fd, uid_t owner, gid_t group) noexcept {
    if (likeFatDrives) {
        errno = EPERM;
        return -1;
    }
    return int(::syscall(SYS_fchown, fd, owner, group));
}

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

// A drive that renames only by replacing and links nothing: a name is reserved by creating it
// empty, and the new file renamed over that file of ours; a taken name, a dangling link, or an
// empty file left by a crash between the two is never taken; a failed rename removes only
// our reserved file. Modes and owners the drive cannot keep are no error.
TEST(FreeFileName, WhereTheDriveRefusesNoReplaceRenamesAndLinksTheNameIsReservedFirst) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    writeFile(folder + "/a.jpg", "theirs");
    ASSERT_TRUE(QFile::link("nowhere.jpg", folder + "/a (2).jpg"));
    writeFile(folder + "/b.jpg", ""); // left by a crash between reserving and renaming
    writeFile(folder + "/photo.jpg", "photo");
    likeFatDrives = true;
    QString error;
    const QString a = SafeWrite::writeNewFile(folder, "a.jpg", "ours", &error);
    const QString b = SafeWrite::writeNewFile(folder, "b.jpg", "ours too", &error);
    bool taken = false;
    SafeWrite::Temporary temp;
    const bool made = temp.create(folder, &error) && temp.write("x", &error) &&
                      temp.useDefaultMode(&error) && temp.finish("x", &error);
    const bool onTaken = moveToNameIfFree(temp.path(), folder + "/a.jpg", &taken, &error);
    renamesFail = true;
    QString failure;
    const QString failed = moveToFreeName(temp.path(), folder, "c.jpg", &failure);
    renamesFail = false;
    const int renamed = renameWithoutReplacing(folder + "/photo.jpg", folder + "/renamed.jpg");
    const bool replaced = SafeWrite::replaceFileContents(folder + "/renamed.jpg", "new", &error);
    const auto staged = DurableBatch::stageNewFile(folder, "staged", &error);
    likeFatDrives = false;

    EXPECT_EQ(a, folder + "/a (3).jpg") << error.toStdString();
    EXPECT_EQ(b, folder + "/b (2).jpg") << error.toStdString();
    EXPECT_EQ(readAll(a), "ours");
    EXPECT_EQ(readAll(b), "ours too");
    EXPECT_EQ(readAll(folder + "/a.jpg"), "theirs");
    EXPECT_TRUE(QFileInfo(folder + "/a (2).jpg").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(folder + "/b.jpg"));
    EXPECT_EQ(QFileInfo(folder + "/b.jpg").size(), 0);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_FALSE(onTaken);
    EXPECT_TRUE(taken);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_TRUE(failure.contains("Input/output error")) << failure.toStdString();
    EXPECT_FALSE(isTakenPath(folder + "/c.jpg"));
    EXPECT_EQ(readAll(temp.path()), "x");
    EXPECT_EQ(renamed, 0);
    EXPECT_TRUE(replaced) << error.toStdString();
    EXPECT_EQ(readAll(folder + "/renamed.jpg"), "new");
    EXPECT_FALSE(QFileInfo::exists(folder + "/photo.jpg"));
    EXPECT_TRUE(staged) << error.toStdString();
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
    EXPECT_FALSE(SafeWrite::syncFolder(dir.filePath("gone"), &error));
    EXPECT_TRUE(error.contains("gone")) << error.toStdString();

    // Another program cuts the file short while it is read back: the check fails, the
    // program goes on (twice, and the next read-back is sound).
    for (int round = 0; round < 2; ++round) {
        SafeWrite::Temporary cut;
        ASSERT_TRUE(cut.create(dir.path(), &error) && cut.write(bytes, &error));
        const auto cutShort = [&](const char *, size_t) {
            ASSERT_EQ(::truncate(QFile::encodeName(cut.path()).constData(), 4096), 0);
        };
        EXPECT_FALSE(cut.readBack(bytes, {}, cutShort, &error));
        EXPECT_TRUE(error.contains("did not read back")) << error.toStdString();
    }
    SafeWrite::Temporary sound;
    ASSERT_TRUE(sound.create(dir.path(), &error) && sound.write(bytes, &error));
    EXPECT_TRUE(sound.closeUnsynced(bytes, &error)) << error.toStdString();
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

namespace {

// How many of the file's pages are in the page cache.
qsizetype cachedPages(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0)
        return 0;
    uchar *mapped = f.map(0, f.size());
    if (!mapped)
        return -1;
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(size_t((f.size() + page - 1) / page));
    ::mincore(mapped, size_t(f.size()), resident.data());
    f.unmap(mapped);
    return std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; });
}

bool takesDirectWrites(const QString &folder) {
    QFile probe(folder + "/probe");
    const bool direct = probe.open(QIODevice::WriteOnly) && DirectWrite::enable(probe.handle());
    probe.remove();
    return direct;
}

} // namespace

TEST(SafeWrite, PastTheCacheEverySizeReadsBackFromTheDisk) {
    QTemporaryDir dir;
    const bool direct = takesDirectWrites(dir.path());
    const qsizetype piece = qsizetype(DirectWrite::kPiece);
    for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(511), qsizetype(4096),
                                 qsizetype(4097), piece - 1, piece, piece + 1, 3 * piece + 123}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char((i * 131 + size) % 251);
        // In one write, and in odd pieces as the rewritten segments and the picture come.
        for (const qsizetype part : {size, qsizetype(1000)}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " written in " << part);
            QString error;
            SafeWrite::Temporary temp;
            ASSERT_TRUE(
                temp.create(dir.path(), &error, SafeWrite::Temporary::Caching::PastTheCache));
            for (qsizetype at = 0; at < size; at += std::max<qsizetype>(part, 1))
                ASSERT_TRUE(temp.write(QByteArrayView(bytes).sliced(at, std::min(part, size - at)),
                                       &error));
            const qsizetype split = size / 3;
            QByteArray seen;
            const auto keep = [&seen](const char *data, size_t n) {
                seen.append(data, qsizetype(n));
            };
            ASSERT_TRUE(
                temp.readBack(bytes.left(split), QByteArrayView(bytes).sliced(split), keep, &error))
                << error.toStdString();
            EXPECT_EQ(seen, bytes);
            if (size > 0) {
                QByteArray other = bytes;
                other[size - 1] = char(other[size - 1] ^ 1);
                EXPECT_FALSE(temp.readBack(other, {}, {}, &error));
                EXPECT_FALSE(temp.readBack(bytes.left(size - 1), {}, {}, &error));
            }
            ASSERT_TRUE(temp.closeUnsynced(&error)) << error.toStdString();
            // Only the last block, shorter than one, went through the cache.
            if (direct && size >= piece) {
                EXPECT_LE(cachedPages(temp.path()), 1);
            }
            EXPECT_EQ(readAll(temp.path()), bytes);
        }
    }
}

TEST(SafeWrite, PastTheCacheWhereTheFileSystemRefusesIt) {
    // tmpfs before Linux 6.6 keeps files in the cache only and takes no direct transfers.
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable() || takesDirectWrites("/dev/shm"))
        GTEST_SKIP() << "no file system that refuses direct writes at /dev/shm";
    QTemporaryDir dir(QStringLiteral("/dev/shm/pk-test-XXXXXX"));
    const QByteArray bytes(DirectWrite::kPiece + 5000, 'x');
    QString error;
    SafeWrite::Temporary temp;
    ASSERT_TRUE(temp.create(dir.path(), &error, SafeWrite::Temporary::Caching::PastTheCache));
    ASSERT_TRUE(temp.write(bytes, &error));
    ASSERT_TRUE(temp.closeUnsynced(bytes, &error)) << error.toStdString();
    EXPECT_EQ(readAll(temp.path()), bytes);
}
