// What the custom controls' notifications do. Each handler knows its control by
// comparing the sender with the outlets.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "browser/core/LocalImport.h"

#include <QItemSelectionModel>

void MainWindowController::PRbuttonMouseEnteredHandle(QObject *sender) {
    (void)sender; // the edit sheet's buttons join with the edit sheet
}

void MainWindowController::PRbuttonMouseExitedHandle(QObject *sender) {
    (void)sender;
}

void MainWindowController::importDroppedFiles(const QList<QUrl> &urls) {
    setLocalMode(true);
    QStringList problems;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const IKImageItemPtr item = makeLocalItem(url.toLocalFile());
        item->editRare().unreadableReason = unreadableReason(item->filePath);
        if (!item->rare().unreadableReason.isEmpty())
            problems << QStringLiteral("%1: %2").arg(item->filePath, item->rare().unreadableReason);
        appendLocalItem(item);
    }
    LoadImportedPhotsonMainThread();
    showImportProblems(problems);
    if (localImageBrowserView && localPhotoModel && localPhotoModel->rowCount() > 0)
        localImageBrowserView->selectionModel()->select(localPhotoModel->index(0),
                                                        QItemSelectionModel::ClearAndSelect);
}

void MainWindowController::PRDragOperationImageNoteHandle(QObject *sender) {
    if (sender == localImageBrowserView)
        importDroppedFiles(localImageBrowserView->geturlArray());
}

void MainWindowController::NSDragOperationImageViewNoteHandle(QObject *sender) {
    if (sender != leftTipImageView)
        return;
    showLocalBrowserPane();
    bImportLocalFolder = false;
    importDroppedFiles(leftTipImageView->geturlArray());
}

void MainWindowController::NSDragOperationImageViewFolderNoteHandle(QObject *sender) {
    if (sender != leftTipImageView)
        return;
    QStringList paths;
    for (const QUrl &url : leftTipImageView->geturlArray())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    showLocalBrowserPane();
    setLocalMode(true);
    importPhotosItemThreader(paths);
}
