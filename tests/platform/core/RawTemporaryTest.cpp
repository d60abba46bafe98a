#include "platform/core/RawTemporary.h"

#include "platform/core/PrivateFolder.h"
#include "support/MakeDng.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray makeJpeg(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(RawTemporary, PreviewBecomesJpegWithTheRawsMetadata) {
    QTemporaryDir dir;
    const QByteArray preview = makeJpeg(160, 120, Qt::darkGreen);
    const QString raw =
        writeFile(dir.path() + QStringLiteral("/a/DSC_0001.NEF"),
                  makeMinimalDng(preview, QStringLiteral("Kestry"), QStringLiteral("TestCam 1"),
                                 QStringLiteral("2021:06:15 12:34:56")));
    ASSERT_FALSE(raw.isEmpty());

    const QString jpeg = GetJPGImageFromRAWPhotowithImagePath(raw);
    ASSERT_NE(jpeg, raw);
    EXPECT_TRUE(jpeg.startsWith(QDir::tempPath()));
    EXPECT_TRUE(jpeg.endsWith(QStringLiteral("/DSC_0001.NEF")));
    const QByteArray bytes = readFile(jpeg);
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(uchar(bytes[0]), 0xFF);
    EXPECT_EQ(uchar(bytes[1]), 0xD8);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(bytes, "JPEG"));
    EXPECT_EQ(decoded.size(), QSize(160, 120));

    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(bytes.constData()),
                                           bytes.size());
    image->readMetadata();
    EXPECT_EQ(image->mimeType(), "image/jpeg");
    const Exiv2::ExifData &exif = image->exifData();
    auto make = exif.findKey(Exiv2::ExifKey("Exif.Image.Make"));
    auto date = exif.findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
    ASSERT_NE(make, exif.end());
    ASSERT_NE(date, exif.end());
    EXPECT_EQ(make->toString(), "Kestry");
    EXPECT_EQ(date->toString(), "2021:06:15 12:34:56");
    // The RAW's own image structure does not come along.
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.SubIFDs")), exif.end());
}

TEST(RawTemporary, SameNameFromTwoFoldersGetsTwoTemporaries) {
    QTemporaryDir dir;
    const QString a =
        writeFile(dir.path() + QStringLiteral("/trip1/IMG.NEF"),
                  makeMinimalDng(makeJpeg(64, 48, Qt::red), QStringLiteral("A"),
                                 QStringLiteral("One"), QStringLiteral("2020:01:01 00:00:00")));
    const QString b =
        writeFile(dir.path() + QStringLiteral("/trip2/IMG.NEF"),
                  makeMinimalDng(makeJpeg(80, 48, Qt::blue), QStringLiteral("B"),
                                 QStringLiteral("Two"), QStringLiteral("2020:01:02 00:00:00")));
    const QString ta = GetJPGImageFromRAWPhotowithImagePath(a);
    const QString tb = GetJPGImageFromRAWPhotowithImagePath(b);
    ASSERT_NE(ta, a);
    ASSERT_NE(tb, b);
    EXPECT_NE(ta, tb);
    QImage ia, ib;
    ASSERT_TRUE(ia.load(ta, "JPEG"));
    ASSERT_TRUE(ib.load(tb, "JPEG"));
    EXPECT_EQ(ia.width(), 64);
    EXPECT_EQ(ib.width(), 80);
    // Asking again for the same RAW replaces its own temporary.
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(a), ta);
}

TEST(RawTemporary, NoPreviewOrBadInputGivesTheRawPathBack) {
    QTemporaryDir dir;
    const QString noPreview = writeFile(dir.path() + QStringLiteral("/plain.NEF"),
                                        makeMinimalDng(QByteArray(), QStringLiteral("Kestry"),
                                                       QStringLiteral("TestCam 1"),
                                                       QStringLiteral("2021:06:15 12:34:56")));
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(noPreview), noPreview);
    // Nothing under the temporary name pretends to be a JPEG of it.
    EXPECT_FALSE(QFile::exists(rawTemporaryPathFor(noPreview)));

    const QString garbage =
        writeFile(dir.path() + QStringLiteral("/garbage.NEF"), QByteArray(4096, '\x5a'));
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(garbage), garbage);
    const QString empty = writeFile(dir.path() + QStringLiteral("/empty.NEF"), QByteArray());
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(empty), empty);
    const QString missing = dir.path() + QStringLiteral("/missing.NEF");
    EXPECT_EQ(GetJPGImageFromRAWPhotowithImagePath(missing), missing);
}

