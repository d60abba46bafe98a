#include "platform/core/VideoMetadata.h"

#include "platform/core/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace VideoMetadata {

namespace {

struct InputCloser {
    AVFormatContext *ctx = nullptr;
    ~InputCloser() {
        if (ctx)
            avformat_close_input(&ctx);
    }
};

QString avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

// `probeStreams` decodes the first packets of every stream: needed to copy them, not to read
// the container's own metadata.
AVFormatContext *openInput(const QString &path, bool probeStreams) {
    AVFormatContext *ctx = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&ctx, name.constData(), nullptr, nullptr) < 0)
        return nullptr;
    if (probeStreams && avformat_find_stream_info(ctx, nullptr) < 0) {
        avformat_close_input(&ctx);
        return nullptr;
    }
    return ctx;
}

// The new video goes through our own exclusive temporary file's descriptor, never through a
// name FFmpeg would open (and follow, were it a planted link).
int writeToFd(void *opaque, uint8_t *buffer, int size) {
    const int fd = *static_cast<int *>(opaque);
    int left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, buffer + (size - left), size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return AVERROR(errno);
        }
        left -= int(n);
    }
    return size;
}

int64_t seekFd(void *opaque, int64_t offset, int whence) {
    const int fd = *static_cast<int *>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

} // namespace

QList<QPair<QString, QString>> metadataItems(const QString &path) {
    QList<QPair<QString, QString>> items;
    if (!QFileInfo(path).isFile())
        return items;
    InputCloser in{openInput(path, false)};
    if (!in.ctx)
        return items;
    const AVDictionaryEntry *e = nullptr;
    while ((e = av_dict_get(in.ctx->metadata, "", e, AV_DICT_IGNORE_SUFFIX)))
        items.append({QString::fromUtf8(e->key), QString::fromUtf8(e->value)});
    return items;
}

namespace {

QDateTime parseInItsZone(const QString &value) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})[T ](\\d{2}):(\\d{2}):(\\d{2})(?:\\.(\\d+))?"
                       "\\s*(Z|[+-]\\d{2}:?\\d{2})?$"));
    const auto m = re.match(value.trimmed());
    if (!m.hasMatch())
        return {};
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     m.captured(7).left(3).leftJustified(3, QLatin1Char('0')).toInt());
    if (!day.isValid() || !time.isValid())
        return {};
    const QString zone = m.captured(8);
    if (zone.isEmpty())
        return QDateTime(day, time);
    int offset = 0;
    if (zone != QLatin1String("Z")) {
        QString digits = zone.mid(1);
        digits.remove(QLatin1Char(':'));
        offset = (digits.left(2).toInt() * 3600 + digits.mid(2, 2).toInt() * 60) *
                 (zone.startsWith(QLatin1Char('-')) ? -1 : 1);
    }
    return zone == QLatin1String("Z") ? QDateTime(day, time, QTimeZone::utc()).toLocalTime()
                                      : QDateTime(day, time, QTimeZone(offset));
}

} // namespace

QDateTime parseCreationDateValue(const QString &value) {
    const QDateTime date = parseInItsZone(value);
    return date.isValid() ? date.toLocalTime() : date;
}

QDateTime creationDateInItsZone(const QString &path) {
    const auto items = metadataItems(path);
    for (const char *key : {"com.apple.quicktime.creationdate", "date", "creation_time"})
        for (const auto &item : items)
            if (item.first == QLatin1String(key)) {
                const QDateTime d = parseInItsZone(item.second);
                if (d.isValid())
                    return d;
            }
    return {};
}

QDateTime creationDate(const QString &path) {
    const QDateTime date = creationDateInItsZone(path);
    return date.isValid() ? date.toLocalTime() : date;
}

int trackCount(const QString &path) {
    AVFormatContext *ctx = openInput(path, false);
    if (!ctx)
        return -1;
    const int count = int(ctx->nb_streams);
    avformat_close_input(&ctx);
    return count;
}

