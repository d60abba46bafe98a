#pragma once

#include <QByteArray>

#include <libheif/heif.h>

// The primary image decoded by libheif, every plane row by row: what a viewer would show.
inline QByteArray decodedPixels(const QByteArray &data) {
    heif_context *ctx = heif_context_alloc();
    QByteArray pixels;
    heif_image_handle *h = nullptr;
    heif_image *img = nullptr;
    if (heif_context_read_from_memory_without_copy(ctx, data.constData(), size_t(data.size()),
                                                   nullptr)
                .code == heif_error_Ok &&
        heif_context_get_primary_image_handle(ctx, &h).code == heif_error_Ok &&
        heif_decode_image(h, &img, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
                .code == heif_error_Ok) {
        for (heif_channel channel :
             {heif_channel_Y, heif_channel_Cb, heif_channel_Cr, heif_channel_interleaved}) {
            if (!heif_image_has_channel(img, channel))
                continue;
            int stride = 0;
            const uint8_t *plane = heif_image_get_plane_readonly(img, channel, &stride);
            const int width = heif_image_get_width(img, channel);
            const int height = heif_image_get_height(img, channel);
            const int bytesPerRow = (heif_image_get_bits_per_pixel(img, channel) * width + 7) / 8;
            for (int y = 0; y < height; ++y)
                pixels.append(reinterpret_cast<const char *>(plane) + qsizetype(y) * stride,
                              bytesPerRow);
        }
    }
    if (img)
        heif_image_release(img);
    if (h)
        heif_image_handle_release(h);
    heif_context_free(ctx);
    return pixels;
}
