#include "metadata/core/PropertyListImport.h"

#include "base/Coordinates.h"
#include "metadata/core/MetadataClipboard.h"

#include "base/SharedHelpers.h"

#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <cmath>

namespace {

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kGps = QStringLiteral("{GPS}");
const QString kIptc = QStringLiteral("{IPTC}");

bool isDictionary(const QVariant &v) {
    return v.typeId() == QMetaType::QVariantMap;
}

bool isSectionKey(const QString &key) {
    return key.startsWith(QLatin1Char('{')) && key.endsWith(QLatin1Char('}'));
}

// Why an entry does not fit the import's layout, or empty when it does.
QString entryShapeError(PlistExportKind kind, const QString &name, const QVariant &value) {
    if (!isDictionary(value))
        return QStringLiteral("the entry of \"%1\" is not a dictionary").arg(name);
    const QVariantMap entry = value.toMap();
    for (auto it = entry.cbegin(); it != entry.cend(); ++it) {
        const bool section = isSectionKey(it.key());
        if ((kind == PlistExportKind::Tiff || kind == PlistExportKind::Exif) && section)
            return QStringLiteral("the entry of \"%1\" holds whole sections (%2), not tags")
                .arg(name, it.key());
        if (kind != PlistExportKind::Tiff && kind != PlistExportKind::Exif && section &&
            !isDictionary(it.value()))
            return QStringLiteral("%1 in the entry of \"%2\" is not a dictionary")
                .arg(it.key(), name);
    }
    return {};
}

QString plistFileError(const QString &path, const QString &why) {
    return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why);
}

// Tags whose text may be empty; an empty text in a number or date tag is no value at all.
const QSet<QString> &textTags() {
    static const QSet<QString> tags = {QStringLiteral("LensMake"),
                                       QStringLiteral("LensModel"),
                                       QStringLiteral("LensSerialNumber"),
                                       QStringLiteral("UserComment"),
                                       QStringLiteral("Artist"),
                                       QStringLiteral("ImageDescription"),
                                       QStringLiteral("Copyright"),
                                       QStringLiteral("Make"),
                                       QStringLiteral("Model")};
    return tags;
}

const QStringList &exifTemplateKeys() {
    static const QStringList keys = {QStringLiteral("LensMake"),
                                     QStringLiteral("LensModel"),
                                     QStringLiteral("LensSerialNumber"),
                                     QStringLiteral("ExposureTime"),
                                     QStringLiteral("FNumber"),
                                     QStringLiteral("ISOSpeedRatings"),
                                     QStringLiteral("FocalLenIn35mmFilm"),
                                     QStringLiteral("BrightnessValue"),
                                     QStringLiteral("ApertureValue"),
                                     QStringLiteral("WhiteBalance"),
                                     QStringLiteral("DateTimeDigitized"),
                                     QStringLiteral("UserComment")};
    return keys;
}

const QStringList &tiffTemplateKeys() {
    static const QStringList keys = {
        QStringLiteral("Artist"),    QStringLiteral("ImageDescription"),
        QStringLiteral("Copyright"), QStringLiteral("Make"),
        QStringLiteral("Model"),     QStringLiteral("Orientation")};
    return keys;
}

// A coordinate stored as a number, or as the text of one; nullopt for none.
std::optional<double> coordinate(const QVariant &v, bool *wrongKind) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return std::nullopt;
        bool ok = false;
        const double d = QLocale::c().toDouble(text, &ok);
        if (ok)
            return d;
        *wrongKind = true;
        return std::nullopt;
    }
    default:
        if (v.isValid())
            *wrongKind = true;
        return std::nullopt;
    }
}

} // namespace

PerPhotoPlist loadPerPhotoPlist(const QString &path, PlistExportKind kind) {
    PerPhotoPlist file;
    const PropertyList::Document doc = PropertyList::read(path);
    if (!doc.ok) {
        file.reason = plistFileError(path, doc.error);
        return file;
    }
    if (!isDictionary(doc.root)) {
        file.reason = plistFileError(path, QStringLiteral("its root is not a dictionary"));
        return file;
    }
    const QVariantMap root = doc.root.toMap();
    if (root.isEmpty()) {
        file.reason = plistFileError(path, QStringLiteral("it holds no photos"));
        return file;
    }
    for (auto it = root.cbegin(); it != root.cend(); ++it) {
        const QString why = entryShapeError(kind, it.key(), it.value());
        if (!why.isEmpty()) {
            file.reason = plistFileError(path, why);
            return file;
        }
    }
    file.entries = root;
    file.order = doc.rootKeys;
    file.ok = true;
    return file;
}

