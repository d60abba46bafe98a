#include "batch/core/HeifJpeg.h"

#include "batch/core/HeifPrimary.h"
#include "platform/core/HeifGeometry.h"
#include "platform/core/HeifReducedDecode.h"

#include <QColorSpace>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <libheif/heif_items.h>
#include <libheif/heif_properties.h>

namespace {

using ImagePtr = std::unique_ptr<heif_image, decltype(&heif_image_release)>;

// JFIF's YCbCr: full range, BT.601, which libheif also takes an unspecified matrix to be.
bool jfifColour(bool fullRange, int matrix) {
    return fullRange && (matrix == heif_matrix_coefficients_ITU_R_BT_470_6_System_B_G ||
                         matrix == heif_matrix_coefficients_ITU_R_BT_601_6 ||
                         matrix == heif_matrix_coefficients_unspecified);
}

// The decoded planes, only when they are the YCbCr a JPEG stores and libheif has nothing to
// crop (the RGB road crops them itself).
ImagePtr jfifPlanes(heif_context *ctx, heif_image_handle *h) {
    ImagePtr none(nullptr, heif_image_release);
    heif_colorspace space = heif_colorspace_undefined;
    heif_chroma chroma = heif_chroma_undefined;
    if (heifCropped(ctx, h) || heif_image_handle_has_alpha_channel(h) ||
        heif_image_handle_get_luma_bits_per_pixel(h) != 8 ||
        heif_image_handle_get_chroma_bits_per_pixel(h) != 8 ||
        heif_image_handle_get_preferred_decoding_colorspace(h, &space, &chroma).code !=
            heif_error_Ok ||
        space != heif_colorspace_YCbCr || chroma != heif_chroma_420)
        return none;
    heif_image *raw = nullptr;
    if (heif_decode_image(h, &raw, heif_colorspace_YCbCr, heif_chroma_420, nullptr).code !=
        heif_error_Ok)
        return none;
    ImagePtr img(raw, heif_image_release);
    if (!heifDecodedAsDeclared(ctx, h, raw) ||
        heif_image_get_colorspace(raw) != heif_colorspace_YCbCr ||
        heif_image_get_chroma_format(raw) != heif_chroma_420)
        return none;
    for (heif_channel c : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr})
        if (heif_image_get_bits_per_pixel_range(raw, c) != 8)
            return none;
    // The description libheif converts to RGB with: it must be JFIF's full-range BT.601,
    // which libheif also takes an unspecified matrix to be.
    heif_color_profile_nclx *nclx = nullptr;
    if (heif_image_get_nclx_color_profile(raw, &nclx).code != heif_error_Ok || !nclx)
        return none;
    const bool jfif = jfifColour(nclx->full_range_flag, nclx->matrix_coefficients);
    heif_nclx_color_profile_free(nclx);
    return jfif ? std::move(img) : std::move(none);
}

struct Plane {
    const uint8_t *data = nullptr;
    int stride = 0, width = 0, height = 0;
};

