#include "platform/core/HeifReducedDecode.h"

#include "platform/core/HeifGeometry.h"
#include "platform/core/ImageLimits.h"
#include "platform/core/JobRunner.h"

#include <libheif/heif.h>
#include <libheif/heif_items.h>
#include <libheif/heif_properties.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr quint32 fourcc(const char (&s)[5]) {
    return (quint32(uchar(s[0])) << 24) | (quint32(uchar(s[1])) << 16) |
           (quint32(uchar(s[2])) << 8) | quint32(uchar(s[3]));
}

quint32 be(const QByteArray &b, qsizetype at, int bytes) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | uchar(b[at + i]);
    return v;
}

// One box of the file: its type and where its body lies.
struct Box {
    quint32 type = 0;
    qsizetype body = 0;
    qsizetype end = 0;
};

// The boxes between `from` and `to`, in order; stops at the first that leaves the range.
std::vector<Box> boxesIn(const QByteArray &b, qsizetype from, qsizetype to) {
    std::vector<Box> boxes;
    qsizetype at = from;
    while (at + 8 <= to) {
        quint64 size = be(b, at, 4);
        qsizetype header = 8;
        if (size == 1) {
            if (at + 16 > to)
                break;
            size = (quint64(be(b, at + 8, 4)) << 32) | be(b, at + 12, 4);
            header = 16;
        } else if (size == 0) {
            size = quint64(to - at);
        }
        if (size < quint64(header) || size > quint64(to - at))
            break;
        boxes.push_back({be(b, at + 4, 4), at + header, at + qsizetype(size)});
        at += qsizetype(size);
    }
    return boxes;
}

std::optional<Box> child(const QByteArray &b, const Box &parent, quint32 type, int skip = 0) {
    for (const Box &box : boxesIn(b, parent.body + skip, parent.end))
        if (box.type == type)
            return box;
    return std::nullopt;
}

// The HEVC decoder configuration ('hvcC') the file gives item `item`, found through the
// item properties: libheif keeps it to itself.
std::optional<Box> decoderConfiguration(const QByteArray &file, heif_item_id item) {
    const Box whole{0, 0, file.size()};
    const auto meta = child(file, whole, fourcc("meta"));
    const auto iprp = meta ? child(file, *meta, fourcc("iprp"), 4) : std::nullopt;
    const auto ipco = iprp ? child(file, *iprp, fourcc("ipco")) : std::nullopt;
    if (!ipco)
        return std::nullopt;
    const std::vector<Box> properties = boxesIn(file, ipco->body, ipco->end);
    for (const Box &ipma : boxesIn(file, iprp->body, iprp->end)) {
        if (ipma.type != fourcc("ipma") || ipma.body + 8 > ipma.end)
            continue;
        const int version = uchar(file[ipma.body]);
        const bool wideIndex = be(file, ipma.body + 1, 3) & 1;
        const quint32 entries = be(file, ipma.body + 4, 4);
        qsizetype at = ipma.body + 8;
        for (quint32 e = 0; e < entries; ++e) {
            const int idBytes = version < 1 ? 2 : 4;
            if (at + idBytes + 1 > ipma.end)
                return std::nullopt;
            const quint32 id = be(file, at, idBytes);
            const int count = uchar(file[at + idBytes]);
            at += idBytes + 1;
            const int indexBytes = wideIndex ? 2 : 1;
            if (at + qsizetype(count) * indexBytes > ipma.end)
                return std::nullopt;
            for (int p = 0; p < count; ++p, at += indexBytes) {
                const quint32 index = be(file, at, indexBytes) & (wideIndex ? 0x7fff : 0x7f);
                if (id == item && index >= 1 && index <= properties.size() &&
                    properties[index - 1].type == fourcc("hvcC"))
                    return properties[index - 1];
            }
        }
    }
    return std::nullopt;
}

