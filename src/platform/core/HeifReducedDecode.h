#pragma once

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <functional>

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

// One decoded tile of such an image: its 4:2:0 planes, and where it lies in the stored (not yet
// turned) picture, cut to the picture's edges.
struct HevcTile {
    const uint8_t *plane[3] = {};
    int stride[3] = {};
    int x = 0, y = 0, width = 0, height = 0;
};

// The colours the image's samples mean, as H.273 code points: the file's description, else
// the stream's.
struct HevcColour {
    int matrix = 2, primaries = 2, transfer = 2;
    bool fullRange = false;
};

// Decodes every tile of a HEVC-coded HEIF image through FFmpeg, several at once, and hands each
// to `take` as it comes (in no particular order), after `begin` was told the stored size and
// agreed. False when the image is not one this road takes (alpha, more than 8 bits, no HEVC,
// not 4:2:0, a geometry heifGeometrySound refuses), a tile fails or does not decode to the size
// the grid gives it, or `take` refuses a tile.
bool decodeHevcTiles(heif_context *context, heif_image_handle *image, const QByteArray &file,
                     const std::function<bool(int width, int height)> &begin,
                     const std::function<bool(const HevcTile &)> &take, HevcColour *colour);
