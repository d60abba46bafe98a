#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

class ImageSource;

// For photos whose own type cannot be written in place (GIF, BMP, raw formats, multi-image
// files): decodes every frame of `source` and returns a lossless TIFF (8-bit RGB or RGBA, Adobe
// Deflate, one page per frame) whose first page carries `frameProperties` as its metadata.
// Later pages hold pixels only. HEIF-family sources are refused (they are written elsewhere).
// On failure returns an empty array and, when `error` is given, says why. Never throws.
QByteArray createTiffFromSource(const ImageSource &source, const QVariantMap &frameProperties,
                                QString *error);
