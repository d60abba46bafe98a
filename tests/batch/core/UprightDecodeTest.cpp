// A HEIC whose rotation lives in its container (irot) decodes upright, and converts so.
#include "batch/core/UprightDecode.h"
#include "batch/core/HeifJpeg.h"
#include "batch/core/ImageOutputs.h"
#include "support/ImageTestHelpers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <algorithm>

namespace {

heif_error appendTo(heif_context *, const void *data, size_t size, void *userdata) {
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// 128 x 64 stored, bright left half and dark right half, to be shown turned 90° clockwise:
// upright it is 64 x 128, bright above dark. `limitedRange`: its YCbCr says video range.
QByteArray rotatedHeic(bool limitedRange = false) {
    QByteArray out;
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_image_create(128, 64, heif_colorspace_YCbCr, heif_chroma_420, &image).code ==
            heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 90);
        for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
            const bool luma = channel == heif_channel_Y;
            const int w = luma ? 128 : 64, h = luma ? 64 : 32;
            heif_image_add_plane(image, channel, w, h, 8);
            int stride = 0;
            uint8_t *plane = heif_image_get_plane(image, channel, &stride);
            for (int y = 0; y < h; ++y) {
                std::fill_n(plane + y * stride, w, uint8_t(128));
                if (luma) {
                    std::fill_n(plane + y * stride, w / 2, uint8_t(230));
                    std::fill_n(plane + y * stride + w / 2, w / 2, uint8_t(30));
                }
            }
        }
        heif_encoding_options *options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation_rotate_90_cw;
        heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = !limitedRange;
        options->output_nclx_profile = nclx;
        if (heif_context_encode_image(ctx, image, encoder, options, nullptr).code ==
            heif_error_Ok) {
            heif_writer writer{1, &appendTo};
            if (heif_context_write(ctx, &writer, &out).code != heif_error_Ok)
                out.clear();
        }
        heif_encoding_options_free(options);
        heif_nclx_color_profile_free(nclx);
    }
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(ctx);
    return out;
}

void expectBrightAboveDark(const QImage &image) {
    ASSERT_EQ(image.size(), QSize(64, 128));
    EXPECT_GT(qGray(image.pixel(32, 20)), 180);
    EXPECT_LT(qGray(image.pixel(32, 108)), 80);
}

} // namespace

TEST(UprightDecode, AHeicTurnedByItsContainerComesOutUpright) {
    const QByteArray heic = rotatedHeic();
    ASSERT_FALSE(heic.isEmpty()) << "no HEVC encoder";
    QTemporaryDir dir;
    const QString path = dir.filePath("turned.heic");
    ASSERT_TRUE(writeAll(path, heic));
    expectBrightAboveDark(decodeUprightFile(path).image);
    // Its planes go to the JPEG as libheif turned them.
    EXPECT_FALSE(heifToJpegFromPlanes(heic, 90).isEmpty());
    const OutputResult converted = convertPhotoToJpeg(path, "turned.heic", dir.filePath("out"));
    ASSERT_TRUE(converted.ok()) << converted.reason.toStdString();
    expectBrightAboveDark(QImage(converted.path));

    // Video-range YCbCr is not JPEG's: only the RGB road keeps its contrast.
    const QByteArray limited = rotatedHeic(true);
    const QString limitedPath = dir.filePath("limited.heic");
    ASSERT_TRUE(writeAll(limitedPath, limited));
    EXPECT_TRUE(heifToJpegFromPlanes(limited, 90).isEmpty());
    const OutputResult viaRgb =
        convertPhotoToJpeg(limitedPath, "limited.heic", dir.filePath("out"));
    ASSERT_TRUE(viaRgb.ok()) << viaRgb.reason.toStdString();
    expectBrightAboveDark(QImage(viaRgb.path));
}
