// The library case of the selection handler: the first selected library photo in the right
// column, with its preview, and its two records side by side in the library panels.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "base/Logging.h"
#include "library/LibraryPanels.h"
#include "library/core/LibraryComparison.h"
#include "platform/ImageView.h"
#include "platform/core/VideoFrame.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>

namespace {
void colourLabel(QLabel *label, const QColor &colour) {
    if (label)
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name(QColor::HexRgb)));
}
} // namespace

void MainWindowController::libraryBrowserSelectionDidChange() {
    if (!photoLibBrowserView || !photoLibBrowserView->selectionModel())
        return;
    int first = -1;
    for (const QModelIndex &index : photoLibBrowserView->selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first)
            first = index.row();
    const QList<IKImageItemPtr> &shown = app.library().photoLibBroserArray;
    if (first < 0 || first >= shown.size() || !shown.at(first)) {
        // Nothing selected (also after a reload): the column keeps nothing of an earlier photo,
        // unless it shows the local list.
        if (photolibView && !photolibView->isHidden()) {
            showPhotoInColumn(nullptr, true);
            for (QLabel *label : {previewPhotolibinfolab, previewOriginalphtoinfolab})
                if (label)
                    label->clear();
            if (theplayerView)
                theplayerView->hide();
        }
        return;
    }
    if (previewPhotolibinfolab)
        previewPhotolibinfolab->show();
    if (previewOriginalphtoinfolab)
        previewOriginalphtoinfolab->show();

    const IKImageItemPtr item = shown.at(first);
    const LibraryComparison c = compareLibraryItem(*item, app.library().bScanNewPhotosLib);

    if (previewOriginalphtoinfolab) {
        previewOriginalphtoinfolab->setText(c.originalCaption);
        colourLabel(previewOriginalphtoinfolab,
                    c.originalCaptionDiffers ? libraryDifferenceColor() : QColor(Qt::white));
    }
    // The right column follows the library selection: the photo's own lines, table and
    // preview (whole, in its proportions; a HEIC too).
    showPhotoInColumn(item, true);
    if (!c.isImage) {
        if (previewImageView)
            previewImageView->hide();
        if (theplayerView)
            theplayerView->show();
        playerFilePath = c.previewPath;
        QString why;
        const QImage frame = firstVideoFrame(c.previewPath, &why);
        if (playerFrameView) {
            if (frame.isNull()) {
                qCDebug(lcBrowser).noquote() << "No video preview:" << why;
                playerFrameView->clear();
            } else {
                playerFrameView->setImage(QPixmap::fromImage(frame));
            }
        }
    }
    libraryPanels.showComparison(c);
}

LibraryPanelHosts MainWindowController::libraryPanelHosts() const {
    LibraryPanelHosts hosts;
    hosts.libraryView = photolibView;
    hosts.libraryBrowser = photoLibBrowserView;
    hosts.libraryPanel = photolibEditView;
    hosts.originalPanel = photoOriginalEditView;
    hosts.slideFrom = localPhotoViewImageView;
    return hosts;
}
