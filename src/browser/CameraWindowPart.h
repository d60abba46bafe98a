#pragma once

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
};
