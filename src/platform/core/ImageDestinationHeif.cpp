#include "platform/core/ExiftoolSession.h"
#include "platform/core/ImagePropertyTables.h"
#include "platform/core/PrivateFolder.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

using K = ValueKind;

// exiftool names that are not simply the last part of the Exiv2 key.
const QHash<QString, QString> &tagOverrides() {
    static const QHash<QString, QString> map = {
        {QStringLiteral("Exif.Photo.DateTimeDigitized"), QStringLiteral("EXIF:CreateDate")},
        {QStringLiteral("Exif.Image.DateTime"), QStringLiteral("EXIF:ModifyDate")},
        {QStringLiteral("Exif.Photo.ISOSpeedRatings"), QStringLiteral("EXIF:ISO")},
        {QStringLiteral("Exif.Photo.PixelXDimension"), QStringLiteral("EXIF:ExifImageWidth")},
        {QStringLiteral("Exif.Photo.PixelYDimension"), QStringLiteral("EXIF:ExifImageHeight")},
        {QStringLiteral("Exif.Photo.FocalLengthIn35mmFilm"),
         QStringLiteral("EXIF:FocalLengthIn35mmFormat")},
        {QStringLiteral("Exif.Photo.LensSpecification"), QStringLiteral("EXIF:LensInfo")},
        {QStringLiteral("Exif.Photo.CameraOwnerName"), QStringLiteral("EXIF:OwnerName")},
        {QStringLiteral("Exif.Photo.BodySerialNumber"), QStringLiteral("EXIF:SerialNumber")},
        {QStringLiteral("Exif.Photo.ExposureBiasValue"),
         QStringLiteral("EXIF:ExposureCompensation")},
    };
    return map;
}

QString exiftoolTag(const char *exiv2Key) {
    const QString key = QLatin1String(exiv2Key);
    const auto found = tagOverrides().constFind(key);
    if (found != tagOverrides().cend())
        return *found;
    const QString name = key.section(QLatin1Char('.'), -1);
    if (key.startsWith(QLatin1String("Exif.")))
        return QStringLiteral("EXIF:") + name;
    if (key.startsWith(QLatin1String("Xmp.aux.")))
        return QStringLiteral("XMP-aux:") + name;
    return {};
}

// As on the Exiv2 path, the tag's Exif type decides between text and numbers.
bool storedAsText(const PropertyMapping &m) {
    if (qstrncmp(m.exiv2Key, "Exif.", 5) != 0)
        return false;
    const Exiv2::TypeId type = Exiv2::ExifKey(m.exiv2Key).defaultTypeId();
    return type == Exiv2::asciiString || type == Exiv2::string || type == Exiv2::undefined ||
           type == Exiv2::comment;
}

// A number as exiftool's -n input takes it; fractions such as "1/125" become decimals.
QString numberText(const ParsedNumber &n) {
    return QString::number(n.value, 'g', 15);
}

// The -n value text for one of our values, or empty with *error set.
QString valueText(const PropertyMapping &m, const QVariant &value, QString *error) {
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(m.key), why);
        return QString();
    };
    QString why;
    switch (m.kind) {
    case K::Text:
    case K::Comment:
        return joinedText(value);
    case K::Version:
        return versionDigits(value);
    case K::Coordinate: {
        double degrees = 0;
        if (!parseCoordinate(value, &degrees, &why))
            return fail(why);
        return QString::number(degrees, 'g', 15);
    }
    case K::GpsTime: {
        TimeOfDay t;
        if (!parseTimeOfDay(value, &t, &why))
            return fail(why);
        return t.text;
    }
    default:
        break;
    }
    if (storedAsText(m))
        return joinedText(value);
    std::vector<ParsedNumber> numbers;
    if (!parseNumbers(value, &numbers, &why))
        return fail(why);
    QStringList parts;
    for (const ParsedNumber &n : numbers)
        parts << numberText(n);
    return parts.join(QLatin1Char(' '));
}

std::span<const PropertyMapping> tableFor(const QString &section) {
    if (section == QLatin1String("{Exif}"))
        return exifMappings();
    if (section == QLatin1String("{TIFF}"))
        return tiffMappings();
    if (section == QLatin1String("{GPS}"))
        return gpsMappings();
    if (section == QLatin1String("{ExifAux}"))
        return exifAuxMappings();
    if (section == QLatin1String("{IPTC}"))
        return iptcMappings();
    return {};
}

const QStringList kSections = {QStringLiteral("{Exif}"), QStringLiteral("{TIFF}"),
                               QStringLiteral("{GPS}"), QStringLiteral("{ExifAux}"),
                               QStringLiteral("{IPTC}")};

