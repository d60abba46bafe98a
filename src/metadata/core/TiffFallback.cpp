#include "metadata/core/TiffFallback.h"

#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include <QBuffer>
#include <QImageReader>
#include <QList>

#include <libraw/libraw.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A growable in-memory file for libtiff, so no temporary file is needed.
struct MemoryFile {
    QByteArray *bytes = nullptr;
    qint64 pos = 0;
};

tsize_t memRead(thandle_t h, tdata_t buf, tsize_t size) {
    auto *f = static_cast<MemoryFile *>(h);
    const qint64 n = std::clamp<qint64>(f->bytes->size() - f->pos, 0, size);
    if (n > 0)
        std::memcpy(buf, f->bytes->constData() + f->pos, size_t(n));
    f->pos += n;
    return tsize_t(n);
}

tsize_t memWrite(thandle_t h, tdata_t buf, tsize_t size) {
    auto *f = static_cast<MemoryFile *>(h);
    if (size < 0)
        return -1;
    const qint64 end = f->pos + size;
    if (end > f->bytes->size())
        f->bytes->resize(end);
    std::memcpy(f->bytes->data() + f->pos, buf, size_t(size));
    f->pos = end;
    return size;
}

toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto *f = static_cast<MemoryFile *>(h);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->bytes->size();
    const qint64 target = base + qint64(off);
    if (target < 0)
        return toff_t(-1);
    f->pos = target; // libtiff may seek past the end before writing; memWrite fills the gap
    return toff_t(target);
}

int memClose(thandle_t) {
    return 0;
}

toff_t memSize(thandle_t h) {
    return toff_t(static_cast<MemoryFile *>(h)->bytes->size());
}

int memMap(thandle_t, tdata_t *, toff_t *) {
    return 0;
}

void memUnmap(thandle_t, tdata_t, toff_t) {}

// Per-handle handlers: libtiff's global ones would print to stderr and are shared across threads.
int keepMessage(TIFF *, void *user, const char *, const char *format, va_list args) {
    if (user)
        *static_cast<QString *>(user) = QString::vasprintf(format, args);
    return 1;
}

int ignoreMessage(TIFF *, void *, const char *, const char *, va_list) {
    return 1;
}

TIFF *openMemoryTiff(MemoryFile *file, const char *mode, QString *lastError) {
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepMessage, lastError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreMessage, nullptr);
    TIFF *tiff = TIFFClientOpenExt("memory", mode, file, memRead, memWrite, memSeek, memClose,
                                   memSize, memMap, memUnmap, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

// Writes the frames as consecutive pages of `tiff`, each in its own directory.
bool writePages(TIFF *tiff, const QList<QImage> &frames, int firstPageNumber, int totalPages,
                QString *why) {
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QImage &frame = frames[i];
        const bool alpha = frame.format() == QImage::Format_RGBA8888;
        const int samples = alpha ? 4 : 3;
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(frame.width()));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(frame.height()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        if (alpha) {
            // Qt's RGBA8888 is not premultiplied, so the alpha is unassociated.
            const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
        }
        if (totalPages > 1) {
            TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(firstPageNumber + i),
                         uint16_t(totalPages));
        }
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                     TIFFDefaultStripSize(tiff, uint32_t(-1) /* let libtiff choose */));
        for (int y = 0; y < frame.height(); ++y) {
            // TIFFWriteScanline may modify the row it is given (the predictor works in place).
            QByteArray row(reinterpret_cast<const char *>(frame.constScanLine(y)),
                           qsizetype(frame.width()) * samples);
            if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0) {
                *why = QStringLiteral("cannot write row %1 of frame %2").arg(y).arg(i + 1);
                return false;
            }
        }
        if (!TIFFWriteDirectory(tiff)) {
            *why = QStringLiteral("cannot finish TIFF page %1").arg(firstPageNumber + i + 1);
            return false;
        }
    }
    return true;
}

QByteArray tiffWithPages(const QList<QImage> &frames, int firstPageNumber, int totalPages,
                         QByteArray existing, QString *why) {
    MemoryFile file{&existing, 0};
    QString libtiffError;
    TIFF *tiff = openMemoryTiff(&file, existing.isEmpty() ? "w" : "a", &libtiffError);
    if (!tiff) {
        *why = QStringLiteral("cannot open a TIFF for writing: %1").arg(libtiffError);
        return {};
    }
    bool ok = writePages(tiff, frames, firstPageNumber, totalPages, why);
    TIFFClose(tiff);
    if (!ok && !libtiffError.isEmpty())
        *why += QStringLiteral(" (%1)").arg(libtiffError);
    if (ok && !libtiffError.isEmpty()) {
        *why = libtiffError;
        ok = false;
    }
    return ok ? existing : QByteArray();
}

