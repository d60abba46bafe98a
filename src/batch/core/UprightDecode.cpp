#include "batch/core/UprightDecode.h"

#include "base/FileTypes.h"
#include "platform/core/ImageLimits.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>

#include <libheif/heif.h>
#include <libraw/libraw.h>

#include <memory>
#include <mutex>

namespace {

bool isHeif(const QByteArray &data) {
    if (data.size() < 12 || data.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = data.mid(8, 4);
    for (const char *b : {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif"})
        if (brand == b)
            return true;
    return false;
}

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

QColorSpace heifColorSpace(heif_image_handle *h, const heif_image *decoded) {
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
    // A file that describes no colours: libheif says what it decoded them as.
    nclx = nullptr;
    if (heif_image_get_nclx_color_profile(decoded, &nclx).code == heif_error_Ok && nclx) {
        const QColorSpace space = colorSpaceFromNclx(*nclx);
        heif_nclx_color_profile_free(nclx);
        return space;
    }
    return {};
}

UprightImage decodeHeif(const QByteArray &data) {
    UprightImage out;
    std::unique_ptr<heif_context, decltype(&heif_context_free)> ctx(heif_context_alloc(),
                                                                    heif_context_free);
    heif_error err = heif_context_read_from_memory_without_copy(ctx.get(), data.constData(),
                                                                size_t(data.size()), nullptr);
    heif_image_handle *rawHandle = nullptr;
    if (err.code == heif_error_Ok)
        err = heif_context_get_primary_image_handle(ctx.get(), &rawHandle);
    if (err.code != heif_error_Ok) {
        out.reason = QString::fromUtf8(err.message);
        return out;
    }
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> h(
        rawHandle, heif_image_handle_release);
    const int w = heif_image_handle_get_width(h.get()), hh = heif_image_handle_get_height(h.get());
    if (!ImageLimits::decodeAllowed(w, hh, &out.reason))
        return out;
    heif_image *rawImage = nullptr;
    const bool alpha = heif_image_handle_has_alpha_channel(h.get());
    // libheif applies the file's rotation and mirror boxes while decoding.
    err = heif_decode_image(h.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            nullptr);
    if (err.code != heif_error_Ok) {
        out.reason = QString::fromUtf8(err.message);
        return out;
    }
    std::unique_ptr<heif_image, decltype(&heif_image_release)> img(rawImage, heif_image_release);
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(img.get(), heif_channel_interleaved, &stride);
    if (!plane) {
        out.reason = QStringLiteral("the HEIF image has no pixels");
        return out;
    }
    const QColorSpace space = heifColorSpace(h.get(), img.get());
    // The picture keeps libheif's pixels rather than a copy of them (36 MB for a phone's
    // photo); they are released with the last QImage that shares them, and anyone who
    // paints on it gets a copy of their own.
    const int width = heif_image_get_width(img.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(img.get(), heif_channel_interleaved);
    out.image = QImage(
        plane, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
        [](void *pixels) { heif_image_release(static_cast<heif_image *>(pixels)); }, img.release());
    out.image.setColorSpace(space);
    return out;
}

UprightImage decodeRaw(const QByteArray &data) {
    UprightImage out;
    auto raw = std::make_unique<LibRaw>();
    raw->imgdata.params.output_bps = 8; // user_flip stays -1: the camera's orientation applies
    if (raw->open_buffer(const_cast<char *>(data.constData()), size_t(data.size())) !=
            LIBRAW_SUCCESS ||
        raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) {
        out.reason = QStringLiteral("the raw image cannot be decoded");
        return out;
    }
    int err = 0;
    libraw_processed_image_t *img = raw->dcraw_make_mem_image(&err);
    if (!img) {
        out.reason = QStringLiteral("the raw image cannot be developed");
        return out;
    }
    if (img->type == LIBRAW_IMAGE_BITMAP && img->colors == 3 && img->bits == 8)
        out.image = QImage(img->data, img->width, img->height, qsizetype(img->width) * 3,
                           QImage::Format_RGB888)
                        .copy(); // the view borrows LibRaw's memory, freed just below
    else
        out.reason = QStringLiteral("the raw image develops to an unsupported layout");
    LibRaw::dcraw_clear_mem(img);
    if (out.ok())
        out.image.setColorSpace(QColorSpace::SRgb); // LibRaw's default output space
    return out;
}

// Qt decodes a JPEG that was cut short and fills the missing rows with grey; such a file
// must give no output, so its end-of-image marker is looked for after the scan starts.
bool jpegCutShort(const QByteArray &b) {
    if (b.size() < 4 || uchar(b[0]) != 0xff || uchar(b[1]) != 0xd8)
        return false;
    qsizetype i = 2;
    while (i + 4 <= b.size() && uchar(b[i]) == 0xff) {
        const uchar marker = uchar(b[i + 1]);
        if (marker == 0xda)
            return b.indexOf(QByteArrayLiteral("\xff\xd9"), i) < 0;
        i += 2 + ((uchar(b[i + 2]) << 8) | uchar(b[i + 3]));
    }
    return true; // the headers themselves end early
}

UprightImage decodeWithQt(const QByteArray &data) {
    UprightImage out;
    if (jpegCutShort(data)) {
        out.reason = QStringLiteral("the JPEG file is cut short");
        return out;
    }
    // 48 MP photos are above Qt's own 128 MB bound; set once, as workers decode side by side.
    static std::once_flag limitSet;
    std::call_once(limitSet, ImageLimits::applyToQt);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !ImageLimits::decodeAllowed(size.width(), size.height(), &out.reason))
        return out;
    out.image = reader.read();
    if (out.image.isNull())
        out.reason = reader.errorString();
    return out;
}

} // namespace

UprightImage decodeUpright(const QByteArray &bytes, const QString &path) {
    if (bytes.isEmpty())
        return {QImage(), QStringLiteral("the file is empty")};
    if (isHeif(bytes))
        return decodeHeif(bytes);
    if (GetRAWImageType(path) >= 0) {
        UprightImage developed = decodeRaw(bytes);
        if (developed.ok())
            return developed;
    }
    return decodeWithQt(bytes);
}

UprightImage decodeUprightFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QImage(), file.errorString()};
    return decodeUpright(file.readAll(), path);
}