std::optional<QVariantMap> plistEntryForPhoto(const PerPhotoPlist &file, PlistExportKind kind,
                                              const QString &fileName) {
    const auto it = file.entries.constFind(fileName);
    if (it != file.entries.cend())
        return it->toMap();
    if (kind == PlistExportKind::Tiff && !file.order.isEmpty())
        return file.entries.value(file.order.first()).toMap();
    return std::nullopt;
}

void applyPlistEntry(PlistExportKind kind, const QVariantMap &entry, QVariantMap &working) {
    // Sections come in as the clipboard pastes them: what describes the target's own
    // pixels (size, orientation) stays the target's.
    const auto takeSection = [&](const QString &key) {
        if (entry.contains(key))
            working = pasteSection(working, key, entry.value(key).toMap());
    };
    switch (kind) {
    case PlistExportKind::Tiff:
        working.insert(kTiff, entry);
        break;
    case PlistExportKind::Exif:
        working = pasteSection(working, kExif, entry);
        break;
    case PlistExportKind::ExifAndTiff:
        takeSection(kExif);
        takeSection(kTiff);
        break;
    case PlistExportKind::ExifAndGps:
        takeSection(kExif);
        takeSection(kGps);
        break;
    case PlistExportKind::AllMetadata:
        working = pasteAll(working, entry);
        break;
    }
}

PlistImportPlan planPerPhotoPlist(const QList<IKImageItemPtr> &items, PlistExportKind kind,
                                  const PerPhotoPlist &file, const QString &dateText) {
    PlistImportPlan plan;
    for (const IKImageItemPtr &item : items) {
        if (!item)
            continue;
        const QString name =
            item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName() : item->fileName;
        if (plistEntryForPhoto(file, kind, name))
            plan.named << item;
        else
            plan.notInFile << name;
    }
    plan.options.change = [file, kind](QVariantMap &working, const IKImageItem &item) {
        const QString name =
            item.fileName.isEmpty() ? QFileInfo(item.filePath).fileName() : item.fileName;
        const std::optional<QVariantMap> entry = plistEntryForPhoto(file, kind, name);
        if (!entry)
            return false;
        applyPlistEntry(kind, *entry, working);
        return true;
    };
    plan.options.useRawTemporary = true;
    plan.options.dates = WriteRecipeOptions::Dates::FromDateText;
    plan.options.dateText = dateText;
    return plan;
}

PlistImportResult importPerPhotoPlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, bool overwrite,
                                      PlistExportKind kind, const PerPhotoPlist &file,
                                      const QString &dateText) {
    const PlistImportPlan plan = planPerPhotoPlist(items, kind, file, dateText);
    PlistImportResult result;
    result.notInFile = plan.notInFile;
    if (!plan.named.isEmpty())
        result.report = runWriteRecipe(plan.named, storageFolder, overwrite, plan.options);
    return result;
}