// Brings a frame into one of the two layouts written: RGB or unpremultiplied RGBA, 8 bits each.
QImage normalised(const QImage &image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                         : QImage::Format_RGB888);
}

QList<QImage> decodeWithQt(const QByteArray &data) {
    QList<QImage> frames;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Orientation stays metadata; turning the pixels too would apply it twice.
    reader.setAutoTransform(false);
    const int expected = reader.imageCount();
    // A cap so a handler that never reports its end cannot loop forever.
    const int limit = expected > 0 ? expected : 100000;
    while (frames.size() < limit) {
        const int before = reader.currentImageNumber();
        const QImage image = reader.read();
        if (image.isNull())
            break;
        frames.append(normalised(image));
        // GIF and WebP readers advance on read; the TIFF reader needs an explicit jump.
        if (reader.currentImageNumber() == before && !reader.jumpToNextImage())
            break;
    }
    return frames;
}

QImage decodeWithLibRaw(const QByteArray &data, QString *why) {
    auto raw = std::make_unique<LibRaw>();
    // Keep the sensor's orientation: the Orientation tag travels with the metadata.
    raw->imgdata.params.user_flip = 0;
    raw->imgdata.params.output_bps = 8;
    if (raw->open_buffer(const_cast<char *>(data.constData()), size_t(data.size())) !=
            LIBRAW_SUCCESS ||
        raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) {
        *why = QStringLiteral("the raw image cannot be decoded");
        return {};
    }
    int err = 0;
    libraw_processed_image_t *img = raw->dcraw_make_mem_image(&err);
    if (!img) {
        *why = QStringLiteral("the raw image cannot be developed (%1)").arg(err);
        return {};
    }
    QImage out;
    if (img->type == LIBRAW_IMAGE_BITMAP && img->colors == 3 && img->bits == 8) {
        const QImage view(img->data, img->width, img->height, qsizetype(img->width) * 3,
                          QImage::Format_RGB888);
        out = view.copy(); // the view borrows LibRaw's memory, freed just below
    } else {
        *why = QStringLiteral("the raw image develops to an unsupported layout");
    }
    LibRaw::dcraw_clear_mem(img);
    return out;
}

} // namespace

QByteArray createTiffFromSource(const ImageSource &source, const QVariantMap &frameProperties,
                                QString *error) {
    QString why;
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return QByteArray();
    };
    const QByteArray data = source.data();
    if (data.isEmpty())
        return fail(QStringLiteral("the photo has no data"));
    const QString type = source.type();
    if (type == QLatin1String("public.heic") || type == QLatin1String("public.heif") ||
        type == QLatin1String("public.avif"))
        return fail(QStringLiteral("HEIF images are not converted to TIFF"));

    QList<QImage> frames;
    if (type.contains(QLatin1String("raw-image"))) {
        // Qt would only find a raw file's small preview, so LibRaw develops the sensor data.
        const QImage developed = decodeWithLibRaw(data, &why);
        if (!developed.isNull())
            frames.append(developed);
        else
            frames = decodeWithQt(data);
    } else {
        frames = decodeWithQt(data);
    }
    if (frames.isEmpty())
        return fail(why.isEmpty() ? QStringLiteral("the photo cannot be decoded") : why);

    const int total = int(frames.size());
    // The first page alone goes through ImageDestination, which writes single-page TIFFs only;
    // the other pages are appended afterwards so the metadata it wrote stays untouched.
    QByteArray tiff = tiffWithPages(frames.mid(0, 1), 0, total, {}, &why);
    if (!tiff.isEmpty() && !frameProperties.isEmpty()) {
        const ImageSource firstPage(tiff);
        QByteArray tagged;
        ImageDestination destination(&tagged, QStringLiteral("public.tiff"), 1);
        destination.addImageFromSource(firstPage, 0, frameProperties);
        if (!firstPage.isValid() || !destination.isValid() || !destination.finalize()) {
            why =
                QStringLiteral("cannot write the metadata: %1")
                    .arg(firstPage.isValid() ? destination.errorString() : firstPage.errorString());
            tiff.clear();
        } else {
            tiff = tagged;
        }
    }
    if (!tiff.isEmpty() && total > 1)
        tiff = tiffWithPages(frames.mid(1), 1, total, tiff, &why);
    if (tiff.isEmpty())
        return fail(why);
    return tiff;
}
