#include "platform/core/ImageDestination.h"

#include "base/Logging.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImagePropertyTables.h"
#include "platform/core/PngExif.h"

#include <algorithm>

namespace {

const QStringList kWritable = {
    QStringLiteral("public.jpeg"), QStringLiteral("public.tiff"),
    QStringLiteral("public.png"),  QStringLiteral("org.webmproject.webp"),
    QStringLiteral("public.heic"), QStringLiteral("public.heif")};

bool applyProperties(Exiv2::Image &image, const QVariantMap &props, QString *error) {
    bool ok = true;
    for (auto it = props.cbegin(); it != props.cend(); ++it) {
        const QString &key = it.key();
        if (key == QLatin1String("{Exif}") || key == QLatin1String("{TIFF}") ||
            key == QLatin1String("{GPS}"))
            ok = applyExifSection(image.exifData(), key, it.value(), error) && ok;
        else if (key == QLatin1String("{IPTC}"))
            ok = applyIptcSection(image.iptcData(), image.xmpData(), it.value(), error) && ok;
        else if (key == QLatin1String("{ExifAux}"))
            ok = applyExifAuxSection(image.xmpData(), it.value(), error) && ok;
        // Pixel size, depth, colour model and the like describe pixels we never touch.
    }
    // The top-level orientation goes last: a removed or replaced {TIFF}, which also holds
    // it, must not take the photo's orientation along.
    const auto orientation = props.constFind(QStringLiteral("Orientation"));
    if (orientation != props.cend())
        ok = applyExifKey(image.exifData(),
                          {"Orientation", "Exif.Image.Orientation", ValueKind::Auto},
                          orientation.value(), error) &&
             ok;
    return ok;
}

// The position the XMP mirror compares the written one with. Where the photo's position lives
// in its XMP copies alone, a "{GPS}" handed back as it was read is taken out of `layers`: it is
// no position to add to Exif. One that differs, or a removed "{GPS}", moves or takes every
// copy along.
QVariantMap positionAsked(const Exiv2::ExifData &exif, const Exiv2::XmpData &xmp,
                          std::initializer_list<QVariantMap *> layers) {
    const QVariantMap inExif = gpsSection(exif);
    const QVariantMap asRead = photoGpsSection(exif, xmp);
    if (asRead == inExif)
        return inExif;
    bool asked = false;
    for (QVariantMap *layer : layers) {
        const auto it = layer->find(QStringLiteral("{GPS}"));
        if (it == layer->end())
            continue;
        if (!isNullValue(*it) && it->toMap() == asRead)
            layer->erase(it);
        else
            asked = true;
    }
    return asked ? asRead : inExif;
}

bool sameXmp(const Exiv2::XmpData &a, const Exiv2::XmpData &b) {
    if (a.count() != b.count())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->key() != j->key() || i->typeId() != j->typeId() || i->toString() != j->toString())
            return false;
    return true;
}

bool isHeif(const QString &type) {
    return type == QLatin1String("public.heic") || type == QLatin1String("public.heif");
}

// Where a JPEG's first start-of-scan marker lies, when every segment before it is an ordinary
// one with a length inside the file; -1 otherwise. What follows is never rewritten.
qsizetype scanStart(const QByteArray &jpeg) {
    const auto *b = reinterpret_cast<const uchar *>(jpeg.constData());
    if (jpeg.size() < 4 || b[0] != 0xff || b[1] != 0xd8)
        return -1;
    qsizetype i = 2;
    while (i + 4 <= jpeg.size() && b[i] == 0xff) {
        const uchar marker = b[i + 1];
        if (marker == 0xda)
            return i;
        if (marker == 0xff || marker == 0x00 || marker == 0x01 || marker == 0xd8 ||
            marker == 0xd9 || (marker >= 0xd0 && marker <= 0xd7))
            return -1;
        const qsizetype length = (qsizetype(b[i + 2]) << 8) | b[i + 3];
        if (length < 2)
            return -1;
        i += 2 + length;
    }
    return -1;
}

} // namespace

void DecodedMetadata::copyInto(Exiv2::Image &image) const {
    image.setByteOrder(byteOrder);
    image.setExifData(exif);
    image.setIptcData(iptc);
    image.setXmpData(xmp);
    image.setComment(comment);
    if (!icc.isEmpty()) {
        // The JPEG writer drops the old profile segments and writes this one in their place.
        Exiv2::DataBuf profile(reinterpret_cast<const Exiv2::byte *>(icc.constData()),
                               long(icc.size()));
        image.setIccProfile(profile, false);
    }
}

