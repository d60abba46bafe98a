#include "browser/core/PhotoPanels.h"

#include "base/Coordinates.h"

#include "base/FileTypes.h"
#include "base/SharedHelpers.h"
#include "browser/core/DisplayValues.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"
#include "platform/core/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace {

bool isDictionary(const QVariant &value) {
    return value.typeId() == QMetaType::QVariantMap || value.typeId() == QMetaType::QVariantHash;
}

QVariantMap dictionaryOf(const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantHash) {
        QVariantMap out;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            out.insert(it.key(), it.value());
        return out;
    }
    return value.toMap();
}

// Binary data reads like the platform prints it: hex in groups of four bytes.
QString dataText(const QByteArray &bytes) {
    QString out = QStringLiteral("<");
    const QString hex = QString::fromLatin1(bytes.toHex());
    for (qsizetype i = 0; i < hex.size(); i += 8) {
        if (i > 0)
            out += QLatin1Char(' ');
        out += hex.mid(i, 8);
    }
    return out + QLatin1Char('>');
}

QString field(const QVariantMap &dict, const char *key) {
    const auto it = dict.constFind(QLatin1String(key));
    return it == dict.cend() ? QString(QLatin1String("")) : propertyValueText(it.value());
}

// The platform's decimal text of a double: six places.
QString decimalText(double value) {
    return QString::asprintf("%f", value);
}

// A file date as the user's clock showed it.
QString dateText(const QDateTime &date) {
    return date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString propertyValueText(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return QString(QLatin1String(""));
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QLatin1Char(','));
    case QMetaType::QVariantList: {
        QStringList parts;
        for (const QVariant &element : value.toList())
            parts << propertyValueText(element);
        return parts.join(QLatin1Char(','));
    }
    case QMetaType::QByteArray:
        return dataText(value.toByteArray());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        // Plain decimals, as a photographer reads them: 0.0005, never 5e-04.
        return QLocale::c().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return QString(QLatin1String(""));
    default:
        return value.toString();
    }
}

QList<PropertyNode> propTree(const QVariantMap &dictionary) {
    QList<PropertyNode> nodes;
    // QVariantMap iterates its keys in ascending string order already.
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        PropertyNode node;
        node.key = it.key();
        if (isDictionary(it.value())) {
            node.isDictionary = true;
            node.value = QString(QLatin1String(""));
            node.children = propTree(dictionaryOf(it.value()));
        } else {
            node.value = displayValueText(it.key(), it.value());
        }
        nodes.append(node);
    }
    return nodes;
}

