#pragma once

#include "browser/CameraCopies.h"
#include "model/IKImageItem.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AppServices;
class LocalPhotoModel;
class PKCameraDevice;
class PKDeviceBrowser;
class PKImageView;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QWidget;
class MainWindow;
class PKCameraFile;
struct PKDownloadResult;

// The camera window: the device browser, the camera's photos and their buttons.
class CameraWindow : public QObject, public CameraCopies {
    Q_OBJECT
  public:
    // `localMode` says whether the main window shows the local list (else the camera's
    // photos are what the editing features work on).
    CameraWindow(AppServices &app, MainWindow &mainWindow,
                 std::function<bool()> localMode);
    ~CameraWindow() override;

    void build();
    // The launch state: the window's pictures, its buttons off, no spinner, no photos.
    void prepareControls();
    void clearPhotos();

    // Camera and iOS device import.
    void OpenDeviceAction();
    void DownloadPhotoAction();
    void DownloadImportEditePhotoAction();
    void DeletePhotoAction();
    void ViewExifData();
    void ChangeToImportiOSDevicePhoto();
    // The device spinner: shows and animates the window's progress bar; hides and stops it.
    void startProgreess();
    void endProgress();
    // The download road: asks the item's own camera to copy its file into the storage
    // folder as `saveAsName` (the camera's name when empty). The result reaches
    // didDownloadFile on the main thread; with `importToEdit` the copy joins the local list.
    // False, with nothing sent, when the item's camera has gone.
    bool requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                               bool importToEdit = false);
    void didDownloadFile(const PKDownloadResult &result, bool importToEdit);
    // Whether any camera still has requests in hand.
    bool cameraRequestsPending() const;
    // Device browser and camera delegate calls (main thread).
    void deviceBrowserDidAddDevice(const std::shared_ptr<PKCameraDevice> &device, bool moreComing);
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

    // The device browser (null before startDeviceBrowser).
    PKDeviceBrowser *deviceBrowser() const { return mDeviceBrowser; }
    // The connected cameras, the one shown, and the photos it listed, in list order.
    qsizetype cameraCount() const { return mCameras.size(); }
    std::shared_ptr<PKCameraDevice> currentCamera() const { return currentDevice.lock(); }
    const QList<IKImageItemPtr> &photos() const { return cameItemArray; }
    // The list view showing the camera's photos.
    QListView *photoBrowser() const { return imageBrowserView; }
    // The items selected in the camera browser, in list order.
    QList<IKImageItemPtr> selectedCameraItems() const;

    // Camera roads of the editing features (CameraCopies).
    bool cameraIsSource() const override;
    // Whether the removal menu popped from the window's button is open.
    bool removalMenuIsFromCamera() const { return removalMenuFromCamera; }
    bool withCameraCopies(
        std::function<void(const QList<IKImageItemPtr> &copies, const QStringList &failures)> then)
        override;
    // Whether `path` is a copy of a camera photo made this session.
    bool isCameraCopy(const QString &path) const;

  private:
    // The window the device sheets open on: this one while it shows, else the main one.
    QWidget *sheetWindow() const;
    // Asks each item's camera for its file (`saveAs` gives the name; empty: the camera's),
    // as one job: one sheet for the failures, one reveal; false when nothing could be asked.
    bool downloadAsOneJob(const QList<IKImageItemPtr> &items, bool importToEdit,
                          const std::function<QString(const IKImageItemPtr &)> &saveAs);

    AppServices &app;
    MainWindow &mainWindow;
    std::function<bool()> localMode;
    QList<QWidget *> ownWindows; // the windows built without a parent

    PKDeviceBrowser *mDeviceBrowser = nullptr;
    std::weak_ptr<PKCameraDevice> currentDevice; // never keeps a device that has gone
    LocalPhotoModel *cameraPhotoModel = nullptr;
    QLabel *deviceNamelab = nullptr;
    QPushButton *opendeviceBtn = nullptr, *importEditPhotoBtn = nullptr;
    QList<std::shared_ptr<QObject>> mCameras;
    QList<IKImageItemPtr> cameItemArray;
    QWidget *deviceWindow = nullptr;
    QListView *imageBrowserView = nullptr;
    PKImageView *deviceWindowImageView = nullptr, *devicebottomWindowImageView = nullptr,
                *hasDeviceImageView = nullptr;
    QPushButton *deletePhotoBtn = nullptr, *downloadPhotoBtn = nullptr, *viewExifBtn = nullptr,
                *removeExifBtn = nullptr;
    QProgressBar *camerataskProgressor = nullptr;

    // The camera file of each copy made, and where it lies.
    QList<std::pair<std::weak_ptr<PKCameraFile>, QString>> cameraCopies;
    // Set while the removal menu popped from the window's button is open.
    bool removalMenuFromCamera = false;
};
