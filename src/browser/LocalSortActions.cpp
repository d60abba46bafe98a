// Sorting the local list and taking photos out of it.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalSort.h"
#include "platform/core/JobRunner.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>

namespace {
// Dates are read and a copy of the list sorted on the runner; the shown list is replaced here,
// on the main thread, when the sort ran to its end (photos imported meanwhile follow it).
void showSorted(AppDelegate &d, LocalSortOrder order) {
    const QList<IKImageItemPtr> snapshot = d.localImportPhotoItemArray;
    // The last order asked for wins, however long the earlier sort would take.
    if (d.mainWindow.localSortJob)
        d.mainWindow.localSortJob->cancel();
    JobRunner *runner = d.startJob();
    d.mainWindow.localSortJob = runner;
    QObject::connect(
        runner, &JobRunner::finished, &d, [&d](const QList<JobResult> &results, bool cancelled) {
            if (cancelled || results.isEmpty() || !results.first().ok)
                return;
            d.localPhotoItemArray = sortedAsNow(results.first().data.value<QList<IKImageItemPtr>>(),
                                                d.localImportPhotoItemArray);
            if (d.mainWindow.localPhotoModel)
                d.mainWindow.localPhotoModel->reload();
        });
    runner->startLong([snapshot, order](JobControl &control) {
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        const auto sorted = sortedLocalItems(snapshot, order, [&](qsizetype done, qsizetype total) {
            if (done == total || sinceProgress.elapsed() >= JobRunner::batchIntervalMs) {
                control.setProgress(int(done), int(total));
                sinceProgress.restart();
            }
            return !control.isCancelled();
        });
        JobResult r;
        r.ok = sorted.has_value();
        if (sorted)
            r.data = QVariant::fromValue(*sorted);
        else
            r.reason = QStringLiteral("cancelled");
        return r;
    });
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
