#include "browser/core/LocalImport.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "platform/core/Workspace.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void touch(const QString &path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
}

QStringList names(const QList<IKImageItemPtr> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i->fileName;
    return out;
}
} // namespace

TEST(LocalImport, ItemsByTypeAndWalkThatEndsOnLinkLoops) {
    EXPECT_EQ(makeLocalItem("/a/b.MOV")->fileType, "Movie");
    EXPECT_EQ(makeLocalItem("/a/b.heic")->fileType, "Image");
    EXPECT_EQ(makeLocalItem("/a/notes.txt")->fileType, "Image"); // panel roads keep it
    EXPECT_FALSE(isImportableFile("/a/notes.txt"));
    const IKImageItemPtr item = makeLocalItem("/a/St James Park.jpg");
    EXPECT_EQ(item->fileName, "St James Park.jpg");
    EXPECT_EQ(item->fileThumbPath, "/a/St James Park.jpg");

    QTemporaryDir dir;
    touch(dir.filePath("top/a.jpg"));
    touch(dir.filePath("top/.hidden.jpg"));
    touch(dir.filePath("top/sub/deeper/b.png"));
    ASSERT_TRUE(QFile::link(dir.filePath("top"), dir.filePath("top/sub/loop")));
    QStringList seen;
    QSet<QString> visited;
    walkFolder(
        dir.filePath("top"), [&](const QString &p) { seen << QFileInfo(p).fileName(); }, visited);
    seen.sort();
    EXPECT_EQ(seen, (QStringList{".hidden.jpg", "a.jpg", "b.png"}));
}

TEST(LocalImport, FolderWalkFillsBothListsOnTheMainThread) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    copyFixture("St James Park.jpg", dir.filePath(""));
    QDir().mkpath(dir.filePath("A/B"));
    copyFixture("wedding.jpg", dir.filePath("A/B"));
    copyFixture("clip.mp4", dir.filePath("A"));
    touch(dir.filePath("A/readme.txt"));
    {
        AppDelegate d;
        d.launch();
        d.importPhotosItemThreader({dir.filePath("A")});
        QTRY_COMPARE_WITH_TIMEOUT(d.localPhotoItemArray.size(), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(d.bImportLocalFolder, 10000);
        EXPECT_EQ(d.bImportLocalPath, QDir(dir.path()).absolutePath());
        EXPECT_EQ(names(d.localImportPhotoItemArray), names(d.localPhotoItemArray));
        EXPECT_EQ(d.localPhotoModel->rowCount(), 2);

        // A single file afterwards: the flag turns off, the folder path stays.
        d.importPhotosItemThreader({dir.filePath("St James Park.jpg")});
        QTRY_COMPARE_WITH_TIMEOUT(d.localPhotoItemArray.size(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!d.bImportLocalFolder, 10000);
        EXPECT_EQ(d.bImportLocalPath, QDir(dir.path()).absolutePath());

        // A drop of files on the empty pane selects the first item of the whole list.
        d.leftTipImageView->performDrop({QUrl::fromLocalFile(dir.filePath("A/B/wedding.jpg"))});
        EXPECT_EQ(d.localPhotoItemArray.size(), 4);
        const auto selected = d.localImageBrowserView->selectionModel()->selectedIndexes();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.first().row(), 0);
        EXPECT_EQ(d.selectedLocalItems().first()->filePath,
                  d.localPhotoItemArray.first()->filePath);
    }
    Workspace::setUrlOpener({});
}

TEST(LocalImport, PathsChosenTogetherAddEachPhotoOnceInTheirOrder) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("A/B"));
    copyFixture("wedding.jpg", dir.filePath("A/B"));
    copyFixture("St James Park.jpg", dir.filePath(""));
    for (int i = 0; i < 30; ++i)
        touch(dir.filePath(QStringLiteral("C/photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
    {
        AppDelegate d;
        d.launch();
        // The sub-folder is walked with its parent too; its photo joins once.
        d.importPhotosItemThreader({dir.filePath("St James Park.jpg"), dir.filePath("A"),
                                    dir.filePath("A/B"), dir.filePath("C")});
        QTRY_COMPARE_WITH_TIMEOUT(d.runningJobCount(), 0, 20000);
        const QStringList got = names(d.localPhotoItemArray);
        ASSERT_EQ(got.size(), 32);
        EXPECT_EQ(got.mid(0, 2), (QStringList{"St James Park.jpg", "wedding.jpg"}));
        QStringList walked = got.mid(2);
        QStringList sorted = walked;
        sorted.sort();
        EXPECT_EQ(walked.size(), 30);
        EXPECT_EQ(sorted.first(), "photo00.jpg");
        EXPECT_TRUE(d.bImportLocalFolder); // the last path was a folder
        EXPECT_EQ(d.localPhotoModel->rowCount(), 32);
    }
    Workspace::setUrlOpener({});
}
