#pragma once

#include <QImage>
#include <QString>

#include <libheif/heif.h>

// Whether every decoder of ours, and libheif, can decode `image` without touching memory
// outside its picture, and all of them give it the one size the file declares. libheif
// (1.19) pastes a grid's tiles where the tiles' own sizes put them, even below or right of
// the picture, misplaces the colour of tiles that start on an odd pixel, and crops by a clean
// aperture that reaches outside the picture; the grid's size box, its tiles and the image's
// turns and crop must therefore all agree. Sets `why` when not.
bool heifGeometrySound(heif_context *context, heif_image_handle *image, QString *why = nullptr);

// Whether the file crops `image`. libheif (1.19) crops 4:2:0 colour by rounding its last row
// and column up, one past the planes, so a cropped image is decoded as stored by heifDecode and
// cropped by heifTransformed.
bool heifCropped(heif_context *context, heif_image_handle *image);

// libheif's decode of `image`: turned and mirrored by libheif, or, when heifCropped, as stored.
heif_error heifDecode(heif_context *context, heif_image_handle *image, heif_colorspace colorspace,
                      heif_chroma chroma, heif_image **decoded);

// Whether heifDecode gave `image` the size the file declares for it (as stored, for a cropped
// image): libheif takes a coded image's size from its stream and not from its size box, so a
// file can say one size and decode to another. Sets `why` when not.
bool heifDecodedAsDeclared(heif_context *context, heif_image_handle *image,
                           const heif_image *decoded, QString *why = nullptr);

// The file's crop, turns and mirrors of `image`, in the file's order, done on `stored`: the
// picture as stored, at any scale.
QImage heifTransformed(heif_context *context, heif_image_handle *image, QImage stored);
