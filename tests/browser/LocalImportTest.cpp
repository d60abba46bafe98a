#include "browser/core/LocalImport.h"
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "metadata/DateWindows.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
// The local browser's rows, as the grid shows them.
QAbstractItemModel *localModel(AppDelegate &d) {
    auto *view = drive(d).find<QListView>("localImageBrowserView");
    return view ? view->model() : nullptr;
}
// The files under `folder`, relative to it.
QStringList filesUnder(const QString &folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// The files a camera-date copy of the local photo `name` adds to `storage`, relative to it: a
// photo of an imported folder keeps its place under the folder's parent, another goes to the
// top.
QStringList dateCopiesOf(AppDelegate &d, const QString &name, const QString &storage) {
    EXPECT_TRUE(waitForJobs(d)); // the import's end first
    const QStringList before = filesUnder(storage);
    d.preferences().storagelocation = storage;
    const auto &items = d.localLists().localPhotoItemArray;
    for (int row = 0; row < items.size(); ++row)
        if (items[row]->fileName == name) {
            drive(d).selectRows("localImageBrowserView", {row});
            break;
        }
    d.dateWindows().ClickCopyExifDateToCreateDateAction();
    EXPECT_TRUE(waitForJobs(d));
    for (QMessageBox *sheet : d.window->findChildren<QMessageBox *>())
        if (sheet->isVisible())
            sheet->reject();
    QStringList added = filesUnder(storage);
    for (const QString &old : before)
        added.removeOne(old);
    return added;
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
    Workspace::setRevealer([](const QString &, const QString &) {});
    QTemporaryDir dir, storage;
    copyFixture("St James Park.jpg", dir.filePath(""));
    QDir().mkpath(dir.filePath("A/B"));
    copyFixture("wedding.jpg", dir.filePath("A/B"));
    copyFixture("clip.mp4", dir.filePath("A"));
    touch(dir.filePath("A/readme.txt"));
    {
        AppDelegate d;
        d.launch();
        d.mainWindowController().importPhotosItemThreader({dir.filePath("A")});
        QTRY_COMPARE_WITH_TIMEOUT(d.localLists().localPhotoItemArray.size(), 2, 10000);
        // The folder's photos keep their places under its parent when copied.
        EXPECT_EQ(dateCopiesOf(d, "wedding.jpg", storage.path()), QStringList{"A/B/wedding.jpg"});
        EXPECT_EQ(names(d.localLists().localImportPhotoItemArray),
                  names(d.localLists().localPhotoItemArray));
        EXPECT_EQ(localModel(d)->rowCount(), 2);

        // A single file afterwards: its copies go to the top again; no folder is named.
        d.mainWindowController().importPhotosItemThreader({dir.filePath("St James Park.jpg")});
        QTRY_COMPARE_WITH_TIMEOUT(d.localLists().localPhotoItemArray.size(), 3, 10000);
        EXPECT_EQ(dateCopiesOf(d, "wedding.jpg", storage.path()), QStringList{"wedding.jpg"});
        EXPECT_TRUE(d.mainWindowController().importedFolder().isEmpty());

        // A drop of files on the empty pane selects the first item of the whole list.
        drive(d)
            .find<PRDragImageView>("leftTipImageView")
            ->performDrop({QUrl::fromLocalFile(dir.filePath("A/B/wedding.jpg"))});
        EXPECT_EQ(d.localLists().localPhotoItemArray.size(), 4);
        const auto selected =
            drive(d).find<QListView>("localImageBrowserView")->selectionModel()->selectedIndexes();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.first().row(), 0);
        EXPECT_EQ(d.browsers().selectedLocalItems().first()->filePath,
                  d.localLists().localPhotoItemArray.first()->filePath);

        // A large folder's first photos show before the rest of it is listed.
        QDir().mkpath(dir.filePath("many"));
        for (int i = 0; i < 70; ++i) // hard links: distinct files to the walk
            ASSERT_EQ(
                ::link(QFile::encodeName(dir.filePath("A/B/wedding.jpg")).constData(),
                       QFile::encodeName(
                           dir.filePath(QStringLiteral("many/%1.jpg").arg(i, 3, 10, QChar('0'))))
                           .constData()),
                0);
        QList<int> inserted;
        QObject::connect(
            localModel(d), &QAbstractItemModel::rowsInserted,
            [&](const QModelIndex &, int first, int last) { inserted << last - first + 1; });
        d.mainWindowController().importPhotosItemThreader({dir.filePath("many")});
        QTRY_COMPARE_WITH_TIMEOUT(d.localLists().localPhotoItemArray.size(), 74, 10000);
        ASSERT_GE(inserted.size(), 2);
        EXPECT_EQ(inserted.first(), 50);
        EXPECT_EQ(d.localLists().localPhotoItemArray[4]->fileName, QStringLiteral("000.jpg"));
    }
    Workspace::setUrlOpener({});
    Workspace::setRevealer({});
}

