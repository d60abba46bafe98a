#include "platform/core/ImageSource.h"
#include "platform/core/Orientation.h"

#include "base/Logging.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImagePropertyTables.h"
#include "platform/core/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <set>

namespace {

quint32 be32(const QByteArray &b, qsizetype i) {
    return (quint32(uchar(b[i])) << 24) | (quint32(uchar(b[i + 1])) << 16) |
           (quint32(uchar(b[i + 2])) << 8) | quint32(uchar(b[i + 3]));
}

quint16 be16(const QByteArray &b, qsizetype i) {
    return quint16((uchar(b[i]) << 8) | uchar(b[i + 1]));
}

QString typeFromExiv2(int imageType) {
    switch (imageType) {
    case 1:
        return QStringLiteral("public.jpeg");
    case 3:
        return QStringLiteral("com.canon.crw-raw-image");
    case 4:
        return QStringLiteral("public.tiff");
    case 5:
        return QStringLiteral("com.minolta.raw-image");
    case 6:
        return QStringLiteral("public.png");
    case 7:
        return QStringLiteral("com.canon.cr2-raw-image");
    case 8:
        return QStringLiteral("com.fuji.raw-image");
    case 9:
        return QStringLiteral("com.olympus.raw-image");
    case 11:
        return QStringLiteral("com.compuserve.gif");
    case 12:
        return QStringLiteral("com.adobe.photoshop-image");
    case 14:
        return QStringLiteral("com.microsoft.bmp");
    case 15:
        return QStringLiteral("public.jpeg-2000");
    case 16:
        return QStringLiteral("com.panasonic.rw2-raw-image");
    case 23:
        return QStringLiteral("org.webmproject.webp");
    default:
        return {};
    }
}

QString rawTypeForExtension(const QString &suffix) {
    const QString s = suffix.toLower();
    if (s == QLatin1String("nef") || s == QLatin1String("nrw"))
        return QStringLiteral("com.nikon.raw-image");
    if (s == QLatin1String("arw") || s == QLatin1String("sr2") || s == QLatin1String("srf"))
        return QStringLiteral("com.sony.arw-raw-image");
    if (s == QLatin1String("pef"))
        return QStringLiteral("com.pentax.raw-image");
    if (s == QLatin1String("dng"))
        return QStringLiteral("com.adobe.raw-image");
    return {};
}

// Walks the chain of top-level IFDs: the page count, or -1 when an offset leaves the file.
int tiffPageCount(const QByteArray &b, QString *error) {
    if (b.size() < 8) {
        *error = QStringLiteral("TIFF header truncated");
        return -1;
    }
    const bool little = b[0] == 'I';
    const auto u16 = [&](qsizetype i) {
        return little ? quint16(uchar(b[i]) | (uchar(b[i + 1]) << 8)) : be16(b, i);
    };
    const auto u32 = [&](qsizetype i) {
        return little ? quint32(u16(i)) | (quint32(u16(i + 2)) << 16) : be32(b, i);
    };
    std::set<quint32> seen;
    quint32 offset = u32(4);
    int pages = 0;
    while (offset != 0) {
        if (qsizetype(offset) + 2 > b.size() || !seen.insert(offset).second) {
            if (pages == 0) {
                *error =
                    QStringLiteral("TIFF directory offset %1 lies outside the file").arg(offset);
                return -1;
            }
            break; // a broken link after the first page: keep the pages we have
        }
        const qsizetype next = qsizetype(offset) + 2 + 12 * qsizetype(u16(offset));
        ++pages;
        if (next + 4 > b.size())
            break;
        offset = u32(next);
    }
    return pages;
}

// The profile's description: ICC v2 'desc' text or the first record of a v4 'mluc'.
QString iccDescription(const QByteArray &icc) {
    if (icc.size() < 132)
        return {};
    const quint32 count = be32(icc, 128);
    for (quint32 i = 0; i < count && 132 + qsizetype(i + 1) * 12 <= icc.size(); ++i) {
        const qsizetype entry = 132 + qsizetype(i) * 12;
        if (icc.mid(entry, 4) != "desc")
            continue;
        const qsizetype off = be32(icc, entry + 4);
        const qsizetype size = be32(icc, entry + 8);
        if (off < 0 || size < 12 || off + size > icc.size())
            return {};
        const QByteArray tag = icc.mid(off, size);
        if (tag.startsWith("desc")) {
            const qsizetype len = be32(tag, 8);
            return QString::fromLatin1(tag.mid(12, qMin(len, size - 12))).remove(QChar(0));
        }
        if (tag.startsWith("mluc") && size >= 28) {
            const qsizetype len = be32(tag, 20);
            const qsizetype start = be32(tag, 24);
            if (start + len > size)
                return {};
            QString out;
            for (qsizetype k = start; k + 1 < start + len; k += 2)
                out += QChar(be16(tag, k));
            return out;
        }
    }
    return {};
}

void putResolution(const Exiv2::ExifData &exif, QVariantMap &top) {
    const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
    const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
    const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
    const double scale = unit != exif.end() && unit->toLong() == 3 ? 2.54 : 1.0;
    const auto value = [](const Exiv2::Exifdatum &d) {
        const Exiv2::Rational r = d.toRational();
        return r.second ? double(r.first) / double(r.second) : 0.0;
    };
    if (x != exif.end() && x->count() > 0)
        top.insert(QStringLiteral("DPIWidth"), value(*x) * scale);
    if (y != exif.end() && y->count() > 0)
        top.insert(QStringLiteral("DPIHeight"), value(*y) * scale);
}

void describeJpeg(const QByteArray &b, QVariantMap &top) {
    qsizetype i = 2;
    while (i + 10 <= b.size() && uchar(b[i]) == 0xff) {
        const uchar marker = uchar(b[i + 1]);
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            i += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            return;
        const bool sof =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (sof) {
            const int components = uchar(b[i + 9]);
            top.insert(QStringLiteral("Depth"), int(uchar(b[i + 4])));
            top.insert(QStringLiteral("ColorModel"), components == 1   ? QStringLiteral("Gray")
                                                     : components == 4 ? QStringLiteral("CMYK")
                                                                       : QStringLiteral("RGB"));
            top.insert(QStringLiteral("HasAlpha"), false);
            return;
        }
        i += 2 + be16(b, i + 2);
    }
}

void describePng(const QByteArray &b, QVariantMap &top) {
    if (b.size() < 26 || b.mid(12, 4) != "IHDR")
        return;
    const int colorType = uchar(b[25]);
    top.insert(QStringLiteral("Depth"), int(uchar(b[24])));
    top.insert(QStringLiteral("ColorModel"),
               colorType == 0 || colorType == 4 ? QStringLiteral("Gray") : QStringLiteral("RGB"));
    top.insert(QStringLiteral("HasAlpha"), colorType == 4 || colorType == 6);
}

void describeTiff(const Exiv2::ExifData &exif, QVariantMap &top) {
    const auto find = [&](const char *k) { return exif.findKey(Exiv2::ExifKey(k)); };
    const auto w = find("Exif.Image.ImageWidth");
    const auto h = find("Exif.Image.ImageLength");
    if (w != exif.end())
        top.insert(QStringLiteral("PixelWidth"), int(w->toLong()));
    if (h != exif.end())
        top.insert(QStringLiteral("PixelHeight"), int(h->toLong()));
    const auto bits = find("Exif.Image.BitsPerSample");
    if (bits != exif.end())
        top.insert(QStringLiteral("Depth"), int(bits->toLong()));
    const auto photometric = find("Exif.Image.PhotometricInterpretation");
    if (photometric != exif.end()) {
        const long p = photometric->toLong();
        top.insert(QStringLiteral("ColorModel"), p <= 1   ? QStringLiteral("Gray")
                                                 : p == 5 ? QStringLiteral("CMYK")
                                                          : QStringLiteral("RGB"));
    }
    top.insert(QStringLiteral("HasAlpha"), find("Exif.Image.ExtraSamples") != exif.end());
}

// Decodes at no more than about `maxSide`: JPEG decoders scale while decoding.
QImage decodeScaled(const QByteArray &bytes, int maxSide) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > maxSide || size.height() > maxSide))
        reader.setScaledSize(size.scaled(maxSide, maxSide, Qt::KeepAspectRatio));
    return reader.read();
}

