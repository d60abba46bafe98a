#include "platform/core/ExiftoolSession.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/ImagePropertyTables.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

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

// A number as exiftool's -n input takes it; fractions such as "1/125" become decimals.
bool numberText(const QVariant &v, QString *out) {
    const QString s = v.toString().trimmed();
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    double d = 0;
    bool ok = false;
    if (slash > 0) {
        bool okD = false;
        const double n = s.left(slash).toDouble(&ok);
        const double den = s.mid(slash + 1).toDouble(&okD);
        ok = ok && okD && den != 0;
        d = ok ? n / den : 0;
    } else {
        d = v.typeId() == QMetaType::QString ? s.toDouble(&ok) : v.toDouble(&ok);
    }
    if (!ok || !std::isfinite(d))
        return false;
    *out = QString::number(d, 'g', 15);
    return true;
}

// The -n value text for one of our values, or empty with *error set.
QString valueText(const PropertyMapping &m, const QVariant &value, QString *error) {
    switch (m.kind) {
    case K::Text:
    case K::Comment:
        if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(' '));
        return value.toString();
    case K::Version: {
        const QVariantList parts = listElements(value);
        if (parts.size() == 1 && parts.first().toString().size() == 4)
            return parts.first().toString();
        return QStringLiteral("%1%2%3")
            .arg(parts.value(0).toInt(), 2, 10, QLatin1Char('0'))
            .arg(parts.value(1).toInt() % 10)
            .arg(parts.value(2).toInt() % 10);
    }
    case K::Coordinate: {
        bool ok = false;
        const double degrees = std::fabs(value.toString().trimmed().toDouble(&ok));
        if (!ok || !std::isfinite(degrees) || degrees > 180) {
            *error = QStringLiteral("%1: not a coordinate: %2")
                         .arg(QLatin1String(m.key), value.toString());
            return {};
        }
        return QString::number(degrees, 'g', 15);
    }
    case K::GpsTime: {
        static const QRegularExpression re(
            QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2}(?:\\.\\d+)?)$"));
        const auto match = re.match(value.toString().trimmed());
        if (!match.hasMatch() || match.captured(1).toInt() > 23 || match.captured(2).toInt() > 59 ||
            match.captured(3).toDouble() >= 61) {
            *error = QStringLiteral("%1: not a time of day: %2")
                         .arg(QLatin1String(m.key), value.toString());
            return {};
        }
        return match.captured(0);
    }
    default:
        break;
    }
    if (value.typeId() == QMetaType::QString && m.kind == K::Auto) {
        QString n;
        if (!numberText(value, &n))
            return value.toString(); // a text tag read with Auto
    }
    QStringList parts;
    for (const QVariant &e : listElements(value)) {
        QString n;
        if (!numberText(e, &n)) {
            *error = QStringLiteral("%1: not a number: %2").arg(QLatin1String(m.key), e.toString());
            return {};
        }
        parts << n;
    }
    if (parts.isEmpty())
        *error = QStringLiteral("%1: no value").arg(QLatin1String(m.key));
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

} // namespace

QStringList heifTagArguments(const QVariantMap &original, const std::vector<QVariantMap> &layers,
                             QString *error) {
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
                    continue;
                }
                const QStringList values = twin->list ? texts(now) : QStringList{now.toString()};
                for (const QString &v : values)
                    args << tag + QLatin1Char('=') + v;
                if (values.isEmpty())
                    args << tag + QLatin1Char('=');
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
    return args;
}

bool writeHeifMetadata(const QByteArray &source, const QVariantMap &original,
                       const std::vector<QVariantMap> &layers, QByteArray *output, QString *error) {
    const QStringList tags = heifTagArguments(original, layers, error);
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
    const QString path = dir.filePath(QStringLiteral("image.heic"));
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
