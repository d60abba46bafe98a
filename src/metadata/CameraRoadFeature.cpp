// Photos still on a camera are edited through copies in the storage folder: the selected
// camera photos are downloaded first, then each feature's local road runs on the copies.
#include "browser/CameraWindow.h"

#include "app/AppServices.h"

#include "app/core/Settings.h"
#include "base/Logging.h"
#include "browser/core/LocalImport.h"
#include "metadata/DateFeatureSupport.h"
#include "platform/core/CameraDevice.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

bool CameraWindow::cameraIsSource() const {
    return !localMode() || removalMenuFromCamera;
}

bool CameraWindow::withCameraCopies(
    std::function<void(const QList<IKImageItemPtr> &, const QStringList &)> then) {
    const QList<IKImageItemPtr> items = selectedCameraItems();
    if (items.isEmpty()) {
        datefeature::showNoSelectionSheet(app);
        return false;
    }
    struct Job {
        QStringList paths;
        QStringList failures;
        int waiting = 0;
        std::function<void(const QList<IKImageItemPtr> &, const QStringList &)> then;
    };
    auto job = std::make_shared<Job>();
    job->then = std::move(then);
    for (qsizetype i = 0; i < items.size(); ++i)
        job->paths << QString();
    auto finish = [job] {
        QList<IKImageItemPtr> copies;
        for (const QString &path : job->paths)
            if (!path.isEmpty())
                copies << makeLocalItem(path);
        if (job->then)
            job->then(copies, job->failures);
    };

    QString folderError;
    if (!createFolder(app.preferences().storagelocation, &folderError)) {
        job->failures << tr("The storage folder %1 cannot be created: %2")
                             .arg(app.preferences().storagelocation, folderError);
        finish();
        return true;
    }
    // Copies whose camera file has gone are of no further use.
    cameraCopies.removeIf([](const auto &copy) { return copy.first.expired(); });
    startProgreess();
    QPointer<CameraWindow> self(this);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const IKImageItemPtr &item = items[i];
        const PKCameraFilePtr file = item->rare().cameraItem.lock();
        if (!file || !file->device()) {
            job->failures << tr("%1: the camera is no longer connected").arg(item->fileName);
            continue;
        }
        // A copy already made is edited again rather than downloaded a second time.
        QString known;
        for (const auto &copy : cameraCopies)
            if (copy.first.lock() == file && QFileInfo(copy.second).isFile() &&
                QFileInfo(copy.second).absoluteDir() == QDir(app.preferences().storagelocation))
                known = copy.second;
        if (!known.isEmpty()) {
            job->paths[i] = known;
            continue;
        }
        ++job->waiting;
        file->device()->requestDownloadFile(
            file, app.preferences().storagelocation, item->fileName,
            [self, job, i, file, finish](const PKDownloadResult &r) {
                if (!self)
                    return;
                qCDebug(lcMetadata).noquote() << "didDownloadFile called with:\n"
                                              << file->name << "\n"
                                              << r.reason << "\n"
                                              << r.path;
                if (r.reason.isEmpty()) {
                    job->paths[i] = r.path;
                    self->cameraCopies.append({file, r.path});
                } else {
                    job->failures << QStringLiteral("%1: %2").arg(file->name, r.reason);
                }
                if (!self->cameraRequestsPending())
                    self->endProgress();
                if (--job->waiting == 0)
                    finish();
            });
    }
    if (job->waiting == 0) {
        if (!cameraRequestsPending())
            endProgress();
        finish();
    }
    return true;
}

bool CameraWindow::isCameraCopy(const QString &path) const {
    return std::any_of(cameraCopies.cbegin(), cameraCopies.cend(),
                       [&path](const auto &copy) { return copy.second == path; });
}