TemplatePlist loadTemplatePlist(const QString &path) {
    TemplatePlist tpl;
    const PropertyList::Document doc = PropertyList::read(path);
    if (!doc.ok) {
        tpl.reason = plistFileError(path, doc.error);
        return tpl;
    }
    if (!isDictionary(doc.root)) {
        tpl.reason = plistFileError(path, QStringLiteral("its root is not a dictionary"));
        return tpl;
    }
    const QVariantMap values = doc.root.toMap();
    bool anyKey = false;
    for (const TemplateField &f : templateFields()) {
        const QString key = QLatin1String(f.key);
        if (!values.contains(key))
            continue;
        anyKey = true;
        if (key == QLatin1String("Latitude") || key == QLatin1String("Longitude"))
            continue;
        if (values.value(key).typeId() != QMetaType::QString) {
            tpl.reason =
                plistFileError(path, QStringLiteral("its value \"%1\" is not text").arg(key));
            return tpl;
        }
    }
    if (!anyKey) {
        tpl.reason = plistFileError(path, QStringLiteral("it is not a metadata template"));
        return tpl;
    }
    const QString date = values.value(QStringLiteral("DateTimeDigitized")).toString();
    if (!date.isEmpty() && !CheckDateFormatWithDateString(date)) {
        tpl.reason = plistFileError(
            path, QStringLiteral("its DateTimeDigitized \"%1\" is not a date").arg(date));
        return tpl;
    }
    bool wrongKind = false;
    const auto lat = coordinate(values.value(QStringLiteral("Latitude")), &wrongKind);
    const auto lon = coordinate(values.value(QStringLiteral("Longitude")), &wrongKind);
    if (wrongKind) {
        tpl.reason = plistFileError(path, QStringLiteral("its coordinates are not numbers"));
        return tpl;
    }
    // 0, 0 is what an empty coordinate field leaves in a template: no position at all.
    if (lat && lon && !(*lat == 0 && *lon == 0)) {
        if (!std::isfinite(*lat) || !std::isfinite(*lon) || std::fabs(*lat) > 90 ||
            std::fabs(*lon) > 180) {
            tpl.reason = plistFileError(path, QStringLiteral("its position is out of range"));
            return tpl;
        }
        tpl.hasPosition = true;
        tpl.latitude = *lat;
        tpl.longitude = *lon;
    }
    tpl.values = values;
    tpl.ok = true;
    return tpl;
}

void applyTemplate(const TemplatePlist &tpl, QVariantMap &working) {
    const QVariantMap &t = tpl.values;
    const auto text = [&](const QString &key) { return t.value(key).toString(); };
    const auto fill = [&](const QString &section, const QStringList &keys) {
        const bool exists = working.contains(section);
        QVariantMap dict = working.value(section).toMap();
        for (const QString &key : keys) {
            if (!t.contains(key))
                continue;
            QString value = text(key);
            if (value.isEmpty() && (exists || !textTags().contains(key)))
                continue;
            if (key == QLatin1String("DateTimeDigitized"))
                value = ConvertDateWithDateString(value).toString(
                    QStringLiteral("yyyy:MM:dd HH:mm:ss"));
            dict.insert(key, value);
        }
        if (exists || !dict.isEmpty())
            working.insert(section, dict);
    };
    if (!text(QStringLiteral("Orientation")).isEmpty())
        working.insert(QStringLiteral("Orientation"), text(QStringLiteral("Orientation")));
    fill(kExif, exifTemplateKeys());
    fill(kTiff, tiffTemplateKeys());

    // IPTC title and keywords are written whenever the template holds them, empty or not.
    QVariantMap iptc = working.value(kIptc).toMap();
    bool iptcChanged = false;
    if (t.contains(QStringLiteral("Keywords"))) {
        QStringList words;
        for (const QString &w : text(QStringLiteral("Keywords")).split(QLatin1Char(',')))
            if (!w.trimmed().isEmpty())
                words << w.trimmed();
        iptc.insert(QStringLiteral("Keywords"), words);
        iptcChanged = true;
    }
    if (t.contains(QStringLiteral("ObjectName"))) {
        iptc.insert(QStringLiteral("ObjectName"), text(QStringLiteral("ObjectName")));
        iptcChanged = true;
    }
    if (iptcChanged)
        working.insert(kIptc, iptc);

    if (tpl.hasPosition) {
        QVariantMap gps = working.value(kGps).toMap();
        gps.insert(QStringLiteral("GPSVersion"), QVariantList{2, 2, 0, 0});
        QVariantMap position = gpsPositionValues(tpl.latitude, tpl.longitude);
        // In single precision, as the template was written.
        for (const QString &key : {QStringLiteral("Latitude"), QStringLiteral("Longitude")})
            position.insert(key, double(static_cast<float>(position.value(key).toDouble())));
        gps.insert(position);
        // A template holds no speed or heading: none is made up (a photo's own stay).
        working.insert(kGps, gps);
    }
}

WriteRecipeOptions templateOptions(const TemplatePlist &tpl) {
    WriteRecipeOptions options;
    options.change = [tpl](QVariantMap &working, const IKImageItem &) {
        applyTemplate(tpl, working);
        return true;
    };
    options.destinationDictionary.clear();
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    return options;
}

WriteRecipeReport importTemplatePlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, bool overwrite,
                                      const TemplatePlist &tpl) {
    return runWriteRecipe(items, storageFolder, overwrite, templateOptions(tpl));
}
