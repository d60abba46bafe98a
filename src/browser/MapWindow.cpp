// The map window of the selected photo's position, and the browsers' data source and
// double-click.
#include "app/AppDelegate.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "platform/AlertSheet.h"
#include "platform/MapView.h"
#include "platform/core/Workspace.h"

#include <QListView>
#include <QMainWindow>
#include <QUrl>
#include <QVBoxLayout>

void buildMapWindow(AppDelegate &d) {
    d.mainWindowController().mapWindow = newAuxiliaryWindow(d, "mapWindow", AppDelegate::tr("Map"));
    d.mainWindowController().mapWindow->resize(640, 480);
    auto *layout = new QVBoxLayout(d.mainWindowController().mapWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().currentMapView = new PKMapView(d.mainWindowController().mapWindow);
    d.mainWindowController().currentMapView->setObjectName(QStringLiteral("currentMapView"));
    layout->addWidget(d.mainWindowController().currentMapView);
}

void MainWindowController::ShowMapAction() {
    if (!bMapPreview) {
        beginAlertSheet(d.window, AppDelegate::tr("No GPS Data"),
                        AppDelegate::tr("This photo does not contain GPS information."),
                        {AppDelegate::tr(" Ok ")}, [this](QMessageBox *alert, int code) {
                            d.sheets().savePanelDidEnd3(alert, code);
                        });
        return;
    }
    if (!mapWindow || !currentMapView)
        return;
    if (!mapWindow->isVisible())
        mapWindow->show();
    currentMapView->setRegion(d.selection().currentCoords.x(), d.selection().currentCoords.y());
    currentMapView->addAnnotation(d.selection().currentCoords.x(), d.selection().currentCoords.y());
}

int AppDelegate::numberOfItemsInImageBrowser(QListView *browser) const {
    if (!browser)
        return 0;
    if (browser == mainWindowController().localImageBrowserView)
        return int(localLists().localPhotoItemArray.size());
    if (browser == mainWindowController().photoLibBrowserView)
        return int(library().photoLibBroserArray.size());
    if (browser == cameraWindow.imageBrowserView)
        return int(cameraWindow.cameItemArray.size());
    return 0;
}

IKImageItemPtr AppDelegate::imageBrowser(QListView *browser, int index) const {
    const QList<IKImageItemPtr> *items = nullptr;
    if (!browser)
        return nullptr;
    if (browser == mainWindowController().localImageBrowserView)
        items = &localLists().localPhotoItemArray;
    else if (browser == mainWindowController().photoLibBrowserView)
        items = &library().photoLibBroserArray;
    else if (browser == cameraWindow.imageBrowserView)
        items = &cameraWindow.cameItemArray;
    if (!items || index < 0 || index >= items->size())
        return nullptr;
    return items->at(index);
}

void AppDelegate::imageBrowser(QListView *browser, CellWasDoubleClicked, int index) {
    // The camera's files are not on disk: nothing to open.
    if (!browser || browser == cameraWindow.imageBrowserView)
        return;
    const IKImageItemPtr item = imageBrowser(browser, index);
    if (item && !item->filePath.isEmpty())
        Workspace::openURL(QUrl::fromLocalFile(item->filePath));
}
