#include "batch/core/XmpReaders.h"

#include "platform/core/Exiv2Support.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <exiv2/exiv2.hpp>

namespace {

QString fromStd(const std::string &s) {
    return QString::fromStdString(s);
}

QVariant valueOf(const Exiv2::Xmpdatum &datum) {
    const Exiv2::Value &value = datum.value();
    if (const auto *alt = dynamic_cast<const Exiv2::LangAltValue *>(&value)) {
        const auto found = alt->value_.find("x-default");
        if (found != alt->value_.end())
            return fromStd(found->second);
        return alt->value_.empty() ? QString() : fromStd(alt->value_.begin()->second);
    }
    if (const auto *array = dynamic_cast<const Exiv2::XmpArrayValue *>(&value)) {
        QStringList items;
        for (long i = 0; i < array->count(); ++i)
            items << fromStd(array->toString(i));
        return items;
    }
    return fromStd(value.toString());
}

QString textOf(const XmpFields &xmp, const char *key) {
    const QVariant v = xmp.value(QLatin1String(key));
    if (v.userType() == QMetaType::QStringList) {
        const QStringList list = v.toStringList();
        return list.isEmpty() ? QString() : list.first();
    }
    return v.toString().trimmed();
}

} // namespace

std::optional<XmpFields> parseXmpSidecar(const QByteArray &bytes, QString *why) {
    if (bytes.size() > kMaxXmpSidecarBytes) {
        *why = QStringLiteral("larger than any sidecar (%1 bytes)").arg(bytes.size());
        return std::nullopt;
    }
    // Refused before the parser sees it: an entity could expand without end or name a file.
    if (bytes.contains("<!DOCTYPE") || bytes.contains("<!ENTITY")) {
        *why = QStringLiteral("declares a document type or entities");
        return std::nullopt;
    }
    ensureExiv2Initialised();
    const ForeignXmpPrefixesForgotten forgotten;
    Exiv2::XmpData data;
    try {
        if (Exiv2::XmpParser::decode(data, bytes.toStdString()) != 0) {
            *why = QStringLiteral("not XMP (the XML does not parse)");
            return std::nullopt;
        }
    } catch (const Exiv2::AnyError &e) {
        *why = QStringLiteral("not XMP (%1)").arg(QString::fromUtf8(e.what()));
        return std::nullopt;
    }
    if (data.empty()) {
        *why = QStringLiteral("holds no XMP properties");
        return std::nullopt;
    }
    XmpFields fields;
    for (const Exiv2::Xmpdatum &datum : data)
        fields.insert(fromStd(datum.key()), valueOf(datum));
    return fields;
}

QString getTitlewithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.dc.title");
}

QString getDescriptionwithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.dc.description");
}

QString getPhotoDatewithXMPStr(const XmpFields &xmp) {
    for (const char *key :
         {"Xmp.photoshop.DateCreated", "Xmp.exif.DateTimeOriginal", "Xmp.xmp.CreateDate"}) {
        const QString text = textOf(xmp, key);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QStringList getKeywordswithXMPStr(const XmpFields &xmp) {
    const QVariant v = xmp.value(QStringLiteral("Xmp.dc.subject"));
    QStringList keywords;
    const QStringList raw =
        v.userType() == QMetaType::QStringList ? v.toStringList() : QStringList{v.toString()};
    for (const QString &k : raw) {
        if (!k.trimmed().isEmpty())
            keywords << k.trimmed();
    }
    return keywords;
}

QString getGPSLatitudewithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.exif.GPSLatitude");
}

QString getGPSLongitudewithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.exif.GPSLongitude");
}

QString getGPSLatitudeRefwithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.exif.GPSLatitudeRef");
}

QString getGPSLongitudeRefwithXMPStr(const XmpFields &xmp) {
    return textOf(xmp, "Xmp.exif.GPSLongitudeRef");
}

XmpDate xmpDate(const QString &text) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?"
                       "(Z|[+-]\\d{2}:\\d{2})?\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    XmpDate out;
    out.exifText = QStringLiteral("%1:%2:%3 %4")
                       .arg(m.captured(1), m.captured(2), m.captured(3),
                            time.toString(QStringLiteral("HH:mm:ss")));
    const QString zone = m.captured(7);
    if (zone.isEmpty()) {
        out.instant = QDateTime(date, time, QTimeZone::systemTimeZone());
    } else {
        out.offset = zone == QLatin1String("Z") ? QStringLiteral("+00:00") : zone;
        const int sign = out.offset.startsWith(QLatin1Char('-')) ? -1 : 1;
        const int seconds =
            sign * (out.offset.mid(1, 2).toInt() * 3600 + out.offset.mid(4, 2).toInt() * 60);
        out.instant = QDateTime(date, time, Qt::OffsetFromUTC, seconds);
    }
    return out;
}

QStringList xmpPhotoCandidates(const QString &sidecarPath) {
    const QFileInfo info(sidecarPath);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName();
    QStringList candidates;
    // darktable and digiKam keep the photo's whole name: "IMG_7.jpg.xmp".
    if (!QFileInfo(stem).suffix().isEmpty())
        candidates << stem;
    // Photos first: a video beside a photo of the same name is its Live Photo's motion. A
    // camera's own JPEG comes before its RAW twin; other spellings of these are found too.
    for (const char *ext :
         {"jpg", "jpeg", "JPG", "JPEG", "HEIC", "PNG", "tif", "tiff", "TIF", "TIFF",
          "DNG", "CR2",  "CR3", "NEF",  "NRW",  "ARW", "ORF", "RW2",  "RAF", "PEF",
          "3FR", "FFF",  "MOS", "MRW",  "RAW",  "mov", "MOV", "mp4",  "MP4"})
        candidates << stem + QLatin1Char('.') + QLatin1String(ext);
    return candidates;
}