// A coded tile as the decoder takes it: the configuration's parameter sets, then the tile's
// own NAL units, each behind a start code instead of its length. Empty when a unit is cut short
// or bytes are left over that make no unit: a damaged tile, which libheif refuses too.
QByteArray annexB(const QByteArray &file, const Box &config, const uint8_t *data, size_t size) {
    static const QByteArray startCode("\0\0\0\1", 4);
    QByteArray out;
    if (config.body + 23 > config.end)
        return {};
    const int lengthBytes = (uchar(file[config.body + 21]) & 3) + 1;
    const int arrays = uchar(file[config.body + 22]);
    qsizetype at = config.body + 23;
    for (int a = 0; a < arrays; ++a) {
        if (at + 3 > config.end)
            return {};
        const quint32 units = be(file, at + 1, 2);
        at += 3;
        for (quint32 u = 0; u < units; ++u) {
            if (at + 2 > config.end)
                return {};
            const qsizetype length = be(file, at, 2);
            if (at + 2 + length > config.end)
                return {};
            out += startCode;
            out += file.mid(at + 2, length);
            at += 2 + length;
        }
    }
    size_t pos = 0;
    while (pos + size_t(lengthBytes) <= size) {
        size_t length = 0;
        for (int i = 0; i < lengthBytes; ++i)
            length = (length << 8) | data[pos + size_t(i)];
        pos += size_t(lengthBytes);
        if (length > size - pos)
            return {};
        out += startCode;
        out.append(reinterpret_cast<const char *>(data + pos), qsizetype(length));
        pos += length;
    }
    return pos == size ? out : QByteArray();
}

// Sums of the full-size pixels falling into each pixel of the small picture.
class Reducer {
  public:
    Reducer(int width, int height, int factor)
        : width(width), height(height), factor(factor), outWidth((width + factor - 1) / factor),
          outHeight((height + factor - 1) / factor), sums(size_t(outWidth) * outHeight * 3),
          lumaCounts(size_t(outWidth) * outHeight), chromaCounts(size_t(outWidth) * outHeight) {}

    // Adds a decoded 4:2:0 tile; false, adding nothing, when it does not lie inside the picture.
    bool add(const HevcTile &tile) {
        const int x0 = tile.x, y0 = tile.y, w = tile.width, h = tile.height;
        if (x0 < 0 || y0 < 0 || w <= 0 || h <= 0 || x0 % 2 != 0 || y0 % 2 != 0 || w > width - x0 ||
            h > height - y0)
            return false;
        for (int y = 0; y < h; ++y)
            addRow(tile.plane[0] + qsizetype(y) * tile.stride[0], w, x0, 1,
                   size_t((y0 + y) / factor) * outWidth, 0, &lumaCounts);
        for (int y = 0; y < (h + 1) / 2; ++y) {
            const size_t outRow = size_t((y0 + 2 * y) / factor) * outWidth;
            addRow(tile.plane[1] + qsizetype(y) * tile.stride[1], (w + 1) / 2, x0, 2, outRow, 1,
                   &chromaCounts);
            addRow(tile.plane[2] + qsizetype(y) * tile.stride[2], (w + 1) / 2, x0, 2, outRow, 2,
                   nullptr);
        }
        return true;
    }

    // The averages as RGB, by the matrix and range the file or the stream gives.
    QImage picture(int matrix, bool fullRange) const {
        // Kr and Kb of ITU-R BT.709, BT.2020 and (the default, as libheif's) BT.601.
        const double kr = matrix == 1 ? 0.2126 : matrix == 9 || matrix == 10 ? 0.2627 : 0.299;
        const double kb = matrix == 1 ? 0.0722 : matrix == 9 || matrix == 10 ? 0.0593 : 0.114;
        const double kg = 1 - kr - kb;
        const double lumaScale = fullRange ? 1.0 : 255.0 / 219.0;
        const double chromaScale = fullRange ? 1.0 : 255.0 / 224.0;
        const double lumaOffset = fullRange ? 0 : 16;
        QImage out(outWidth, outHeight, QImage::Format_RGB32);
        if (out.isNull())
            return {};
        auto clamp = [](double v) { return std::clamp(int(v + 0.5), 0, 255); };
        for (int y = 0; y < outHeight; ++y) {
            auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
            for (int x = 0; x < outWidth; ++x) {
                const size_t o = size_t(y) * outWidth + size_t(x);
                const double luma =
                    lumaCounts[o] ? (double(sums[o * 3]) / lumaCounts[o] - lumaOffset) * lumaScale
                                  : 0;
                double cb = 0, cr = 0;
                if (chromaCounts[o]) {
                    cb = (double(sums[o * 3 + 1]) / chromaCounts[o] - 128) * chromaScale;
                    cr = (double(sums[o * 3 + 2]) / chromaCounts[o] - 128) * chromaScale;
                }
                line[x] =
                    qRgb(clamp(luma + (2 - 2 * kr) * cr),
                         clamp(luma - (2 - 2 * kb) * kb / kg * cb - (2 - 2 * kr) * kr / kg * cr),
                         clamp(luma + (2 - 2 * kb) * cb));
            }
        }
        return out;
    }

