// The two views of the main window, the road to a library (the default one in ~/Pictures or
// one chosen in the open panel) and the "Scanning." label while it loads.
#include "app/AppServices.h"
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

void MainWindowController::showModeButtons(bool library) {
    for (PRButton *b : {cameraphotoBtn, photolibcameraphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("cameraphotodown.png")
                                    : QStringLiteral("cameraphotonom.png"));
            b->setChecked(library);
        }
    for (PRButton *b : {localphotoBtn, photoliblocalphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("localphotonom.png")
                                    : QStringLiteral("localphotodown.png"));
            b->setChecked(!library);
        }
}

void MainWindowController::showLibraryView() {
    if (localphotoView)
        localphotoView->hide();
    if (photolibView)
        photolibView->show();
}

void MainWindowController::showOpenPanel() {
    auto *panel = new QFileDialog(app.mainWindow(),
                                  MainWindowController::tr("Please select Photos Library to open."),
                                  QDir(QDir::homePath()).filePath(QStringLiteral("Pictures")));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    // A library is a package, that is a folder: Qt's own dialog lets one be chosen.
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setFileMode(QFileDialog::Directory);
    panel->setObjectName(QStringLiteral("openPhotoLibraryPanel"));
    QObject::connect(panel, &QFileDialog::finished, this, [this, panel](int r) {
        openPanelDidEnd8(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void MainWindowController::ChangeLocalPhotoMenuAction() {
    showModeButtons(false);
    emit modeChanged(false);
    if (localphotoView)
        localphotoView->show();
    if (photolibView)
        photolibView->hide();
    setLocalMode(true);
    if (quickActionMenu)
        quickActionMenu->setMenu(removeExifMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    ChangeToImportComputerPhoto();
    // The right column shows this mode's selection again.
    const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), false);
}

void MainWindowController::ChangePhotoLibraryMenuAction() {
    const bool scanRunning = app.library().scanPhotoLibStart;
    showModeButtons(true);
    emit modeChanged(true);
    showLibraryView();
    // The right column shows this mode's selection again; the panels keep what is typed.
    const QList<IKImageItemPtr> selected = app.browsers().selectedLibraryItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), true);
    if (scanRunning)
        return;
    setLocalMode(false);
    if (quickActionMenu)
        quickActionMenu->setMenu(PhotolibQuickMenu);
    if (exportandimportActionMenu)
        exportandimportActionMenu->setVisible(false);
    if (app.library().scanComplete)
        return;

    const DefaultPhotoLibrary found = findDefaultPhotoLibrary(QDir::homePath());
    if (!found.exists) {
        showOpenPanel();
        return;
    }
    if (!canListLibraryPackage(found.path)) {
        // Linux has no privacy pane: the folder's permissions decide, so say which folder.
        app.sheets().alert(tr("The photo library cannot be opened."),
                           tr("\"%1\" cannot be listed: its permissions do not allow Photo Kestry "
                              "to read it.")
                               .arg(found.path));
        return;
    }
    if (LoadPhotosLibraryItemThreader(found.path))
        loadOfDefaultLibrary = true;
}

void MainWindowController::OpenPhotoLibraryAction() {
    showOpenPanel();
    showModeButtons(true);
    emit modeChanged(true);
    showLibraryView();
}

void MainWindowController::openPanelDidEnd8(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    const QString chosen = panel->selectedFiles().first();
    if (LoadPhotosLibraryItemThreader(chosen))
        setLocalMode(false);
}

void MainWindowController::StartScanningGIFImageViewTimer() {
    const int n = app.library().scanningcount++;
    if (n <= 6) {
        if (scanninginfolab)
            scanninginfolab->setText(QStringLiteral("Scanning.") + QString(n, QLatin1Char('.')));
    } else if (n > 10) {
        app.library().scanningcount = 0;
    }
}
