// The two views of the main window, the road to a library (the default one in ~/Pictures or
// one chosen in the open panel) and the "Scanning." label while it loads.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "base/Logging.h"
#include "browser/PRButton.h"
#include "browser/core/LibraryLocation.h"
#include "platform/AlertSheet.h"

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
    for (PRButton *b :
         {d.mainWindowController().cameraphotoBtn, d.mainWindowController().photolibcameraphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("cameraphotodown.png")
                                    : QStringLiteral("cameraphotonom.png"));
            b->setChecked(library);
        }
    for (PRButton *b :
         {d.mainWindowController().localphotoBtn, d.mainWindowController().photoliblocalphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("localphotonom.png")
                                    : QStringLiteral("localphotodown.png"));
            b->setChecked(!library);
        }
}

void showLibraryView(AppDelegate &d) {
    if (d.mainWindowController().localphotoView)
        d.mainWindowController().localphotoView->hide();
    if (d.mainWindowController().photolibView)
        d.mainWindowController().photolibView->show();
}

void showOpenPanel(AppDelegate &d) {
    auto *panel =
        new QFileDialog(d.window, AppDelegate::tr("Please select Photos Library to open."),
                        QDir(QDir::homePath()).filePath(QStringLiteral("Pictures")));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    // A library is a package, that is a folder: Qt's own dialog lets one be chosen.
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setFileMode(QFileDialog::Directory);
    panel->setObjectName(QStringLiteral("openPhotoLibraryPanel"));
    d.mainWindowController().theOpenPanel = panel;
    QObject::connect(panel, &QFileDialog::finished, &d, [&d, panel](int r) {
        d.mainWindowController().openPanelDidEnd8(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}
} // namespace

void MainWindowController::ChangeLocalPhotoMenuAction() {
    setModeImages(d, false);
    d.showActionsForMode(false);
    if (localphotoView)
        localphotoView->show();
    if (photolibView)
        photolibView->hide();
    d.blocalMode = true;
    if (quickActionMenu)
        quickActionMenu->setMenu(removeExifMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    ChangeToImportComputerPhoto();
    // The right column shows &d mode's selection again.
    const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), false);
}

void MainWindowController::ChangePhotoLibraryMenuAction() {
    const bool scanRunning = d.library().scanPhotoLibStart;
    setModeImages(d, true);
    d.showActionsForMode(true);
    showLibraryView(d);
    // The right column shows &d mode's selection again; the panels keep what is typed.
    const QList<IKImageItemPtr> selected = d.browsers().selectedLibraryItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), true);
    if (scanRunning)
        return;
    d.blocalMode = false;
    if (quickActionMenu)
        quickActionMenu->setMenu(PhotolibQuickMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    if (d.library().scanComplete)
        return;

    const DefaultPhotoLibrary found = findDefaultPhotoLibrary(QDir::homePath());
    if (!found.exists) {
        showOpenPanel(d);
        return;
    }
    if (!canListLibraryPackage(found.path)) {
        // Linux has no privacy pane: the folder's permissions decide, so say which folder.
        beginAlertSheet(
            d.window, AppDelegate::tr("The photo library cannot be opened."),
            AppDelegate::tr("\"%1\" cannot be listed: its permissions do not allow Photo Kestry "
                            "to read it.")
                .arg(found.path),
            {AppDelegate::tr(" Ok ")},
            [this](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); });
        return;
    }
    if (LoadPhotosLibraryItemThreader(found.path))
        loadOfDefaultLibrary = true;
}

void MainWindowController::OpenPhotoLibraryAction() {
    showOpenPanel(d);
    setModeImages(d, true);
    d.showActionsForMode(true);
    showLibraryView(d);
}

void MainWindowController::openPanelDidEnd8(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    const QString chosen = panel->selectedFiles().first();
    if (LoadPhotosLibraryItemThreader(chosen))
        d.blocalMode = false;
}

void MainWindowController::StartScanningGIFImageViewTimer() {
    const int n = d.library().scanningcount++;
    if (n <= 6) {
        if (scanninginfolab)
            scanninginfolab->setText(QStringLiteral("Scanning.") + QString(n, QLatin1Char('.')));
    } else if (n > 10) {
        d.library().scanningcount = 0;
    }
}
