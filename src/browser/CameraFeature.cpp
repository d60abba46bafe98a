// Cameras and iOS devices: discovery, the camera browser, downloads, deletion and the
// metadata view. Device work runs on each device's own thread; everything here runs on
// the main thread.
#include "browser/CameraWindow.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindow.h"

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
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>

QWidget *CameraWindow::sheetWindow() const {
    if (deviceWindow && deviceWindow->isVisible())
        return deviceWindow;
    return app.mainWindow();
}

namespace {
void spin(QProgressBar *bar, bool on) {
    if (!bar)
        return;
    // A busy bar: no range is its animation.
    bar->setRange(0, on ? 0 : 1);
    bar->setVisible(on);
}
} // namespace

void CameraWindow::startDeviceBrowser() {
    if (mDeviceBrowser)
        return;
    mDeviceBrowser = new PKDeviceBrowser(this);
    connect(mDeviceBrowser, &PKDeviceBrowser::didAddDevice, this,
            &CameraWindow::deviceBrowserDidAddDevice);
    connect(mDeviceBrowser, &PKDeviceBrowser::didRemoveDevice, this,
            &CameraWindow::deviceBrowserDidRemoveDevice);
    mDeviceBrowser->start();
}

void CameraWindow::startProgreess() {
    spin(camerataskProgressor, true);
}

void CameraWindow::endProgress() {
    spin(camerataskProgressor, false);
}

bool CameraWindow::cameraRequestsPending() const {
    for (const auto &object : mCameras)
        if (auto *device = qobject_cast<PKCameraDevice *>(object.get()))
            if (device->pendingRequests() > 0)
                return true;
    return false;
}

QList<IKImageItemPtr> CameraWindow::selectedCameraItems() const {
    QList<IKImageItemPtr> items;
    if (!imageBrowserView || !imageBrowserView->selectionModel())
        return items;
    for (int i = 0; i < cameItemArray.size(); ++i)
        if (imageBrowserView->selectionModel()->isRowSelected(i))
            items << cameItemArray[i];
    return items;
}

// ---- Devices ----

void CameraWindow::deviceBrowserDidAddDevice(const PKCameraDevicePtr &device, bool) {
    if (!device)
        return;
    if (deviceNamelab)
        deviceNamelab->setText(device->name());
    if (device->type() & kPKDeviceTypeCamera) {
        mCameras << device;
        // The camera no longer shown stops reading thumbnails for the one now chosen.
        if (auto previous = currentDevice.lock())
            previous->stopListing();
        currentDevice = device;
        PKCameraDevice *raw = device.get();
        // Each file's thumbnail is kept on disk on the device's thread, as it is listed.
        raw->setListingHook(
            [id = device->identifier()](PKCameraFile &file) { cacheCameraThumbnail(file, id); });
        connect(raw, &PKCameraDevice::didAddItems, this,
                [this, raw](const QList<PKCameraFilePtr> &f) { cameraDeviceDidAddItems(raw, f); });
        connect(raw, &PKCameraDevice::didRemoveItem, this,
                [this, raw](const PKCameraFilePtr &f) { cameraDeviceDidRemoveItem(raw, f); });
        connect(raw, &PKCameraDevice::didOpenSession, this,
                [this, raw](const QString &e) { deviceDidOpenSessionWithError(raw, e); });
        connect(raw, &PKCameraDevice::didStopListing, this, [this, raw] {
            qCInfo(lcBrowser).noquote() << "device: \n" << raw->name() << "\nlisting stopped";
            if (!cameraRequestsPending())
                endProgress();
        });
        connect(raw, &PKCameraDevice::didFailToDeleteItem, this,
                [this](const PKCameraFilePtr &f, const QString &error) {
                    beginAlertSheet(
                        sheetWindow(), tr("The photo could not be deleted."),
                        QStringLiteral("%1\n%2").arg(f->name, error), {tr(" Ok ")},
                        [this](QMessageBox *a, int c) { app.sheets().savePanelDidEnd3(a, c); });
                });
        connect(raw, &PKCameraDevice::didEncounterError, this, [raw](const QString &error) {
            qCWarning(lcBrowser).noquote() << "device: \n"
                                           << raw->name() << "\ndidEncounterError: \n"
                                           << error;
        });
    }
    if (QAction *item = mainWindow.cameraModeItem())
        item->setEnabled(true);
}

