// The library case of the selection handler: the first selected library photo's two
// records side by side, with their maps and the preview.
#include "app/AppDelegate.h"

#include "base/Logging.h"
#include "library/core/LibraryComparison.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"
#include "platform/core/VideoFrame.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

namespace {
void colourLabel(QLabel *label, const QColor &colour) {
    if (label)
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name(QColor::HexRgb)));
}

void showMap(PKMapView *map, QPointF &coords, const ColumnMap &position) {
    if (!map)
        return;
    if (!position.shown) {
        map->hide();
        return;
    }
    coords = QPointF(position.latitude, position.longitude);
    map->show();
    map->setRegion(position.latitude, position.longitude, PKMapView::kDefaultSpanLat,
                   PKMapView::kDefaultSpanLon);
    map->clearPin();
    map->setPin(position.latitude, position.longitude);
    map->update();
}
} // namespace

void AppDelegate::getOriginalMedataDataWithItem(const IKImageItemPtr &item) {
    if (item)
        ::getOriginalMedataDataWithItem(*item);
}

void AppDelegate::libraryBrowserSelectionDidChange() {
    if (!mainWindow.photoLibBrowserView || !mainWindow.photoLibBrowserView->selectionModel())
        return;
    int first = -1;
    for (const QModelIndex &index :
         mainWindow.photoLibBrowserView->selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first)
            first = index.row();
    if (first < 0 || first >= library.photoLibBroserArray.size() ||
        !library.photoLibBroserArray.at(first)) {
        // Nothing selected (also after a reload): the column keeps nothing of an earlier photo,
        // unless it shows the local list.
        if (mainWindow.photolibView && !mainWindow.photolibView->isHidden()) {
            showPhotoInColumn(nullptr, true);
            for (QLabel *label :
                 {mainWindow.previewPhotolibinfolab, mainWindow.previewOriginalphtoinfolab})
                if (label)
                    label->clear();
            if (mainWindow.theplayerView)
                mainWindow.theplayerView->hide();
        }
        return;
    }
    if (mainWindow.previewPhotolibinfolab)
        mainWindow.previewPhotolibinfolab->show();
    if (mainWindow.previewOriginalphtoinfolab)
        mainWindow.previewOriginalphtoinfolab->show();

    const IKImageItemPtr item = library.photoLibBroserArray.at(first);
    const LibraryComparison c = compareLibraryItem(*item, library.bScanNewPhotosLib);

    if (mainWindow.previewOriginalphtoinfolab) {
        mainWindow.previewOriginalphtoinfolab->setText(c.originalCaption);
        colourLabel(mainWindow.previewOriginalphtoinfolab,
                    c.originalCaptionDiffers ? libraryDifferenceColor() : QColor(Qt::white));
    }
    // The right column follows the library selection: the photo's own lines, table and
    // preview (whole, in its proportions; a HEIC too).
    showPhotoInColumn(item, true);
    if (!c.isImage) {
        if (mainWindow.previewImageView)
            mainWindow.previewImageView->hide();
        if (mainWindow.theplayerView)
            mainWindow.theplayerView->show();
        mainWindow.playerFilePath = c.previewPath;
        QString why;
        const QImage frame = firstVideoFrame(c.previewPath, &why);
        if (mainWindow.playerFrameView) {
            if (frame.isNull()) {
                qCDebug(lcBrowser).noquote() << "No video preview:" << why;
                mainWindow.playerFrameView->clear();
            } else {
                mainWindow.playerFrameView->setImage(QPixmap::fromImage(frame));
            }
        }
    }

    const auto apply = [this](const QList<PanelText> &texts) {
        for (const PanelText &t : texts) {
            QObject *target = libraryPanelOutlet(t.outlet);
            if (auto *label = qobject_cast<QLabel *>(target))
                label->setText(t.text);
            else if (auto *edit = qobject_cast<QLineEdit *>(target))
                edit->setText(t.text);
        }
    };
    if (c.hasOriginal) {
        apply(c.originalLines);
        apply(c.originalFields);
        showMap(libraryPanels.originalPhotolibMapView, libraryPanels.originalPhotolibCoords,
                c.originalMap);
    }
    apply(c.libraryLines);
    apply(c.libraryFields);
    if (c.hasLibrary)
        showMap(libraryPanels.photolibEiteMapView, libraryPanels.photolibEiteCoords, c.libraryMap);

    for (const QString &name : c.differingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), libraryDifferenceColor());
    for (const QString &name : c.agreeingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), Qt::white);
}

QObject *AppDelegate::libraryPanelOutlet(const QString &name) {
    // Looked up once: a search of both panels' widget trees on every selection adds up
    // when the user walks through a library with the arrow keys.
    const auto known = libraryPanels.libraryPanelOutlets.constFind(name);
    if (known != libraryPanels.libraryPanelOutlets.cend() && *known)
        return *known;
    QObject *found = nullptr;
    for (QWidget *root : {mainWindow.photoOriginalEditView, mainWindow.photolibEditView})
        if (root && !found)
            found = root->findChild<QObject *>(name);
    libraryPanels.libraryPanelOutlets.insert(name, found);
    return found;
}
