// Cameras and iOS devices: discovery, the camera browser, downloads, deletion and the
// metadata view. Device work runs on each device's own thread; everything here runs on
// the main thread.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

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
#include <QProgressBar>

namespace {
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

void CameraWindowPart::startDeviceBrowser() {
    if (mDeviceBrowser)
        return;
    mDeviceBrowser = new PKDeviceBrowser(&d);
    d.connect(mDeviceBrowser, &PKDeviceBrowser::didAddDevice, &d,
              &AppDelegate::forward<&CameraWindowPart::deviceBrowserDidAddDevice>);
    d.connect(mDeviceBrowser, &PKDeviceBrowser::didRemoveDevice, &d,
              &AppDelegate::forward<&CameraWindowPart::deviceBrowserDidRemoveDevice>);
    mDeviceBrowser->start();
}

void CameraWindowPart::startProgreess() {
    spin(camerataskProgressor, true);
}

void CameraWindowPart::endProgress() {
    spin(camerataskProgressor, false);
}

bool CameraWindowPart::cameraRequestsPending() const {
    for (const auto &object : mCameras)
        if (auto *device = qobject_cast<PKCameraDevice *>(object.get()))
            if (device->pendingRequests() > 0)
                return true;
    return false;
}

QList<IKImageItemPtr> CameraWindowPart::selectedCameraItems() const {
    QList<IKImageItemPtr> items;
    if (!imageBrowserView || !imageBrowserView->selectionModel())
        return items;
    for (int i = 0; i < cameItemArray.size(); ++i)
        if (imageBrowserView->selectionModel()->isRowSelected(i))
            items << cameItemArray[i];
    return items;
}

// ---- Devices ----

void CameraWindowPart::deviceBrowserDidAddDevice(const PKCameraDevicePtr &device, bool) {
    if (!device)
        return;
    if (deviceNamelab)
        deviceNamelab->setText(device->name());
    if (device->type() & kPKDeviceTypeCamera) {
        mCameras << device;
        emit d.camerasChanged();
        // The camera no longer shown stops reading thumbnails for the one now chosen.
        if (auto previous = currentDevice.lock())
            previous->stopListing();
        currentDevice = device;
        PKCameraDevice *raw = device.get();
        // Each file's thumbnail is kept on disk on the device's thread, as it is listed.
        raw->setListingHook(
            [id = device->identifier()](PKCameraFile &file) { cacheCameraThumbnail(file, id); });
        d.connect(
            raw, &PKCameraDevice::didAddItems, &d,
            [this, raw](const QList<PKCameraFilePtr> &f) { cameraDeviceDidAddItems(raw, f); });
        d.connect(raw, &PKCameraDevice::didRemoveItem, &d,
                  [this, raw](const PKCameraFilePtr &f) { cameraDeviceDidRemoveItem(raw, f); });
        d.connect(raw, &PKCameraDevice::didOpenSession, &d,
                  [this, raw](const QString &e) { deviceDidOpenSessionWithError(raw, e); });
        d.connect(raw, &PKCameraDevice::didStopListing, &d, [this, raw] {
            qCInfo(lcBrowser).noquote() << "device: \n" << raw->name() << "\nlisting stopped";
            if (!cameraRequestsPending())
                endProgress();
        });
        d.connect(raw, &PKCameraDevice::didFailToDeleteItem, &d,
                  [this](const PKCameraFilePtr &f, const QString &error) {
                      beginAlertSheet(
                          sheetWindow(d), AppDelegate::tr("The photo could not be deleted."),
                          QStringLiteral("%1\n%2").arg(f->name, error), {AppDelegate::tr(" Ok ")},
                          [this](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); });
                  });
        d.connect(raw, &PKCameraDevice::didEncounterError, &d, [raw](const QString &error) {
            qCWarning(lcBrowser).noquote() << "device: \n"
                                           << raw->name() << "\ndidEncounterError: \n"
                                           << error;
        });
    }
    if (d.mainWindowController().changtoiOSmodemenu)
        d.mainWindowController().changtoiOSmodemenu->setEnabled(true);
}

void CameraWindowPart::deviceBrowserDidRemoveDevice(const PKCameraDevicePtr &device, bool) {
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

void CameraWindowPart::ChangeToImportiOSDevicePhoto() {
    if (!mCameras.isEmpty() && deviceWindow) {
        showCentredOnScreen(deviceWindow, d.window);
        return;
    }
    beginAlertSheet(d.window, AppDelegate::tr("No camera detected"),
                    AppDelegate::tr("Please connect the camera to the computer by USB cable."),
                    {AppDelegate::tr(" Ok ")}, [this](QMessageBox *alert, int code) {
                        d.sheets().savePanelDidEnd3(alert, code);
                    });
}

void CameraWindowPart::OpenDeviceAction() {
    createFolder(d.preferences().storagelocation);
    auto device = currentDevice.lock();
    if (!device)
        return;
    startProgreess();
    device->requestOpenSession();
}

void CameraWindowPart::deviceDidOpenSessionWithError(PKCameraDevice *device, const QString &error) {
    qCInfo(lcBrowser).noquote() << "device:didOpenSessionWithError: \n"
                                << device->name() << "\n"
                                << error << "\n"
                                << (error.isEmpty() ? "Open device success" : "Open device failed");
    if (!cameraRequestsPending())
        endProgress();
    if (!error.isEmpty())
        beginAlertSheet(sheetWindow(d), AppDelegate::tr("The device could not be opened."),
                        QStringLiteral("%1\n%2").arg(device->name(), error),
                        {AppDelegate::tr(" Ok ")},
                        [this](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); });
}

