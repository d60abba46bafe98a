#pragma once

#include <QImage>

// The picture as it is meant to be seen: stored pixels turned and mirrored as the Exif or
// TIFF Orientation (1 to 8) says. Other values leave it as it is.
QImage uprightImage(const QImage &stored, int orientation);