bool setCreationDate(const QString &path, const QDateTime &date, QString *error,
                     bool dropUncopyableTracks, QList<int> *droppedTracks) {
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!date.isValid())
        return fail(QStringLiteral("no date given"));
    // Taken before reading, to notice another program changing the video meanwhile.
    const SafeWrite::FileStamp stamp = SafeWrite::stampOf(path);
    InputCloser in{openInput(path, true)};
    if (!in.ctx)
        return fail(QStringLiteral("%1 does not open as a video").arg(path));
    // The creation-date items are QuickTime's; other containers are not ours to rewrite.
    if (!QByteArray(in.ctx->iformat->name).contains("mp4"))
        return fail(QStringLiteral("%1 is not a QuickTime or MP4 video").arg(path));

    const QFileInfo info(path);
    // The muxer is the input's own kind (mov, mp4, ...), chosen by the original's name.
    const AVOutputFormat *format =
        av_guess_format(nullptr, QFile::encodeName(info.fileName()).constData(), nullptr);
    if (!format)
        return fail(QStringLiteral("no writer for %1").arg(info.suffix()));

    // Beside the video, so that the final rename stays on one file system; with the video's
    // mode, owner and extended attributes (user.creation_date among them).
    SafeWrite::Temporary staged;
    QString why;
    if (!staged.create(info.absolutePath(), &why) || !staged.keepAttributesOf(path, &why))
        return fail(why);
    const QString temp = staged.path();
    int stagedFd = staged.fd();

    AVFormatContext *out = nullptr;
    if (avformat_alloc_output_context2(&out, format, nullptr, nullptr) < 0 || !out)
        return fail(QStringLiteral("cannot prepare the new video"));
    struct OutputCloser {
        AVFormatContext *ctx;
        ~OutputCloser() {
            if (ctx->pb) {
                av_freep(&ctx->pb->buffer);
                avio_context_free(&ctx->pb);
            }
            avformat_free_context(ctx);
        }
    } closer{out};
    constexpr int kBufferSize = 1 << 16;
    auto *ioBuffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
    out->pb = ioBuffer ? avio_alloc_context(ioBuffer, kBufferSize, 1, &stagedFd, nullptr, writeToFd,
                                            seekFd)
                       : nullptr;
    if (!out->pb) {
        av_free(ioBuffer);
        return fail(QStringLiteral("cannot prepare the new video"));
    }
    out->flags |= AVFMT_FLAG_CUSTOM_IO;

    QList<int> streamMap; // input stream -> output stream, -1 when left out
    QList<int> dropped;
    for (unsigned i = 0; i < in.ctx->nb_streams; ++i) {
        AVStream *src = in.ctx->streams[i];
        if (src->codecpar->codec_id == AV_CODEC_ID_NONE) {
            if (!dropUncopyableTracks)
                return fail(QStringLiteral("track %1 of %2 cannot be copied").arg(i).arg(path));
            dropped << int(i);
            streamMap << -1;
            continue;
        }
        AVStream *dst = avformat_new_stream(out, nullptr);
        if (!dst || avcodec_parameters_copy(dst->codecpar, src->codecpar) < 0)
            return fail(QStringLiteral("cannot copy stream %1").arg(i));
        dst->codecpar->codec_tag = 0;
        if (avformat_query_codec(format, src->codecpar->codec_id, FF_COMPLIANCE_NORMAL) == 1)
            dst->codecpar->codec_tag = src->codecpar->codec_tag;
        dst->time_base = src->time_base;
        dst->disposition = src->disposition;
        av_dict_copy(&dst->metadata, src->metadata, 0);
        streamMap << dst->index;
    }
    av_dict_copy(&out->metadata, in.ctx->metadata, 0);
    const QDateTime utc = date.toUTC();
    const QByteArray creationTime =
        utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")).toUtf8();
    const QDateTime local = date.toLocalTime();
    const int offset = local.offsetFromUtc();
    const QByteArray quicktime = (local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
                                  QStringLiteral("%1%2%3")
                                      .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                                      .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                                      .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0')))
                                     .toUtf8();
    av_dict_set(&out->metadata, "creation_time", creationTime.constData(), 0);
    av_dict_set(&out->metadata, "com.apple.quicktime.creationdate", quicktime.constData(), 0);
    av_dict_set(&out->metadata, "date", nullptr, 0); // would otherwise contradict the new date

    AVDictionary *options = nullptr;
    // Keeps the QuickTime item as a metadata item of its own ("mdta").
    av_dict_set(&options, "movflags", "use_metadata_tags", 0);
    int rc = avformat_write_header(out, &options);
    av_dict_free(&options);
    // The staged file goes when `staged` does.
    auto abandon = [&](const QString &reason) { return fail(reason); };
    if (rc < 0)
        return abandon(QStringLiteral("cannot write the new video: %1").arg(avError(rc)));

    AVPacket *packet = av_packet_alloc();
    while ((rc = av_read_frame(in.ctx, packet)) >= 0) {
        const int s = packet->stream_index;
        if (s < 0 || s >= streamMap.size() || streamMap[s] < 0) {
            av_packet_unref(packet);
            continue;
        }
        packet->stream_index = streamMap[s];
        av_packet_rescale_ts(packet, in.ctx->streams[s]->time_base,
                             out->streams[streamMap[s]]->time_base);
        packet->pos = -1;
        const int w = av_interleaved_write_frame(out, packet);
        av_packet_unref(packet);
        if (w < 0) {
            av_packet_free(&packet);
            return abandon(QStringLiteral("cannot copy the video's packets: %1").arg(avError(w)));
        }
    }
    av_packet_free(&packet);
    if (rc != AVERROR_EOF)
        return abandon(QStringLiteral("cannot read the video: %1").arg(avError(rc)));
    rc = av_write_trailer(out);
    if (rc < 0)
        return abandon(QStringLiteral("cannot finish the new video: %1").arg(avError(rc)));
    avio_flush(out->pb);
    if (out->pb->error < 0)
        return abandon(
            QStringLiteral("cannot write the new video: %1").arg(avError(out->pb->error)));
    if (!staged.finish(&why))
        return abandon(why);
    // The new file must open as a video with every kept track and the new date before it
    // takes the original's place.
    {
        InputCloser check{openInput(temp, true)};
        if (!check.ctx || check.ctx->nb_streams != out->nb_streams)
            return abandon(QStringLiteral("the new video does not read back"));
        QDateTime readBack;
        const AVDictionaryEntry *e = av_dict_get(check.ctx->metadata, "creation_time", nullptr, 0);
        if (e)
            readBack = parseCreationDateValue(QString::fromUtf8(e->value));
        if (!readBack.isValid() || readBack.toSecsSinceEpoch() != date.toSecsSinceEpoch())
            return abandon(QStringLiteral("the new video does not hold the new date"));
    }
    if (!SafeWrite::replaceWith(temp, path, stamp, &why, true))
        return abandon(why);
    staged.release();
    if (droppedTracks)
        *droppedTracks = dropped;
    return true;
}

} // namespace VideoMetadata