// Only the keys a section's table knows take part; the rest of the file is left alone.
QVariantMap known(const QString &section, const QVariantMap &given) {
    QVariantMap out;
    for (const PropertyMapping &m : tableFor(section)) {
        const QVariant v = given.value(QLatin1String(m.key));
        if (!isNullValue(v))
            out.insert(QLatin1String(m.key), v);
    }
    return out;
}

const XmpTwin *twinOf(const char *key) {
    for (const XmpTwin &t : iptcXmpTwins())
        if (qstrcmp(t.key, key) == 0)
            return &t;
    return nullptr;
}

QStringList texts(const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    return {value.toString()};
}

// The XMP date of an IPTC date and time pair, when either changed.
bool dateArgument(const IptcDateTwin &pair, const QVariantMap &before, const QVariantMap &after,
                  QStringList *args, QString *error) {
    const QString date = QLatin1String(pair.dateKey), time = QLatin1String(pair.timeKey);
    if (before.value(date) == after.value(date) && before.value(time) == after.value(time))
        return true;
    const QString tag = QLatin1Char('-') + QLatin1String(pair.exiftoolTag) + QLatin1Char('=');
    if (!after.contains(date)) {
        *args << tag; // a time alone has no XMP place
        return true;
    }
    const QString text = xmpDateOfIptc(after.value(date), after.value(time), true);
    if (text.isEmpty()) {
        *error = QStringLiteral("%1: not a date: %2").arg(date, after.value(date).toString());
        return false;
    }
    *args << tag + text;
    return true;
}

// The XMP copies of changed Exif dates, where the file has them and no IPTC date took the place.
void addExifDateCopies(const Exiv2::XmpData &xmp, const QHash<QString, QVariantMap> &before,
                       const QHash<QString, QVariantMap> &after, QStringList *args) {
    for (const ExifDateTwin &t : exifDateTwins()) {
        const QString section = QLatin1String(t.section), key = QLatin1String(t.key);
        const QVariant now = after[section].value(key);
        if (!now.isValid() || before[section].value(key) == now)
            continue;
        const auto it = xmp.findKey(Exiv2::XmpKey(t.xmpKey));
        const QString tag = QLatin1Char('-') + QLatin1String(t.exiftoolTag) + QLatin1Char('=');
        const bool taken = std::any_of(args->cbegin(), args->cend(),
                                       [&](const QString &a) { return a.startsWith(tag); });
        if (it == xmp.end() || taken)
            continue;
        const QString text = xmpDateOfExif(
            now.toString(),
            after[QStringLiteral("{Exif}")].value(QLatin1String(t.offsetKey)).toString(),
            QString::fromStdString(it->toString()), true);
        if (!text.isEmpty())
            *args << tag + text;
    }
}

// The XMP copies of changed Exif texts, by the rule the Exiv2 path follows; an IPTC value that
// already went to the same XMP place keeps it.
void addExifTextCopies(const Exiv2::XmpData &xmp, const QHash<QString, QVariantMap> &before,
                       const QHash<QString, QVariantMap> &after, QStringList *args) {
    const QString tiff = QStringLiteral("{TIFF}"), exif = QStringLiteral("{Exif}");
    for (const ExifTextTwinChange &c : exifTextTwinChanges(
             exifTexts(before[tiff], before[exif]), exifTexts(after[tiff], after[exif]), xmp)) {
        const QString tag = QLatin1Char('-') + exiftoolXmpTag(c.xmpKey) + QLatin1Char('=');
        if (std::none_of(args->cbegin(), args->cend(),
                         [&](const QString &a) { return a.startsWith(tag); }))
            *args << tag + QString::fromStdString(c.text);
    }
}

} // namespace