  private:
    // Adds `n` samples of one channel, sample i lying at x0 + step * i of the image, a run of
    // samples per small pixel.
    void addRow(const uint8_t *row, int n, int x0, int step, size_t outRow, int channel,
                std::vector<quint32> *counts) {
        for (int i = 0; i < n;) {
            const int o = (x0 + step * i) / factor;
            const int end = std::min(n, ((o + 1) * factor - x0 + step - 1) / step);
            quint32 sum = 0;
            for (int k = i; k < end; ++k)
                sum += row[k];
            sums[(outRow + size_t(o)) * 3 + size_t(channel)] += sum;
            if (counts)
                (*counts)[outRow + size_t(o)] += quint32(end - i);
            i = end;
        }
    }

    int width, height, factor, outWidth, outHeight;
    std::vector<quint32> sums;
    std::vector<quint32> lumaCounts, chromaCounts;
};

struct CodecFreer {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};

// The items that make up the image, in row order, with the grid they fill.
struct Layout {
    std::vector<heif_item_id> tiles;
    heif_image_tiling tiling{};
};

std::optional<Layout> layoutOf(heif_context *ctx, heif_image_handle *image) {
    const heif_item_id id = heif_image_handle_get_item_id(image);
    Layout layout;
    if (heif_image_handle_get_image_tiling(image, 0, &layout.tiling).code != heif_error_Ok)
        return std::nullopt;
    const quint32 type = heif_item_get_item_type(ctx, id);
    // The sizes before the file's turns: the tiles are stored so.
    layout.tiling.image_width = uint32_t(std::max(0, heif_image_handle_get_ispe_width(image)));
    layout.tiling.image_height = uint32_t(std::max(0, heif_image_handle_get_ispe_height(image)));
    if (type == fourcc("hvc1")) {
        layout.tiles = {id};
        layout.tiling.num_columns = layout.tiling.num_rows = 1;
        layout.tiling.tile_width = layout.tiling.image_width;
        layout.tiling.tile_height = layout.tiling.image_height;
        return layout;
    }
    if (type != fourcc("grid"))
        return std::nullopt;
    for (int index = 0;; ++index) {
        uint32_t refType = 0;
        heif_item_id *refs = nullptr;
        const size_t n = heif_context_get_item_references(ctx, id, index, &refType, &refs);
        if (n == 0)
            break;
        if (refType == fourcc("dimg") && layout.tiles.empty())
            layout.tiles.assign(refs, refs + n);
        heif_release_item_references(ctx, &refs);
    }
    const quint64 expected = quint64(layout.tiling.num_columns) * layout.tiling.num_rows;
    if (layout.tiles.empty() || layout.tiles.size() != expected ||
        quint64(layout.tiling.num_columns) * layout.tiling.tile_width < layout.tiling.image_width ||
        quint64(layout.tiling.num_rows) * layout.tiling.tile_height < layout.tiling.image_height)
        return std::nullopt;
    for (heif_item_id tile : layout.tiles)
        if (heif_item_get_item_type(ctx, tile) != fourcc("hvc1"))
            return std::nullopt;
    return layout;
}

} // namespace

