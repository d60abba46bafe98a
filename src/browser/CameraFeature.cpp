// Cameras and iOS devices: discovery, the camera browser, downloads, deletion and the
// metadata view. Device work runs on each device's own thread; everything here runs on
// the main thread.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "base/FileTypes.h"
#include "base/Logging.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/CameraItems.h"
#include "browser/core/LocalImport.h"
#include "platform/AlertSheet.h"
#include "platform/core/CameraDevice.h"
#include "platform/core/Workspace.h"

#include <QApplication>
#include <QDebug>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QScreen>

namespace {
// A picture for a camera file that came without a preview, so that it is still listed.
QImage placeholderPicture(const QString &name) {
    static QFileIconProvider provider;
    QImage image = provider.icon(QFileInfo(name)).pixmap(128, 128).toImage();
    if (image.isNull()) {
        image = QImage(128, 128, QImage::Format_ARGB32);
        image.fill(QColor(90, 90, 90));
    }
    return image;
}

QWidget *sheetWindow(AppDelegate &d) {
    if (d.cameraWindow.deviceWindow && d.cameraWindow.deviceWindow->isVisible())
        return d.cameraWindow.deviceWindow;
    return d.window;
}

void spin(QProgressBar *bar, bool on) {
    if (!bar)
        return;
    // A busy bar: no range is its animation.
    bar->setRange(0, on ? 0 : 1);
    bar->setVisible(on);
}
} // namespace

void AppDelegate::startDeviceBrowser() {
    if (cameraWindow.mDeviceBrowser)
        return;
    cameraWindow.mDeviceBrowser = new PKDeviceBrowser(this);
    connect(cameraWindow.mDeviceBrowser, &PKDeviceBrowser::didAddDevice, this,
            &AppDelegate::deviceBrowserDidAddDevice);
    connect(cameraWindow.mDeviceBrowser, &PKDeviceBrowser::didRemoveDevice, this,
            &AppDelegate::deviceBrowserDidRemoveDevice);
    cameraWindow.mDeviceBrowser->start();
}

void AppDelegate::startProgreess() {
    spin(cameraWindow.camerataskProgressor, true);
}

void AppDelegate::endProgress() {
    spin(cameraWindow.camerataskProgressor, false);
}

bool AppDelegate::cameraRequestsPending() const {
    for (const auto &object : cameraWindow.mCameras)
        if (auto *device = qobject_cast<PKCameraDevice *>(object.get()))
            if (device->pendingRequests() > 0)
                return true;
    return false;
}

QList<IKImageItemPtr> AppDelegate::selectedCameraItems() const {
    QList<IKImageItemPtr> items;
    if (!cameraWindow.imageBrowserView || !cameraWindow.imageBrowserView->selectionModel())
        return items;
    for (int i = 0; i < cameraWindow.cameItemArray.size(); ++i)
        if (cameraWindow.imageBrowserView->selectionModel()->isRowSelected(i))
            items << cameraWindow.cameItemArray[i];
    return items;
}

// ---- Devices ----

