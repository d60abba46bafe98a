// Sorting the local list and taking photos out of it.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalSort.h"
#include "platform/core/JobRunner.h"

#include <QItemSelectionModel>

namespace {
void showSorted(AppDelegate &d, LocalSortOrder order) {
    d.localPhotoItemArray = sortedLocalItems(d.localImportPhotoItemArray, order);
    if (d.mainWindow.localPhotoModel)
        d.mainWindow.localPhotoModel->reload();
}
} // namespace

void AppDelegate::ClickSortLocalPhotosByDate() {
    showSorted(*this, LocalSortOrder::ByCreationDate);
}

void AppDelegate::ClickSortLocalPhotosByName() {
    showSorted(*this, LocalSortOrder::ByFileName);
}

void AppDelegate::ClearSelectedLeftPhotos() {
    if (blocalMode)
        removeItems(localPhotoItemArray, localImportPhotoItemArray, selectedLocalItems());
    if (mainWindow.localPhotoModel)
        mainWindow.localPhotoModel->reload();
}

void AppDelegate::ClearLeftPhotosWithoutExifDate() {
    if (!blocalMode)
        return;
    // The workers read their own copy; only the main thread changes the lists. After Cancel
    // the photos already read still go.
    const QList<IKImageItemPtr> snapshot = localPhotoItemArray;
    JobRunner *runner = startJob();
    connect(runner, &JobRunner::finished, this, [this, snapshot](const QList<JobResult> &results) {
        QList<IKImageItemPtr> toRemove;
        for (const JobResult &r : results)
            if (r.ok && r.data.toBool())
                toRemove << snapshot[r.index];
        ClearLeftPhotosWithoutExifDateMainThread(toRemove);
    });
    runner->start(snapshot.size(), [snapshot](qsizetype i) {
        JobResult r;
        r.ok = true;
        r.data = !itemsWithoutExifDate({snapshot[i]}).isEmpty();
        return r;
    });
}

void AppDelegate::ClearLeftPhotosWithoutExifDateMainThread(const QList<IKImageItemPtr> &toRemove) {
    removeItems(localPhotoItemArray, localImportPhotoItemArray, toRemove);
    if (mainWindow.localPhotoModel)
        mainWindow.localPhotoModel->reload();
}

void AppDelegate::ClearLeftPhotos() {
    removeAllItems(localPhotoItemArray, localImportPhotoItemArray);
    if (mainWindow.localPhotoModel)
        mainWindow.localPhotoModel->reload();
    clearLocalPanels();
}