bool decodeHevcTiles(heif_context *ctx, heif_image_handle *image, const QByteArray &file,
                     const std::function<bool(int, int)> &begin,
                     const std::function<bool(const HevcTile &)> &take, HevcColour *colour) {
    if (!ctx || !image || heif_image_handle_has_alpha_channel(image) ||
        heif_image_handle_get_luma_bits_per_pixel(image) != 8 ||
        heif_image_handle_get_chroma_bits_per_pixel(image) != 8 || !heifGeometrySound(ctx, image))
        return false;
    const std::optional<Layout> layout = layoutOf(ctx, image);
    if (!layout)
        return false;
    const heif_image_tiling &grid = layout->tiling;
    const int width = int(grid.image_width), height = int(grid.image_height);
    if (width <= 0 || height <= 0 || grid.tile_width == 0 || grid.tile_height == 0 ||
        !ImageLimits::decodeAllowed(width, height) || !begin(width, height))
        return false;

    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(codec ? avcodec_alloc_context3(codec)
                                                              : nullptr);
    if (!decoder)
        return false;
    // The tiles are pictures of their own: frame threads decode several side by side.
    decoder->thread_type = FF_THREAD_FRAME;
    decoder->thread_count = std::min(4, JobRunner::cores());
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return false;
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    if (!packet || !frame)
        return false;

    HevcColour found;
    size_t received = 0;
    // Takes every picture the decoder has ready; false on a picture we cannot read or place.
    // A tile is exactly the size the grid gives it, and only cut at the picture's edges.
    auto drain = [&]() {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            const qint64 index = frame->pts;
            bool usable =
                (frame->format == AV_PIX_FMT_YUV420P || frame->format == AV_PIX_FMT_YUVJ420P) &&
                frame->width == int(grid.tile_width) && frame->height == int(grid.tile_height) &&
                index >= 0 && quint64(index) < layout->tiles.size();
            if (usable) {
                HevcTile tile;
                tile.x = int(index % grid.num_columns) * int(grid.tile_width);
                tile.y = int(index / grid.num_columns) * int(grid.tile_height);
                tile.width = std::min(int(grid.tile_width), width - tile.x);
                tile.height = std::min(int(grid.tile_height), height - tile.y);
                for (int c = 0; c < 3; ++c) {
                    tile.plane[c] = frame->data[c];
                    tile.stride[c] = frame->linesize[c];
                }
                usable = tile.width > 0 && tile.height > 0 && take(tile);
            }
            if (usable) {
                found.matrix = frame->colorspace;
                found.primaries = frame->color_primaries;
                found.transfer = frame->color_trc;
                found.fullRange =
                    frame->color_range == AVCOL_RANGE_JPEG || frame->format == AV_PIX_FMT_YUVJ420P;
                ++received;
            }
            av_frame_unref(frame.get());
            if (!usable)
                return false;
        }
        return true;
    };
    for (size_t i = 0; i < layout->tiles.size(); ++i) {
        const heif_item_id tile = layout->tiles[i];
        const std::optional<Box> config = decoderConfiguration(file, tile);
        uint8_t *data = nullptr;
        size_t size = 0;
        if (!config ||
            heif_item_get_item_data(ctx, tile, nullptr, &data, &size).code != heif_error_Ok)
            return false;
        const QByteArray coded = annexB(file, *config, data, size);
        heif_release_item_data(ctx, &data);
        if (coded.isEmpty() || av_new_packet(packet.get(), int(coded.size())) < 0)
            return false;
        std::copy(coded.begin(), coded.end(), packet->data);
        packet->pts = qint64(i);
        int sent;
        while ((sent = avcodec_send_packet(decoder.get(), packet.get())) == AVERROR(EAGAIN))
            if (!drain())
                return false;
        av_packet_unref(packet.get());
        if (sent < 0 || !drain())
            return false;
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (!drain() || received != layout->tiles.size())
        return false;

    // The file's own colour description comes before the stream's, as libheif takes it.
    heif_color_profile_nclx *nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(image, &nclx).code == heif_error_Ok && nclx) {
        found.matrix = nclx->matrix_coefficients;
        found.primaries = nclx->color_primaries;
        found.transfer = nclx->transfer_characteristics;
        found.fullRange = nclx->full_range_flag;
        heif_nclx_color_profile_free(nclx);
    }
    if (colour)
        *colour = found;
    return true;
}

QImage heifReducedDecode(heif_context *ctx, heif_image_handle *image, const QByteArray &file,
                         int minSide) {
    std::optional<Reducer> reducer;
    // An image not twice the size asked for costs libheif little, and would cost us a full-size
    // sum per pixel.
    const auto begin = [&](int w, int h) {
        if (std::max(w, h) < 2 * minSide)
            return false;
        reducer.emplace(w, h, std::max(1, std::max(w, h) / std::max(1, minSide)));
        return true;
    };
    HevcColour colour;
    if (!decodeHevcTiles(
            ctx, image, file, begin, [&](const HevcTile &t) { return reducer->add(t); }, &colour))
        return {};
    return heifTransformed(ctx, image, reducer->picture(colour.matrix, colour.fullRange));
}
