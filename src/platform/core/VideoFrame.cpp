#include "platform/core/VideoFrame.h"

#include <QFile>
#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <QTransform>
#include <cmath>

namespace {
constexpr int kMaxPackets = 2000; // a stream that never yields a picture is given up on

struct FormatCloser {
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};

inline uchar clamp8(int v) {
    return uchar(std::clamp(v, 0, 255));
}

// 8-bit planar or semi-planar YUV to RGB (BT.601, limited or full range).
QImage toImage(const AVFrame *f) {
    const auto fmt = AVPixelFormat(f->format);
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(fmt);
    if (!desc || f->width <= 0 || f->height <= 0)
        return QImage();
    const bool nv12 = fmt == AV_PIX_FMT_NV12;
    const bool planar = fmt == AV_PIX_FMT_YUV420P || fmt == AV_PIX_FMT_YUVJ420P ||
                        fmt == AV_PIX_FMT_YUV422P || fmt == AV_PIX_FMT_YUVJ422P ||
                        fmt == AV_PIX_FMT_YUV444P || fmt == AV_PIX_FMT_YUVJ444P;
    if (!nv12 && !planar)
        return QImage();
    const bool full = fmt == AV_PIX_FMT_YUVJ420P || fmt == AV_PIX_FMT_YUVJ422P ||
                      fmt == AV_PIX_FMT_YUVJ444P || f->color_range == AVCOL_RANGE_JPEG;
    const int sx = desc->log2_chroma_w, sy = desc->log2_chroma_h;
    QImage image(f->width, f->height, QImage::Format_RGB32);
    for (int y = 0; y < f->height; ++y) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const uint8_t *yRow = f->data[0] + qint64(y) * f->linesize[0];
        const uint8_t *uRow = f->data[1] + qint64(y >> sy) * f->linesize[1];
        const uint8_t *vRow = nv12 ? nullptr : f->data[2] + qint64(y >> sy) * f->linesize[2];
        for (int x = 0; x < f->width; ++x) {
            int Y = yRow[x], U, V;
            if (nv12) {
                U = uRow[(x >> sx) * 2];
                V = uRow[(x >> sx) * 2 + 1];
            } else {
                U = uRow[x >> sx];
                V = vRow[x >> sx];
            }
            U -= 128;
            V -= 128;
            int r, g, b;
            if (full) {
                r = Y + ((359 * V) >> 8);
                g = Y - ((88 * U + 183 * V) >> 8);
                b = Y + ((454 * U) >> 8);
            } else {
                const int c = 298 * (Y - 16);
                r = (c + 409 * V + 128) >> 8;
                g = (c - 100 * U - 208 * V + 128) >> 8;
                b = (c + 516 * U + 128) >> 8;
            }
            out[x] = qRgb(clamp8(r), clamp8(g), clamp8(b));
        }
    }
    return image;
}

// A phone stores a portrait video's pictures sideways and says in the track's display matrix
// how to turn them; the picture is turned as a player shows it.
QImage upright(const QImage &image, const AVStream *stream) {
    size_t size = 0;
    const uint8_t *data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t))
        return image;
    const auto *matrix = reinterpret_cast<const int32_t *>(data);
    const double counterClockwise = av_display_rotation_get(matrix);
    if (std::isnan(counterClockwise))
        return image;
    QTransform turn;
    turn.rotate(-std::round(counterClockwise / 90.0) * 90.0);
    return turn.isIdentity() ? image : image.transformed(turn);
}
} // namespace

QImage firstVideoFrame(const QString &path, QString *error) {
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return fail(QStringLiteral("The video cannot be opened."));
    std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return fail(QStringLiteral("The video's streams cannot be read."));
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        return fail(QStringLiteral("The file has no video stream."));
    const AVCodecParameters *par = format->streams[stream]->codecpar;
    const AVCodec *codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return fail(QStringLiteral("No decoder for the video stream."));
    std::unique_ptr<AVCodecContext, CodecFreer> ctx(avcodec_alloc_context3(codec));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), par) < 0 ||
        avcodec_open2(ctx.get(), codec, nullptr) < 0)
        return fail(QStringLiteral("The video decoder cannot be started."));
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    bool flushed = false;
    for (int n = 0; n < kMaxPackets && !flushed; ++n) {
        const int read = av_read_frame(format.get(), packet.get());
        if (read < 0) {
            avcodec_send_packet(ctx.get(), nullptr); // drain what the decoder holds
            flushed = true;
        } else if (packet->stream_index != stream) {
            av_packet_unref(packet.get());
            continue;
        } else {
            avcodec_send_packet(ctx.get(), packet.get());
            av_packet_unref(packet.get());
        }
        if (avcodec_receive_frame(ctx.get(), frame.get()) == 0) {
            QImage image = toImage(frame.get());
            if (image.isNull())
                return fail(QStringLiteral("The video's picture format is not supported."));
            return upright(image, format->streams[stream]);
        }
    }
    return fail(QStringLiteral("No picture could be decoded from the video."));
}
