// The selection handler: the panels of the first selected local photo, its map and place.
#include "app/AppDelegate.h"

#include "app/core/Logging.h"
#include "browser/DropTargets.h"
#include "browser/core/PhotoPanels.h"
#include "platform/MapView.h"
#include "platform/core/ReverseGeocoder.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeWidget>

namespace {
void addNodes(QTreeWidgetItem *parent, QTreeWidget *tree, const QList<PropertyNode> &nodes) {
    for (const PropertyNode &node : nodes) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, node.key);
        item->setText(1, node.value);
        item->setForeground(0, Qt::white);
        item->setForeground(1, Qt::white);
        addNodes(item, tree, node.children);
    }
}

void setIfGiven(QLabel *label, const QString &text) {
    if (label && !text.isEmpty())
        label->setText(text);
}
} // namespace

void AppDelegate::imageBrowserSelectionDidChange(QListView *browser) {
    if (browser && browser == photoLibBrowserView) {
        libraryBrowserSelectionDidChange();
        return;
    }
    if (!browser || browser != localImageBrowserView)
        return;
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    if (selected.isEmpty())
        return;
    const IKImageItemPtr item = selected.first();
    const LocalPhotoPanels panels = describeLocalPhoto(*item);
    selection.currentChooseFilePath = panels.currentChooseFilePath;
    if (!panels.readable)
        return;
    selection.currentExifDictionary = panels.currentExifDictionary;
    selection.currentFileName = item->fileName;

    selection.oldTitleStr = panels.oldTitleStr;
    selection.oldArtistStr = panels.oldArtistStr;
    selection.oldImageDescStr = panels.oldImageDescStr;
    selection.oldCopyrightStr = panels.oldCopyrightStr;
    selection.oldCommentStr = panels.oldCommentStr;
    selection.oldKeywordStr = panels.oldKeywordStr;
    selection.oldCameraMakeStr = panels.oldCameraMakeStr;
    selection.oldCameraModeStr = panels.oldCameraModeStr;
    selection.oldCameraDateStr = panels.oldCameraDateStr;
    selection.oldlensMakeStr = panels.oldlensMakeStr;
    selection.oldlenModelStr = panels.oldlenModelStr;
    selection.oldlensSerialNumStr = panels.oldlensSerialNumStr;
    selection.oldimageOrientationStr = panels.oldimageOrientationStr;
    selection.oldimageISOSpeedStr = panels.oldimageISOSpeedStr;
    selection.oldimageFNumberStr = panels.oldimageFNumberStr;
    selection.oldimageFlen35mmStr = panels.oldimageFlen35mmStr;
    selection.oldimageBrightStr = panels.oldimageBrightStr;
    selection.oldimageApertureStr = panels.oldimageApertureStr;
    selection.oldimageWhiteBalanceStr = panels.oldimageWhiteBalanceStr;
    selection.oldimageExpotimeStr = panels.oldimageExpotimeStr;
    selection.oldGpsAitStr = panels.oldGpsAitStr;
    selection.oldGpsLatiStr = panels.oldGpsLatiStr;
    selection.oldGpsLongtStr = panels.oldGpsLongtStr;
    fillEditFieldsFromRememberedValues();

    setIfGiven(photoNamelab, panels.photoNameText);
    setIfGiven(photoCreateDatelab, panels.photoCreateDateText);
    setIfGiven(photoFileSizelab, panels.photoFileSizeText);
    setIfGiven(photoImageSizelab, panels.photoImageSizeText);
    for (auto [label, text] : std::initializer_list<std::pair<QLabel *, QString>>{
             {photoDPIlab, panels.photoDPIText},
             {photoLensInfolab, panels.photoLensInfoText},
             {photoTitlelab, panels.photoTitleText},
             {photoModDatelab, panels.photoModDateText}})
        if (label)
            label->setText(text);

    if (localExifDataView) {
        localExifDataView->clear();
        addNodes(nullptr, localExifDataView, panels.propertyTree);
    }

    bMapPreview = panels.bMapPreview;
    if (panels.bMapPreview) {
        selection.currentCoords = QPointF(panels.latitude, panels.longitude);
        if (currentlocalMapView) {
            currentlocalMapView->setRegion(panels.latitude, panels.longitude);
            currentlocalMapView->setPin(panels.latitude, panels.longitude);
            currentlocalMapView->show();
        }
        if (panels.startsGeocoding)
            getCityInfowithlonglab(panels.longitude, panels.latitude, item);
        else if (locationCitylab)
            locationCitylab->clear();
    } else {
        if (currentlocalMapView)
            currentlocalMapView->hide();
        if (locationCitylab)
            locationCitylab->clear();
    }
}

void AppDelegate::getCityInfowithlonglab(double longitude, double latitude,
                                         const IKImageItemPtr &item) {
    selection.currentLocationStr = QStringLiteral("");
    if (locationCitylab)
        locationCitylab->clear();
    if (!geocoder)
        geocoder = new ReverseGeocoder(this);
    std::weak_ptr<IKImageItem> weakItem = item;
    currentGeocodeRequest = geocoder->reverseGeocode(
        latitude, longitude, this, [this, weakItem](const Placemark &place, const QString &error) {
            if (!error.isEmpty()) {
                qCWarning(lcBrowser) << "Reverse geocoding failed==" << error;
                return;
            }
            qCDebug(lcBrowser) << "Reverse geocoding finished";
            const QString name = placeNameFrom(place);
            if (name.isEmpty())
                return;
            IKImageItemPtr target = weakItem.lock();
            if (target)
                target->GPSLocationfileName = name;
            // A late answer for a photo that is no longer shown stays with its item only.
            const QList<IKImageItemPtr> selected = selectedLocalItems();
            if (!target || selected.isEmpty() || selected.first() != target)
                return;
            selection.currentLocationStr = name;
            if (locationCitylab)
                locationCitylab->setText(name);
        });
}
