#include "platform/core/RawTemporary.h"

#include "base/Logging.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/RegularFile.h"
#include "platform/core/SafeWrite.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <exiv2/exiv2.hpp>
#include <libraw/libraw.h>

#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace {

// Tags that describe the RAW's own image structure; carried into a JPEG they would lie
// about the new file.
bool isStructureTag(const Exiv2::Exifdatum &d) {
    const std::string group = d.groupName();
    if (group != "Image")
        return group.rfind("SubImage", 0) == 0 || group.rfind("Thumbnail", 0) == 0;
    switch (d.tag()) {
    case 0x00fe: // NewSubfileType
    case 0x0100: // ImageWidth
    case 0x0101: // ImageLength
    case 0x0102: // BitsPerSample
    case 0x0103: // Compression
    case 0x0106: // PhotometricInterpretation
    case 0x0111: // StripOffsets
    case 0x0115: // SamplesPerPixel
    case 0x0116: // RowsPerStrip
    case 0x0117: // StripByteCounts
    case 0x011c: // PlanarConfiguration
    case 0x0142: // TileWidth
    case 0x0143: // TileLength
    case 0x0144: // TileOffsets
    case 0x0145: // TileByteCounts
    case 0x014a: // SubIFDs
    case 0x0201: // JPEGInterchangeFormat
    case 0x0202: // JPEGInterchangeFormatLength
        return true;
    default:
        return false;
    }
}

// The embedded preview as JPEG bytes: taken as it is when the camera stored a JPEG,
// encoded once when it stored a bitmap.
QByteArray embeddedPreviewJpeg(const QByteArray &raw, QString *why) {
    auto processor = std::make_unique<LibRaw>();
    int rc = processor->open_buffer(const_cast<char *>(raw.constData()),
                                    static_cast<size_t>(raw.size()));
    if (rc != LIBRAW_SUCCESS) {
        *why = QString::fromUtf8(libraw_strerror(rc));
        return {};
    }
    rc = processor->unpack_thumb();
    if (rc != LIBRAW_SUCCESS) {
        *why = QString::fromUtf8(libraw_strerror(rc));
        return {};
    }
    int err = 0;
    libraw_processed_image_t *thumb = processor->dcraw_make_mem_thumb(&err);
    if (!thumb) {
        *why = QString::fromUtf8(libraw_strerror(err));
        return {};
    }
    QByteArray out;
    if (thumb->type == LIBRAW_IMAGE_JPEG) {
        out = QByteArray(reinterpret_cast<const char *>(thumb->data),
                         static_cast<qsizetype>(thumb->data_size));
    } else if (thumb->type == LIBRAW_IMAGE_BITMAP && thumb->colors == 3 && thumb->bits == 8) {
        QImage image(thumb->data, thumb->width, thumb->height, thumb->width * 3,
                     QImage::Format_RGB888);
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "JPEG", 100))
            out.clear();
    }
    LibRaw::dcraw_clear_mem(thumb);
    if (out.isEmpty())
        *why = QStringLiteral("the preview is in a form we cannot use");
    return out;
}

// Copies the RAW's metadata into the JPEG bytes. Maker notes that do not fit a JPEG
// segment are dropped rather than losing the rest.
bool copyMetadata(const QByteArray &rawBytes, QByteArray &jpeg, QString *why) {
    ensureExiv2Initialised();
    try {
        auto source = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(rawBytes.constData()), rawBytes.size());
        source->readMetadata();
        Exiv2::ExifData exif = source->exifData();
        for (auto it = exif.begin(); it != exif.end();) {
            if (isStructureTag(*it))
                it = exif.erase(it);
            else
                ++it;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                auto target = Exiv2::ImageFactory::open(
                    reinterpret_cast<const Exiv2::byte *>(jpeg.constData()), jpeg.size());
                target->readMetadata();
                target->setExifData(exif);
                target->setIptcData(source->iptcData());
                target->setXmpData(source->xmpData());
                forgetForeignXmpPrefixes();
                target->writeMetadata();
                Exiv2::BasicIo &io = target->io();
                io.seek(0, Exiv2::BasicIo::beg);
                Exiv2::DataBuf buf = io.read(static_cast<long>(io.size()));
                jpeg = QByteArray(reinterpret_cast<const char *>(buf.pData_), buf.size_);
                return true;
            } catch (const Exiv2::Error &e) {
                if (attempt == 1)
                    throw;
                qCWarning(lcApp) << "RAW metadata did not fit, dropping maker notes==" << e.what();
                for (auto it = exif.begin(); it != exif.end();) {
                    if (it->tag() == 0x927c || Exiv2::ExifTags::isMakerGroup(it->groupName()))
                        it = exif.erase(it);
                    else
                        ++it;
                }
            }
        }
    } catch (const Exiv2::Error &e) {
        *why = QString::fromUtf8(e.what());
    }
    return false;
}

} // namespace

QString rawTemporaryPathFor(const QString &rawPath) {
    const QFileInfo info(rawPath);
    const QByteArray folderKey =
        QCryptographicHash::hash(info.absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    QString error;
    const QString folder = PrivateFolder::subfolder(QStringLiteral("raw"), &error);
    if (folder.isEmpty()) {
        qCWarning(lcApp) << "RAW stand-in has no private folder==" << error;
        return {};
    }
    return folder + QLatin1Char('/') + QString::fromLatin1(folderKey) + QLatin1Char('/') +
           info.fileName();
}

QString GetJPGImageFromRAWPhotowithImagePath(const QString &rawPath) {
    // A FIFO under a RAW name would block the read for good.
    QString unreadable;
    const std::optional<QByteArray> read = RegularFile::readAll(rawPath, &unreadable);
    if (!read) {
        qCWarning(lcApp) << "RAW unreadable==" << rawPath << unreadable;
        return rawPath;
    }
    const QByteArray &rawBytes = *read;

    QString why;
    QByteArray jpeg = embeddedPreviewJpeg(rawBytes, &why);
    if (jpeg.isEmpty()) {
        qCWarning(lcApp) << "RAW has no usable preview==" << rawPath << why;
        return rawPath;
    }
    if (!copyMetadata(rawBytes, jpeg, &why)) {
        // A JPEG without the photo's metadata would lose every edit's context; read the RAW.
        qCWarning(lcApp) << "RAW metadata could not be copied==" << rawPath << why;
        return rawPath;
    }

    const QString target = rawTemporaryPathFor(rawPath);
    if (target.isEmpty())
        return rawPath;
    // Our folder is private (0700), so only this user can reach the stand-in between its
    // write and its read; it still never writes through a link.
    const QString folder = QFileInfo(target).absolutePath();
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(lcApp) << "RAW stand-in folder cannot be made==" << folder;
        return rawPath;
    }
    if (!SafeWrite::replaceFileContents(target, jpeg, &why)) {
        qCWarning(lcApp) << "CGImageDestinationFinalize failed" << target << why;
        return rawPath;
    }
    return target;
}
