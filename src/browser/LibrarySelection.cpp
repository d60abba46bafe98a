// The library case of the selection handler: the first selected library photo's two
// records side by side, with their maps and the preview.
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"

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

void LibraryPanelsPart::getOriginalMedataDataWithItem(const IKImageItemPtr &item) {
    if (item)
        ::getOriginalMedataDataWithItem(*item);
}

void LibraryPanelsPart::libraryBrowserSelectionDidChange() {
    if (!d.mainWindowController().photoLibBrowserView ||
        !d.mainWindowController().photoLibBrowserView->selectionModel())
        return;
    int first = -1;
    for (const QModelIndex &index :
         d.mainWindowController().photoLibBrowserView->selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first)
            first = index.row();
    if (first < 0 || first >= d.library().photoLibBroserArray.size() ||
        !d.library().photoLibBroserArray.at(first)) {
        // Nothing selected (also after a reload): the column keeps nothing of an earlier photo,
        // unless it shows the local list.
        if (d.mainWindowController().photolibView &&
            !d.mainWindowController().photolibView->isHidden()) {
            d.mainWindowController().showPhotoInColumn(nullptr, true);
            for (QLabel *label : {d.mainWindowController().previewPhotolibinfolab,
                                  d.mainWindowController().previewOriginalphtoinfolab})
                if (label)
                    label->clear();
            if (d.mainWindowController().theplayerView)
                d.mainWindowController().theplayerView->hide();
        }
        return;
    }
    if (d.mainWindowController().previewPhotolibinfolab)
        d.mainWindowController().previewPhotolibinfolab->show();
    if (d.mainWindowController().previewOriginalphtoinfolab)
        d.mainWindowController().previewOriginalphtoinfolab->show();

    const IKImageItemPtr item = d.library().photoLibBroserArray.at(first);
    const LibraryComparison c = compareLibraryItem(*item, d.library().bScanNewPhotosLib);

    if (d.mainWindowController().previewOriginalphtoinfolab) {
        d.mainWindowController().previewOriginalphtoinfolab->setText(c.originalCaption);
        colourLabel(d.mainWindowController().previewOriginalphtoinfolab,
                    c.originalCaptionDiffers ? libraryDifferenceColor() : QColor(Qt::white));
    }
    // The right column follows the library selection: the photo's own lines, table and
    // preview (whole, in its proportions; a HEIC too).
    d.mainWindowController().showPhotoInColumn(item, true);
    if (!c.isImage) {
        if (d.mainWindowController().previewImageView)
            d.mainWindowController().previewImageView->hide();
        if (d.mainWindowController().theplayerView)
            d.mainWindowController().theplayerView->show();
        d.mainWindowController().playerFilePath = c.previewPath;
        QString why;
        const QImage frame = firstVideoFrame(c.previewPath, &why);
        if (d.mainWindowController().playerFrameView) {
            if (frame.isNull()) {
                qCDebug(lcBrowser).noquote() << "No video preview:" << why;
                d.mainWindowController().playerFrameView->clear();
            } else {
                d.mainWindowController().playerFrameView->setImage(QPixmap::fromImage(frame));
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
        showMap(originalPhotolibMapView, originalPhotolibCoords, c.originalMap);
    }
    apply(c.libraryLines);
    apply(c.libraryFields);
    if (c.hasLibrary)
        showMap(photolibEiteMapView, photolibEiteCoords, c.libraryMap);

    for (const QString &name : c.differingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), libraryDifferenceColor());
    for (const QString &name : c.agreeingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), Qt::white);
}

QObject *LibraryPanelsPart::libraryPanelOutlet(const QString &name) {
    // Looked up once: a search of both panels' widget trees on every selection adds up
    // when the user walks through a library with the arrow keys.
    const auto known = libraryPanelOutlets.constFind(name);
    if (known != libraryPanelOutlets.cend() && *known)
        return *known;
    QObject *found = nullptr;
    for (QWidget *root : {d.mainWindowController().photoOriginalEditView,
                          d.mainWindowController().photolibEditView})
        if (root && !found)
            found = root->findChild<QObject *>(name);
    libraryPanelOutlets.insert(name, found);
    return found;
}
