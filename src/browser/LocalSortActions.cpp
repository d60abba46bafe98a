// Sorting the local list and taking photos out of it.
#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalSort.h"
#include "platform/core/JobRunner.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>

// Dates are read and a copy of the list sorted on the runner; the shown list is replaced here,
// on the main thread, when the sort ran to its end (photos imported meanwhile follow it).
void MainWindowController::showSorted(LocalSortOrder order) {
    const QList<IKImageItemPtr> snapshot = app.localLists().localImportPhotoItemArray;
    // The last order asked for wins, however long the earlier sort would take.
    if (JobRunner *earlier = app.jobs().runningJob(Jobs::OneAtATime::LocalSort))
        earlier->cancel();
    JobRunner *runner = app.jobs().startJob(Jobs::OneAtATime::LocalSort);
    QObject::connect(runner, &JobRunner::finished, this,
                     [this](const QList<JobResult> &results, bool cancelled) {
                         if (cancelled || results.isEmpty() || !results.first().ok)
                             return;
                         app.localLists().localPhotoItemArray =
                             sortedAsNow(results.first().data.value<QList<IKImageItemPtr>>(),
                                         app.localLists().localImportPhotoItemArray);
                         if (localPhotoModel)
                             localPhotoModel->reload();
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

void MainWindowController::ClickSortLocalPhotosByDate() {
    showSorted(LocalSortOrder::ByCreationDate);
}

void MainWindowController::ClickSortLocalPhotosByName() {
    showSorted(LocalSortOrder::ByFileName);
}

void MainWindowController::ClearSelectedLeftPhotos() {
    if (m_localMode)
        removeItems(app.localLists().localPhotoItemArray,
                    app.localLists().localImportPhotoItemArray,
                    app.browsers().selectedLocalItems());
    if (localPhotoModel)
        localPhotoModel->reload();
}

void MainWindowController::ClearLeftPhotosWithoutExifDate() {
    if (!m_localMode)
        return;
    // The workers read their own copy; only the main thread changes the lists. After Cancel
    // the photos already read still go.
    const QList<IKImageItemPtr> snapshot = app.localLists().localPhotoItemArray;
    JobRunner *runner = app.jobs().startJob();
    QObject::connect(runner, &JobRunner::finished, this,
                     [this, snapshot](const QList<JobResult> &results) {
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

void MainWindowController::ClearLeftPhotosWithoutExifDateMainThread(
    const QList<IKImageItemPtr> &toRemove) {
    removeItems(app.localLists().localPhotoItemArray, app.localLists().localImportPhotoItemArray,
                toRemove);
    if (localPhotoModel)
        localPhotoModel->reload();
}

void MainWindowController::ClearLeftPhotos() {
    removeAllItems(app.localLists().localPhotoItemArray,
                   app.localLists().localImportPhotoItemArray);
    if (localPhotoModel)
        localPhotoModel->reload();
    clearLocalPanels();
}