TEST(LocalImport, PathsChosenTogetherAddEachPhotoOnceInTheirOrder) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    Workspace::setRevealer([](const QString &, const QString &) {});
    QTemporaryDir dir, storage;
    QDir().mkpath(dir.filePath("A/B"));
    copyFixture("wedding.jpg", dir.filePath("A/B"));
    copyFixture("St James Park.jpg", dir.filePath(""));
    for (int i = 0; i < 30; ++i)
        touch(dir.filePath(QStringLiteral("C/photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
    {
        AppDelegate d;
        d.launch();
        // The sub-folder is walked with its parent too; its photo joins once.
        d.mainWindowController().importPhotosItemThreader({dir.filePath("St James Park.jpg"),
                                                           dir.filePath("A"), dir.filePath("A/B"),
                                                           dir.filePath("C")});
        QTRY_COMPARE_WITH_TIMEOUT(d.jobs().runningJobCount(), 0, 20000);
        const QStringList got = names(d.localLists().localPhotoItemArray);
        ASSERT_EQ(got.size(), 32);
        EXPECT_EQ(got.mid(0, 2), (QStringList{"St James Park.jpg", "wedding.jpg"}));
        QStringList walked = got.mid(2);
        QStringList sorted = walked;
        sorted.sort();
        EXPECT_EQ(walked.size(), 30);
        EXPECT_EQ(sorted.first(), "photo00.jpg");
        // The last path was a folder: the copies keep their places under its parent.
        EXPECT_EQ(dateCopiesOf(d, "wedding.jpg", storage.path()), QStringList{"A/B/wedding.jpg"});
        EXPECT_EQ(localModel(d)->rowCount(), 32);
    }
    Workspace::setUrlOpener({});
    Workspace::setRevealer({});
}

TEST(LocalImport, UnreadableEntriesAreNamedAndMarkedWhenAdded) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    const QString top = dir.filePath("top");
    QDir().mkpath(top + "/sub");
    copyFixture("St James Park.jpg", top);
    copyFixture("clip.mp4", top + "/sub");
    QFile(top + "/empty.jpg").open(QIODevice::WriteOnly);
    touch(top + "/sub/garbage.heic");
    ASSERT_EQ(::mkfifo(QFile::encodeName(top + "/pipe.jpg").constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(top + "/gone.jpg", top + "/dangling.jpg"));

    // What root cannot read either: a vanished file, a FIFO, no data, data of no photo.
    EXPECT_FALSE(unreadableReason(top + "/vanished.jpg").isEmpty());
    EXPECT_FALSE(unreadableReason(top + "/dangling.jpg").isEmpty());
    EXPECT_FALSE(unreadableReason(top + "/pipe.jpg").isEmpty());
    EXPECT_FALSE(unreadableReason(top + "/empty.jpg").isEmpty());
    EXPECT_FALSE(unreadableReason(top + "/sub/garbage.heic").isEmpty());
    EXPECT_TRUE(unreadableReason(top + "/St James Park.jpg").isEmpty());
    EXPECT_TRUE(unreadableReason(top + "/sub/clip.mp4").isEmpty());
    {
        AppDelegate d;
        d.launch();
        d.mainWindowController().importPhotosItemThreader({top, dir.filePath("missing.jpg")});
        QTRY_COMPARE_WITH_TIMEOUT(d.jobs().runningJobCount(), 0, 20000);
        // The unreadable files are in the grid, marked; the readable ones are not marked.
        QStringList marked, plain;
        for (int row = 0; row < localModel(d)->rowCount(); ++row) {
            const IKImageItemPtr &item = d.localLists().localPhotoItemArray[row];
            const QString title = localModel(d)->index(row, 0).data().toString();
            if (item->rare().unreadableReason.isEmpty()) {
                plain << item->fileName;
                EXPECT_EQ(title, item->fileName);
            } else {
                marked << item->fileName;
                EXPECT_TRUE(title.endsWith("(unreadable)")) << title.toStdString();
            }
        }
        marked.sort();
        plain.sort();
        EXPECT_EQ(marked, (QStringList{"dangling.jpg", "empty.jpg", "garbage.heic", "pipe.jpg"}));
        EXPECT_EQ(plain, (QStringList{"St James Park.jpg", "clip.mp4"}));

        // One sheet names each of them and the path that is not there, and no good file.
        const auto sheets = d.window->findChildren<QMessageBox *>("importProblemsAlert");
        ASSERT_EQ(sheets.size(), 1);
        const QString text = sheets.first()->informativeText();
        for (const char *name :
             {"dangling.jpg", "empty.jpg", "garbage.heic", "pipe.jpg", "missing.jpg"})
            EXPECT_TRUE(text.contains(QLatin1String(name))) << name;
        EXPECT_FALSE(text.contains("St James Park.jpg"));
        EXPECT_FALSE(text.contains("clip.mp4"));
    }
    {
        // A fine import says nothing.
        AppDelegate d;
        d.launch();
        d.mainWindowController().importPhotosItemThreader({top + "/St James Park.jpg"});
        QTRY_COMPARE_WITH_TIMEOUT(d.jobs().runningJobCount(), 0, 20000);
        EXPECT_EQ(d.localLists().localPhotoItemArray.size(), 1);
        EXPECT_TRUE(d.window->findChildren<QMessageBox *>("importProblemsAlert").isEmpty());
    }
    Workspace::setUrlOpener({});
}
