#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalImport.h"
#include "platform/MapView.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

TEST(SelectionHandler, FirstSelectedPhotoFillsTheState) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString palm = copyFixture("IMG_1994.JPG", dir.path());
    {
        AppDelegate d;
        d.launch();
        d.mainWindow.appendLocalItem(makeLocalItem(palm));
        d.mainWindow.appendLocalItem(makeLocalItem(park));
        d.mainWindow.LoadImportedPhotsonMainThread();
        auto *sel = d.mainWindow.localImageBrowserView->selectionModel();
        sel->select(d.mainWindow.localPhotoModel->index(1), QItemSelectionModel::ClearAndSelect);
        EXPECT_EQ(d.selection.currentChooseFilePath, park);
        EXPECT_EQ(d.selection.currentFileName, "St James Park.jpg");
        EXPECT_EQ(d.selection.oldCameraModeStr, "NIKON D7000");
        EXPECT_EQ(d.selection.oldCameraDateStr, "2018:10:13 09:18:12");
        EXPECT_TRUE(d.mainWindow.bMapPreview);
        EXPECT_NEAR(d.selection.currentCoords.x(), 51.503572, 1e-5);
        EXPECT_NEAR(d.selection.currentCoords.y(), -0.131806, 1e-5);
        EXPECT_TRUE(d.mainWindow.currentlocalMapView->hasPin());
        EXPECT_GT(d.mainWindow.localExifDataView->topLevelItemCount(), 3);
        EXPECT_FALSE(d.mainWindow.photoNamelab->text().isEmpty());
        EXPECT_TRUE(d.selection.currentExifDictionary.contains("{GPS}"));

        // A photo without a position hides the map and keeps the old coordinates.
        sel->select(d.mainWindow.localPhotoModel->index(0), QItemSelectionModel::ClearAndSelect);
        EXPECT_EQ(d.selection.currentFileName, "IMG_1994.JPG");
        EXPECT_FALSE(d.mainWindow.bMapPreview);
        EXPECT_FALSE(d.mainWindow.currentlocalMapView->isVisible());
        EXPECT_TRUE(d.mainWindow.locationCitylab->text().isEmpty());
        EXPECT_NEAR(d.selection.currentCoords.x(), 51.503572, 1e-5);

        // Sorting by name runs as a job: Cancel leaves the list as it was, the end replaces it.
        std::reverse(d.localPhotoItemArray.begin(), d.localPhotoItemArray.end());
        const QList<IKImageItemPtr> reversed = d.localPhotoItemArray;
        d.mainWindow.ClickSortLocalPhotosByName();
        const auto cancels = d.window->statusBar()->findChildren<QPushButton *>("JobCancelButton");
        ASSERT_EQ(cancels.size(), 1);
        cancels.first()->click();
        ASSERT_TRUE(waitForJobs(d));
        EXPECT_EQ(d.localPhotoItemArray, reversed);
        d.mainWindow.ClickSortLocalPhotosByName();
        const QPointer<JobRunner> first = d.runningJob(AppDelegate::OneAtATime::LocalSort);
        d.mainWindow.ClickSortLocalPhotosByName(); // a newer sort cancels the one still running
        EXPECT_TRUE(first && first->isCancelled());
        ASSERT_TRUE(waitForJobs(d));
        EXPECT_EQ(d.localPhotoItemArray.first()->fileName, "IMG_1994.JPG");
        // And clearing.
        d.mainWindow.ClearLeftPhotos();
        EXPECT_TRUE(d.localPhotoItemArray.isEmpty());
        EXPECT_TRUE(d.localImportPhotoItemArray.isEmpty());
        EXPECT_TRUE(d.mainWindow.photoNamelab->text().isEmpty());
    }
    Workspace::setUrlOpener({});
}
