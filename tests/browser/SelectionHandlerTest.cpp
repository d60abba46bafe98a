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
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
// Whether Show Map has a position to show; without one it says so in a sheet, closed here.
bool showMapFindsAPosition(AppDelegate &d) {
    d.mainWindowController().ShowMapAction();
    for (QMessageBox *sheet : d.window->findChildren<QMessageBox *>())
        if (sheet->isVisible() && sheet->text() == "No GPS Data") {
            sheet->buttons().first()->click();
            return false;
        }
    QWidget *mapWindow = drive(d).find("mapWindow");
    const bool shown = mapWindow && mapWindow->isVisible();
    if (mapWindow)
        mapWindow->hide();
    return shown;
}
} // namespace

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
        drive(d).selectRows("localImageBrowserView", {1});
        EXPECT_EQ(d.selection().currentChooseFilePath, park);
        EXPECT_EQ(d.selection().currentFileName, "St James Park.jpg");
        EXPECT_EQ(d.selection().oldCameraModeStr, "NIKON D7000");
        EXPECT_EQ(d.selection().oldCameraDateStr, "2018:10:13 09:18:12");
        EXPECT_TRUE(showMapFindsAPosition(d));
        EXPECT_NEAR(d.selection().currentCoords.x(), 51.503572, 1e-5);
        EXPECT_NEAR(d.selection().currentCoords.y(), -0.131806, 1e-5);
        EXPECT_TRUE(drive(d).find<PKMapView>("currentlocalMapView")->hasPin());
        EXPECT_GT(drive(d).find<QTreeWidget>("localExifDataView")->topLevelItemCount(), 3);
        EXPECT_FALSE(drive(d).text("photoNamelab").isEmpty());
        EXPECT_TRUE(d.selection().currentExifDictionary.contains("{GPS}"));

        // A photo without a position hides the map and keeps the old coordinates.
        drive(d).selectRows("localImageBrowserView", {0});
        EXPECT_EQ(d.selection().currentFileName, "IMG_1994.JPG");
        EXPECT_FALSE(showMapFindsAPosition(d));
        EXPECT_FALSE(drive(d).find<PKMapView>("currentlocalMapView")->isVisible());
        EXPECT_TRUE(drive(d).text("locationCitylab").isEmpty());
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
        EXPECT_TRUE(drive(d).text("photoNamelab").isEmpty());
    }
    Workspace::setUrlOpener({});
}
