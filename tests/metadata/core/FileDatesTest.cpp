#include "platform/core/FileDates.h"
#include "metadata/core/FileDateRules.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString touch(const QString &path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
    return path;
}
} // namespace

TEST(FileDates, SetAndReadBack) {
    QTemporaryDir dir;
    const QString file = touch(dir.filePath("a.jpg"));
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    ASSERT_TRUE(FileDates::setDates(file, when));
    EXPECT_EQ(FileDates::creationDate(file), when);
    EXPECT_EQ(FileDates::modificationDate(file), when);
    // An outside reader sees the same modification time.
    QProcess stat;
    stat.start("stat", {"-c", "%Y", file});
    ASSERT_TRUE(stat.waitForFinished());
    EXPECT_EQ(stat.readAllStandardOutput().trimmed().toLongLong(), when.toSecsSinceEpoch());

    const QString other = touch(dir.filePath("b.jpg"));
    const QDateTime later(QDate(2022, 12, 31), QTime(23, 59, 58));
    ASSERT_TRUE(FileDates::setModificationDate(file, later));
    ASSERT_TRUE(FileDates::copyDates(file, other));
    EXPECT_EQ(FileDates::creationDate(other), when);
    EXPECT_EQ(FileDates::modificationDate(other), later);

    EXPECT_FALSE(FileDates::setDates(dir.filePath("missing.jpg"), when));
    EXPECT_FALSE(FileDates::modificationDate(dir.filePath("missing.jpg")).isValid());
}

TEST(FileDates, DateTextRuleFallsBackToTheOriginalsCreation) {
    QTemporaryDir dir;
    const QString original = touch(dir.filePath("orig.jpg"));
    const QDateTime created(QDate(2010, 1, 2), QTime(3, 4, 5));
    ASSERT_TRUE(FileDates::setDates(original, created));

    const QString a = touch(dir.filePath("a.jpg"));
    const QString b = touch(dir.filePath("b.jpg"));
    EXPECT_TRUE(SetDateAttributWithFilePath(a, original, "2021:03:04 05:06:07"));
    EXPECT_TRUE(SetDateAttributWithFilePath(b, original, "2021-03-04 05:06:07"));
    const QDateTime expected(QDate(2021, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(FileDates::modificationDate(a), expected);
    EXPECT_EQ(FileDates::creationDate(b), expected);

    for (const QString &text :
         {QString(), QStringLiteral(""), QStringLiteral("2021/03/04 05:06:07"),
          QStringLiteral("2019-07-04 at 08:30:00")}) {
        const QString c = touch(dir.filePath("c.jpg"));
        EXPECT_TRUE(SetDateAttributWithFilePath(c, original, text));
        EXPECT_EQ(FileDates::creationDate(c), created) << text.toStdString();
        EXPECT_EQ(FileDates::modificationDate(c), created) << text.toStdString();
    }
}