QStringList heifTagArguments(const QVariantMap &original, const std::vector<QVariantMap> &layers,
                             QString *error, const Exiv2::XmpData *xmp) {
    QHash<QString, QVariantMap> before, after;
    for (const QString &s : kSections) {
        before[s] = known(s, original.value(s).toMap());
        after[s] = before[s];
    }
    QStringList groupDeletes;
    for (const QVariantMap &layer : layers) {
        for (auto it = layer.cbegin(); it != layer.cend(); ++it) {
            const QString &key = it.key();
            if (key == QLatin1String("Orientation")) {
                if (isNullValue(it.value()))
                    after[QStringLiteral("{TIFF}")].remove(key);
                else
                    after[QStringLiteral("{TIFF}")].insert(key, it.value());
                continue;
            }
            if (!kSections.contains(key))
                continue; // pixel descriptions: the pixels are never touched
            if (!isNullValue(it.value())) {
                after[key] = known(key, it.value().toMap());
                continue;
            }
            after[key].clear();
            // As on the Exiv2 path, a removed {Exif} or {GPS} also takes the tags we do not map.
            const QString group = key == QLatin1String("{Exif}")  ? QStringLiteral("-ExifIFD:all=")
                                  : key == QLatin1String("{GPS}") ? QStringLiteral("-GPS:all=")
                                                                  : QString();
            if (!group.isEmpty() && !groupDeletes.contains(group))
                groupDeletes << group;
        }
    }

    QStringList args = groupDeletes;
    for (const QString &s : kSections) {
        const bool wiped =
            (s == QLatin1String("{Exif}") && groupDeletes.contains("-ExifIFD:all=")) ||
            (s == QLatin1String("{GPS}") && groupDeletes.contains("-GPS:all="));
        for (const PropertyMapping &m : tableFor(s)) {
            const QString k = QLatin1String(m.key);
            const QVariant was = before[s].value(k);
            const QVariant now = after[s].value(k);
            if (s == QLatin1String("{IPTC}")) {
                if (const IptcDateTwin *pair = iptcDateTwinOf(m.key)) {
                    // One XMP date holds the IPTC date and time: it is written once, at the date.
                    if (qstrcmp(pair->dateKey, m.key) == 0 &&
                        !dateArgument(*pair, before[s], after[s], &args, error))
                        return {};
                    continue;
                }
            }
            if (!wiped && was == now)
                continue;
            if (wiped && !now.isValid())
                continue;
            if (s == QLatin1String("{IPTC}")) {
                const XmpTwin *twin = twinOf(m.key);
                if (!twin) {
                    *error = QStringLiteral("%1 cannot be stored in HEIF files").arg(k);
                    return {};
                }
                const QString tag = QLatin1Char('-') + QLatin1String(twin->exiftoolTag);
                if (!now.isValid()) {
                    args << tag + QLatin1Char('=');
                    if (xmp && qstrcmp(m.key, "Keywords") == 0)
                        for (const char *copy : keywordCopiesIn(*xmp))
                            args << QLatin1Char('-') + exiftoolXmpTag(copy) + QLatin1Char('=');
                    continue;
                }
                const QStringList values = twin->list ? texts(now) : QStringList{now.toString()};
                QStringList tags{tag};
                // The keyword lists of other programs the file has take the new keywords too.
                if (xmp && qstrcmp(m.key, "Keywords") == 0)
                    for (const char *copy : keywordCopiesIn(*xmp))
                        tags << QLatin1Char('-') + exiftoolXmpTag(copy);
                for (const QString &t : tags) {
                    for (const QString &v : values)
                        args << t + QLatin1Char('=') + v;
                    if (values.isEmpty())
                        args << t + QLatin1Char('=');
                }
                continue;
            }
            const QString tag = QLatin1Char('-') + exiftoolTag(m.exiv2Key);
            if (!now.isValid()) {
                args << tag + QLatin1Char('=');
                continue;
            }
            QString why;
            const QString text = valueText(m, now, &why);
            if (!why.isEmpty()) {
                *error = why;
                return {};
            }
            args << tag + QLatin1Char('=') + text;
        }
    }
    if (xmp) {
        addExifDateCopies(*xmp, before, after, &args);
        addExifTextCopies(*xmp, before, after, &args);
        const QString gps = QStringLiteral("{GPS}");
        for (const XmpPositionChange &c : xmpPositionChanges(before[gps], after[gps], *xmp))
            args << QLatin1Char('-') + exiftoolXmpTag(c.xmpKey.c_str()) + QStringLiteral("#=") +
                        c.number;
    }
    return args;
}

bool writeHeifMetadata(const QByteArray &source, const QVariantMap &original,
                       const std::vector<QVariantMap> &layers, QByteArray *output, QString *error,
                       const Exiv2::XmpData *xmp, const QString &suffix) {
    const QStringList tags = heifTagArguments(original, layers, error, xmp);
    if (tags.isEmpty()) {
        if (!error->isEmpty())
            return false;
        *output = source; // nothing changes
        return true;
    }
    // In our private folder, so that a start after a crash finds and removes it.
    const QString privateRoot = PrivateFolder::root(error);
    QTemporaryDir dir(privateRoot + QStringLiteral("/heif-XXXXXX"));
    if (privateRoot.isEmpty() || !dir.isValid()) {
        *error = QStringLiteral("no temporary folder: %1").arg(dir.errorString());
        return false;
    }
    // exiftool knows a file's kind by its extension first.
    const QString path = dir.filePath(QStringLiteral("image.") + suffix);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(source) != source.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    // -n: exact numbers and refs in, no print conversion guessing.
    const QStringList args =
        QStringList{QStringLiteral("-overwrite_original"), QStringLiteral("-n")} + tags +
        QStringList{path};
    if (!ExiftoolSession::shared().run(args, nullptr, error))
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read back %1: %2").arg(path, file.errorString());
        return false;
    }
    *output = file.readAll();
    return true;
}
