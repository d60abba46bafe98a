#include "batch/core/HeifPrimary.h"

#include "platform/core/HeifGeometry.h"
#include "platform/core/ImageLimits.h"

bool isHeif(const QByteArray &data) {
    if (data.size() < 12 || data.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = data.mid(8, 4);
    for (const char *b : {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif"})
        if (brand == b)
            return true;
    return false;
}

namespace {

// H.273 code points Qt 6.4 can describe; anything else is taken as sRGB, which is what a
// viewer assumes of a JPEG without a profile anyway.
QColorSpace colorSpaceFromNclx(const heif_color_profile_nclx &nclx) {
    QColorSpace::Primaries primaries = QColorSpace::Primaries::SRgb;
    if (nclx.color_primaries == 12 || nclx.color_primaries == 11)
        primaries = QColorSpace::Primaries::DciP3D65;
    QColorSpace::TransferFunction transfer = QColorSpace::TransferFunction::SRgb;
    if (nclx.transfer_characteristics == 8)
        transfer = QColorSpace::TransferFunction::Linear;
    QColorSpace space(primaries, transfer);
    if (nclx.color_primaries == 12 || nclx.color_primaries == 11)
        space.setDescription(QStringLiteral("Display P3"));
    return space;
}

} // namespace

HeifPrimary openHeifPrimary(const QByteArray &data) {
    HeifPrimary p;
    p.context.reset(heif_context_alloc());
    heif_error err = heif_context_read_from_memory_without_copy(p.context.get(), data.constData(),
                                                                size_t(data.size()), nullptr);
    heif_image_handle *rawHandle = nullptr;
    if (err.code == heif_error_Ok)
        err = heif_context_get_primary_image_handle(p.context.get(), &rawHandle);
    if (err.code != heif_error_Ok) {
        p.error = QString::fromUtf8(err.message);
        return p;
    }
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> h(
        rawHandle, heif_image_handle_release);
    if (ImageLimits::decodeAllowed(heif_image_handle_get_width(h.get()),
                                   heif_image_handle_get_height(h.get()), &p.error) &&
        heifGeometrySound(p.context.get(), h.get(), &p.error))
        p.handle = std::move(h);
    return p;
}

namespace {

// The file's own colours: its ICC profile, else its nclx description; invalid when it has
// neither.
QColorSpace describedColorSpace(heif_image_handle *h) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(h);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(h)), '\0');
        if (!icc.isEmpty() &&
            heif_image_handle_get_raw_color_profile(h, icc.data()).code == heif_error_Ok) {
            const QColorSpace space = QColorSpace::fromIccProfile(icc);
            if (space.isValid())
                return space;
        }
    }
    heif_color_profile_nclx *nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(h, &nclx).code == heif_error_Ok && nclx) {
        const QColorSpace space = colorSpaceFromNclx(*nclx);
        heif_nclx_color_profile_free(nclx);
        return space;
    }
    return {};
}

} // namespace

QColorSpace heifColorSpace(heif_image_handle *h, const heif_image *decoded) {
    if (const QColorSpace space = describedColorSpace(h); space.isValid())
        return space;
    // A file that describes no colours: libheif says what it decoded them as.
    heif_color_profile_nclx *nclx = nullptr;
    if (heif_image_get_nclx_color_profile(decoded, &nclx).code == heif_error_Ok && nclx) {
        const QColorSpace space = colorSpaceFromNclx(*nclx);
        heif_nclx_color_profile_free(nclx);
        return space;
    }
    return {};
}

QColorSpace heifColorSpace(heif_image_handle *h, const heif_color_profile_nclx &decodedAs) {
    const QColorSpace space = describedColorSpace(h);
    return space.isValid() ? space : colorSpaceFromNclx(decodedAs);
}
