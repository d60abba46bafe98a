#include "platform/core/DurableBatch.h"
#include "platform/core/FreeFileName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(DurableBatch, AStagedFileTakesAFreeNameOrGoes) {
    QTemporaryDir dir;
    const QString target = dir.filePath("photo.jpg");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    QString why;
    const auto refused = DurableBatch::stageNewFile(dir.path(), "refused", &why);
    const auto second = DurableBatch::stageNewFile(dir.path(), "second", &why);
    ASSERT_TRUE(refused && second) << why.toStdString();
    EXPECT_EQ(QFileInfo(second->path()).absolutePath(), dir.path());
    EXPECT_EQ(contents(second->path()), "second");

    DurableBatch::Commit commit;
    commit.syncTemporaries({refused->path(), second->path()});
    EXPECT_TRUE(commit.syncError(second->path()).isEmpty());
    const QString none = commit.place(
        *refused,
        [&](const QString &from, QString *w) {
            bool taken = false;
            return moveToNameIfFree(from, target, &taken, w) ? target : QString();
        },
        &why);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_FALSE(why.isEmpty());
    const QString placed = commit.place(
        *second,
        [&](const QString &from, QString *w) {
            return moveToFreeName(from, dir.path(), "photo.jpg", w);
        },
        &why);
    EXPECT_EQ(placed, dir.filePath("photo (2).jpg"));
    commit.syncFolders();
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(contents(placed), "second");
    // The refused file went with its batch; nothing else is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"photo (2).jpg", "photo.jpg"}));

    EXPECT_FALSE(DurableBatch::stageNewFile(dir.filePath("gone"), "x", &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(DurableBatch, MoveToNameIfFreeNeverTakesAnExistingName) {
    QTemporaryDir dir;
    QString why;
    const QString target = dir.filePath("taken.jpg");
    const auto first = DurableBatch::stageNewFile(dir.path(), "first", &why);
    const auto second = DurableBatch::stageNewFile(dir.path(), "second", &why);
    ASSERT_TRUE(first && second);
    ASSERT_NE(first->path(), second->path());
    bool taken = true;
    ASSERT_TRUE(moveToNameIfFree(first->path(), target, &taken, &why));
    first->release();
    EXPECT_FALSE(taken);
    EXPECT_FALSE(moveToNameIfFree(second->path(), target, &taken, &why));
    EXPECT_TRUE(taken);
    EXPECT_EQ(contents(target), "first");
    EXPECT_EQ(contents(second->path()), "second") << "the refused file stays where it was";
}