void CameraWindow::deviceBrowserDidRemoveDevice(const PKCameraDevicePtr &device, bool) {
    qCInfo(lcBrowser).noquote() << "deviceBrowser:didRemoveDevice: \n"
                                << (device ? device->name() : "") << "\n";
    if (!device)
        return;
    mCameras.removeAll(std::static_pointer_cast<QObject>(device));
    // The items of a camera that has gone cannot be downloaded or deleted any more.
    const qsizetype before = cameItemArray.size();
    cameItemArray.removeIf([&](const IKImageItemPtr &item) {
        auto file = item->rare().cameraItem.lock();
        return !file || file->device() == device.get();
    });
    if (mCameras.isEmpty()) {
        currentDevice.reset();
        cameItemArray.clear();
        if (deviceWindow)
            deviceWindow->hide();
    } else if (currentDevice.expired() || currentDevice.lock() == device) {
        currentDevice = std::static_pointer_cast<PKCameraDevice>(mCameras.last());
    }
    if (cameraPhotoModel && (before != cameItemArray.size() || mCameras.isEmpty()))
        cameraPhotoModel->reload();
    if (!cameraRequestsPending())
        endProgress();
}

void CameraWindow::ChangeToImportiOSDevicePhoto() {
    if (!mCameras.isEmpty() && deviceWindow) {
        showCentredOnScreen(deviceWindow, app.mainWindow());
        return;
    }
    app.sheets().alert(tr("No camera detected"),
                       tr("Please connect the camera to the computer by USB cable."));
}

void CameraWindow::OpenDeviceAction() {
    createFolder(app.preferences().storagelocation);
    auto device = currentDevice.lock();
    if (!device)
        return;
    startProgreess();
    device->requestOpenSession();
}

void CameraWindow::deviceDidOpenSessionWithError(PKCameraDevice *device, const QString &error) {
    qCInfo(lcBrowser).noquote() << "device:didOpenSessionWithError: \n"
                                << device->name() << "\n"
                                << error << "\n"
                                << (error.isEmpty() ? "Open device success" : "Open device failed");
    if (!cameraRequestsPending())
        endProgress();
    if (!error.isEmpty())
        beginAlertSheet(sheetWindow(), tr("The device could not be opened."),
                        QStringLiteral("%1\n%2").arg(device->name(), error), {tr(" Ok ")},
                        [this](QMessageBox *a, int c) { app.sheets().savePanelDidEnd3(a, c); });
}

void CameraWindow::stopListings() {
    for (const auto &object : mCameras)
        if (auto *device = qobject_cast<PKCameraDevice *>(object.get()))
            device->stopListing();
}

// ---- Items ----

void CameraWindow::cameraDeviceDidAddItems(PKCameraDevice *device,
                                           const QList<PKCameraFilePtr> &files) {
    if (!device)
        return;
    const qsizetype before = cameItemArray.size();
    for (const PKCameraFilePtr &file : files) {
        if (!file)
            continue;
        qCDebug(lcBrowser).noquote() << "[item UTI]====" << file->UTI;
        // Photos and videos come readied by the listing hook; anything else makes no item.
        if (IKImageItemPtr item = makeCameraItem(file))
            cameItemArray << item;
    }
    // One reload a batch: the grid takes the new rows at its end in one go.
    if (cameraPhotoModel && cameItemArray.size() != before)
        cameraPhotoModel->reload();
}

void CameraWindow::cameraDeviceDidRemoveItem(PKCameraDevice *device, const PKCameraFilePtr &file) {
    qCDebug(lcBrowser).noquote() << "cameraDevice: \n"
                                 << device->name() << "\ndidRemoveItem: \n"
                                 << file->name;
    const qsizetype removed = cameItemArray.removeIf(
        [&](const IKImageItemPtr &item) { return item->rare().cameraItem.lock() == file; });
    if (removed && cameraPhotoModel)
        cameraPhotoModel->reload();
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

void revealFirst(const DownloadJob &job) {
    for (const QString &path : job.arrived) {
        if (path.isEmpty())
            continue;
        Workspace::selectFile(path, QFileInfo(path).absolutePath());
        break;
    }
}

QString ownName(const IKImageItemPtr &item) {
    return item->fileName;
}

} // namespace