struct ErrorExit {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// Rows of one component for one iMCU row, each `padded` samples wide: libheif's own rows
// where they are wide enough, else copies with the last sample repeated (as libjpeg pads).
// Rows below the image repeat its last row.
void fillRows(const Plane &p, int firstRow, int count, int padded, std::vector<uint8_t> &scratch,
              JSAMPROW *rows) {
    const bool copy = padded > p.width;
    if (copy)
        scratch.resize(size_t(padded) * size_t(count));
    for (int i = 0; i < count; ++i) {
        const int y = std::min(firstRow + i, p.height - 1);
        const uint8_t *src = p.data + size_t(y) * size_t(p.stride);
        if (!copy) {
            rows[i] = const_cast<JSAMPROW>(src);
            continue;
        }
        uint8_t *dst = scratch.data() + size_t(i) * size_t(padded);
        std::memcpy(dst, src, size_t(p.width));
        std::memset(dst + p.width, src[p.width - 1], size_t(padded - p.width));
        rows[i] = dst;
    }
}

// libjpeg reports errors by longjmp: only plain data lives in this frame.
bool compress(const Plane planes[3], int quality, const QByteArray &icc, unsigned char **out,
              unsigned long *outSize) {
    jpeg_compress_struct cinfo;
    ErrorExit err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<ErrorExit *>(c->err)->jump, 1);
    };
    err.mgr.output_message = [](j_common_ptr) {};
    std::vector<uint8_t> scratch[3];
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(planes[0].width);
    cinfo.image_height = JDIMENSION(planes[0].height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.raw_data_in = TRUE;
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    // The header Qt's JPEG writer gives the RGB road's output: 96 dots per inch.
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = 96;
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET *>(icc.constData()),
                               unsigned(icc.size()));
    JSAMPROW y[16], cb[8], cr[8];
    JSAMPARRAY rows[3] = {y, cb, cr};
    while (cinfo.next_scanline < cinfo.image_height) {
        const int line = int(cinfo.next_scanline);
        for (int c = 0; c < 3; ++c) {
            const jpeg_component_info &comp = cinfo.comp_info[c];
            const int count = c == 0 ? 16 : 8;
            fillRows(planes[c], c == 0 ? line : line / 2, count,
                     int(comp.width_in_blocks) * DCTSIZE, scratch[c], rows[c]);
        }
        jpeg_write_raw_data(&cinfo, rows, 16);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// The JPEG of `planes`; empty when libjpeg fails.
QByteArray jpegOf(const Plane planes[3], int quality, const QByteArray &icc) {
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    QByteArray jpeg;
    if (compress(planes, quality, icc, &buffer, &size) && buffer && size > 0)
        jpeg = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return jpeg;
}

// Whether the file turns, mirrors or crops the image: libheif does that to its planes, the
// tiles' road does not.
bool placedAsStored(heif_context *ctx, heif_image_handle *h) {
    const heif_item_id id = heif_image_handle_get_item_id(h);
    heif_property_id props[8];
    const int n = heif_item_get_transformation_properties(ctx, id, props, 8);
    for (int i = 0; i < n; ++i)
        if (heif_item_get_property_type(ctx, id, props[i]) !=
                heif_item_property_type_transform_rotation ||
            heif_item_get_property_transform_rotation_ccw(ctx, id, props[i]) % 360 != 0)
            return false;
    return true;
}

// The JPEG from planes assembled out of tiles FFmpeg decodes, which costs about half of what
// libheif's decoder does; empty when the photo does not take this road.
QByteArray jpegFromTiles(const HeifPrimary &primary, const QByteArray &heif, int quality) {
    heif_context *ctx = primary.context.get();
    heif_image_handle *h = primary.handle.get();
    if (!placedAsStored(ctx, h))
        return {};
    std::vector<uint8_t> storage[3];
    Plane planes[3];
    const auto begin = [&](int width, int height) {
        for (int c = 0; c < 3; ++c) {
            Plane &p = planes[c];
            p.width = c == 0 ? width : (width + 1) / 2;
            p.height = c == 0 ? height : (height + 1) / 2;
            p.stride = p.width;
            storage[c].assign(size_t(p.width) * size_t(p.height), 0);
            p.data = storage[c].data();
        }
        return true;
    };
    // A tile whose place or size leaves a plane is refused whole, never cut to fit.
    const auto take = [&](const HevcTile &tile) {
        if (tile.x < 0 || tile.y < 0 || tile.x % 2 != 0 || tile.y % 2 != 0 || tile.width <= 0 ||
            tile.height <= 0)
            return false;
        for (int c = 0; c < 3; ++c) {
            const int shift = c == 0 ? 0 : 1;
            const int x = tile.x >> shift, y = tile.y >> shift;
            const int w = (tile.width + shift) >> shift, rows = (tile.height + shift) >> shift;
            if (w > planes[c].width - x || rows > planes[c].height - y || tile.stride[c] < w)
                return false;
        }
        for (int c = 0; c < 3; ++c) {
            const int shift = c == 0 ? 0 : 1;
            const int x = tile.x >> shift, y = tile.y >> shift;
            const int w = (tile.width + shift) >> shift, rows = (tile.height + shift) >> shift;
            for (int r = 0; r < rows; ++r)
                std::memcpy(storage[c].data() + size_t(y + r) * size_t(planes[c].stride) +
                                size_t(x),
                            tile.plane[c] + qsizetype(r) * tile.stride[c], size_t(w));
        }
        return true;
    };
    HevcColour colour;
    if (!decodeHevcTiles(ctx, h, heif, begin, take, &colour) ||
        !jfifColour(colour.fullRange, colour.matrix))
        return {};
    heif_color_profile_nclx described{};
    described.color_primaries = heif_color_primaries(colour.primaries);
    described.transfer_characteristics = heif_transfer_characteristics(colour.transfer);
    described.matrix_coefficients = heif_matrix_coefficients(colour.matrix);
    described.full_range_flag = colour.fullRange;
    return jpegOf(planes, quality, heifColorSpace(h, described).iccProfile());
}

} // namespace

QByteArray heifToJpegFromPlanes(const QByteArray &heif, int quality) {
    const HeifPrimary primary = openHeifPrimary(heif);
    if (!primary.ok())
        return {};
    if (QByteArray jpeg = jpegFromTiles(primary, heif, quality); !jpeg.isEmpty())
        return jpeg;
    const ImagePtr img = jfifPlanes(primary.context.get(), primary.handle.get());
    if (!img)
        return {};
    Plane planes[3];
    const heif_channel channels[3] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    for (int c = 0; c < 3; ++c) {
        Plane &p = planes[c];
        p.data = heif_image_get_plane_readonly(img.get(), channels[c], &p.stride);
        p.width = heif_image_get_width(img.get(), channels[c]);
        p.height = heif_image_get_height(img.get(), channels[c]);
        if (!p.data || p.width <= 0 || p.height <= 0)
            return {};
    }
    return jpegOf(planes, quality, heifColorSpace(primary.handle.get(), img.get()).iccProfile());
}
