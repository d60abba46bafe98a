#include "batch/core/UprightDecode.h"

#include "base/FileTypes.h"
#include "batch/core/HeifPrimary.h"
#include "platform/core/HeifGeometry.h"
#include "platform/core/ImageLimits.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>

#include <libraw/libraw.h>

#include <memory>
#include <mutex>

namespace {

UprightImage decodeHeif(const QByteArray &data) {
    UprightImage out;
    HeifPrimary primary = openHeifPrimary(data);
    if (!primary.ok()) {
        out.reason = primary.error;
        return out;
    }
    heif_context *ctx = primary.context.get();
    heif_image_handle *h = primary.handle.get();
    heif_image *rawImage = nullptr;
    const bool alpha = heif_image_handle_has_alpha_channel(h);
    // libheif applies the file's rotation and mirror boxes while decoding, and we its crop.
    const heif_error err =
        heifDecode(ctx, h, heif_colorspace_RGB,
                   alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &rawImage);
    if (err.code != heif_error_Ok) {
        out.reason = QString::fromUtf8(err.message);
        return out;
    }
    std::unique_ptr<heif_image, decltype(&heif_image_release)> img(rawImage, heif_image_release);
    if (!heifDecodedAsDeclared(ctx, h, img.get(), &out.reason))
        return out;
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(img.get(), heif_channel_interleaved, &stride);
    if (!plane) {
        out.reason = QStringLiteral("the HEIF image has no pixels");
        return out;
    }
    const QColorSpace space = heifColorSpace(h, img.get());
    // The picture keeps libheif's pixels rather than a copy of them (36 MB for a phone's
    // photo); they are released with the last QImage that shares them, and anyone who
    // paints on it gets a copy of their own.
    const int width = heif_image_get_width(img.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(img.get(), heif_channel_interleaved);
    out.image = QImage(
        plane, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
        [](void *pixels) { heif_image_release(static_cast<heif_image *>(pixels)); }, img.release());
    if (heifCropped(ctx, h))
        out.image = heifTransformed(ctx, h, out.image);
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
