#include "metadata/core/MetadataRemoval.h"

namespace {

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kIptc = QStringLiteral("{IPTC}");
const QString kGps = QStringLiteral("{GPS}");
const QString kExifAux = QStringLiteral("{ExifAux}");

// Sets each listed tag the dictionary holds to null; an absent tag is not added. The
// dictionary is stored back only when it exists and, where asked, when it held `needed`.
void stripTags(QVariantMap &working, const QString &section, const QStringList &tags,
               const QString &needed = QString()) {
    if (!working.contains(section) || working.value(section).isNull())
        return;
    QVariantMap dict = working.value(section).toMap();
    if (!needed.isEmpty() && !dict.contains(needed))
        return;
    for (const QString &tag : tags)
        if (dict.contains(tag))
            dict.insert(tag, QVariant());
    working.insert(section, dict);
}

void stripDateTags(QVariantMap &working, bool gpsToo) {
    stripTags(working, kTiff, {QStringLiteral("DateTime")}, QStringLiteral("DateTime"));
    stripTags(working, kIptc,
              {QStringLiteral("DateCreated"), QStringLiteral("TimeCreated"),
               QStringLiteral("DigitalCreationDate"), QStringLiteral("DigitalCreationTime")});
    if (gpsToo)
        stripTags(working, kGps, {QStringLiteral("TimeStamp"), QStringLiteral("DateStamp")});
}

} // namespace

QStringList allMetadataDictionaryKeys() {
    return {kExif,
            kGps,
            kTiff,
            QStringLiteral("{GIF}"),
            QStringLiteral("{JFIF}"),
            QStringLiteral("{PNG}"),
            kIptc,
            QStringLiteral("{Raw}"),
            QStringLiteral("{MakerCanon}"),
            QStringLiteral("{MakerNikon}"),
            QStringLiteral("{MakerMinolta}"),
            QStringLiteral("{MakerFuji}"),
            QStringLiteral("{MakerOlympus}"),
            QStringLiteral("{MakerPentax}"),
            QStringLiteral("{8BIM}"),
            kExifAux,
            QStringLiteral("{OpenEXR}")};
}

bool applyLocalRemoval(QVariantMap &working, MetadataRemoval removal) {
    switch (removal) {
    case MetadataRemoval::ExifAndGps:
        working.insert(kExif, QVariant());
        stripDateTags(working, false);
        if (working.contains(kGps))
            working.insert(kGps, QVariant());
        break;
    case MetadataRemoval::AllMetadata:
        for (const QString &key : allMetadataDictionaryKeys())
            working.insert(key, QVariant());
        break;
    case MetadataRemoval::IptcAndTiff:
        working.insert(kTiff, QVariant());
        working.insert(kIptc, QVariant());
        break;
    case MetadataRemoval::Tiff:
        working.insert(kTiff, QVariant());
        break;
    case MetadataRemoval::Iptc:
        working.insert(kIptc, QVariant());
        break;
    case MetadataRemoval::Exif:
        working.insert(kExif, QVariant());
        working.insert(kExifAux, QVariant());
        // The GPS position stays; only its time and date go with the other dates.
        stripDateTags(working, true);
        break;
    case MetadataRemoval::Gps:
        if (working.value(kGps).isNull())
            return false;
        working.insert(kGps, QVariant());
        break;
    }
    return true;
}

QVariantMap cameraRemovalProperties(MetadataRemoval removal) {
    switch (removal) {
    case MetadataRemoval::ExifAndGps:
    case MetadataRemoval::AllMetadata:
        return {{kExif, QVariant()}, {kGps, QVariant()}};
    case MetadataRemoval::IptcAndTiff:
    case MetadataRemoval::Tiff:
        return {{kTiff, QVariant()}};
    case MetadataRemoval::Iptc:
        return {{kIptc, QVariant()}};
    case MetadataRemoval::Exif:
        return {{kExif, QVariant()}};
    case MetadataRemoval::Gps:
        return {{kGps, QVariant()}};
    }
    return {};
}

QString cameraRemovalPrefix(MetadataRemoval removal) {
    switch (removal) {
    case MetadataRemoval::ExifAndGps:
    case MetadataRemoval::AllMetadata:
        return QStringLiteral("NoExifAndGPS_");
    case MetadataRemoval::IptcAndTiff:
    case MetadataRemoval::Tiff:
    case MetadataRemoval::Iptc:
        return QStringLiteral("NoIPTC_");
    case MetadataRemoval::Exif:
        return QStringLiteral("NoExif_");
    case MetadataRemoval::Gps:
        return QStringLiteral("NoGPS_");
    }
    return {};
}

bool removalShowsCompletion(MetadataRemoval removal) {
    return removal == MetadataRemoval::ExifAndGps || removal == MetadataRemoval::AllMetadata ||
           removal == MetadataRemoval::Exif;
}
