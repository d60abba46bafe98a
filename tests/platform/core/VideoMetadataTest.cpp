#include "platform/core/VideoMetadata.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {
QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Hashes of every audio and video stream's packets, taken by ffmpeg itself.
QString streamHashes(const QString &path) {
    return run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v", "-map", "0:a", "-c", "copy",
                          "-f", "streamhash", "-"});
}

QJsonObject formatTags(const QString &path) {
    const QString json =
        run("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "json", path});
    return QJsonDocument::fromJson(json.toUtf8())["format"]["tags"].toObject();
}
} // namespace

TEST(VideoMetadata, ReadsTheQuickTimeDateWithItsOffset) {
    const QDateTime mov = VideoMetadata::creationDate(fixturePath("IMG_0123.mov"));
    EXPECT_EQ(mov.toUTC(), QDateTime(QDate(2020, 1, 5), QTime(22, 13, 13), QTimeZone::utc()));
    const QDateTime mp4 = VideoMetadata::creationDate(fixturePath("clip.mp4"));
    EXPECT_EQ(mp4.toUTC(), QDateTime(QDate(2020, 12, 5), QTime(5, 21, 52), QTimeZone::utc()));
    EXPECT_FALSE(VideoMetadata::creationDate(fixturePath("wedding.jpg")).isValid());
    EXPECT_FALSE(VideoMetadata::creationDate("/nonexistent.mov").isValid());
    EXPECT_EQ(VideoMetadata::parseCreationDateValue("2020-01-05T14:13:13-0800").toUTC(),
              QDateTime(QDate(2020, 1, 5), QTime(22, 13, 13), QTimeZone::utc()));
    EXPECT_FALSE(VideoMetadata::parseCreationDateValue("yesterday").isValid());
}

TEST(VideoMetadata, WritesTheDateAndKeepsEveryPacket) {
    QTemporaryDir dir;
    for (const QString name : {"IMG_0123.mov", "clip.mp4"}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = copyFixture(name, dir.path());
        ASSERT_FALSE(path.isEmpty());
        const QString before = streamHashes(path);
        ASSERT_FALSE(before.isEmpty());
        const QDateTime when(QDate(2019, 7, 1), QTime(8, 9, 10), QTimeZone::utc());
        QString why;
        const bool hasMetadataTracks = name == QLatin1String("IMG_0123.mov");
        if (hasMetadataTracks) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            f.close();
            // Its "mebx" tracks cannot be copied: not without leave, and the file stays.
            EXPECT_FALSE(VideoMetadata::setCreationDate(path, when, &why));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), bytes);
        }
        QList<int> dropped;
        ASSERT_TRUE(VideoMetadata::setCreationDate(path, when, &why, true, &dropped))
            << why.toStdString();
        EXPECT_EQ(dropped, hasMetadataTracks ? QList<int>({2, 3}) : QList<int>());
        EXPECT_EQ(streamHashes(path), before);
        EXPECT_EQ(VideoMetadata::creationDate(path).toUTC(), when);
        const QJsonObject tags = formatTags(path);
        EXPECT_TRUE(tags["creation_time"].toString().startsWith("2019-07-01T08:09:10"))
            << tags["creation_time"].toString().toStdString();
        EXPECT_FALSE(tags["com.apple.quicktime.creationdate"].toString().isEmpty());
        // No temporary file is left beside the video.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                  name == QLatin1String("clip.mp4") ? 2 : 1);
    }
}

TEST(VideoMetadata, LeavesANonVideoAlone) {
    QTemporaryDir dir;
    const QString path = copyFixture("wedding.jpg", dir.path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    QString why;
    EXPECT_FALSE(VideoMetadata::setCreationDate(path, QDateTime::currentDateTime(), &why));
    EXPECT_FALSE(why.isEmpty());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
}

// The temporary's old fixed name, prepared by someone who can write in the video's folder.
TEST(VideoMetadata, APlantedLinkAtTheTemporaryNameIsNeverWrittenThrough) {
    QTemporaryDir dir;
    const QString path = copyFixture("clip.mp4", dir.path());
    const QString victim = dir.filePath("victim.txt");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a video");
    }
    const QString planted = dir.filePath(".clip.pk-date-tmp.mp4");
    ASSERT_TRUE(QFile::link(victim, planted));
    const QDateTime when(QDate(2019, 7, 1), QTime(8, 9, 10), QTimeZone::utc());
    QString why;
    ASSERT_TRUE(VideoMetadata::setCreationDate(path, when, &why)) << why.toStdString();
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not a video");
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(VideoMetadata::creationDate(path).toUTC(), when);
}

TEST(VideoMetadata, ARewriteKeepsModeAndExtendedAttributes) {
    QTemporaryDir dir;
    const QString path = copyFixture("clip.mp4", dir.path());
    const QByteArray native = QFile::encodeName(path);
    ASSERT_EQ(::chmod(native.constData(), 0600), 0);
    const QByteArray created("2011-02-03T04:05:06.000Z");
    if (::setxattr(native.constData(), "user.creation_date", created.constData(),
                   size_t(created.size()), 0) != 0)
        GTEST_SKIP() << "no user attributes in " << dir.path().toStdString();
    ASSERT_EQ(::setxattr(native.constData(), "user.note", "kept", 4, 0), 0);
    struct stat before {};
    ASSERT_EQ(::stat(native.constData(), &before), 0);

    QString why;
    ASSERT_TRUE(VideoMetadata::setCreationDate(
        path, QDateTime(QDate(2019, 7, 1), QTime(8, 9, 10), QTimeZone::utc()), &why))
        << why.toStdString();
    struct stat after {};
    ASSERT_EQ(::stat(native.constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // it really is a new file
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    char value[64] = {};
    const ssize_t n = ::getxattr(native.constData(), "user.creation_date", value, sizeof value);
    EXPECT_EQ(QByteArray(value, int(std::max<ssize_t>(n, 0))), created);
    const ssize_t m = ::getxattr(native.constData(), "user.note", value, sizeof value);
    EXPECT_EQ(QByteArray(value, int(std::max<ssize_t>(m, 0))), "kept");
}
