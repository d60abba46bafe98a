#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
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
        d.mainWindowController().appendLocalItem(makeLocalItem(palm));
        d.mainWindowController().appendLocalItem(makeLocalItem(park));
        d.mainWindowController().LoadImportedPhotsonMainThread();
        auto *sel = d.mainWindowController().localImageBrowserView->selectionModel();
        sel->select(d.mainWindowController().localPhotoModel->index(1),
                    QItemSelectionModel::ClearAndSelect);
        EXPECT_EQ(d.selection().currentChooseFilePath, park);
        EXPECT_EQ(d.selection().currentFileName, "St James Park.jpg");
        EXPECT_EQ(d.selection().oldCameraModeStr, "NIKON D7000");
        EXPECT_EQ(d.selection().oldCameraDateStr, "2018:10:13 09:18:12");
        EXPECT_TRUE(d.mainWindowController().bMapPreview);
        EXPECT_NEAR(d.selection().currentCoords.x(), 51.503572, 1e-5);
        EXPECT_NEAR(d.selection().currentCoords.y(), -0.131806, 1e-5);
        EXPECT_TRUE(d.mainWindowController().currentlocalMapView->hasPin());
        EXPECT_GT(d.mainWindowController().localExifDataView->topLevelItemCount(), 3);
        EXPECT_FALSE(d.mainWindowController().photoNamelab->text().isEmpty());
        EXPECT_TRUE(d.selection().currentExifDictionary.contains("{GPS}"));

        // A photo without a position hides the map and keeps the old coordinates.
        sel->select(d.mainWindowController().localPhotoModel->index(0),
                    QItemSelectionModel::ClearAndSelect);
        EXPECT_EQ(d.selection().currentFileName, "IMG_1994.JPG");
        EXPECT_FALSE(d.mainWindowController().bMapPreview);
        EXPECT_FALSE(d.mainWindowController().currentlocalMapView->isVisible());
        EXPECT_TRUE(d.mainWindowController().locationCitylab->text().isEmpty());
        EXPECT_NEAR(d.selection().currentCoords.x(), 51.503572, 1e-5);

        // Sorting by name runs as a job: Cancel leaves the list as it was, the end replaces it.
        std::reverse(d.localLists().localPhotoItemArray.begin(),
                     d.localLists().localPhotoItemArray.end());
        const QList<IKImageItemPtr> reversed = d.localLists().localPhotoItemArray;
        d.mainWindowController().ClickSortLocalPhotosByName();
        const auto cancels = d.window->statusBar()->findChildren<QPushButton *>("JobCancelButton");
        ASSERT_EQ(cancels.size(), 1);
        cancels.first()->click();
        ASSERT_TRUE(waitForJobs(d));
        EXPECT_EQ(d.localLists().localPhotoItemArray, reversed);
        d.mainWindowController().ClickSortLocalPhotosByName();
        const QPointer<JobRunner> first = d.jobs().runningJob(Jobs::OneAtATime::LocalSort);
        d.mainWindowController()
            .ClickSortLocalPhotosByName(); // a newer sort cancels the one still running
        EXPECT_TRUE(first && first->isCancelled());
        ASSERT_TRUE(waitForJobs(d));
        EXPECT_EQ(d.localLists().localPhotoItemArray.first()->fileName, "IMG_1994.JPG");
        // And clearing.
        d.mainWindowController().ClearLeftPhotos();
        EXPECT_TRUE(d.localLists().localPhotoItemArray.isEmpty());
        EXPECT_TRUE(d.localLists().localImportPhotoItemArray.isEmpty());
        EXPECT_TRUE(d.mainWindowController().photoNamelab->text().isEmpty());
    }
    Workspace::setUrlOpener({});
}
