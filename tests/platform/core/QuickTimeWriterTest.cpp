// The one QuickTime writer: its date items, and the checks that keep a bad write from ever
// taking a video's place.
#include "platform/core/QuickTimeWriter.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/VideoMetadata.h"
#include "support/Mutations.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

QByteArray digest(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
}

QStringList temporaries(const QString &dir) {
    return QDir(dir).entryList({QLatin1String(SafeWrite::kTemporaryPrefix) + "*"},
                               QDir::Files | QDir::Hidden);
}

QStringList assignmentsOf(const QDateTime &date) {
    QStringList out;
    for (const auto &item : QuickTimeWriter::creationDateItems(date))
        out << QuickTimeWriter::assignment(item);
    return out;
}

} // namespace

TEST(QuickTimeWriter, DateItemsKeepTheWallClockWithItsOffsetAndTheHeaderInUtc) {
    const QDateTime west(QDate(2021, 3, 4), QTime(5, 6, 7), QTimeZone(-7 * 3600 - 1800));
    const QList<QuickTimeWriter::Item> items = QuickTimeWriter::creationDateItems(west);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0],
              (QuickTimeWriter::Item{"UserData:DateTimeOriginal", "2021:03:04 05:06:07-07:30"}));
    EXPECT_EQ(items[1], (QuickTimeWriter::Item{"Keys:CreationDate", "2021:03:04 05:06:07-07:30"}));
    EXPECT_EQ(items[2], (QuickTimeWriter::Item{"QuickTime:CreateDate", "2021:03:04 12:36:07"}));
    const QDateTime utc(QDate(2021, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
    EXPECT_EQ(QuickTimeWriter::creationDateItems(utc)[0].value, "2021:03:04 05:06:07+00:00");
    EXPECT_TRUE(QuickTimeWriter::creationDateItems(QDateTime()).isEmpty());
    EXPECT_EQ(QuickTimeWriter::assignment(items[1]),
              "-Keys:CreationDate=2021:03:04 05:06:07-07:30");
    EXPECT_TRUE(QuickTimeWriter::isQuickTimeName("/a/IMG_1.MOV"));
    EXPECT_TRUE(QuickTimeWriter::isQuickTimeName("clip.mp4"));
    EXPECT_FALSE(QuickTimeWriter::isQuickTimeName("clip.avi"));
}

TEST(QuickTimeWriter, InPlaceWriteKeepsEveryTrackAndRefusesWhatDoesNotReadBack) {
    QTemporaryDir dir;
    const QString mov = copyFixture("IMG_0123.mov", dir.path());
    QFile::setPermissions(mov, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const int tracks = VideoMetadata::trackCount(mov);
    EXPECT_EQ(tracks, 4); // video, audio and two "mebx" timed-metadata tracks
    const QDateTime date(QDate(2022, 5, 6), QTime(7, 8, 9), QTimeZone(2 * 3600));
    QString why;
    ASSERT_TRUE(QuickTimeWriter::writeInPlace(mov, assignmentsOf(date), date, {}, &why))
        << why.toStdString();
    EXPECT_EQ(VideoMetadata::creationDate(mov), date);
    EXPECT_EQ(VideoMetadata::trackCount(mov), tracks);
    EXPECT_EQ(QFile::permissions(mov) &
                  (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    // A date the new file does not hold, or a title it lacks: the video stays as it was.
    const QByteArray before = digest(mov);
    EXPECT_FALSE(
        QuickTimeWriter::writeInPlace(mov, assignmentsOf(date), date.addSecs(60), {}, &why));
    EXPECT_EQ(why, "the new file does not hold the date");
    EXPECT_FALSE(QuickTimeWriter::writeInPlace(mov, assignmentsOf(date), date, "Trip", &why));
    EXPECT_EQ(why, "the new file does not hold the title");
    EXPECT_EQ(digest(mov), before);
    EXPECT_TRUE(temporaries(dir.path()).isEmpty())
        << temporaries(dir.path()).join(", ").toStdString();
}

TEST(QuickTimeWriter, NoVideoGivesNoTemporary) {
    QTemporaryDir dir;
    const QString fake = dir.filePath("fake.mp4");
    QFile f(fake);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, '\0'));
    f.close();
    QString why;
    EXPECT_TRUE(QuickTimeWriter::writeTemporary(fake, {"-Keys:CreationDate=2021:01:01 00:00:00"},
                                                dir.path(), {}, {}, &why)
                    .isEmpty());
    EXPECT_EQ(why, "not a video that can be read");
    EXPECT_TRUE(temporaries(dir.path()).isEmpty());
}

// Damaged videos (atom sizes, counts, versions and offsets, cut short) are read or refused by
// the reads that check a write, and a write of one gives a checked temporary or leaves nothing.
TEST(QuickTimeWriter, DamagedVideosAreReadOrRefusedAndLeaveNothingBehind) {
    QTemporaryDir dir;
    QFile fixture(fixturePath(QStringLiteral("IMG_0123.mov")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray video = fixture.readAll();
    const qsizetype moov = video.indexOf("moov") - 4;
    ASSERT_GT(moov, 0);
    Mutations damage(video, isoBoxFields(video), 19, moov, video.size());
    const QString path = dir.filePath(QStringLiteral("damaged.mov"));
    const QDateTime date(QDate(2022, 5, 6), QTime(7, 8, 9), QTimeZone(2 * 3600));
    int read = 0, refused = 0;
    for (int i = 0; i < 200; ++i) {
        QString what;
        const QByteArray bytes = damage.next(&what);
        SCOPED_TRACE(what.toStdString());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(out.write(bytes), bytes.size());
        out.close();
        const int tracks = VideoMetadata::trackCount(path);
        VideoMetadata::metadataItems(path);
        VideoMetadata::creationDateInItsZone(path);
        ++(tracks < 0 ? refused : read);
        if (i % 20 != 0)
            continue;
        QString why;
        const QString temp =
            QuickTimeWriter::writeTemporary(path, assignmentsOf(date), dir.path(), date, {}, &why);
        if (temp.isEmpty()) {
            EXPECT_FALSE(why.isEmpty());
        } else {
            EXPECT_EQ(VideoMetadata::trackCount(temp), tracks);
            EXPECT_EQ(VideoMetadata::creationDate(temp), date);
            QFile::remove(temp);
        }
        EXPECT_TRUE(temporaries(dir.path()).isEmpty());
    }
    EXPECT_GT(read, 20);
    EXPECT_GT(refused, 20);
}
