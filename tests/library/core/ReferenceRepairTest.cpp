// The two searches of the referenced-photo repair on real folders: the moved file under a
// new root, and the renamed file in its old folder, with what keeps a wrong file from
// being taken.
#include "library/core/ReferenceRepair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr int kSize = 700340; // Pumpkins4.jpg as the 10.15.7 library records it

void writeSized(const QString &path, int size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(QByteArray(size, 'p'));
}

PRPicFileInfo lostPumpkins() {
    PRPicFileInfo r;
    r.fileName = QStringLiteral("Pumpkins4.jpg");
    r.fileFullPath = QStringLiteral("/Volumes/MacBook Mojave/Users/Shared/Pumpkins4.jpg");
    r.originalfilesize = kSize;
    r.bReferencePhoto = r.bLostReferencePhoto = true;
    return r;
}

} // namespace

TEST(MovedReferenceSearch, RootThenTailsGrowingLeftwardsNameBeforeSize) {
    const PRPicFileInfo r = lostPumpkins();
    {
        QTemporaryDir root;
        writeSized(root.path() + "/Pumpkins4.jpg", kSize);
        EXPECT_EQ(findMovedReferenceFolder(root.path() + "/", r).found, root.path());
    }
    {
        QTemporaryDir root;
        writeSized(root.path() + "/Shared/Pumpkins4.jpg", kSize);
        EXPECT_EQ(findMovedReferenceFolder(root.path(), r).found, root.path() + "/Shared");
    }
    {
        // Second round: the name under Users/Shared.
        QTemporaryDir root;
        writeSized(root.path() + "/Users/Shared/Pumpkins4.jpg", kSize);
        EXPECT_EQ(findMovedReferenceFolder(root.path(), r).found, root.path() + "/Users/Shared");
    }
    {
        // A file of the right size in the shorter tail wins over the name in a longer one;
        // the name of another size is no match.
        QTemporaryDir root;
        writeSized(root.path() + "/Shared/Pumpkins4.jpg", kSize - 1);
        writeSized(root.path() + "/Shared/renamed.jpg", kSize);
        writeSized(root.path() + "/Users/Shared/Pumpkins4.jpg", kSize);
        EXPECT_EQ(findMovedReferenceFolder(root.path(), r).found, root.path() + "/Shared");
    }
}

TEST(MovedReferenceSearch, AmbiguousSizesLinksAndUnreadableRootsFindNothing) {
    const PRPicFileInfo r = lostPumpkins();
    {
        QTemporaryDir root;
        writeSized(root.path() + "/Shared/a.jpg", kSize);
        writeSized(root.path() + "/Shared/b.jpg", kSize);
        const ReferenceSearch s = findMovedReferenceFolder(root.path(), r);
        EXPECT_FALSE(s.ok());
        EXPECT_TRUE(s.why.contains(QStringLiteral("several files"))) << s.why.toStdString();
    }
    {
        // Only regular files: a link or a folder of the name is no photo.
        QTemporaryDir root, elsewhere;
        writeSized(elsewhere.path() + "/Pumpkins4.jpg", kSize);
        QDir().mkpath(root.path() + "/Shared");
        ASSERT_TRUE(QFile::link(elsewhere.path() + "/Pumpkins4.jpg",
                                root.path() + "/Shared/Pumpkins4.jpg"));
        QDir().mkpath(root.path() + "/Pumpkins4.jpg");
        EXPECT_FALSE(findMovedReferenceFolder(root.path(), r).ok());
    }
    {
        QTemporaryDir root;
        const ReferenceSearch s = findMovedReferenceFolder(root.path() + "/gone", r);
        EXPECT_FALSE(s.ok());
        EXPECT_TRUE(s.why.contains(root.path() + "/gone")) << s.why.toStdString();
        EXPECT_TRUE(s.why.contains(QStringLiteral("No such file"))) << s.why.toStdString();
    }
    if (geteuid() != 0) {
        QTemporaryDir root;
        writeSized(root.path() + "/Shared/renamed.jpg", kSize);
        QFile::setPermissions(root.path() + "/Shared", QFile::WriteOwner);
        const ReferenceSearch s = findMovedReferenceFolder(root.path(), r);
        QFile::setPermissions(root.path() + "/Shared",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_FALSE(s.ok());
        EXPECT_TRUE(s.why.contains(root.path() + "/Shared")) << s.why.toStdString();
    }
}

TEST(RenamedReferenceSearch, OneFileOfTheRecordsSizeOrNone) {
    const PRPicFileInfo r = lostPumpkins();
    QTemporaryDir dir;
    writeSized(dir.path() + "/Kürbis.jpg", kSize);
    writeSized(dir.path() + "/other.jpg", 12);
    EXPECT_EQ(findRenamedReferenceFile(dir.path(), r).found, QStringLiteral("Kürbis.jpg"));
    writeSized(dir.path() + "/copy.jpg", kSize);
    const ReferenceSearch two = findRenamedReferenceFile(dir.path(), r);
    EXPECT_FALSE(two.ok());
    EXPECT_TRUE(two.why.contains(QStringLiteral("several files")));
    PRPicFileInfo unknown = r;
    unknown.originalfilesize = 0;
    EXPECT_FALSE(findRenamedReferenceFile(dir.path(), unknown).ok());
    const ReferenceSearch missing = findRenamedReferenceFile(dir.path() + "/gone", r);
    EXPECT_TRUE(missing.why.contains(dir.path() + "/gone"));

    QStringList names;
    QString why;
    ASSERT_TRUE(listRegularFiles(dir.path(), &names, &why));
    EXPECT_EQ(names, (QStringList{"Kürbis.jpg", "copy.jpg", "other.jpg"}));
}

TEST(RenamedReferenceSearch, ARenameNeverReplacesAFileOrLink) {
    QTemporaryDir dir;
    writeSized(dir.path() + "/a.jpg", 3);
    writeSized(dir.path() + "/b.jpg", 5);
    QString why;
    EXPECT_FALSE(renameWithoutReplacing(dir.path() + "/a.jpg", dir.path() + "/b.jpg", &why));
    EXPECT_TRUE(why.contains(dir.path() + "/a.jpg"));
    EXPECT_EQ(QFileInfo(dir.path() + "/b.jpg").size(), 5);
    ASSERT_TRUE(QFile::link(dir.path() + "/nowhere", dir.path() + "/c.jpg"));
    EXPECT_FALSE(renameWithoutReplacing(dir.path() + "/a.jpg", dir.path() + "/c.jpg", &why));
    EXPECT_TRUE(QFile::exists(dir.path() + "/a.jpg"));
    EXPECT_TRUE(renameWithoutReplacing(dir.path() + "/a.jpg", dir.path() + "/d.jpg", &why));
    EXPECT_EQ(QFileInfo(dir.path() + "/d.jpg").size(), 3);
    EXPECT_FALSE(QFile::exists(dir.path() + "/a.jpg"));
}
