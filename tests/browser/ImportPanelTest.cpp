#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/FilesAndFoldersDialog.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QMainWindow>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Selects the named entries in the dialog's visible list, as a user's clicks would.
bool selectInView(QFileDialog *panel, const QStringList &names) {
    for (const char *viewName : {"listView", "treeView"}) {
        auto *view = panel->findChild<QAbstractItemView *>(QLatin1String(viewName));
        if (!view || !view->isVisibleTo(panel))
            continue;
        auto *proxy = qobject_cast<QSortFilterProxyModel *>(view->model());
        auto *files =
            qobject_cast<QFileSystemModel *>(proxy ? proxy->sourceModel() : view->model());
        if (!files)
            return false;
        view->selectionModel()->clear();
        for (const QString &name : names) {
            const QString path = QDir(panel->directory()).filePath(name);
            QModelIndex index = files->index(path);
            if (!waitFor([&] { return files->index(path).isValid(); }))
                return false;
            index = files->index(path);
            if (proxy)
                index = proxy->mapFromSource(index);
            view->selectionModel()->select(index,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        return true;
    }
    return false;
}
} // namespace

TEST(ImportPanel, FoldersAndFilesChosenTogetherAreImported) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("trip/day1");
    copyFixture("wedding.jpg", dir.path() + "/trip/day1");
    copyFixture("Fritest.jpeg", dir.path() + "/trip");
    copyFixture("St James Park.jpg", dir.path());
    {
        AppDelegate d;
        d.launch();
        d.mainWindowController().ClickImportPhotosAction();
        FilesAndFoldersDialog *panel = nullptr;
        for (auto *shown : d.window->findChildren<FilesAndFoldersDialog *>())
            if (shown->isVisible())
                panel = shown;
        ASSERT_TRUE(panel);
        panel->setDirectory(dir.path());
        ASSERT_TRUE(selectInView(panel, {"trip", "St James Park.jpg"}));
        panel->accept();
        EXPECT_EQ(panel->result(), QDialog::Accepted);
        EXPECT_TRUE(waitFor([&] { return d.localLists().localPhotoItemArray.size() == 3; }));
        QStringList names;
        for (const auto &item : d.localLists().localPhotoItemArray)
            names << item->fileName;
        names.sort();
        EXPECT_EQ(names, QStringList({"Fritest.jpeg", "St James Park.jpg", "wedding.jpg"}));
    }
    Workspace::setUrlOpener({});
}

TEST(ImportPanel, TypedFolderPathStillNavigates) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("inner");
    FilesAndFoldersDialog panel(nullptr, "x");
    panel.setDirectory(dir.path());
    panel.show();
    panel.selectFile(dir.path() + "/inner");
    // Nothing selected in the list (only typed): a folder opens, it is not chosen.
    for (const char *viewName : {"listView", "treeView"})
        if (auto *view = panel.findChild<QAbstractItemView *>(QLatin1String(viewName)))
            view->selectionModel()->clear();
    panel.accept();
    EXPECT_NE(panel.result(), QDialog::Accepted);
    EXPECT_TRUE(panel.chosenPaths().isEmpty());
}