void AppDelegate::deviceBrowserDidAddDevice(const PKCameraDevicePtr &device, bool) {
    if (!device)
        return;
    if (cameraWindow.deviceNamelab)
        cameraWindow.deviceNamelab->setText(device->name());
    if (device->type() & kPKDeviceTypeCamera) {
        cameraWindow.mCameras << device;
        emit camerasChanged();
        cameraWindow.currentDevice = device;
        PKCameraDevice *raw = device.get();
        connect(raw, &PKCameraDevice::didAddItem, this,
                [this, raw](const PKCameraFilePtr &f) { cameraDeviceDidAddItem(raw, f); });
        connect(raw, &PKCameraDevice::didRemoveItem, this,
                [this, raw](const PKCameraFilePtr &f) { cameraDeviceDidRemoveItem(raw, f); });
        connect(raw, &PKCameraDevice::didOpenSession, this,
                [this, raw](const QString &e) { deviceDidOpenSessionWithError(raw, e); });
        connect(raw, &PKCameraDevice::didFailToDeleteItem, this,
                [this](const PKCameraFilePtr &f, const QString &error) {
                    beginAlertSheet(sheetWindow(*this), tr("The photo could not be deleted."),
                                    QStringLiteral("%1\n%2").arg(f->name, error), {tr(" Ok ")},
                                    [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
                });
        connect(raw, &PKCameraDevice::didEncounterError, this, [raw](const QString &error) {
            qCWarning(lcBrowser).noquote() << "device: \n"
                                           << raw->name() << "\ndidEncounterError: \n"
                                           << error;
        });
    }
    if (mainWindow.changtoiOSmodemenu)
        mainWindow.changtoiOSmodemenu->setEnabled(true);
}

void AppDelegate::deviceBrowserDidRemoveDevice(const PKCameraDevicePtr &device, bool) {
    qCInfo(lcBrowser).noquote() << "deviceBrowser:didRemoveDevice: \n"
                                << (device ? device->name() : "") << "\n";
    if (!device)
        return;
    cameraWindow.mCameras.removeAll(std::static_pointer_cast<QObject>(device));
    // The items of a camera that has gone cannot be downloaded or deleted any more.
    const qsizetype before = cameraWindow.cameItemArray.size();
    cameraWindow.cameItemArray.removeIf([&](const IKImageItemPtr &item) {
        auto file = item->cameraItem.lock();
        return !file || file->device() == device.get();
    });
    if (cameraWindow.mCameras.isEmpty()) {
        cameraWindow.currentDevice.reset();
        cameraWindow.cameItemArray.clear();
        if (cameraWindow.deviceWindow)
            cameraWindow.deviceWindow->hide();
    } else if (cameraWindow.currentDevice.expired() ||
               cameraWindow.currentDevice.lock() == device) {
        cameraWindow.currentDevice =
            std::static_pointer_cast<PKCameraDevice>(cameraWindow.mCameras.last());
    }
    if (cameraWindow.cameraPhotoModel &&
        (before != cameraWindow.cameItemArray.size() || cameraWindow.mCameras.isEmpty()))
        cameraWindow.cameraPhotoModel->reload();
    if (!cameraRequestsPending())
        endProgress();
}

void AppDelegate::ChangeToImportiOSDevicePhoto() {
    if (!cameraWindow.mCameras.isEmpty() && cameraWindow.deviceWindow) {
        cameraWindow.deviceWindow->show();
        if (QScreen *screen = cameraWindow.deviceWindow->screen()) {
            const QRect area = screen->availableGeometry();
            cameraWindow.deviceWindow->move(area.center() -
                                            cameraWindow.deviceWindow->rect().center());
        }
        cameraWindow.deviceWindow->raise();
        cameraWindow.deviceWindow->activateWindow();
        return;
    }
    beginAlertSheet(window, tr("No camera detected"),
                    tr("Please connect the camera to the computer by USB cable."), {tr(" Ok ")},
                    [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
}

void AppDelegate::OpenDeviceAction() {
    createFolder(preferences.storagelocation);
    auto device = cameraWindow.currentDevice.lock();
    if (!device)
        return;
    startProgreess();
    device->requestOpenSession();
}

void AppDelegate::deviceDidOpenSessionWithError(PKCameraDevice *device, const QString &error) {
    qCInfo(lcBrowser).noquote() << "device:didOpenSessionWithError: \n"
                                << device->name() << "\n"
                                << error << "\n"
                                << (error.isEmpty() ? "Open device success" : "Open device failed");
    if (!cameraRequestsPending())
        endProgress();
    if (!error.isEmpty())
        beginAlertSheet(sheetWindow(*this), tr("The device could not be opened."),
                        QStringLiteral("%1\n%2").arg(device->name(), error), {tr(" Ok ")},
                        [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
}

// ---- Items ----

void AppDelegate::cameraDeviceDidAddItem(PKCameraDevice *device, const PKCameraFilePtr &file) {
    if (!device || !file)
        return;
    qCDebug(lcBrowser).noquote() << "[item UTI]====" << file->UTI;
    if (file->UTI != QLatin1String("public.image") && file->UTI != QLatin1String("public.movie"))
        return;
    const QImage picture =
        file->thumbnail.isNull() ? placeholderPicture(file->name) : file->thumbnail;
    IKImageItemPtr item = makeCameraItem(file, picture, device->identifier());
    if (!item)
        return;
    cameraWindow.cameItemArray << item;
    if (cameraWindow.cameraPhotoModel)
        cameraWindow.cameraPhotoModel->reload();
}

void AppDelegate::cameraDeviceDidRemoveItem(PKCameraDevice *device, const PKCameraFilePtr &file) {
    qCDebug(lcBrowser).noquote() << "cameraDevice: \n"
                                 << device->name() << "\ndidRemoveItem: \n"
                                 << file->name;
    const qsizetype removed = cameraWindow.cameItemArray.removeIf(
        [&](const IKImageItemPtr &item) { return item->cameraItem.lock() == file; });
    if (removed && cameraWindow.cameraPhotoModel)
        cameraWindow.cameraPhotoModel->reload();
}

// ---- Downloads ----

namespace {

// The downloads one action asked for, ended together: one sheet naming every copy that did
// not arrive, one reveal of the first that did.
struct DownloadJob {
    QStringList arrived; // per request, in selection order; empty until it arrives
    QStringList failures;
    int waiting = 0;
};

void endDownloadJob(AppDelegate &d, const DownloadJob &job) {
    if (!job.failures.isEmpty())
        beginAlertSheet(sheetWindow(d), AppDelegate::tr("The photo could not be downloaded."),
                        job.failures.join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")},
                        [&d](QMessageBox *a, int c) { d.savePanelDidEnd3(a, c); });
    for (const QString &path : job.arrived) {
        if (path.isEmpty())
            continue;
        Workspace::selectFile(path, QFileInfo(path).absolutePath());
        break;
    }
}

// Asks each item's camera for its file (`saveAs` gives the name; empty: the camera's);
// false when nothing could be asked.
bool downloadAsOneJob(AppDelegate &d, const QList<IKImageItemPtr> &items, bool importToEdit,
                      const std::function<QString(const IKImageItemPtr &)> &saveAs) {
    auto job = std::make_shared<DownloadJob>();
    QList<std::pair<PKCameraFilePtr, QString>> requests;
    for (const IKImageItemPtr &item : items) {
        auto file = item ? item->cameraItem.lock() : nullptr;
        if (file && file->device())
            requests.append({file, saveAs(item)});
    }
    if (requests.isEmpty())
        return false;
    createFolder(d.preferences.storagelocation);
    job->arrived = QStringList(requests.size(), QString());
    job->waiting = int(requests.size());
    QPointer<AppDelegate> self(&d);
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const PKCameraFilePtr &file = requests[i].first;
        file->device()->requestDownloadFile(
            file, d.preferences.storagelocation, requests[i].second,
            [self, job, i, importToEdit](const PKDownloadResult &r) {
                if (!self)
                    return;
                self->didDownloadFile(r, importToEdit);
                if (r.reason.isEmpty())
                    job->arrived[i] = r.path;
                else
                    job->failures << QStringLiteral("%1\n%2").arg(r.file ? r.file->name : QString(),
                                                                  r.reason);
                if (--job->waiting == 0)
                    endDownloadJob(*self, *job);
            });
    }
    return true;
}

QString ownName(const IKImageItemPtr &item) {
    return item->fileName;
}

} // namespace

bool AppDelegate::requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                                        bool importToEdit) {
    return downloadAsOneJob(*this, {item}, importToEdit,
                            [saveAsName](const IKImageItemPtr &) { return saveAsName; });
}

void AppDelegate::DownloadPhotoAction() {
    startProgreess();
    cameraWindow.bDownloadandimportToEdit = false;
    const bool sent = downloadAsOneJob(*this, selectedCameraItems(), false, ownName);
    // Nothing was asked of a device, so no completion will stop the spinner.
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void AppDelegate::DownloadImportEditePhotoAction() {
    showLocalBrowserPane();
    startProgreess();
    cameraWindow.bDownloadandimportToEdit = true;
    const bool sent = downloadAsOneJob(*this, selectedCameraItems(), true, ownName);
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void AppDelegate::didDownloadFile(const PKDownloadResult &result, bool importToEdit) {
    qCDebug(lcBrowser).noquote() << "didDownloadFile called with:\n"
                                 << (result.file ? result.file->name : QString()) << "\n"
                                 << result.reason << "\n"
                                 << result.saveAsName << "\n"
                                 << result.path;
    if (!cameraRequestsPending()) {
        endProgress();
        if (mainWindow.previewProgressor)
            mainWindow.previewProgressor->hide();
    }
    // A copy that did not arrive is neither listed nor shown; the job's end tells of it.
    if (result.reason.isEmpty() && importToEdit) {
        appendLocalItem(makeLocalItem(result.path));
        LoadImportedPhotsonMainThread();
    }
}

// ---- Delete and view ----

void AppDelegate::DeletePhotoAction() {
    const QList<IKImageItemPtr> items = selectedCameraItems();
    if (items.isEmpty())
        return;
    beginAlertSheet(sheetWindow(*this), tr("Are you sure you want to delete the selected photo ?"),
                    QString(), {tr(" Delete "), tr("Cancel")},
                    [this, items](QMessageBox *alert, int code) {
                        savePanelDidEnd3(alert, code);
                        if (code != 1)
                            return;
                        // Each camera is asked for its own files; items leave the list
                        // when their camera confirms.
                        QHash<PKCameraDevice *, QList<PKCameraFilePtr>> byDevice;
                        for (const IKImageItemPtr &item : items)
                            if (auto file = item->cameraItem.lock(); file && file->device())
                                byDevice[file->device()] << file;
                        for (auto it = byDevice.cbegin(); it != byDevice.cend(); ++it)
                            it.key()->requestDeleteFiles(it.value());
                    });
}

void AppDelegate::ViewExifData() {
    if (mainWindow.previewProgressor) {
        mainWindow.previewProgressor->setRange(0, 0);
        mainWindow.previewProgressor->show();
    }
    QList<IKImageItemPtr> photos;
    for (const IKImageItemPtr &item : selectedCameraItems()) {
        // Videos carry no photo metadata to view; the photos after them still do.
        if (item->fileType == QLatin1String("Movie") ||
            item->fileName.endsWith(QLatin1String("mov"), Qt::CaseInsensitive))
            continue;
        qCDebug(lcBrowser).noquote() << "[[item cameraItem] userData]===" << item->fileName;
        auto file = item->cameraItem.lock();
        if (file && file->device()) {
            photos << item;
            selection.currentFileName = item->fileName;
        }
    }
    const bool sent =
        downloadAsOneJob(*this, photos, false, [](const IKImageItemPtr &) { return QString(); });
    if (!sent && !cameraRequestsPending() && mainWindow.previewProgressor)
        mainWindow.previewProgressor->hide();
}