// The smallest embedded preview that still fills `maxSide`, or one of the photo's shape
// (`shape`, width over height) that reaches `enough`: the 160-pixel Exif thumbnail that comes
// first would be blurry in a larger cell. Null when none is large enough.
QImage embeddedPreview(const Exiv2::Image &image, int maxSide, int enough, double shape) {
    Exiv2::PreviewManager previews(image);
    auto sameShape = [shape](const Exiv2::PreviewProperties &p) {
        return shape > 0 && p.height_ > 0 &&
               std::abs(double(p.width_) / p.height_ - shape) < 0.02 * shape;
    };
    // Listed from the smallest to the largest.
    for (const Exiv2::PreviewProperties &p : previews.getPreviewProperties()) {
        const uint32_t side = std::max(p.width_, p.height_);
        if (side < uint32_t(std::max(maxSide, 0)) &&
            (enough <= 0 || side < uint32_t(enough) || !sameShape(p)))
            continue;
        const Exiv2::PreviewImage preview = previews.getPreviewImage(p);
        const QImage decoded =
            decodeScaled(QByteArray::fromRawData(reinterpret_cast<const char *>(preview.pData()),
                                                 qsizetype(preview.size())),
                         maxSide);
        if (!decoded.isNull())
            return decoded;
    }
    return {};
}

