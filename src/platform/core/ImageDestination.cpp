#include "platform/core/ImageDestination.h"

#include "app/core/Logging.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImagePropertyTables.h"

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

} // namespace

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
    };
    std::vector<Frame> frames;
    QString error;
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
    else if (frameCount != 1)
        d->error =
            QStringLiteral("only single-image files can be written (asked for %1)").arg(frameCount);
}

ImageDestination::~ImageDestination() = default;

QStringList ImageDestination::typeIdentifiers() {
    return kWritable;
}

bool ImageDestination::isValid() const {
    return d->error.isEmpty();
}

void ImageDestination::setProperties(const QVariantMap &properties) {
    d->destinationProperties = properties;
}

void ImageDestination::addImageFromSource(const ImageSource &source, int index,
                                          const QVariantMap &properties) {
    d->frames.push_back(
        {source.data(), source.isValid() ? source.type() : QString(), index, properties});
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
    const Private::Frame &frame = d->frames.front();
    if (frame.type != d->type) {
        d->error = frame.type.isEmpty()
                       ? QStringLiteral("the source image could not be read")
                       : QStringLiteral("re-encoding from \"%1\" to \"%2\" is not supported")
                             .arg(frame.type, d->type);
        return false;
    }
    if (frame.index != 0) {
        d->error = QStringLiteral("image index %1 is out of range").arg(frame.index);
        return false;
    }
    ensureExiv2Initialised();
    if (d->type == QLatin1String("public.heic") || d->type == QLatin1String("public.heif")) {
        // Exiv2 cannot rewrite HEIF boxes safely; exiftool edits them without touching pixels.
        QString error;
        const QVariantMap original = ImageSource(frame.data).properties(0);
        if (!writeHeifMetadata(frame.data, original, {d->destinationProperties, frame.properties},
                               d->output, &error)) {
            d->error = error;
            d->output->clear();
            return false;
        }
        return true;
    }
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(frame.data.constData()), long(frame.data.size()));
        image->readMetadata();
        QString error;
        if (!applyProperties(*image, d->destinationProperties, &error) ||
            !applyProperties(*image, frame.properties, &error)) {
            d->error = error;
            return false;
        }
        image->writeMetadata();
        Exiv2::BasicIo &io = image->io();
        io.open();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf buf = io.read(io.size());
        io.close();
        *d->output = QByteArray(reinterpret_cast<const char *>(buf.pData_), qsizetype(buf.size_));
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
