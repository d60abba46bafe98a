#pragma once

#include "app/PartBasics.h"

#include "model/IKImageItem.h"

#include <QList>

#include <memory>

class LocalPhotoModel;
class PKCameraDevice;
class PKImageView;
class QLabel;
class QListView;
class QObject;
class QProgressBar;
class QPushButton;
class QWidget;

// The camera window: the device browser, the camera's photos and their buttons.
struct CameraWindowPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit CameraWindowPart(AppDelegate &app) : d(app) {}

    class PKDeviceBrowser *mDeviceBrowser = nullptr;
    std::weak_ptr<PKCameraDevice> currentDevice; // never keeps a device that has gone
    LocalPhotoModel *cameraPhotoModel = nullptr;
    QLabel *deviceNamelab = nullptr;
    QPushButton *opendeviceBtn = nullptr, *importEditPhotoBtn = nullptr;
    QList<std::shared_ptr<QObject>> mCameras;
    QList<IKImageItemPtr> cameItemArray;
    bool bNeedViewExif = false, bDownloadandimportToEdit = false;
    QWidget *deviceWindow = nullptr;
    QListView *imageBrowserView = nullptr;
    PKImageView *deviceWindowImageView = nullptr, *devicebottomWindowImageView = nullptr,
                *hasDeviceImageView = nullptr;
    QPushButton *deletePhotoBtn = nullptr, *downloadPhotoBtn = nullptr, *viewExifBtn = nullptr,
                *removeExifBtn = nullptr;
    QProgressBar *camerataskProgressor = nullptr;

    // Camera and iOS device import.
    void OpenDeviceAction();
    void DownloadPhotoAction();
    void DownloadImportEditePhotoAction();
    void DeletePhotoAction();
    void ViewExifData();
    void ChangeToImportiOSDevicePhoto();
    // The device spinner: shows and animates `camerataskProgressor`; hides and stops it.
    void startProgreess();
    void endProgress();
    // The download road: asks the item's own camera to copy its file into the storage
    // folder as `saveAsName` (the camera's name when empty). The result reaches
    // didDownloadFile on the main thread; with `importToEdit` the copy joins the local list.
    // False, with nothing sent, when the item's camera has gone.
    bool requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                               bool importToEdit = false);
    void didDownloadFile(const struct PKDownloadResult &result, bool importToEdit);
    // Whether any camera still has requests in hand.
    bool cameraRequestsPending() const;
    // Device browser and camera delegate calls (main thread).
    void deviceBrowserDidAddDevice(const std::shared_ptr<class PKCameraDevice> &device,
                                   bool moreComing);
    void deviceBrowserDidRemoveDevice(const std::shared_ptr<PKCameraDevice> &device,
                                      bool moreGoing);
    // A batch of files a device listed: each readied photo or video joins the browser.
    void cameraDeviceDidAddItems(PKCameraDevice *device,
                                 const QList<std::shared_ptr<PKCameraFile>> &files);
    void cameraDeviceDidRemoveItem(PKCameraDevice *device,
                                   const std::shared_ptr<PKCameraFile> &file);
    void deviceDidOpenSessionWithError(PKCameraDevice *device, const QString &error);
    // Stops every camera's listing under way, keeping what it listed: the window closed.
    void stopListings();
    void startDeviceBrowser();
    // The items selected in the camera browser, in list order.
    QList<IKImageItemPtr> selectedCameraItems() const;
    // Camera roads of the editing features.
    // Whether the editing features work on the camera browser's selection: outside local
    // mode, or while the removal menu was opened from the camera window.
    bool cameraIsSource() const;
    // Copies the selected camera photos into the storage folder (a copy this session
    // already made and which is still there is used again), then calls `then` on the main
    // thread with one local item per copy, in list order, and "name: reason" for each
    // photo that did not arrive. False, with the no-selection sheet shown, when nothing
    // is selected.
    bool withCameraCopies(
        std::function<void(const QList<IKImageItemPtr> &copies, const QStringList &failures)> then);
};
