// The GIO trash in the tests' private home (XDG_DATA_HOME is set before any GLib call):
// files land in Trash/files with a .trashinfo whose Path= decodes to where they were, and
// a file that cannot be trashed stays where it is.
#include "platform/core/Trash.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QString homeTrash() {
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
}

// The original path a .trashinfo names, percent-decoded.
QString trashInfoPath(const QString &infoFile) {
    QFile f(infoFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("Path="))
            return QUrl::fromPercentEncoding(line.mid(5));
    return {};
}

} // namespace

TEST(GioTrash, FilesGoToTheHomeTrashWithInfoNamingTheirOldPath) {
    ASSERT_TRUE(homeTrash().startsWith(testHome())) << "the tests' own XDG_DATA_HOME";
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Trip é 100%");
    ASSERT_TRUE(QDir().mkpath(folder));
    GioTrash gio;
    for (const QString &name : {QStringLiteral("Frítest 50%.jpg"), QStringLiteral("a%20b.jpg")}) {
        const QString path = folder + QLatin1Char('/') + name;
        writeFile(path, name.toUtf8());
        QString why;
        ASSERT_TRUE(gio.moveToTrash(path, &why)) << why.toStdString();
        EXPECT_FALSE(QFile::exists(path));
        // The trash may add a number to a name it already holds: find ours by its info.
        bool found = false;
        for (const QString &info :
             QDir(homeTrash() + QStringLiteral("/info")).entryList({"*.trashinfo"}, QDir::Files)) {
            if (trashInfoPath(homeTrash() + QStringLiteral("/info/") + info) != path)
                continue;
            found = true;
            const QString stored =
                homeTrash() + QStringLiteral("/files/") + info.chopped(int(strlen(".trashinfo")));
            QFile f(stored);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << stored.toStdString();
            EXPECT_EQ(f.readAll(), name.toUtf8());
        }
        EXPECT_TRUE(found) << path.toStdString();
    }
    // Nothing was made in the working directory.
    EXPECT_FALSE(QDir(QDir::currentPath() + QStringLiteral("/.Trash-0")).exists());
}

TEST(GioTrash, WhatCannotBeTrashedStaysAndSaysWhy) {
    QTemporaryDir dir;
    GioTrash gio;
    QString why;
    EXPECT_FALSE(gio.moveToTrash(dir.path() + QStringLiteral("/gone.jpg"), &why));
    EXPECT_FALSE(why.isEmpty());
    // A folder is never the file of a photo.
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/album")));
    writeFile(dir.path() + QStringLiteral("/album/in.jpg"), "x");
    EXPECT_FALSE(gio.moveToTrash(dir.path() + QStringLiteral("/album"), &why));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/album/in.jpg")));
}

TEST(GioTrash, AVolumeWhereNoTrashCanBeMadeKeepsTheFile) {
    QTemporaryDir dir;
    const QString mount = dir.path() + QStringLiteral("/volume");
    ASSERT_TRUE(QDir().mkpath(mount));
    QString why;
    if (!mountScratch(mount, QStringLiteral("tmpfs"), QStringLiteral("size=1m"), &why))
        GTEST_SKIP() << why.toStdString();
    // Both trash folders the volume could have are taken by plain files.
    writeFile(mount + QStringLiteral("/.Trash"), "not a folder");
    writeFile(mount + QStringLiteral("/.Trash-%1").arg(getuid()), "not a folder");
    const QString photo = mount + QStringLiteral("/wedding.jpg");
    writeFile(photo, "photo");
    GioTrash gio;
    const bool trashed = gio.moveToTrash(photo, &why);
    const bool stayed = QFile::exists(photo);
    unmountScratch(mount);
    EXPECT_FALSE(trashed);
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(why.isEmpty());
}
