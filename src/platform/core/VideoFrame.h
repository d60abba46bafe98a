#pragma once

#include <QImage>
#include <QString>

// The first picture of a video file, decoded through FFmpeg and turned upright by its track's
// display matrix; a null image (and a reason) when the file has no video stream we can decode.
QImage firstVideoFrame(const QString &path, QString *error = nullptr);