struct ImageDestination::Private {
    QByteArray *output = nullptr;
    QString type;
    int frameCount = 0;
    QVariantMap destinationProperties;
    struct Frame {
        QByteArray data;
        QString type;
        int index;
        QVariantMap properties;
        // What the source already decoded, so the write never decodes the same bytes again.
        std::shared_ptr<const DecodedMetadata> decoded;
    };
    std::vector<Frame> frames;
    QString error;
    bool pictureApart = false;
    qsizetype pictureOffset = -1;
};

ImageDestination::ImageDestination(QByteArray *output, const QString &type, int frameCount)
    : d(std::make_unique<Private>()) {
    d->output = output;
    d->type = type;
    d->frameCount = frameCount;
    if (!output)
        d->error = QStringLiteral("no output buffer");
    else if (!kWritable.contains(type))
        d->error = QStringLiteral("cannot write images of type \"%1\"").arg(type);
    else if (frameCount < 1 || (frameCount > 1 && !isHeif(type)))
        d->error =
            QStringLiteral("only single-image files can be written (asked for %1)").arg(frameCount);
}

ImageDestination::~ImageDestination() = default;

QStringList ImageDestination::typeIdentifiers() {
    return kWritable;
}

bool ImageDestination::rewriteCameraRaw(const ImageSource &source, const QString &suffix,
                                        const QVariantMap &properties, QByteArray *output,
                                        QString *error) {
    output->clear();
    if (!source.isValid()) {
        *error = QStringLiteral("the source image could not be read");
        return false;
    }
    const QVariantMap original = source.properties(0);
    const std::shared_ptr<const DecodedMetadata> decoded = source.d->meta;
    if (!writeHeifMetadata(source.data(), original, {properties}, output, error,
                           decoded ? &decoded->xmp : nullptr, suffix.toLower())) {
        output->clear();
        return false;
    }
    return true;
}

bool ImageDestination::isValid() const {
    return d->error.isEmpty();
}

void ImageDestination::keepPictureApart() {
    d->pictureApart = true;
}

qsizetype ImageDestination::pictureOffset() const {
    return d->pictureOffset;
}

void ImageDestination::setProperties(const QVariantMap &properties) {
    d->destinationProperties = properties;
}

void ImageDestination::addImageFromSource(const ImageSource &source, int index,
                                          const QVariantMap &properties) {
    std::shared_ptr<const DecodedMetadata> decoded;
    if (source.isValid()) {
        if (isHeif(source.type()))
            source.properties(0); // the HEIF writer compares against these
        decoded = source.d->meta;
    }
    d->frames.push_back(
        {source.data(), source.isValid() ? source.type() : QString(), index, properties, decoded});
}

