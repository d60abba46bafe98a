// The map window of the selected photo's position, and the browsers' data source and
// double-click.
#include "app/AppDelegate.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/CameraWindow.h"
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

void MainWindowController::buildMapWindow() {
    mapWindow = newAuxiliaryWindow(ownWindows, "mapWindow", tr("Map"));
    mapWindow->resize(640, 480);
    auto *layout = new QVBoxLayout(mapWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    currentMapView = new PKMapView(mapWindow);
    currentMapView->setObjectName(QStringLiteral("currentMapView"));
    layout->addWidget(currentMapView);
}

void MainWindowController::ShowMapAction() {
    if (!bMapPreview) {
        beginAlertSheet(
            app.mainWindow(), tr("No GPS Data"), tr("This photo does not contain GPS information."),
            {tr(" Ok ")},
            [this](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
        return;
    }
    if (!mapWindow || !currentMapView)
        return;
    if (!mapWindow->isVisible())
        mapWindow->show();
    currentMapView->setRegion(app.selection().currentCoords.x(), app.selection().currentCoords.y());
    currentMapView->addAnnotation(app.selection().currentCoords.x(),
                                  app.selection().currentCoords.y());
}

int AppDelegate::numberOfItemsInImageBrowser(QListView *browser) const {
    if (!browser)
        return 0;
    if (browser == mainWindowController().localImageBrowserView)
        return int(localLists().localPhotoItemArray.size());
    if (browser == mainWindowController().photoLibBrowserView)
        return int(library().photoLibBroserArray.size());
    if (browser == m_cameraWindow->photoBrowser())
        return int(m_cameraWindow->photos().size());
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
    else if (browser == m_cameraWindow->photoBrowser())
        items = &m_cameraWindow->photos();
    if (!items || index < 0 || index >= items->size())
        return nullptr;
    return items->at(index);
}

void AppDelegate::imageBrowser(QListView *browser, CellWasDoubleClicked, int index) {
    // The camera's files are not on disk: nothing to open.
    if (!browser || browser == m_cameraWindow->photoBrowser())
        return;
    const IKImageItemPtr item = imageBrowser(browser, index);
    if (item && !item->filePath.isEmpty())
        Workspace::openURL(QUrl::fromLocalFile(item->filePath));
}
