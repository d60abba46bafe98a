// Sorting the local list and taking photos out of it.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalSort.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace {
void showSorted(AppDelegate &d, LocalSortOrder order) {
    d.localPhotoItemArray = sortedLocalItems(d.localImportPhotoItemArray, order);
    if (d.localPhotoModel)
        d.localPhotoModel->reload();
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
    if (localPhotoModel)
        localPhotoModel->reload();
}

void AppDelegate::ClearLeftPhotosWithoutExifDate() {
    if (!blocalMode)
        return;
    // The worker reads its own copy; only the main thread changes the lists.
    const QList<IKImageItemPtr> snapshot = localPhotoItemArray;
    QPointer<AppDelegate> self(this);
    (void)QtConcurrent::run([self, snapshot] {
        const QList<IKImageItemPtr> toRemove = itemsWithoutExifDate(snapshot);
        if (self)
            QMetaObject::invokeMethod(self.data(), [self, toRemove] {
                if (self)
                    self->ClearLeftPhotosWithoutExifDateMainThread(toRemove);
            });
    });
}

void AppDelegate::ClearLeftPhotosWithoutExifDateMainThread(const QList<IKImageItemPtr> &toRemove) {
    removeItems(localPhotoItemArray, localImportPhotoItemArray, toRemove);
    if (localPhotoModel)
        localPhotoModel->reload();
}

void AppDelegate::ClearLeftPhotos() {
    removeAllItems(localPhotoItemArray, localImportPhotoItemArray);
    if (localPhotoModel)
        localPhotoModel->reload();
    clearLocalPanels();
}