// What another local user could prepare in the shared temporary folder before our first run:
// the stand-in's old folder, world-writable, with a link where the stand-in would be written,
// and a world-writable folder under our own prefix.
TEST(RawTemporary, PlantedLinksAndSharedFoldersInTheTemporaryFolderAreNeverUsed) {
    QTemporaryDir dir;
    const QString raw =
        writeFile(dir.path() + QStringLiteral("/shoot/DSC_0002.NEF"),
                  makeMinimalDng(makeJpeg(64, 48, Qt::red), QStringLiteral("A"),
                                 QStringLiteral("One"), QStringLiteral("2020:01:01 00:00:00")));
    const QByteArray profile("export PATH=$HOME/bin:$PATH\n");
    const QString victim = writeFile(dir.path() + QStringLiteral("/.profile"), profile);
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(QFileInfo(raw).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
    const QString shared = QDir::tempPath() + QStringLiteral("/PhotoKestry-raw/") + key;
    ASSERT_TRUE(QDir().mkpath(shared));
    ::chmod(QFile::encodeName(QDir::tempPath() + QStringLiteral("/PhotoKestry-raw")), 0777);
    ::chmod(QFile::encodeName(shared), 0777);
    ASSERT_TRUE(QFile::link(victim, shared + QStringLiteral("/DSC_0002.NEF")));
    const QString planted = QDir::tempPath() + QLatin1Char('/') +
                            QLatin1String(PrivateFolder::kPrefix) + QStringLiteral("1-planted");
    ASSERT_TRUE(QDir().mkpath(planted));
    ::chmod(QFile::encodeName(planted), 0777);

    const QString jpeg = GetJPGImageFromRAWPhotowithImagePath(raw);
    EXPECT_EQ(readFile(victim), profile);
    ASSERT_NE(jpeg, raw);
    EXPECT_FALSE(jpeg.startsWith(shared));
    EXPECT_FALSE(jpeg.startsWith(planted));
    EXPECT_FALSE(QFileInfo(jpeg).isSymLink());
    QImage image;
    EXPECT_TRUE(image.load(jpeg, "JPEG"));
    // Every folder from our private root down is this user's alone.
    for (QString folder = QFileInfo(jpeg).absolutePath(); folder.startsWith(QDir::tempPath() + "/");
         folder = QFileInfo(folder).absolutePath()) {
        if (folder == QDir::tempPath())
            break;
        EXPECT_TRUE(PrivateFolder::isPrivate(folder)) << folder.toStdString();
    }
    QDir(QDir::tempPath() + QStringLiteral("/PhotoKestry-raw")).removeRecursively();
    QDir(planted).removeRecursively();
}

TEST(PrivateFolder, StaleFoldersOfEndedRunsGoOthersStay) {
    QTemporaryDir root;
    // A process that has ended: its id is free.
    QProcess ended;
    ended.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 0.2")});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString stale = root.filePath(QLatin1String(PrivateFolder::kPrefix) +
                                        QStringLiteral("%1-abcdef").arg(endedPid));
    const QString running =
        root.filePath(QLatin1String(PrivateFolder::kPrefix) +
                      QStringLiteral("%1-ghijkl").arg(QCoreApplication::applicationPid()));
    const QString notOurs = root.filePath(QStringLiteral("Other-1-x"));
    // A merge's staging folder, named as temporaryTemplate names them.
    const QString staging = root.filePath(
        QFileInfo(PrivateFolder::temporaryTemplate(QStringLiteral("merge")))
            .fileName()
            .replace(QString::number(QCoreApplication::applicationPid()), QString::number(endedPid))
            .replace(QStringLiteral("XXXXXX"), QStringLiteral("a1b2c3")));
    for (const QString &folder : {stale, running, notOurs, staging}) {
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/raw")));
        ::chmod(QFile::encodeName(folder), 0700);
    }
    // A link inside a stale folder goes, never what it points to.
    const QString kept = writeFile(root.filePath(QStringLiteral("kept.txt")), "kept");
    ASSERT_TRUE(QFile::link(kept, stale + QStringLiteral("/raw/link")));
    EXPECT_EQ(PrivateFolder::removeStale(root.path()), 2);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo::exists(staging));
    EXPECT_TRUE(QFileInfo::exists(running));
    EXPECT_TRUE(QFileInfo::exists(notOurs));
    EXPECT_EQ(readFile(kept), "kept");
}
