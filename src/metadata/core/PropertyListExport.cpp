#include "metadata/core/PropertyListExport.h"

#include "base/Coordinates.h"
#include "base/FileTypes.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace {

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kGps = QStringLiteral("{GPS}");

// The leading decimal number of a text, as a typed coordinate is read; 0 when there is none.
double leadingNumber(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? QLocale::c().toDouble(m.captured(0).trimmed()) : 0.0;
}

// The properties of image 0 as a write reads them; false when the photo cannot be read.
bool readPhotoProperties(const IKImageItem &item, PlistExportKind kind, QVariantMap *props) {
    QString path = item.filePath;
    if (GetSupportRAWImageType(path) >= 0)
        path = GetJPGImageFromRAWPhotowithImagePath(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return false;
    const ImageSource source(bytes);
    if (!source.isValid())
        return false;
    *props = source.properties(0);
    if (props->isEmpty() && kind != PlistExportKind::Tiff)
        *props = ImageSource::fromPath(path).properties(0);
    return true;
}

bool writeCreatingFolder(const QString &folder, const QString &path, const QVariant &root,
                         QString *error, QStringList *skipped = nullptr) {
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return false;
    }
    QString why;
    if (!PropertyList::writeXml(path, root, &why, skipped)) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, why);
        return false;
    }
    return true;
}

} // namespace

QString plistExportFileName(PlistExportKind kind) {
    switch (kind) {
    case PlistExportKind::Tiff:
        return QStringLiteral("ExportTiffInfo.plist");
    case PlistExportKind::Exif:
        return QStringLiteral("ExportExifInfo.plist");
    case PlistExportKind::ExifAndTiff:
        return QStringLiteral("ExportExifandTiffInfo.plist");
    case PlistExportKind::ExifAndGps:
        return QStringLiteral("ExportExifandGPSInfo.plist");
    case PlistExportKind::AllMetadata:
        return QStringLiteral("ExportAllMetadataInfo.plist");
    }
    return {};
}

bool plistExportEntry(PlistExportKind kind, const QVariantMap &properties, QVariantMap *entry) {
    entry->clear();
    const auto copySection = [&](const QString &key) {
        if (properties.contains(key))
            entry->insert(key, properties.value(key).toMap());
    };
    switch (kind) {
    case PlistExportKind::Tiff:
        *entry = properties.value(kTiff).toMap();
        return true;
    case PlistExportKind::Exif:
        *entry = properties.value(kExif).toMap();
        return true;
    case PlistExportKind::ExifAndTiff:
        copySection(kExif);
        copySection(kTiff);
        return true;
    case PlistExportKind::ExifAndGps:
        copySection(kExif);
        copySection(kGps);
        return true;
    case PlistExportKind::AllMetadata:
        *entry = properties;
        return !properties.isEmpty();
    }
    return false;
}

PlistExportResult exportPhotosToPlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, PlistExportKind kind) {
    ensureExiv2Initialised();
    PlistExportResult result;
    result.path = storageFolder + QLatin1Char('/') + plistExportFileName(kind);
    QVariantMap root;
    QHash<QString, int> uses;
    for (const IKImageItemPtr &item : items) {
        if (!item)
            continue;
        const QString name =
            item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName() : item->fileName;
        QVariantMap props, entry;
        if (!readPhotoProperties(*item, kind, &props)) {
            result.unreadable << name;
            continue;
        }
        if (!plistExportEntry(kind, props, &entry))
            continue;
        if (++uses[name] == 2)
            result.duplicateNames << name;
        root.insert(name, entry); // the later photo of a name wins
    }
    result.entries = static_cast<int>(root.size());
    result.written = writeCreatingFolder(storageFolder, result.path, root, &result.reason,
                                         &result.skippedValues);
    return result;
}

const QList<TemplateField> &templateFields() {
    static const QList<TemplateField> fields = {
        {"Artist", "artistlab"},
        {"ImageDescription", "imageDescrilab"},
        {"Copyright", "copyrightlab"},
        {"Make", "cameraMakelab"},
        {"Model", "cameraModelab"},
        {"LensMake", "lensMakelab"},
        {"LensModel", "lensModellab"},
        {"LensSerialNumber", "lensSerialNumlab"},
        {"Orientation", "imageOrientationlab"},
        {"ISOSpeedRatings", "imageISOSpeedlab"},
        {"FNumber", "imageFNumberlab"},
        {"FocalLenIn35mmFilm", "imageFlen35mmlab"},
        {"BrightnessValue", "imageBrightlab"},
        {"ApertureValue", "imageAperturelab"},
        {"WhiteBalance", "imageWhiteBalancelab"},
        {"ExposureTime", "imageExpotimelab"},
        {"DateTimeDigitized", "cameraDatelab"},
        {"UserComment", "commentslab"},
        {"Keywords", "keywordslab"},
        {"ObjectName", "titlelab"},
        {"Altitude", "gpsAitlab"},
        {"Latitude", "gpsLatilab"},
        {"LatitudeRef", "gpsLatilab"},
        {"Longitude", "gpsLongtlab"},
        {"LongitudeRef", "gpsLongtlab"},
    };
    return fields;
}

PropertyList::OrderedDictionary
templateDictionary(const std::function<QString(const char *)> &textOf) {
    PropertyList::OrderedDictionary dict;
    for (const TemplateField &f : templateFields()) {
        const QString key = QLatin1String(f.key);
        const QString text = textOf(f.field);
        // Coordinates are kept as numbers, in single precision with their sign.
        const double value = static_cast<float>(leadingNumber(text));
        if (key == QLatin1String("Latitude") || key == QLatin1String("Longitude"))
            dict.append({key, value});
        else if (key == QLatin1String("LatitudeRef"))
            dict.append({key, hemisphereRef(value, GpsAxis::Latitude)});
        else if (key == QLatin1String("LongitudeRef"))
            dict.append({key, hemisphereRef(value, GpsAxis::Longitude)});
        else
            dict.append({key, text});
    }
    return dict;
}

QString writeTemplatePlist(const QString &storageFolder,
                           const PropertyList::OrderedDictionary &dict, QString *error) {
    const QString path = storageFolder + QStringLiteral("/templatefile.plist");
    return writeCreatingFolder(storageFolder, path, QVariant::fromValue(dict), error) ? path
                                                                                      : QString();
}

QString writeShownPhotoPlist(const QString &storageFolder, const QString &fileName,
                             const QVariantMap &properties, QString *error) {
    // Only the name's last component: a shown name never leads the file out of the folder.
    const QString base = QFileInfo(QFileInfo(fileName).fileName()).completeBaseName();
    if (base.isEmpty()) {
        *error = QStringLiteral("no photo is shown");
        return {};
    }
    const QString path = storageFolder + QLatin1Char('/') + base + QStringLiteral(".plist");
    return writeCreatingFolder(storageFolder, path, properties, error) ? path : QString();
}
