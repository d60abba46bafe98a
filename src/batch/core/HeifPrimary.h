#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QString>

#include <libheif/heif.h>

#include <memory>

// The primary image of a HEIF file as libheif opens it, shared by the decoders that read
// pixels from it.

// Whether `data` starts like a HEIF (or AVIF) file.
bool isHeif(const QByteArray &data);

struct HeifPrimary {
    // The context reads `data` in place: the bytes must outlive it.
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context{nullptr, heif_context_free};
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle{
        nullptr, heif_image_handle_release};
    QString error; // why there is no handle (unreadable, or too large to decode)
    bool ok() const { return handle != nullptr; }
};
HeifPrimary openHeifPrimary(const QByteArray &data);

// The colours of the decoded image `decoded` of `handle`: its ICC profile, else one made from
// the nclx description of the file, else from what libheif decoded.
QColorSpace heifColorSpace(heif_image_handle *handle, const heif_image *decoded);
// The same, for samples a decoder other than libheif described as `decodedAs`.
QColorSpace heifColorSpace(heif_image_handle *handle, const heif_color_profile_nclx &decodedAs);
