#pragma once

#include <QString>

struct heif_context;
struct heif_image;
struct heif_image_handle;

// Whether every decoder of ours, and libheif, can decode `image` without touching memory
// outside its picture, and all of them give it the one size the file declares. libheif
// (1.19) pastes a grid's tiles where the tiles' own sizes put them, even below or right of
// the picture, misplaces the colour of tiles that start on an odd pixel, and crops by a clean
// aperture that reaches outside the picture; the grid's size box, its tiles and the image's
// turns and crop must therefore all agree. Sets `why` when not.
bool heifGeometrySound(heif_context *context, heif_image_handle *image, QString *why = nullptr);

// Whether libheif decoded `image` at the size the file declares for it: libheif takes a coded
// image's size from its stream and not from its size box, so a file can say one size and
// decode to another. Sets `why` when not.
bool heifDecodedAsDeclared(heif_image_handle *image, const heif_image *decoded,
                           QString *why = nullptr);