void fillPanelsFromProperties(LocalPhotoPanels &p, const QVariantMap &properties) {
    p.currentExifDictionary = properties;
    p.propertyTree = propTree(properties);

    const QVariantMap exif = dictionaryOf(properties.value(QStringLiteral("{Exif}")));
    const QVariantMap exifAux = dictionaryOf(properties.value(QStringLiteral("{ExifAux}")));
    const QVariantMap tiff = dictionaryOf(properties.value(QStringLiteral("{TIFF}")));
    const QVariantMap gps = dictionaryOf(properties.value(QStringLiteral("{GPS}")));
    const QVariantMap iptc = dictionaryOf(properties.value(QStringLiteral("{IPTC}")));
    const bool hasGps = properties.contains(QStringLiteral("{GPS}"));

    p.bMapPreview = hasGps;
    if (hasGps) {
        const SignedGpsCoordinates c = signedCoordinates(gps);
        p.latitude = c.latitude.value_or(0.0);
        p.longitude = c.longitude.value_or(0.0);
        // Any position but the null island has a place name, west and south included.
        p.startsGeocoding = p.latitude != 0.0 || p.longitude != 0.0;
    }

    const QString pw = QStringLiteral("PixelWidth"), ph = QStringLiteral("PixelHeight");
    if (properties.contains(pw) && properties.contains(ph))
        p.photoImageSizeText = propertyValueText(properties.value(pw)) + QStringLiteral(" x ") +
                               propertyValueText(properties.value(ph));
    const auto orientation = properties.constFind(QStringLiteral("Orientation"));
    p.oldimageOrientationStr =
        orientation == properties.cend() ? QStringLiteral("0") : propertyValueText(*orientation);

    // Camera date: the first checked Exif date, else the unchecked TIFF one.
    const QString original = field(exif, "DateTimeOriginal");
    const QString digitized = field(exif, "DateTimeDigitized");
    QString cameraDate = QLatin1String("");
    QString cameraZone; // the offset the camera wrote beside the date it chose
    if (CheckDateFormatWithDateString(original)) {
        cameraDate = original;
        cameraZone = field(exif, "OffsetTimeOriginal");
    } else if (CheckDateFormatWithDateString(digitized)) {
        cameraDate = digitized;
        cameraZone = field(exif, "OffsetTimeDigitized");
    }
    if (cameraDate.isEmpty() && tiff.contains(QStringLiteral("DateTime"))) {
        cameraDate = field(tiff, "DateTime");
        cameraZone = field(exif, "OffsetTime");
    }
    p.oldCameraDateStr = cameraDate;
    p.photoModDateText = exifDateDisplayText(cameraDate, cameraZone);
    p.photoExposureText = exposureSummaryText(exif);

    p.oldlensMakeStr = field(exif, "LensMake");
    p.oldlenModelStr = field(exif, "LensModel");
    p.oldCommentStr = field(exif, "UserComment");
    p.oldlensSerialNumStr = field(exif, "LensSerialNumber");
    QString iso = field(exif, "ISOSpeedRatings");
    iso.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char(' '));
    p.oldimageISOSpeedStr = iso;
    p.oldimageFNumberStr = field(exif, "FNumber");
    p.oldimageFlen35mmStr = field(exif, "FocalLenIn35mmFilm");
    p.oldimageBrightStr = field(exif, "BrightnessValue");
    p.oldimageApertureStr = field(exif, "ApertureValue");
    p.oldimageWhiteBalanceStr = field(exif, "WhiteBalance");
    p.oldimageExpotimeStr = field(exif, "ExposureTime");

    // The remembered lens model predates this fallback, so the edit sheet sees it as changed.
    p.lensModelFieldText = p.oldlenModelStr;
    if (p.lensModelFieldText.isEmpty() && exifAux.contains(QStringLiteral("LensModel")))
        p.lensModelFieldText = field(exifAux, "LensModel");
    p.photoLensInfoText = p.lensModelFieldText;

    p.oldArtistStr = field(tiff, "Artist");
    p.oldImageDescStr = field(tiff, "ImageDescription");
    p.oldCopyrightStr = field(tiff, "Copyright");
    p.oldCameraMakeStr = field(tiff, "Make");
    p.oldCameraModeStr = field(tiff, "Model");
    p.photoDPIText = p.oldCameraModeStr;

    p.oldGpsAitStr = field(gps, "Altitude");
    p.oldGpsLatiStr = gps.contains(QStringLiteral("Latitude")) ? decimalText(p.latitude)
                                                               : QString(QLatin1String(""));
    p.oldGpsLongtStr = gps.contains(QStringLiteral("Longitude")) ? decimalText(p.longitude)
                                                                 : QString(QLatin1String(""));

    p.oldKeywordStr = field(iptc, "Keywords");
    p.oldTitleStr = field(iptc, "ObjectName");
    p.photoTitleText = p.oldTitleStr;
}

namespace {
// The information lines of the item's own file, also for a RAW, a video or an unreadable file.
void describeFile(LocalPhotoPanels &p, const IKImageItem &item) {
    p.currentFileName = item.fileName;
    p.photoNameText = item.fileName;
    const QFileInfo info(item.currentPath());
    if (!info.exists())
        return;
    const QDateTime created = FileDates::creationDate(item.currentPath());
    if (created.isValid())
        p.photoCreateDateText = dateText(created);
    const qint64 size = info.size();
    p.photoFileSizeText = QStringLiteral("%1 (%2 bytes)")
                              .arg(sizeToUnitString(static_cast<uint64_t>(size)))
                              .arg(size);
}
} // namespace

LocalPhotoPanels describeLocalPhoto(const IKImageItem &item) {
    LocalPhotoPanels p;
    describeFile(p, item);
    QString path = item.currentPath();
    // A video holds no photo properties, and reading it whole would only cost memory.
    if (GetViedoType(path) >= 0) {
        p.currentChooseFilePath = path;
        return p;
    }
    if (!RegularFile::isRegular(path)) {
        p.currentChooseFilePath = path;
        return p;
    }
    if (GetSupportRAWImageType(path) >= 0)
        path = GetJPGImageFromRAWPhotowithImagePath(path);
    p.currentChooseFilePath = path;

    // Only a regular file is opened: reading a FIFO would never end.
    const std::optional<QByteArray> read = RegularFile::readAll(path);
    if (!read)
        return p;
    const QByteArray &bytes = *read;
    ImageSource source(bytes);
    if (bytes.isEmpty() || !source.isValid())
        return p;
    p.readable = true;

    QVariantMap properties = source.properties(0);
    if (properties.isEmpty()) {
        // A second source by path tells TIFF-based RAWs apart by their extension.
        const ImageSource byPath = ImageSource::fromPath(path);
        if (byPath.isValid())
            properties = byPath.properties(0);
    }
    fillPanelsFromProperties(p, properties);
    return p;
}