// The Exif block of a JPEG (from its TIFF header on), or empty.
QByteArray jpegExifBlock(const QByteArray &b) {
    if (b.size() < 4 || uchar(b[0]) != 0xff || uchar(b[1]) != 0xd8)
        return {};
    qsizetype i = 2;
    while (i + 4 <= b.size()) {
        if (uchar(b[i]) != 0xff)
            return {};
        const uchar marker = uchar(b[i + 1]);
        if (marker == 0xff) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            i += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            return {};
        const qsizetype length = be16(b, i + 2);
        if (length < 2 || i + 2 + length > b.size())
            return {};
        if (marker == 0xe1 && length >= 8 && b.mid(i + 4, 6) == QByteArray("Exif\0\0", 6))
            return b.mid(i + 10, length - 8);
        i += 2 + length;
    }
    return {};
}

} // namespace

QVariantMap ImageSource::exifDictionary(const QByteArray &data) {
    ensureExiv2Initialised();
    try {
        const QByteArray block = jpegExifBlock(data);
        if (block.isEmpty())
            return ImageSource(data).properties(0).value(QStringLiteral("{Exif}")).toMap();
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte *>(block.constData()),
                                  uint32_t(block.size()));
        QVariantMap out;
        readExifSections(exif, Exiv2::XmpData(), out);
        return out.value(QStringLiteral("{Exif}")).toMap();
    } catch (const std::exception &) {
        return {};
    }
}

ImageSource::ImageSource() : d(std::make_unique<Private>()) {}

