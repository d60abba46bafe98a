#include "platform/core/HeifGeometry.h"
#include "platform/core/HeifReducedDecode.h"
#include "platform/core/ImageLimits.h"
#include "platform/core/ImagePropertyTables.h"
#include "platform/core/JobRunner.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct ContextDeleter {
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image *i) const { heif_image_release(i); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using Image = std::unique_ptr<heif_image, ImageDeleter>;

// `data` must outlive the context: libheif reads it in place.
Context openContext(const QByteArray &data, QString *error) {
    Context ctx(heif_context_alloc());
    const heif_error err = heif_context_read_from_memory_without_copy(ctx.get(), data.constData(),
                                                                      size_t(data.size()), nullptr);
    if (err.code != heif_error_Ok) {
        *error = QString::fromUtf8(err.message);
        return {};
    }
    return ctx;
}

Handle primary(heif_context *ctx, QString *error) {
    heif_image_handle *h = nullptr;
    const heif_error err = heif_context_get_primary_image_handle(ctx, &h);
    if (err.code != heif_error_Ok) {
        *error = QString::fromUtf8(err.message);
        return {};
    }
    return Handle(h);
}

QByteArray metadataBlock(heif_image_handle *h, const char *type, const char *contentType) {
    const int n = heif_image_handle_get_number_of_metadata_blocks(h, type);
    std::vector<heif_item_id> ids(size_t(std::max(n, 0)));
    heif_image_handle_get_list_of_metadata_block_IDs(h, type, ids.data(), n);
    for (heif_item_id id : ids) {
        if (contentType &&
            std::string(heif_image_handle_get_metadata_content_type(h, id)) != contentType)
            continue;
        QByteArray block(qsizetype(heif_image_handle_get_metadata_size(h, id)), '\0');
        if (heif_image_handle_get_metadata(h, id, block.data()).code == heif_error_Ok)
            return block;
    }
    return {};
}

QImage decode(heif_context *ctx, heif_image_handle *h) {
    if (!ImageLimits::decodeAllowed(heif_image_handle_get_width(h),
                                    heif_image_handle_get_height(h)) ||
        !heifGeometrySound(ctx, h))
        return {};
    heif_image *raw = nullptr;
    if (heifDecode(ctx, h, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, &raw).code !=
        heif_error_Ok)
        return {};
    Image img(raw);
    if (!heifDecodedAsDeclared(ctx, h, img.get()))
        return {};
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(img.get(), heif_channel_interleaved, &stride);
    if (!plane)
        return {};
    // The picture keeps libheif's pixels instead of copying 48 MB of a phone's photo; they are
    // released with the last QImage that shares them.
    const int width = heif_image_get_width(img.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(img.get(), heif_channel_interleaved);
    const QImage stored(
        plane, width, height, stride, QImage::Format_RGBA8888,
        [](void *image) { heif_image_release(static_cast<heif_image *>(image)); }, img.release());
    return heifCropped(ctx, h) ? heifTransformed(ctx, h, stored) : stored;
}

} // namespace

bool looksLikeHeif(const QByteArray &data, QString *type) {
    QString ignored;
    if (!type)
        type = &ignored;
    if (data.size() < 12 || data.mid(4, 4) != "ftyp")
        return false;
    const QByteArray brand = data.mid(8, 4);
    if (brand == "heic" || brand == "heix" || brand == "hevc" || brand == "hevx" ||
        brand == "heim" || brand == "heis")
        *type = QStringLiteral("public.heic");
    else if (brand == "avif" || brand == "avis")
        *type = QStringLiteral("public.avif");
    else if (brand == "mif1" || brand == "msf1")
        *type = QStringLiteral("public.heif");
    else
        return false;
    return true;
}

HeifInfo readHeif(const QByteArray &data) {
    HeifInfo info;
    info.context =
        std::shared_ptr<heif_context>(openContext(data, &info.error).release(), ContextDeleter());
    heif_context *const ctx = info.context.get();
    if (!ctx)
        return info;
    info.count = heif_context_get_number_of_top_level_images(ctx);
    std::vector<heif_item_id> ids(size_t(std::max(info.count, 0)));
    heif_context_get_list_of_top_level_image_IDs(ctx, ids.data(), info.count);
    for (heif_item_id id : ids) {
        heif_image_handle *h = nullptr;
        if (heif_context_get_image_handle(ctx, id, &h).code == heif_error_Ok) {
            info.sizes.emplace_back(heif_image_handle_get_width(h),
                                    heif_image_handle_get_height(h));
            heif_image_handle_release(h);
        }
    }
    Handle h = primary(ctx, &info.error);
    if (!h)
        return info;
    info.width = heif_image_handle_get_width(h.get());
    info.height = heif_image_handle_get_height(h.get());
    info.storedWidth = heif_image_handle_get_ispe_width(h.get());
    info.storedHeight = heif_image_handle_get_ispe_height(h.get());
    if (info.storedWidth <= 0 || info.storedHeight <= 0) {
        info.storedWidth = info.width;
        info.storedHeight = info.height;
    }
    info.hasAlpha = heif_image_handle_has_alpha_channel(h.get());
    info.depth = heif_image_handle_get_luma_bits_per_pixel(h.get());
    if (heif_image_handle_get_color_profile_type(h.get()) == heif_color_profile_type_prof ||
        heif_image_handle_get_color_profile_type(h.get()) == heif_color_profile_type_rICC) {
        info.icc.resize(qsizetype(heif_image_handle_get_raw_color_profile_size(h.get())));
        if (heif_image_handle_get_raw_color_profile(h.get(), info.icc.data()).code != heif_error_Ok)
            info.icc.clear();
    }
    // The Exif item starts with a 4-byte big-endian offset from its end to the TIFF header.
    const QByteArray exif = metadataBlock(h.get(), "Exif", nullptr);
    if (exif.size() > 4) {
        const quint32 offset = (quint32(uchar(exif[0])) << 24) | (quint32(uchar(exif[1])) << 16) |
                               (quint32(uchar(exif[2])) << 8) | quint32(uchar(exif[3]));
        if (offset < quint32(exif.size() - 4))
            info.exifTiff = exif.mid(4 + qsizetype(offset));
    }
    const QByteArray xmp = metadataBlock(h.get(), "mime", "application/rdf+xml");
    info.xmp = xmp.toStdString();
    info.ok = true;
    return info;
}

QImage heifThumbnail(heif_context *ctx, const QByteArray &data, int maxSide) {
    if (!ctx)
        return {};
    QString error;
    Handle h = primary(ctx, &error);
    if (!h)
        return {};
    // A phone's grid picture is dozens of tiles: decode them side by side.
    heif_context_set_max_decoding_threads(ctx, std::max(4, JobRunner::cores()));
    QImage image;
    heif_item_id thumbId = 0;
    if (heif_image_handle_get_list_of_thumbnail_IDs(h.get(), &thumbId, 1) == 1) {
        heif_image_handle *t = nullptr;
        if (heif_image_handle_get_thumbnail(h.get(), thumbId, &t).code == heif_error_Ok) {
            Handle thumb(t);
            image = decode(ctx, thumb.get());
        }
        // A thumbnail item of another shape than the photo (a damaged or a foreign one) would
        // show the photo at a size its conversions never have.
        const qint64 width = heif_image_handle_get_width(h.get());
        const qint64 height = heif_image_handle_get_height(h.get());
        if (!image.isNull() &&
            std::abs(image.width() * height - image.height() * width) > std::min(width, height))
            image = QImage();
    }
    // Without a thumbnail of its own, a 12-megapixel photo is decoded straight to cell size.
    if (image.isNull())
        image = heifReducedDecode(ctx, h.get(), data, maxSide);
    if (image.isNull())
        image = decode(ctx, h.get());
    if (image.isNull() || (image.width() <= maxSide && image.height() <= maxSide))
        return image;
    return image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
