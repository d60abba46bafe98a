// What the custom controls' notifications do. Each handler knows its control by
// comparing the sender with the outlets.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "browser/core/LocalImport.h"

#include <QItemSelectionModel>

void MainWindowPart::PRbuttonMouseEnteredHandle(QObject *sender) {
    (void)sender; // the edit sheet's buttons join with the edit sheet
}

void MainWindowPart::PRbuttonMouseExitedHandle(QObject *sender) {
    (void)sender;
}

namespace {
void importDroppedFiles(AppDelegate &d, const QList<QUrl> &urls) {
    d.blocalMode = true;
    QStringList problems;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const IKImageItemPtr item = makeLocalItem(url.toLocalFile());
        item->editRare().unreadableReason = unreadableReason(item->filePath);
        if (!item->rare().unreadableReason.isEmpty())
            problems << QStringLiteral("%1: %2").arg(item->filePath, item->rare().unreadableReason);
        d.mainWindow.appendLocalItem(item);
    }
    d.mainWindow.LoadImportedPhotsonMainThread();
    d.mainWindow.showImportProblems(problems);
    if (d.mainWindow.localImageBrowserView && d.mainWindow.localPhotoModel &&
        d.mainWindow.localPhotoModel->rowCount() > 0)
        d.mainWindow.localImageBrowserView->selectionModel()->select(
            d.mainWindow.localPhotoModel->index(0), QItemSelectionModel::ClearAndSelect);
}
} // namespace

void MainWindowPart::PRDragOperationImageNoteHandle(QObject *sender) {
    if (sender == localImageBrowserView)
        importDroppedFiles(d, localImageBrowserView->geturlArray());
}

void MainWindowPart::NSDragOperationImageViewNoteHandle(QObject *sender) {
    if (sender != leftTipImageView)
        return;
    showLocalBrowserPane();
    bImportLocalFolder = false;
    importDroppedFiles(d, leftTipImageView->geturlArray());
}

void MainWindowPart::NSDragOperationImageViewFolderNoteHandle(QObject *sender) {
    if (sender != leftTipImageView)
        return;
    QStringList paths;
    for (const QUrl &url : leftTipImageView->geturlArray())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    showLocalBrowserPane();
    d.blocalMode = true;
    importPhotosItemThreader(paths);
}