ImageSource::ImageSource(const QByteArray &data) : ImageSource() {
    ensureExiv2Initialised();
    const ForeignXmpPrefixesForgotten forgotten;
    d->data = data;
    if (data.isEmpty()) {
        d->error = QStringLiteral("no image data");
        return;
    }
    try {
        QString heifType;
        if (looksLikeHeif(data, &heifType)) {
            const HeifInfo info = readHeif(data);
            if (!info.ok) {
                d->error = info.error;
                return;
            }
            d->type = heifType;
            d->heif = info.context;
            d->count = info.count;
            d->frameSizes = info.sizes;
            d->icc = info.icc;
            if (!info.exifTiff.isEmpty())
                Exiv2::ExifParser::decode(
                    d->exif, reinterpret_cast<const Exiv2::byte *>(info.exifTiff.constData()),
                    uint32_t(info.exifTiff.size()));
            if (!info.xmp.empty())
                Exiv2::XmpParser::decode(d->xmp, info.xmp);
            // With an Exif orientation the size is the stored one, as a JPEG's is, so that the
            // two together say how it shows; without one, or with 1 (which leaves the
            // container's turn untold), the size it shows in.
            const auto orientation = d->exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
            const bool oriented = orientation != d->exif.end() && orientation->toLong() != 1;
            d->topLevel.insert(QStringLiteral("PixelWidth"),
                               oriented ? info.storedWidth : info.width);
            d->topLevel.insert(QStringLiteral("PixelHeight"),
                               oriented ? info.storedHeight : info.height);
            d->topLevel.insert(QStringLiteral("HasAlpha"), info.hasAlpha);
            d->topLevel.insert(QStringLiteral("ColorModel"), QStringLiteral("RGB"));
            if (info.depth > 0)
                d->topLevel.insert(QStringLiteral("Depth"), info.depth);
        } else {
            const auto *bytes = reinterpret_cast<const Exiv2::byte *>(d->data.constData());
            const int imageType = Exiv2::ImageFactory::getType(bytes, long(d->data.size()));
            d->type = typeFromExiv2(imageType);
            if (d->type.isEmpty()) {
                d->error = QStringLiteral("unknown image type");
                return;
            }
            d->count = 1;
            if (imageType == 4) {
                d->count = tiffPageCount(d->data, &d->error);
                if (d->count < 0) {
                    d->count = 0;
                    return;
                }
            }
            d->image = Exiv2::ImageFactory::open(bytes, long(d->data.size()));
            d->image->readMetadata();
            // Raw formats take their pixel size from the Exif data: ask before it moves out.
            const int pixelWidth = d->image->pixelWidth();
            const int pixelHeight = d->image->pixelHeight();
            // Moved, not copied: only the previews need them back in the image.
            d->exif = std::move(d->image->exifData());
            d->iptc = std::move(d->image->iptcData());
            d->xmp = std::move(d->image->xmpData());
            d->image->clearExifData();
            d->image->clearIptcData();
            d->image->clearXmpData();
            keepZonelessIptcTimes(d->iptc, imageType == 1
                                               ? jpegIptcData(d->data)
                                               : tiffIptcData(d->exif, d->image->byteOrder()));
            d->meta->comment = d->image->comment();
            d->meta->xmpPacket = d->image->xmpPacket();
            d->meta->byteOrder = d->image->byteOrder();
            if (d->image->iccProfileDefined())
                d->icc = QByteArray(reinterpret_cast<const char *>(d->image->iccProfile()->pData_),
                                    qsizetype(d->image->iccProfile()->size_));
            if (imageType == 4) {
                describeTiff(d->exif, d->topLevel);
                if (d->exif.findKey(Exiv2::ExifKey("Exif.Image.DNGVersion")) != d->exif.end())
                    d->type = QStringLiteral("com.adobe.raw-image");
            } else {
                if (pixelWidth > 0)
                    d->topLevel.insert(QStringLiteral("PixelWidth"), pixelWidth);
                if (pixelHeight > 0)
                    d->topLevel.insert(QStringLiteral("PixelHeight"), pixelHeight);
                if (imageType == 1)
                    describeJpeg(d->data, d->topLevel);
                else if (imageType == 6)
                    describePng(d->data, d->topLevel);
            }
        }
        const auto orientation = d->exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (orientation != d->exif.end() && orientation->count() > 0)
            d->topLevel.insert(QStringLiteral("Orientation"), int(orientation->toLong()));
        putResolution(d->exif, d->topLevel);
        const QString profile = iccDescription(d->icc);
        if (!profile.isEmpty())
            d->topLevel.insert(QStringLiteral("ProfileName"), profile);
        d->valid = true;
    } catch (const std::exception &e) {
        qCWarning(lcPlatform) << "image unreadable:" << e.what();
        d->error = QString::fromLocal8Bit(e.what());
        d->valid = false;
        d->image.reset();
        d->exif.clear();
        d->iptc.clear();
        d->xmp.clear();
        d->topLevel.clear();
    }
}

