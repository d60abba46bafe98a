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

// The side in pixels of a camera cell's picture, drawn at half that on the grid.
constexpr int kCameraThumbSide = 170;

// Readies a listed photo or video for the browser, on the device's thread: its picture at
// cell size (a tile naming its type when the device gave none) becomes `file.thumbnail`,
// and is kept as TIFF under the file's own name at cameraThumbnailPath, which goes into
// `file.thumbnailPath`. A cache, so it is written without waiting for the disk. False
// (nothing kept) for other files and when the picture cannot be written.
bool cacheCameraThumbnail(PKCameraFile &file, const QString &deviceIdentifier);

// The browser item of a camera file readied by cacheCameraThumbnail: its picture, name,
// type ("Image" when the drop list knows the extension, "Movie" when the video list does)
// and the thumbnail's path. Null for a file that was not readied. Cheap: made on the main
// thread.
IKImageItemPtr makeCameraItem(const PKCameraFilePtr &file);
