// The main window's two modes, local photos and photo library, and the road to the
// default library.
#include "app/AppDelegate.h"

#include "app/core/Logging.h"
#include "browser/PRButton.h"
#include "browser/core/LibraryLocation.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>

namespace {
void setModeImages(AppDelegate &d, bool library) {
    for (PRButton *b : {d.cameraphotoBtn, d.photolibcameraphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("cameraphotodown.png")
                                    : QStringLiteral("cameraphotonom.png"));
            b->setChecked(library);
        }
    for (PRButton *b : {d.localphotoBtn, d.photoliblocalphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("localphotonom.png")
                                    : QStringLiteral("localphotodown.png"));
            b->setChecked(!library);
        }
}
} // namespace

void AppDelegate::switchToLibraryMode() {
    const bool scanRunning = library.scanPhotoLibStart;
    setModeImages(*this, true);
    if (localphotoView)
        localphotoView->hide();
    if (photolibView)
        photolibView->show();
    if (scanRunning)
        return;
    blocalMode = false;
    if (quickActionMenu)
        quickActionMenu->setMenu(PhotolibQuickMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    if (library.scanComplete)
        return;

    const DefaultPhotoLibrary library = findDefaultPhotoLibrary(QDir::homePath());
    if (library.exists) {
        if (!canListLibraryPackage(library.path)) {
            beginAlertSheet(
                window,
                tr("Please add Photo Kestry.app to the Full Disk Access List to access Photo "
                   "Library in Mac 10.14 and later. "),
                tr("Open System Settings/Preferences -> Security & Privacy -> Privacy -> Full "
                   "Disk Access. Add or drag and drop Photo Kestry.app to the right table view."),
                {tr(" Ok ")}, [](QMessageBox *, int) {
                    // Linux has no privacy pane to open: the folder's permissions decide.
                    qCInfo(lcBrowser, "library package cannot be listed; check its permissions");
                });
            return;
        }
        if (scanProcesser)
            scanProcesser->show();
        if (scanninginfolab)
            scanninginfolab->show();
        if (!scanGifTimer) {
            scanGifTimer = new QTimer(this);
            connect(scanGifTimer, &QTimer::timeout, this,
                    &AppDelegate::StartScanningGIFImageViewTimer);
        }
        scanGifTimer->start(100);
        LoadPhotosLibraryItemThreader(library.path);
        return;
    }

    auto *panel = new QFileDialog(window, tr("Please select Photos Library to open."),
                                  QDir(QDir::homePath()).filePath(QStringLiteral("Pictures")));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    // A library is a package, that is a folder: Qt's own dialog lets one be chosen.
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setFileMode(QFileDialog::Directory);
    theOpenPanel = panel;
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int r) { openPanelDidEnd8(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void AppDelegate::switchToLocalMode() {
    setModeImages(*this, false);
    if (localphotoView)
        localphotoView->show();
    if (photolibView)
        photolibView->hide();
    blocalMode = true;
    if (quickActionMenu)
        quickActionMenu->setMenu(removeExifMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    ChangeToImportComputerPhoto();
}

void AppDelegate::ChangeToImportComputerPhoto() {
    if (leftTipCameraImageView)
        leftTipCameraImageView->hide();
    const bool empty = localPhotoItemArray.isEmpty();
    if (leftphotoScrView)
        leftphotoScrView->setVisible(!empty);
    if (leftTipView)
        leftTipView->setVisible(empty);
    blocalMode = true;
}

void AppDelegate::StartScanningGIFImageViewTimer() {
    if (!scanninginfolab)
        return;
    scanGifStep = (scanGifStep + 1) % 3;
    scanninginfolab->setText(tr("Scanning") + QString(scanGifStep + 1, QLatin1Char('.')));
}
