// What the other pieces ask of the main window's two browsers: the selection, showing an
// item again after a write, reloading the library browser.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "library/core/LibrarySort.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/JobRunner.h"

#include <QFileDialog>
#include <QItemSelectionModel>
#include <QListView>
#include <QSignalBlocker>
#include <algorithm>

MainWindowController::MainWindowController(AppServices &services, LibraryDatabase &database,
                                           LibraryPanels &panels,
                                           std::function<bool()> modernPictures)
    : app(services), libraryDatabase(database), libraryPanels(panels),
      modernTitleBar(std::move(modernPictures)) {}

MainWindowController::~MainWindowController() {
    qDeleteAll(ownWindows);
}

namespace {

// The rows selected in `browser`, in the order of its list.
void refreshCells(QListView *browser) {
    if (!browser || !browser->model())
        return;
    QAbstractItemModel *model = browser->model();
    if (const int rows = model->rowCount(); rows > 0)
        emit model->dataChanged(model->index(0, 0), model->index(rows - 1, 0));
}

QList<int> selectedRows(const QListView *browser) {
    QList<int> rows;
    if (!browser || !browser->selectionModel())
        return rows;
    for (const QModelIndex &index : browser->selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

QList<IKImageItemPtr> MainWindowController::selectedLocalItems() const {
    QList<IKImageItemPtr> out;
    // In the order of the list, as the jobs walk it.
    const QList<IKImageItemPtr> &shown = app.localLists().localPhotoItemArray;
    for (int row : selectedRows(localImageBrowserView))
        if (row >= 0 && row < shown.size())
            out << shown.at(row);
    return out;
}

QList<IKImageItemPtr> MainWindowController::selectedLibraryItems() const {
    QList<IKImageItemPtr> out;
    const QList<IKImageItemPtr> &shown = app.library().photoLibBroserArray;
    for (int row : selectedRows(photoLibBrowserView))
        if (row >= 0 && row < shown.size() && shown.at(row))
            out << shown.at(row);
    return out;
}

QList<int> MainWindowController::selectedLibraryRows() const {
    return selectedRows(photoLibBrowserView);
}

bool MainWindowController::libraryInSight() const {
    return photolibView && !photolibView->isHidden();
}

void MainWindowController::showLocalSelection() {
    if (localImageBrowserView)
        imageBrowserSelectionDidChange(localImageBrowserView);
}

void MainWindowController::showLibrarySelection() {
    if (photoLibBrowserView)
        imageBrowserSelectionDidChange(photoLibBrowserView);
}

void MainWindowController::showEditedPhotos(const WriteRecipeReport &report) {
    bool shownChanged = false;
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    for (const WriteRecipeResult &photo : report.photos) {
        if (!photo.item || photo.outputPath.isEmpty())
            continue;
        if (localPhotoModel)
            localPhotoModel->refreshItem(photo.item);
        shownChanged = shownChanged || (!selected.isEmpty() && selected.first() == photo.item);
    }
    // The panels and the edit sheet read the photo as now written.
    if (shownChanged)
        showLocalSelection();
}

void MainWindowController::showRewrittenPhotos(const QList<IKImageItemPtr> &items,
                                               const QList<JobResult> &results) {
    WriteRecipeReport rewritten;
    for (const JobResult &r : results) {
        const IKImageItemPtr item = items.value(r.index);
        if (!r.ok || !item || r.outputPath != item->currentPath())
            continue;
        WriteRecipeResult photo;
        photo.item = item;
        photo.outputPath = r.outputPath;
        rewritten.photos << photo;
    }
    showEditedPhotos(rewritten);
}

void MainWindowController::refreshLocalCells() {
    refreshCells(localImageBrowserView);
}

void MainWindowController::refreshLibraryCells() {
    refreshCells(photoLibBrowserView);
}

void MainWindowController::showLocalBrowser() {
    showLocalBrowserPane();
}

void MainWindowController::addLocalItem(const IKImageItemPtr &item) {
    appendLocalItem(item);
}

void MainWindowController::reloadLocalBrowser() {
    LoadImportedPhotsonMainThread();
}

void MainWindowController::reloadLibraryBrowser() {
    LoadImportedPhotoLibraryonMainThread();
}

void MainWindowController::reloadLibraryBrowserKeepingSelection() {
    if (!photoLibBrowserView)
        return;
    const QList<IKImageItemPtr> chosen = selectedLibraryItems();
    if (auto *model = qobject_cast<LocalPhotoModel *>(photoLibBrowserView->model()))
        model->reload();
    QItemSelectionModel *selectionModel = photoLibBrowserView->selectionModel();
    QAbstractItemModel *model = photoLibBrowserView->model();
    const QList<IKImageItemPtr> &shown = app.library().photoLibBroserArray;
    if (selectionModel && model) {
        // A reset forgets the selection; the same photos are chosen again, once.
        QItemSelection again;
        for (int row = 0; row < shown.size() && row < model->rowCount(); ++row)
            if (chosen.contains(shown.at(row)))
                again.select(model->index(row, 0), model->index(row, 0));
        const QSignalBlocker quiet(selectionModel);
        selectionModel->select(again, QItemSelectionModel::ClearAndSelect);
    }
    photoLibBrowserView->viewport()->update();
    imageBrowserSelectionDidChange(photoLibBrowserView);
}

bool MainWindowController::loadLibrary(const QString &path) {
    return LoadPhotosLibraryItemThreader(path);
}

bool MainWindowController::libraryShowsMissingFiles() const {
    // Their filter, with no selection of other photos shown over it.
    if (!showPhotoTypelibBtn || libraryListForFilterImage(showPhotoTypelibBtn->imageName()) !=
                                    LibraryListId::LostReferenced)
        return false;
    return !filterPhotolibBtn ||
           (filterPhotolibBtn->imageName() != QLatin1String("allphotoinphotolib.png") &&
            filterPhotolibBtn->imageName() != QLatin1String("allincorrectphotos.png"));
}
