// The selection handler: the panels of the first selected local photo, its map and place.
#include "app/AppServices.h"
#include "app/Browsers.h"
#include "browser/MainWindowController.h"

#include "base/FileTypes.h"
#include "base/Logging.h"
#include "browser/DropTargets.h"
#include "browser/core/PhotoPanels.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"
#include "platform/core/JobRunner.h"
#include "platform/core/ReverseGeocoder.h"
#include "platform/core/Thumbnails.h"

#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
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

} // namespace

// The right column's lines, table and map for one description; only a local photo (`item`)
// has its place looked up.
void MainWindowController::showColumnLines(const LocalPhotoPanels &panels,
                                           const IKImageItemPtr &item) {
    SelectionState &selection = app.selection();
    for (auto [label, text] : std::initializer_list<std::pair<QLabel *, QString>>{
             {photoNamelab, panels.photoNameText},
             {photoCreateDatelab, panels.photoCreateDateText},
             {photoFileSizelab, panels.photoFileSizeText},
             {photoImageSizelab, panels.photoImageSizeText},
             {photoDPIlab, panels.photoDPIText},
             {photoLensInfolab, panels.photoLensInfoText},
             {photoTitlelab, panels.photoTitleText},
             {photoModDatelab, panels.photoModDateText},
             {photoExposurelab, panels.photoExposureText}})
        if (label)
            label->setText(text);

    if (localExifDataView) {
        localExifDataView->clear();
        addNodes(nullptr, localExifDataView, panels.propertyTree);
    }

    bMapPreview = panels.bMapPreview;
    if (localMapPlaceholder)
        localMapPlaceholder->setText(
            panels.currentFileName.isEmpty() ? QString() : MainWindowController::tr("No position"));
    if (panels.bMapPreview) {
        selection.currentCoords = QPointF(panels.latitude, panels.longitude);
        if (currentlocalMapView) {
            currentlocalMapView->showPosition(panels.latitude, panels.longitude);
            currentlocalMapView->show();
        }
        if (panels.startsGeocoding && item)
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

// Sets every local panel from one description; `item` gets the place name when one is found.
void MainWindowController::showLocalPanels(const LocalPhotoPanels &panels,
                                           const IKImageItemPtr &item) {
    SelectionState &selection = app.selection();
    selection.currentChooseFilePath = panels.currentChooseFilePath;
    selection.currentExifDictionary = panels.currentExifDictionary;
    selection.currentFileName = panels.currentFileName;
    selection.currentLocationStr = QStringLiteral("");

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
    emit localValuesRemembered();

    showColumnLines(panels, item);
}

namespace {
// `image` whole and centred in `box`: the view stretches what it is given.
QPixmap fitted(const QImage &image, const QSize &box) {
    QPixmap out(box);
    out.fill(Qt::transparent);
    const QImage scaled = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&out);
    painter.drawImage((box.width() - scaled.width()) / 2, (box.height() - scaled.height()) / 2,
                      scaled);
    return out;
}
} // namespace

// The selected photo as it is now (its latest edited copy, if any), made off the main thread;
// a picture that arrives after the selection moved on is dropped.
void MainWindowController::showPreview(const IKImageItemPtr &item, bool library) {
    if (!previewImageView)
        return;
    previewImageView->setImage(QPixmap());
    if (theplayerView)
        theplayerView->hide();
    if (!item || !item->rare().unreadableReason.isEmpty()) {
        previewImageView->hide();
        return;
    }
    previewImageView->show();
    // A library photo not downloaded shows its thumbnail.
    const QString path = library && !QFileInfo::exists(item->currentPath()) ? item->fileThumbPath
                                                                            : item->currentPath();
    const QSize box = previewContentView ? previewContentView->size() : QSize(300, 240);
    QPointer<MainWindowController> self(this);
    std::weak_ptr<IKImageItem> weak = item;
    JobRunner::runOn(JobRunner::Lane::Preview, [self, weak, path, box, library] {
        QImage image = Thumbnails::cached(path);
        if (image.isNull())
            image = Thumbnails::make(path, 256);
        JobRunner::handTo(self, [self, weak, image, box, library] {
            const IKImageItemPtr shown = weak.lock();
            if (!self || !shown || !self->previewImageView || image.isNull())
                return;
            const QList<IKImageItemPtr> selected =
                library ? self->selectedLibraryItems() : self->selectedLocalItems();
            if (!selected.isEmpty() && selected.first() == shown)
                self->previewImageView->setImage(fitted(image, box));
        });
    });
}

void MainWindowController::previewPosition(double latitude, double longitude) {
    bMapPreview = true;
    if (!currentlocalMapView)
        return;
    currentlocalMapView->show();
    currentlocalMapView->showPosition(latitude, longitude);
}

QString MainWindowController::shownCreationDate() const {
    return photoCreateDatelab ? photoCreateDatelab->text() : QString();
}

QString MainWindowController::importedFolder() const {
    return bImportLocalFolder ? bImportLocalPath : QString();
}

void MainWindowController::showPreviewBusy(bool busy) {
    if (!previewProgressor)
        return;
    if (busy)
        previewProgressor->setRange(0, 0);
    previewProgressor->setVisible(busy);
}

void MainWindowController::clearLocalPanels() {
    showLocalPanels(LocalPhotoPanels{});
}

void MainWindowController::showPhotoInColumn(const IKImageItemPtr &item, bool library) {
    showColumnLines(item ? describeLocalPhoto(*item) : LocalPhotoPanels{},
                    library ? nullptr : item);
    // A library video plays in its own view.
    if (!library || !item || GetViedoType(item->filePath) < 0) {
        showPreview(item, library);
    } else {
        if (previewImageView)
            previewImageView->hide();
        if (theplayerView)
            theplayerView->show();
    }
}

void MainWindowController::imageBrowserSelectionDidChange(QListView *browser) {
    if (browser && browser == photoLibBrowserView) {
        libraryBrowserSelectionDidChange();
        return;
    }
    if (!browser || browser != localImageBrowserView)
        return;
    const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
    if (selected.isEmpty()) {
        clearLocalPanels();
        showPreview(nullptr, false);
        return;
    }
    const IKImageItemPtr item = selected.first();
    // Every panel is set from this file alone, an unreadable one too: what the panels or the
    // edit sheet show never comes from the photo selected before.
    showLocalPanels(describeLocalPhoto(*item), item);
    showPreview(item, false);
}

ReverseGeocoder &MainWindowController::reverseGeocoder() {
    if (!geocoder)
        geocoder = new ReverseGeocoder(this);
    return *geocoder;
}

void MainWindowController::getCityInfowithlonglab(double longitude, double latitude,
                                                  const IKImageItemPtr &item) {
    app.selection().currentLocationStr = QStringLiteral("");
    if (locationCitylab)
        locationCitylab->clear();
    std::weak_ptr<IKImageItem> weakItem = item;
    currentGeocodeRequest = reverseGeocoder().reverseGeocode(
        latitude, longitude, this, [this, weakItem](const Placemark &place, const QString &error) {
            if (!error.isEmpty())
                qCWarning(lcBrowser) << "Reverse geocoding failed==" << error;
            const QString name = error.isEmpty() ? placeNameFrom(place) : QString();
            IKImageItemPtr target = weakItem.lock();
            if (name.isEmpty()) {
                // Offline, without a server or without a known place, the label says so
                // rather than staying blank as if still asking.
                const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
                if (target && !selected.isEmpty() && selected.first() == target && locationCitylab)
                    locationCitylab->setText(tr("Place unknown"));
                return;
            }
            if (target)
                target->editRare().GPSLocationfileName = name;
            // A late answer for a photo that is no longer shown stays with its item only.
            const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
            if (!target || selected.isEmpty() || selected.first() != target)
                return;
            app.selection().currentLocationStr = name;
            if (locationCitylab)
                locationCitylab->setText(name);
        });
}
