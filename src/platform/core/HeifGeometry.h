#pragma once

#include <QString>

struct heif_context;
struct heif_image_handle;

// Whether libheif can decode `image` without touching memory outside its picture: libheif
// (1.19) pastes a grid's tiles where the grid says even below or right of the picture, and
// crops by a clean aperture that reaches outside it. Sets `why` when not.
bool heifGeometrySound(heif_context *context, heif_image_handle *image, QString *why = nullptr);
