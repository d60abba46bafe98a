// The two views of the main window, the road to a library (the default one in ~/Pictures or
// one chosen in the open panel) and the "Scanning." label while it loads.
#include "app/AppDelegate.h"

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
    for (PRButton *b : {d.mainWindow.cameraphotoBtn, d.mainWindow.photolibcameraphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("cameraphotodown.png")
                                    : QStringLiteral("cameraphotonom.png"));
            b->setChecked(library);
        }
    for (PRButton *b : {d.mainWindow.localphotoBtn, d.mainWindow.photoliblocalphotoBtn})
        if (b) {
            b->setImageName(library ? QStringLiteral("localphotonom.png")
                                    : QStringLiteral("localphotodown.png"));
            b->setChecked(!library);
        }
}

void showLibraryView(AppDelegate &d) {
    if (d.mainWindow.localphotoView)
        d.mainWindow.localphotoView->hide();
    if (d.mainWindow.photolibView)
        d.mainWindow.photolibView->show();
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
    d.mainWindow.theOpenPanel = panel;
    QObject::connect(panel, &QFileDialog::finished, &d, [&d, panel](int r) {
        d.openPanelDidEnd8(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}
} // namespace

void AppDelegate::ChangeLocalPhotoMenuAction() {
    setModeImages(*this, false);
    showActionsForMode(false);
    if (mainWindow.localphotoView)
        mainWindow.localphotoView->show();
    if (mainWindow.photolibView)
        mainWindow.photolibView->hide();
    blocalMode = true;
    if (mainWindow.quickActionMenu)
        mainWindow.quickActionMenu->setMenu(mainWindow.removeExifMenu);
    if (mainWindow.exportandimportActionMenu)
        mainWindow.exportandimportActionMenu->setVisible(false);
    ChangeToImportComputerPhoto();
    // The right column shows this mode's selection again.
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), false);
}

void AppDelegate::ChangePhotoLibraryMenuAction() {
    const bool scanRunning = library.scanPhotoLibStart;
    setModeImages(*this, true);
    showActionsForMode(true);
    showLibraryView(*this);
    // The right column shows this mode's selection again; the panels keep what is typed.
    const QList<IKImageItemPtr> selected = selectedLibraryItems();
    showPhotoInColumn(selected.isEmpty() ? nullptr : selected.first(), true);
    if (scanRunning)
        return;
    blocalMode = false;
    if (mainWindow.quickActionMenu)
        mainWindow.quickActionMenu->setMenu(mainWindow.PhotolibQuickMenu);
    if (mainWindow.exportandimportActionMenu)
        mainWindow.exportandimportActionMenu->setVisible(false);
    if (library.scanComplete)
        return;

    const DefaultPhotoLibrary found = findDefaultPhotoLibrary(QDir::homePath());
    if (!found.exists) {
        showOpenPanel(*this);
        return;
    }
    if (!canListLibraryPackage(found.path)) {
        // Linux has no privacy pane: the folder's permissions decide, so say which folder.
        beginAlertSheet(window, tr("The photo library cannot be opened."),
                        tr("\"%1\" cannot be listed: its permissions do not allow Photo Kestry "
                           "to read it.")
                            .arg(found.path),
                        {tr(" Ok ")}, [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
        return;
    }
    LoadPhotosLibraryItemThreader(found.path);
}

void AppDelegate::OpenPhotoLibraryAction() {
    showOpenPanel(*this);
    setModeImages(*this, true);
    showActionsForMode(true);
    showLibraryView(*this);
}

void AppDelegate::openPanelDidEnd8(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    const QString chosen = panel->selectedFiles().first();
    if (LoadPhotosLibraryItemThreader(chosen))
        blocalMode = false;
}

void AppDelegate::StartScanningGIFImageViewTimer() {
    const int n = library.scanningcount++;
    if (n <= 6) {
        if (mainWindow.scanninginfolab)
            mainWindow.scanninginfolab->setText(QStringLiteral("Scanning.") +
                                                QString(n, QLatin1Char('.')));
    } else if (n > 10) {
        library.scanningcount = 0;
    }
}