void CameraWindowPart::stopListings() {
    for (const auto &object : mCameras)
        if (auto *device = qobject_cast<PKCameraDevice *>(object.get()))
            device->stopListing();
}

// ---- Items ----

void CameraWindowPart::cameraDeviceDidAddItems(PKCameraDevice *device,
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

void CameraWindowPart::cameraDeviceDidRemoveItem(PKCameraDevice *device,
                                                 const PKCameraFilePtr &file) {
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

void endDownloadJob(AppDelegate &d, const DownloadJob &job) {
    if (!job.failures.isEmpty())
        beginAlertSheet(sheetWindow(d), AppDelegate::tr("The photo could not be downloaded."),
                        job.failures.join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")},
                        [&d](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); });
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
        auto file = item ? item->rare().cameraItem.lock() : nullptr;
        if (file && file->device())
            requests.append({file, saveAs(item)});
    }
    if (requests.isEmpty())
        return false;
    createFolder(d.preferences().storagelocation);
    job->arrived = QStringList(requests.size(), QString());
    job->waiting = int(requests.size());
    QPointer<AppDelegate> self(&d);
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const PKCameraFilePtr &file = requests[i].first;
        file->device()->requestDownloadFile(
            file, d.preferences().storagelocation, requests[i].second,
            [self, job, i, importToEdit](const PKDownloadResult &r) {
                if (!self)
                    return;
                self->cameraWindow.didDownloadFile(r, importToEdit);
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

bool CameraWindowPart::requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                                             bool importToEdit) {
    return downloadAsOneJob(d, {item}, importToEdit,
                            [saveAsName](const IKImageItemPtr &) { return saveAsName; });
}

void CameraWindowPart::DownloadPhotoAction() {
    startProgreess();
    bDownloadandimportToEdit = false;
    const bool sent = downloadAsOneJob(d, selectedCameraItems(), false, ownName);
    // Nothing was asked of a device, so no completion will stop the spinner.
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void CameraWindowPart::DownloadImportEditePhotoAction() {
    d.browsers().showLocalBrowser();
    startProgreess();
    bDownloadandimportToEdit = true;
    const bool sent = downloadAsOneJob(d, selectedCameraItems(), true, ownName);
    if (!sent && !cameraRequestsPending())
        endProgress();
}

void CameraWindowPart::didDownloadFile(const PKDownloadResult &result, bool importToEdit) {
    qCDebug(lcBrowser).noquote() << "didDownloadFile called with:\n"
                                 << (result.file ? result.file->name : QString()) << "\n"
                                 << result.reason << "\n"
                                 << result.saveAsName << "\n"
                                 << result.path;
    if (!cameraRequestsPending()) {
        endProgress();
        if (d.mainWindowController().previewProgressor)
            d.mainWindowController().previewProgressor->hide();
    }
    // A copy that did not arrive is neither listed nor shown; the job's end tells of it.
    if (result.reason.isEmpty() && importToEdit) {
        d.browsers().addLocalItem(makeLocalItem(result.path));
        d.browsers().reloadLocalBrowser();
    }
}

// ---- Delete and view ----

void CameraWindowPart::DeletePhotoAction() {
    const QList<IKImageItemPtr> items = selectedCameraItems();
    if (items.isEmpty())
        return;
    beginAlertSheet(sheetWindow(d),
                    AppDelegate::tr("Are you sure you want to delete the selected photo ?"),
                    QString(), {AppDelegate::tr(" Delete "), AppDelegate::tr("Cancel")},
                    [this, items](QMessageBox *alert, int code) {
                        d.sheets().savePanelDidEnd3(alert, code);
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

void CameraWindowPart::ViewExifData() {
    if (d.mainWindowController().previewProgressor) {
        d.mainWindowController().previewProgressor->setRange(0, 0);
        d.mainWindowController().previewProgressor->show();
    }
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
            d.selection().currentFileName = item->fileName;
        }
    }
    const bool sent =
        downloadAsOneJob(d, photos, false, [](const IKImageItemPtr &) { return QString(); });
    if (!sent && !cameraRequestsPending() && d.mainWindowController().previewProgressor)
        d.mainWindowController().previewProgressor->hide();
}