bool ImageDestination::finalize() {
    if (!isValid())
        return false;
    if (int(d->frames.size()) != d->frameCount) {
        d->error = QStringLiteral("%1 image(s) added, %2 expected")
                       .arg(d->frames.size())
                       .arg(d->frameCount);
        return false;
    }
    // Frame 0 carries the metadata; the others must be the same file's own images, each once.
    const auto primary = std::find_if(d->frames.cbegin(), d->frames.cend(),
                                      [](const Private::Frame &f) { return f.index == 0; });
    if (primary == d->frames.cend()) {
        d->error = QStringLiteral("image index %1 is out of range").arg(d->frames.front().index);
        return false;
    }
    std::vector<bool> seen(d->frames.size(), false);
    for (const Private::Frame &frame : d->frames) {
        if (frame.type != d->type) {
            d->error = frame.type.isEmpty()
                           ? QStringLiteral("the source image could not be read")
                           : QStringLiteral("re-encoding from \"%1\" to \"%2\" is not supported")
                                 .arg(frame.type, d->type);
            return false;
        }
        if (frame.index < 0 || frame.index >= d->frameCount || seen[size_t(frame.index)]) {
            d->error = QStringLiteral("image index %1 is out of range").arg(frame.index);
            return false;
        }
        seen[size_t(frame.index)] = true;
        const bool sameBytes =
            frame.data.constData() == primary->data.constData() || frame.data == primary->data;
        if (!sameBytes) {
            d->error = QStringLiteral("the images of one file must come from one source file");
            return false;
        }
    }
    const Private::Frame &frame = *primary;
    ensureExiv2Initialised();
    if (isHeif(d->type)) {
        // Exiv2 cannot rewrite HEIF boxes safely; exiftool edits them in place, every image kept,
        // without touching pixels.
        QString error;
        const QVariantMap original = frame.decoded && frame.decoded->properties
                                         ? *frame.decoded->properties
                                         : ImageSource(frame.data).properties(0);
        if (!writeHeifMetadata(frame.data, original, {d->destinationProperties, frame.properties},
                               d->output, &error, frame.decoded ? &frame.decoded->xmp : nullptr)) {
            d->error = error;
            d->output->clear();
            return false;
        }
        return true;
    }
    // Exiv2 copies a JPEG's compressed picture behind the segments it writes, a few kilobytes
    // at a time into a growing buffer: it gets only the segments and the scan's marker, and
    // the picture is appended once.
    const bool jpeg = d->type == QLatin1String("public.jpeg");
    const qsizetype scan = jpeg ? scanStart(frame.data) : -1;
    const qsizetype head = scan < 0 ? frame.data.size() : scan + 2;
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(frame.data.constData()), long(head));
        if (frame.decoded && d->type == QLatin1String("public.jpeg")) {
            frame.decoded->copyInto(*image);
        } else {
            image->readMetadata();
            keepZonelessIptcTimes(image->iptcData(),
                                  tiffIptcData(image->exifData(), image->byteOrder()));
        }
        QString error;
        const ExifDates datesBefore = exifDates(image->exifData());
        const ExifTexts textsBefore = exifTexts(image->exifData());
        QVariantMap destinationProperties = d->destinationProperties;
        QVariantMap frameProperties = frame.properties;
        const QVariantMap positionBefore = positionAsked(
            image->exifData(), image->xmpData(), {&destinationProperties, &frameProperties});
        if (!applyProperties(*image, destinationProperties, &error) ||
            !applyProperties(*image, frameProperties, &error)) {
            d->error = error;
            return false;
        }
        mirrorExifDatesToXmp(datesBefore, image->exifData(), image->xmpData());
        mirrorExifTextsToXmp(textsBefore, image->exifData(), image->xmpData());
        mirrorPositionToXmp(positionBefore, image->exifData(), image->xmpData());
        // A PNG's Exif goes into its own chunk below, where readers look for it.
        const bool png = d->type == QLatin1String("public.png");
        Exiv2::Blob pngExif;
        if (png) {
            if (!image->exifData().empty())
                Exiv2::ExifParser::encode(pngExif,
                                          image->byteOrder() == Exiv2::invalidByteOrder
                                              ? Exiv2::littleEndian
                                              : image->byteOrder(),
                                          image->exifData());
            image->clearExifData();
        }
        // Unchanged XMP keeps its packet byte for byte rather than being serialised again.
        if (frame.decoded && !frame.decoded->xmpPacket.empty() &&
            sameXmp(image->xmpData(), frame.decoded->xmp)) {
            image->xmpPacket() = frame.decoded->xmpPacket;
            image->writeXmpFromPacket(true);
        }
        forgetForeignXmpPrefixes();
        image->writeMetadata();
        // The written file is in the image's memory: copy it out once.
        Exiv2::BasicIo &io = image->io();
        if (io.open() != 0)
            throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, io.path(), "");
        const long size = io.size();
        const Exiv2::byte *bytes = io.mmap(false);
        const qsizetype tail = frame.data.size() - head;
        // The written segments must end in the scan's marker, where the picture goes on.
        if (scan >= 0 && (size < 2 || bytes[size - 2] != 0xff || bytes[size - 1] != 0xda))
            throw Exiv2::Error(Exiv2::kerImageWriteFailed);
        const bool apart = d->pictureApart && scan >= 0;
        QByteArray written;
        written.reserve(qsizetype(size) + (apart ? 0 : tail));
        written.append(reinterpret_cast<const char *>(bytes), qsizetype(size));
        if (!apart)
            written.append(frame.data.constData() + head, tail);
        *d->output = std::move(written);
        d->pictureOffset = apart ? head : -1;
        io.munmap();
        io.close();
        if (png) {
            *d->output =
                withExifChunk(*d->output, QByteArray(reinterpret_cast<const char *>(pngExif.data()),
                                                     qsizetype(pngExif.size())));
            if (d->output->isEmpty())
                throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
            *d->output = withIdotOf(frame.data, *d->output);
        }
        // Exiv2 rewrites the IPTC block but not its digest, and readers then take the XMP
        // for stale; an unchanged block keeps the digest it has.
        if (jpeg && jpegIptcData(*d->output) != jpegIptcData(frame.data))
            refreshIptcDigest(d->output);
    } catch (const std::exception &e) {
        qCWarning(lcPlatform) << "image not written:" << e.what();
        d->error = QString::fromLocal8Bit(e.what());
        d->output->clear();
        return false;
    }
    return true;
}

QString ImageDestination::errorString() const {
    return d->error;
}
