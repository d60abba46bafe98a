#include "platform/core/DurableBatch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(DurableBatch, TemporaryBesideLeavesTheTargetAloneAndTakesItsMode) {
    QTemporaryDir dir;
    const QString target = dir.filePath("photo.jpg");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0604), 0);
    QString why;
    const QString temporary = DurableBatch::writeTemporaryBeside(target, "new bytes", &why);
    ASSERT_FALSE(temporary.isEmpty()) << why.toStdString();
    EXPECT_EQ(QFileInfo(temporary).absolutePath(), dir.path());
    EXPECT_EQ(contents(target), "old");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(temporary).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    ASSERT_TRUE(DurableBatch::syncFiles({temporary}, &why)) << why.toStdString();
    ASSERT_TRUE(DurableBatch::replaceWith(temporary, target, &why));
    EXPECT_EQ(contents(target), "new bytes");
    EXPECT_TRUE(DurableBatch::syncFolders({dir.path()}, &why));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.jpg"});

    EXPECT_TRUE(
        DurableBatch::writeTemporaryBeside(dir.filePath("gone/x.jpg"), "x", &why).isEmpty());
    EXPECT_FALSE(why.isEmpty());
}

TEST(DurableBatch, MoveNoReplaceNeverTakesAnExistingName) {
    QTemporaryDir dir;
    QString why;
    const QString target = dir.filePath("taken.jpg");
    const QString first = DurableBatch::writeTemporaryBeside(target, "first", &why);
    const QString second = DurableBatch::writeTemporaryBeside(target, "second", &why);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_NE(first, second);
    bool taken = true;
    ASSERT_TRUE(DurableBatch::moveNoReplace(first, target, &taken, &why));
    EXPECT_FALSE(taken);
    EXPECT_FALSE(DurableBatch::moveNoReplace(second, target, &taken, &why));
    EXPECT_TRUE(taken);
    EXPECT_EQ(contents(target), "first");
    EXPECT_EQ(contents(second), "second") << "the refused file stays where it was";
}
