#include "batch/core/PhotoEncode.h"

#include "platform/core/Exiv2Support.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <QPainter>

#include <exiv2/exiv2.hpp>

#include <set>
#include <string>

namespace {

// Tags that describe how a TIFF stores its pixels: a new file states its own.
bool isImageStructureTag(const std::string &key) {
    static const std::set<std::string> tags{"Exif.Image.ImageWidth",
                                            "Exif.Image.ImageLength",
                                            "Exif.Image.BitsPerSample",
                                            "Exif.Image.Compression",
                                            "Exif.Image.PhotometricInterpretation",
                                            "Exif.Image.StripOffsets",
                                            "Exif.Image.SamplesPerPixel",
                                            "Exif.Image.RowsPerStrip",
                                            "Exif.Image.StripByteCounts",
                                            "Exif.Image.PlanarConfiguration",
                                            "Exif.Image.TileWidth",
                                            "Exif.Image.TileLength",
                                            "Exif.Image.TileOffsets",
                                            "Exif.Image.TileByteCounts",
                                            "Exif.Image.JPEGInterchangeFormat",
                                            "Exif.Image.JPEGInterchangeFormatLength",
                                            "Exif.Image.SubIFDs",
                                            "Exif.Image.NewSubfileType",
                                            "Exif.Image.Predictor",
                                            "Exif.Image.ExtraSamples",
                                            "Exif.Image.SampleFormat",
                                            "Exif.Image.ExifTag",
                                            "Exif.Image.GPSTag",
                                            "Exif.Image.InterColorProfile"};
    return tags.count(key) > 0;
}

Exiv2::ExifData exifToCarry(const Exiv2::ExifData &from, MetadataCarry carry, QSize pixels) {
    Exiv2::ExifData out;
    for (const Exiv2::Exifdatum &d : from) {
        const std::string key = d.key();
        if (d.groupName().rfind("Thumbnail", 0) == 0 || isImageStructureTag(key))
            continue;
        if (carry == MetadataCarry::WithoutExifAndGps && d.groupName() != "Image")
            continue;
        out.add(d);
    }
    if (out.findKey(Exiv2::ExifKey("Exif.Image.Orientation")) != out.end())
        out["Exif.Image.Orientation"] = uint16_t(1);
    // The pixels were turned upright, so the stated size follows them.
    for (const auto &[key, value] : {std::pair{"Exif.Photo.PixelXDimension", pixels.width()},
                                     std::pair{"Exif.Photo.PixelYDimension", pixels.height()}})
        if (out.findKey(Exiv2::ExifKey(key)) != out.end())
            out[key] = uint32_t(value);
    return out;
}

Exiv2::XmpData xmpToCarry(const Exiv2::XmpData &from, MetadataCarry carry) {
    Exiv2::XmpData out;
    for (const Exiv2::Xmpdatum &d : from) {
        // exif: holds the Exif and GPS tags' twins.
        if (carry == MetadataCarry::WithoutExifAndGps && d.groupName() == "exif")
            continue;
        out.add(d);
    }
    if (out.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation")) != out.end())
        out["Xmp.tiff.Orientation"] = "1";
    return out;
}

} // namespace

QByteArray encodeImage(const QImage &image, EncodedFormat format, float quality, QString *why) {
    QImage pixels = image;
    if (format == EncodedFormat::Jpeg && image.hasAlphaChannel()) {
        // JPEG has no transparency: what shows through is white, not black.
        pixels = QImage(image.size(), QImage::Format_RGB32);
        pixels.setColorSpace(image.colorSpace());
        pixels.fill(Qt::white);
        QPainter painter(&pixels);
        painter.drawImage(0, 0, image);
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    const char *name = format == EncodedFormat::Jpeg  ? "jpeg"
                       : format == EncodedFormat::Png ? "png"
                                                      : "tiff";
    QImageWriter writer(&buffer, name);
    if (format == EncodedFormat::Jpeg)
        writer.setQuality(qBound(0, int(quality * 100.0f + 0.5f), 100));
    if (format == EncodedFormat::Tiff)
        writer.setCompression(1); // LZW: lossless and about half the size
    if (!writer.write(pixels)) {
        if (why)
            *why = writer.errorString();
        return {};
    }
    return out;
}

bool carryMetadata(const QByteArray &original, QByteArray *encoded, MetadataCarry carry,
                   QSize pixels, QString *why) {
    ensureExiv2Initialised();
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    try {
        auto from = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(original.constData()), long(original.size()));
        from->readMetadata();
        exif = exifToCarry(from->exifData(), carry, pixels);
        xmp = xmpToCarry(from->xmpData(), carry);
        iptc = from->iptcData();
    } catch (const Exiv2::AnyError &) {
        // A format Exiv2 does not read (BMP, ...) has no metadata for us to keep.
        return true;
    }
    if (exif.empty() && xmp.empty() && iptc.empty())
        return true;
    try {
        auto to = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(encoded->constData()), long(encoded->size()));
        to->readMetadata();
        to->setExifData(exif);
        to->setIptcData(iptc);
        to->setXmpData(xmp);
        forgetForeignXmpPrefixes();
        to->writeMetadata();
        Exiv2::BasicIo &io = to->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf written = io.read(long(io.size()));
        *encoded = QByteArray(reinterpret_cast<const char *>(written.pData_), written.size_);
        return !encoded->isEmpty();
    } catch (const Exiv2::AnyError &e) {
        if (why)
            *why = QStringLiteral("the metadata cannot be carried over: %1")
                       .arg(QString::fromStdString(e.what()));
        return false;
    }
}
