// The map window of the selected photo's position, and the browsers' data source and
// double-click.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

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
    d.mapWindow = newAuxiliaryWindow(d, "mapWindow", AppDelegate::tr("Map"));
    d.mapWindow->resize(640, 480);
    auto *layout = new QVBoxLayout(d.mapWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    d.currentMapView = new PKMapView(d.mapWindow);
    d.currentMapView->setObjectName(QStringLiteral("currentMapView"));
    layout->addWidget(d.currentMapView);
}

void AppDelegate::ShowMapAction() {
    if (!bMapPreview) {
        beginAlertSheet(window, tr("No GPS Data"),
                        tr("This photo does not contain GPS information."), {tr(" Ok ")},
                        [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
        return;
    }
    if (!mapWindow || !currentMapView)
        return;
    if (!mapWindow->isVisible())
        mapWindow->show();
    currentMapView->setRegion(selection.currentCoords.x(), selection.currentCoords.y());
    currentMapView->addAnnotation(selection.currentCoords.x(), selection.currentCoords.y());
}

int AppDelegate::numberOfItemsInImageBrowser(QListView *browser) const {
    if (!browser)
        return 0;
    if (browser == localImageBrowserView)
        return int(localPhotoItemArray.size());
    if (browser == photoLibBrowserView)
        return int(library.photoLibBroserArray.size());
    if (browser == imageBrowserView)
        return int(cameItemArray.size());
    return 0;
}

IKImageItemPtr AppDelegate::imageBrowser(QListView *browser, int index) const {
    const QList<IKImageItemPtr> *items = nullptr;
    if (!browser)
        return nullptr;
    if (browser == localImageBrowserView)
        items = &localPhotoItemArray;
    else if (browser == photoLibBrowserView)
        items = &library.photoLibBroserArray;
    else if (browser == imageBrowserView)
        items = &cameItemArray;
    if (!items || index < 0 || index >= items->size())
        return nullptr;
    return items->at(index);
}

void AppDelegate::imageBrowser(QListView *browser, CellWasDoubleClicked, int index) {
    // The camera's files are not on disk: nothing to open.
    if (!browser || browser == imageBrowserView)
        return;
    const IKImageItemPtr item = imageBrowser(browser, index);
    if (item && !item->filePath.isEmpty())
        Workspace::openURL(QUrl::fromLocalFile(item->filePath));
}