ImageSource ImageSource::fromPath(const QString &path) {
    QString why;
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, &why);
    if (!bytes) {
        ImageSource failed;
        failed.d->error = QStringLiteral("%1: %2").arg(path, why);
        return failed;
    }
    ImageSource source(*bytes);
    const QString raw = rawTypeForExtension(QFileInfo(path).suffix());
    if (source.d->type == QLatin1String("public.tiff") && !raw.isEmpty())
        source.d->type = raw;
    return source;
}

ImageSource::ImageSource(ImageSource &&other) noexcept = default;
ImageSource &ImageSource::operator=(ImageSource &&other) noexcept = default;
ImageSource::~ImageSource() = default;

bool ImageSource::isValid() const {
    return d && d->valid;
}
QString ImageSource::errorString() const {
    return d ? d->error : QString();
}
QString ImageSource::type() const {
    return d ? d->type : QString();
}
int ImageSource::count() const {
    return isValid() ? d->count : 0;
}
QByteArray ImageSource::data() const {
    return d ? d->data : QByteArray();
}

QVariantMap ImageSource::properties(int index) const {
    if (!isValid() || index < 0 || index >= d->count)
        return {};
    if (index > 0) {
        QVariantMap frame;
        if (size_t(index) < d->frameSizes.size()) {
            frame.insert(QStringLiteral("PixelWidth"), d->frameSizes[size_t(index)].first);
            frame.insert(QStringLiteral("PixelHeight"), d->frameSizes[size_t(index)].second);
        }
        return frame;
    }
    if (d->meta->properties)
        return *d->meta->properties;
    QVariantMap out = d->topLevel;
    try {
        readExifSections(d->exif, d->xmp, out);
        readIptcSection(d->iptc, out);
        if (d->iptc.empty() && looksLikeHeif(d->data, nullptr))
            readIptcFromXmp(d->xmp, out);
        readIptcExtension(d->xmp, out);
        d->meta->properties = out;
    } catch (const std::exception &e) {
        qCWarning(lcPlatform) << "image properties unreadable:" << e.what();
        d->error = QString::fromLocal8Bit(e.what());
    }
    return out;
}

QImage ImageSource::thumbnail(int maxSide, int enough) const {
    if (!isValid())
        return {};
    if (d->type.startsWith(QLatin1String("public.he")) || d->type == QLatin1String("public.avif"))
        return heifThumbnail(d->heif.get(), d->data, maxSide);
    QImage image;
    try {
        if (d->image.get()) {
            // The previews are found through the metadata, which the source keeps apart.
            d->image->setExifData(d->exif);
            d->image->setXmpData(d->xmp);
            const double width = d->topLevel.value(QStringLiteral("PixelWidth")).toDouble();
            const double height = d->topLevel.value(QStringLiteral("PixelHeight")).toDouble();
            image = embeddedPreview(*d->image, maxSide, enough, height > 0 ? width / height : 0);
            d->image->clearExifData();
            d->image->clearXmpData();
        }
    } catch (const std::exception &e) {
        qCWarning(lcPlatform) << "embedded preview unreadable:" << e.what();
        image = QImage(); // a broken preview: decode the image itself instead
    }
    if (image.isNull())
        image = decodeScaled(d->data, maxSide);
    if (image.width() > maxSide || image.height() > maxSide)
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Previews and decodes hold the stored pixels; a camera held upright says so only here.
    return uprightImage(image, d->topLevel.value(QStringLiteral("Orientation"), 1).toInt());
}
