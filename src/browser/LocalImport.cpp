// Local photos come in by open panel, by drop on the browser and by drop on the empty
// pane; folders are walked on a worker thread.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/FilesAndFoldersDialog.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "browser/core/LocalImport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

namespace {
QFileDialog *openImportPanel(AppDelegate &d, bool foldersToo, const QString &message) {
    QFileDialog *panel = foldersToo ? new FilesAndFoldersDialog(d.window, message)
                                    : new QFileDialog(d.window, message);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    if (!foldersToo)
        panel->setFileMode(QFileDialog::ExistingFiles);
    d.theOpenPanel = panel;
    return panel;
}

// What the user chose: the folders too where the panel takes them.
QStringList chosenPaths(QFileDialog *panel) {
    if (auto *both = qobject_cast<FilesAndFoldersDialog *>(panel))
        return both->chosenPaths();
    return panel->selectedFiles();
}

} // namespace

void AppDelegate::OpenComputerFoldertoImportAction() {
    QFileDialog *panel = openImportPanel(*this, false, tr("Please select photos to import."));
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int r) { openPanelDidEnd(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void AppDelegate::ClickClearandImportPhotosAction() {
    ClearLeftPhotos();
    QFileDialog *panel = openImportPanel(*this, false, tr("Please select photos to import."));
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int r) { openPanelDidEnd1(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void AppDelegate::ClickImportPhotosAction() {
    QFileDialog *panel =
        openImportPanel(*this, true, tr("Please select photos or photo folder to import."));
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int r) { openPanelDidEnd1(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void AppDelegate::openPanelDidEnd(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList files = panel->selectedFiles();
    if (!files.isEmpty()) {
        showLocalBrowserPane();
        for (const QString &path : files)
            appendLocalItem(makeLocalItem(path));
        blocalMode = true;
    }
    createFolder(preferences.storagelocation);
}

void AppDelegate::openPanelDidEnd1(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || chosenPaths(panel).isEmpty())
        return;
    showLocalBrowserPane();
    importPhotosItemThreader(chosenPaths(panel));
    blocalMode = true;
}

void AppDelegate::importPhotosItemThreader(const QStringList &paths) {
    QPointer<AppDelegate> self(this);
    // Every change to the lists and flags happens on the main thread, inside the
    // hand-back, so the browser never reads a list in the middle of an append.
    auto handBack = [self](std::function<void(AppDelegate &)> work) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, work] {
                if (self)
                    work(*self);
            },
            Qt::BlockingQueuedConnection);
    };
    (void)QtConcurrent::run([paths, handBack] {
        QSet<QString> visited;
        for (const QString &path : paths) {
            if (QFileInfo(path).isDir()) {
                walkFolder(
                    path,
                    [&](const QString &file) {
                        IKImageItemPtr item =
                            isImportableFile(file) ? makeLocalItem(file) : nullptr;
                        handBack([item](AppDelegate &d) {
                            if (item)
                                d.appendLocalItem(item);
                            d.LoadImportedPhotsonMainThread();
                        });
                    },
                    visited);
                const QString parent = QFileInfo(path).absolutePath();
                handBack([parent](AppDelegate &d) {
                    d.bImportLocalFolder = true;
                    d.bImportLocalPath = parent;
                });
            } else {
                IKImageItemPtr item = isImportableFile(path) ? makeLocalItem(path) : nullptr;
                handBack([item](AppDelegate &d) {
                    if (item)
                        d.appendLocalItem(item);
                    d.bImportLocalFolder = false;
                    d.LoadImportedPhotsonMainThread();
                });
            }
        }
    });
}

void AppDelegate::LoadImportedPhotsonMainThread() {
    if (localPhotoModel)
        localPhotoModel->reload();
    if (sortLocalPhotoBtn)
        sortLocalPhotoBtn->show();
}

void AppDelegate::appendLocalItem(const IKImageItemPtr &item) {
    if (!item)
        return;
    localPhotoItemArray << item;
    localImportPhotoItemArray << item;
}

void AppDelegate::showLocalBrowserPane() {
    if (leftphotoScrView)
        leftphotoScrView->show();
    if (leftTipView)
        leftTipView->hide();
    if (leftTipCameraImageView)
        leftTipCameraImageView->hide();
}
