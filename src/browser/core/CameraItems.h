#pragma once

#include "model/IKImageItem.h"
#include "platform/core/CameraDevice.h"

#include <QImage>
#include <QString>

// Where camera thumbnails are kept: a folder of ours in the temporary folder, one
// sub-folder per device and the device's own folders below it, so that two cameras (or two
// folders of one camera) holding "IMG_0001.JPG" never share a thumbnail file.
QString cameraThumbnailRoot();
QString cameraThumbnailPath(const QString &deviceIdentifier, const PKCameraFile &file);

// The browser item of one camera file: its picture, name, type ("Image" when the drop list
// knows the extension, "Movie" when the video list does), and the thumbnail written as
// TIFF under the file's own name. Null when the thumbnail cannot be written.
IKImageItemPtr makeCameraItem(const PKCameraFilePtr &file, const QImage &picture,
                              const QString &deviceIdentifier);
