#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pixels of a photo as it is meant to be seen: HEIC and HEIF through libheif (grids joined,
// its rotations and mirrors applied), raw files developed by LibRaw (turned as the camera
// says), everything else through Qt with the Exif orientation applied. The image's colour
// space carries the photo's ICC profile, or one made from a HEIF's nclx colour description.
struct UprightImage {
    QImage image;
    QString reason; // why there is no image
    bool ok() const { return !image.isNull(); }
};

// `path` only tells raw formats apart by their extension.
UprightImage decodeUpright(const QByteArray &bytes, const QString &path);
UprightImage decodeUprightFile(const QString &path);