bool CameraWindow::downloadAsOneJob(const QList<IKImageItemPtr> &items, bool importToEdit,
                                    const std::function<QString(const IKImageItemPtr &)> &saveAs) {
    auto job = std::make_shared<DownloadJob>();
    QList<std::pair<PKCameraFilePtr, QString>> requests;
    for (const IKImageItemPtr &item : items) {
        auto file = item ? item->rare().cameraItem.lock() : nullptr;
        if (file && file->device())
            requests.append({file, saveAs(item)});
    }
    if (requests.isEmpty())
        return false;
    createFolder(app.preferences().storagelocation);
    job->arrived = QStringList(requests.size(), QString());
    job->waiting = int(requests.size());
    QPointer<CameraWindow> self(this);
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const PKCameraFilePtr &file = requests[i].first;
        file->device()->requestDownloadFile(
            file, app.preferences().storagelocation, requests[i].second,
            [self, job, i, importToEdit](const PKDownloadResult &r) {
                if (!self)
                    return;
                self->didDownloadFile(r, importToEdit);
                if (r.reason.isEmpty())
                    job->arrived[i] = r.path;
                else
                    job->failures << QStringLiteral("%1\n%2").arg(r.file ? r.file->name : QString(),
                                                                  r.reason);
                if (--job->waiting != 0)
                    return;
                if (!job->failures.isEmpty())
                    beginAlertSheet(self->sheetWindow(), tr("The photo could not be downloaded."),
                                    job->failures.join(QLatin1Char('\n')), {tr(" Ok ")},
                                    [self](QMessageBox *a, int c) {
                                        if (self)
                                            self->app.sheets().savePanelDidEnd3(a, c);
                                    });
                revealFirst(*job);
            });
    }
    return true;
}

bool CameraWindow::requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                                         bool importToEdit) {
    return downloadAsOneJob({item}, importToEdit,
                            [saveAsName](const IKImageItemPtr &) { return saveAsName; });
}

void CameraWindow::DownloadPhotoAction() {
    startProgreess();
    const bool sent = downloadAsOneJob(selectedCameraItems(), false, ownName);
    // Nothing was asked of a device, so no completion will stop the spinner.
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void CameraWindow::DownloadImportEditePhotoAction() {
    app.browsers().showLocalBrowser();
    startProgreess();
    const bool sent = downloadAsOneJob(selectedCameraItems(), true, ownName);
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void CameraWindow::didDownloadFile(const PKDownloadResult &result, bool importToEdit) {
    qCDebug(lcBrowser).noquote() << "didDownloadFile called with:\n"
                                 << (result.file ? result.file->name : QString()) << "\n"
                                 << result.reason << "\n"
                                 << result.saveAsName << "\n"
                                 << result.path;
    if (!cameraRequestsPending()) {
        endProgress();
        mainWindow.showPreviewBusy(false);
    }
    // A copy that did not arrive is neither listed nor shown; the job's end tells of it.
    if (result.reason.isEmpty() && importToEdit) {
        app.browsers().addLocalItem(makeLocalItem(result.path));
        app.browsers().reloadLocalBrowser();
    }
}

// ---- Delete and view ----

void CameraWindow::DeletePhotoAction() {
    const QList<IKImageItemPtr> items = selectedCameraItems();
    if (items.isEmpty())
        return;
    beginAlertSheet(sheetWindow(), tr("Are you sure you want to delete the selected photo ?"),
                    QString(), {tr(" Delete "), tr("Cancel")},
                    [this, items](QMessageBox *alert, int code) {
                        app.sheets().savePanelDidEnd3(alert, code);
                        if (code != 1)
                            return;
                        // Each camera is asked for its own files; items leave the list
                        // when their camera confirms.
                        QHash<PKCameraDevice *, QList<PKCameraFilePtr>> byDevice;
                        for (const IKImageItemPtr &item : items)
                            if (auto file = item->rare().cameraItem.lock(); file && file->device())
                                byDevice[file->device()] << file;
                        for (auto it = byDevice.cbegin(); it != byDevice.cend(); ++it)
                            it.key()->requestDeleteFiles(it.value());
                    });
}

void CameraWindow::ViewExifData() {
    mainWindow.showPreviewBusy(true);
    QList<IKImageItemPtr> photos;
    for (const IKImageItemPtr &item : selectedCameraItems()) {
        // Videos carry no photo metadata to view; the photos after them still do.
        if (item->fileType == QLatin1String("Movie") ||
            item->fileName.endsWith(QLatin1String("mov"), Qt::CaseInsensitive))
            continue;
        qCDebug(lcBrowser).noquote() << "[[item cameraItem] userData]===" << item->fileName;
        auto file = item->rare().cameraItem.lock();
        if (file && file->device()) {
            photos << item;
            app.selection().currentFileName = item->fileName;
        }
    }
    const bool sent =
        downloadAsOneJob(photos, false, [](const IKImageItemPtr &) { return QString(); });
    if (!sent && !cameraRequestsPending())
        mainWindow.showPreviewBusy(false);
}
