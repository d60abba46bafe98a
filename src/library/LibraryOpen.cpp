// Opening a photo library from the open panel, and the start of its scan.
#include "app/AppDelegate.h"

#include "platform/AlertSheet.h"

#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTimer>

void AppDelegate::openPanelDidEnd8(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    if (scanProcesser)
        scanProcesser->show();
    if (scanninginfolab)
        scanninginfolab->show();
    blocalMode = false;
    if (!scanGifTimer) {
        scanGifTimer = new QTimer(this);
        connect(scanGifTimer, &QTimer::timeout, this, &AppDelegate::StartScanningGIFImageViewTimer);
    }
    scanGifTimer->start(100);
    LoadPhotosLibraryItemThreader(panel->selectedFiles().first());
}

void AppDelegate::LoadPhotosLibraryItemThreader(const QString &libraryPath) {
    // The library reader is not part of this build yet: end the scan visibly rather than
    // leave the spinner turning.
    if (scanGifTimer)
        scanGifTimer->stop();
    if (scanProcesser)
        scanProcesser->hide();
    if (scanninginfolab)
        scanninginfolab->hide();
    library.scanPhotoLibStart = false;
    library.scanComplete = false;
    beginAlertSheet(window, tr("Photo libraries cannot be opened yet."),
                    tr("This version of Photo Kestry does not read \"%1\".").arg(libraryPath),
                    {tr(" Ok ")}, nullptr);
}
