// The map window of the selected photo's position.
#include "app/AppServices.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "platform/AlertSheet.h"
#include "platform/MapView.h"

#include <QMainWindow>
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
        app.sheets().alert(tr("No GPS Data"), tr("This photo does not contain GPS information."));
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
