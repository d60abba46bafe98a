#pragma once

#include <QByteArray>
#include <QImage>

struct heif_context;
struct heif_image_handle;

// A small picture of a HEVC-coded HEIF image (a phone's grid of tiles, or one coded image)
// without ever holding it whole: libheif finds the tiles, FFmpeg's HEVC decoder decodes
// several of them at once, and each tile is averaged down as it comes. The picture is
// turned, mirrored and cropped as the file says, and at least `minSide` pixels on its longer
// side. Null when the image is not one this road takes (alpha, more than 8 bits, no HEVC, a
// damaged tile, not twice `minSide`): the caller then decodes it through libheif.
// `file` is the file's bytes, in which `context` was read.
QImage heifReducedDecode(heif_context *context, heif_image_handle *image, const QByteArray &file,
                         int minSide);
