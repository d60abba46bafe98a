#include "platform/core/ImagePropertyTables.h"

#include "base/Coordinates.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <unordered_map>

namespace {

using K = ValueKind;

const PropertyMapping kExif[] = {
    {"ExposureTime", "Exif.Photo.ExposureTime", K::Auto},
    {"FNumber", "Exif.Photo.FNumber", K::Auto},
    {"ExposureProgram", "Exif.Photo.ExposureProgram", K::Auto},
    {"SpectralSensitivity", "Exif.Photo.SpectralSensitivity", K::Text},
    {"ISOSpeedRatings", "Exif.Photo.ISOSpeedRatings", K::List},
    {"SensitivityType", "Exif.Photo.SensitivityType", K::Auto},
    {"StandardOutputSensitivity", "Exif.Photo.StandardOutputSensitivity", K::Auto},
    {"RecommendedExposureIndex", "Exif.Photo.RecommendedExposureIndex", K::Auto},
    {"ISOSpeed", "Exif.Photo.ISOSpeed", K::Auto},
    {"ExifVersion", "Exif.Photo.ExifVersion", K::Version},
    {"DateTimeOriginal", "Exif.Photo.DateTimeOriginal", K::Text},
    {"DateTimeDigitized", "Exif.Photo.DateTimeDigitized", K::Text},
    {"OffsetTime", "Exif.Photo.OffsetTime", K::Text},
    {"OffsetTimeOriginal", "Exif.Photo.OffsetTimeOriginal", K::Text},
    {"OffsetTimeDigitized", "Exif.Photo.OffsetTimeDigitized", K::Text},
    {"CompressedBitsPerPixel", "Exif.Photo.CompressedBitsPerPixel", K::Auto},
    {"ShutterSpeedValue", "Exif.Photo.ShutterSpeedValue", K::Auto},
    {"ApertureValue", "Exif.Photo.ApertureValue", K::Auto},
    {"BrightnessValue", "Exif.Photo.BrightnessValue", K::Auto},
    {"ExposureBiasValue", "Exif.Photo.ExposureBiasValue", K::Auto},
    {"MaxApertureValue", "Exif.Photo.MaxApertureValue", K::Auto},
    {"SubjectDistance", "Exif.Photo.SubjectDistance", K::Auto},
    {"MeteringMode", "Exif.Photo.MeteringMode", K::Auto},
    {"LightSource", "Exif.Photo.LightSource", K::Auto},
    {"Flash", "Exif.Photo.Flash", K::Auto},
    {"FocalLength", "Exif.Photo.FocalLength", K::Auto},
    {"SubjectArea", "Exif.Photo.SubjectArea", K::List},
    {"UserComment", "Exif.Photo.UserComment", K::Comment},
    {"SubsecTime", "Exif.Photo.SubSecTime", K::Text},
    {"SubsecTimeOriginal", "Exif.Photo.SubSecTimeOriginal", K::Text},
    {"SubsecTimeDigitized", "Exif.Photo.SubSecTimeDigitized", K::Text},
    {"FlashPixVersion", "Exif.Photo.FlashpixVersion", K::Version},
    {"ColorSpace", "Exif.Photo.ColorSpace", K::Auto},
    {"PixelXDimension", "Exif.Photo.PixelXDimension", K::Auto},
    {"PixelYDimension", "Exif.Photo.PixelYDimension", K::Auto},
    {"RelatedSoundFile", "Exif.Photo.RelatedSoundFile", K::Text},
    {"FlashEnergy", "Exif.Photo.FlashEnergy", K::Auto},
    {"FocalPlaneXResolution", "Exif.Photo.FocalPlaneXResolution", K::Auto},
    {"FocalPlaneYResolution", "Exif.Photo.FocalPlaneYResolution", K::Auto},
    {"FocalPlaneResolutionUnit", "Exif.Photo.FocalPlaneResolutionUnit", K::Auto},
    {"SubjectLocation", "Exif.Photo.SubjectLocation", K::List},
    {"ExposureIndex", "Exif.Photo.ExposureIndex", K::Auto},
    {"SensingMethod", "Exif.Photo.SensingMethod", K::Auto},
    {"CustomRendered", "Exif.Photo.CustomRendered", K::Auto},
    {"ExposureMode", "Exif.Photo.ExposureMode", K::Auto},
    {"WhiteBalance", "Exif.Photo.WhiteBalance", K::Auto},
    {"DigitalZoomRatio", "Exif.Photo.DigitalZoomRatio", K::Auto},
    {"FocalLenIn35mmFilm", "Exif.Photo.FocalLengthIn35mmFilm", K::Auto},
    {"SceneCaptureType", "Exif.Photo.SceneCaptureType", K::Auto},
    {"GainControl", "Exif.Photo.GainControl", K::Auto},
    {"Contrast", "Exif.Photo.Contrast", K::Auto},
    {"Saturation", "Exif.Photo.Saturation", K::Auto},
    {"Sharpness", "Exif.Photo.Sharpness", K::Auto},
    {"SubjectDistRange", "Exif.Photo.SubjectDistanceRange", K::Auto},
    {"ImageUniqueID", "Exif.Photo.ImageUniqueID", K::Text},
    {"CameraOwnerName", "Exif.Photo.CameraOwnerName", K::Text},
    {"BodySerialNumber", "Exif.Photo.BodySerialNumber", K::Text},
    {"LensSpecification", "Exif.Photo.LensSpecification", K::List},
    {"LensMake", "Exif.Photo.LensMake", K::Text},
    {"LensModel", "Exif.Photo.LensModel", K::Text},
    {"LensSerialNumber", "Exif.Photo.LensSerialNumber", K::Text},
    {"Gamma", "Exif.Photo.Gamma", K::Auto},
};

// Structural tags (sizes, strips, compression) are left out: writing them would lie about pixels.
const PropertyMapping kTiff[] = {
    {"ImageDescription", "Exif.Image.ImageDescription", K::Text},
    {"Make", "Exif.Image.Make", K::Text},
    {"Model", "Exif.Image.Model", K::Text},
    {"Orientation", "Exif.Image.Orientation", K::Auto},
    {"XResolution", "Exif.Image.XResolution", K::Auto},
    {"YResolution", "Exif.Image.YResolution", K::Auto},
    {"ResolutionUnit", "Exif.Image.ResolutionUnit", K::Auto},
    {"Software", "Exif.Image.Software", K::Text},
    {"DateTime", "Exif.Image.DateTime", K::Text},
    {"Artist", "Exif.Image.Artist", K::Text},
    {"HostComputer", "Exif.Image.HostComputer", K::Text},
    {"Copyright", "Exif.Image.Copyright", K::Text},
    {"WhitePoint", "Exif.Image.WhitePoint", K::List},
    {"PrimaryChromaticities", "Exif.Image.PrimaryChromaticities", K::List},
    {"DocumentName", "Exif.Image.DocumentName", K::Text},
};

// Auxiliary camera data lives in XMP's aux namespace.
const PropertyMapping kExifAux[] = {
    {"LensModel", "Xmp.aux.Lens", K::Text},
    {"LensID", "Xmp.aux.LensID", K::Auto},
    {"LensSerialNumber", "Xmp.aux.LensSerialNumber", K::Text},
    {"SerialNumber", "Xmp.aux.SerialNumber", K::Text},
    {"LensInfo", "Xmp.aux.LensInfo", K::List},
    {"ImageNumber", "Xmp.aux.ImageNumber", K::Auto},
    {"Firmware", "Xmp.aux.Firmware", K::Text},
    {"OwnerName", "Xmp.aux.OwnerName", K::Text},
    {"FlashCompensation", "Xmp.aux.FlashCompensation", K::Auto},
};

bool isRational(Exiv2::TypeId t) {
    return t == Exiv2::unsignedRational || t == Exiv2::signedRational;
}

bool isInteger(Exiv2::TypeId t) {
    switch (t) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::undefined:
    case Exiv2::tiffIfd:
        return true;
    default:
        return false;
    }
}

QVariant number(const Exiv2::Value &v, long i) {
    const Exiv2::TypeId t = v.typeId();
    if (isRational(t)) {
        const Exiv2::Rational r = v.toRational(i);
        return r.second == 0 ? QVariant(0.0) : QVariant(double(r.first) / double(r.second));
    }
    if (t == Exiv2::tiffFloat || t == Exiv2::tiffDouble)
        return double(v.toFloat(i));
    const qint64 n = v.toLong(i);
    if (t == Exiv2::unsignedLong)
        return qint64(quint32(n)) > INT_MAX ? QVariant(qint64(quint32(n))) : QVariant(int(n));
    return int(n);
}

QString asciiText(const Exiv2::Value &v) {
    std::string s = v.toString();
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string numbersText(const QVariant &value, Exiv2::TypeId type, QString *error) {
    std::vector<ParsedNumber> numbers;
    if (!parseNumbers(value, &numbers, error))
        return {};
    QStringList parts;
    for (const ParsedNumber &n : numbers) {
        if (isRational(type)) {
            if (type == Exiv2::unsignedRational && n.value < 0) {
                *error = QStringLiteral("negative value for an unsigned rational: %1").arg(n.value);
                return {};
            }
            const auto [num, den] =
                n.denominator != 0 ? std::pair(n.numerator, n.denominator) : toRational(n.value);
            parts << QStringLiteral("%1/%2").arg(num).arg(den);
        } else if (type == Exiv2::tiffFloat || type == Exiv2::tiffDouble) {
            parts << QString::number(n.value, 'g', 17);
        } else {
            parts << QString::number(std::llround(n.value));
        }
    }
    return parts.join(QLatin1Char(' ')).toStdString();
}

QVariant xmpToVariant(const std::string &text, ValueKind kind) {
    const QString s = QString::fromStdString(text);
    if (kind == K::Text)
        return s;
    QVariantList list;
    for (const QString &part : s.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        ParsedNumber n;
        if (!parseNumber(part, &n))
            return s;
        bool isInt = false;
        const int i = part.toInt(&isInt);
        list << (isInt ? QVariant(i) : QVariant(n.value));
    }
    if (kind == K::List)
        return list;
    return list.size() == 1 ? list.first() : QVariant(s);
}

// A tag's place in Exiv2 as two numbers: comparing these is cheap, where ExifData::findKey
// builds and compares a key string for every datum of the file.
quint32 tagId(int ifd, uint16_t tag) {
    return (quint32(ifd) << 16) | tag;
}

struct TableIds {
    std::span<const PropertyMapping> table;
    std::unordered_map<quint32, int> index; // tag id -> row of the table
};

TableIds makeIds(std::span<const PropertyMapping> table) {
    TableIds ids{table, {}};
    for (size_t i = 0; i < table.size(); ++i) {
        const Exiv2::ExifKey key(table[i].exiv2Key);
        ids.index.emplace(tagId(key.ifdId(), key.tag()), int(i));
    }
    return ids;
}

const TableIds &idsFor(std::span<const PropertyMapping> table) {
    static const TableIds tables[] = {makeIds(exifMappings()), makeIds(tiffMappings()),
                                      makeIds(gpsMappings())};
    for (const TableIds &ids : tables)
        if (ids.table.data() == table.data())
            return ids;
    static const TableIds none;
    return none;
}

// Every datum of the table's tags, per row, in file order: one pass over the Exif data.
template <typename Data, typename Iterator>
std::vector<std::vector<Iterator>> datumsByRow(Data &exif, std::span<const PropertyMapping> table) {
    const TableIds &ids = idsFor(table);
    std::vector<std::vector<Iterator>> rows(table.size());
    for (Iterator it = exif.begin(); it != exif.end(); ++it) {
        const auto found = ids.index.find(tagId(it->ifdId(), it->tag()));
        if (found != ids.index.end())
            rows[size_t(found->second)].push_back(it);
    }
    return rows;
}

std::span<const PropertyMapping> tableFor(const QString &section) {
    if (section == QLatin1String("{Exif}"))
        return exifMappings();
    if (section == QLatin1String("{TIFF}"))
        return tiffMappings();
    if (section == QLatin1String("{GPS}"))
        return gpsMappings();
    return {};
}

} // namespace

// The elements of a list value: a list, a string list, or text separated by blanks or commas.
QVariantList listElements(const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantList)
        return value.toList();
    if (value.typeId() == QMetaType::QStringList) {
        QVariantList out;
        for (const QString &s : value.toStringList())
            out << s;
        return out;
    }
    if (value.typeId() == QMetaType::QString) {
        QVariantList out;
        for (const QString &s : value.toString().split(
                 QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts))
            out << s;
        return out;
    }
    return {value};
}

std::span<const PropertyMapping> exifMappings() {
    return kExif;
}
std::span<const PropertyMapping> tiffMappings() {
    return kTiff;
}
std::span<const PropertyMapping> exifAuxMappings() {
    return kExifAux;
}

bool isNullValue(const QVariant &value) {
    return !value.isValid() || value.typeId() == QMetaType::Nullptr || value.isNull();
}

std::pair<qint64, qint64> toRational(double value) {
    if (!std::isfinite(value) || value == 0)
        return {0, 1};
    const qint64 sign = value < 0 ? -1 : 1;
    const double a = std::fabs(value);
    constexpr double kMax = 2147483647.0;
    if (a < 1) {
        const double inverse = 1 / a;
        const double n = std::round(inverse);
        if (n <= kMax && std::fabs(inverse - n) <= 1e-6 * inverse)
            return {sign, qint64(n)};
    }
    for (qint64 den = 1; den <= 1000000; den *= 10) {
        const double n = std::round(a * double(den));
        if (n > kMax)
            break;
        if (std::fabs(n / double(den) - a) <= 1e-9 * std::max(1.0, a))
            return {sign * qint64(n), den};
    }
    // Continued fraction: the best approximation whose terms still fit in 32 bits.
    qint64 h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    double x = a;
    for (int i = 0; i < 40; ++i) {
        const double whole = std::floor(x);
        const double h2 = whole * double(h1) + double(h0);
        const double k2 = whole * double(k1) + double(k0);
        if (h2 > kMax || k2 > kMax)
            break;
        h0 = h1;
        h1 = qint64(h2);
        k0 = k1;
        k1 = qint64(k2);
        if (std::fabs(double(h1) / double(k1) - a) <= 1e-12 * a || x - whole < 1e-12)
            break;
        x = 1 / (x - whole);
    }
    if (k1 == 0)
        return {sign * qint64(std::min(a, kMax)), 1};
    return {sign * h1, k1};
}

QVariant exifValueToVariant(const Exiv2::Value &v, ValueKind kind) {
    const Exiv2::TypeId t = v.typeId();
    switch (kind) {
    case K::Coordinate:
    case K::GpsTime:
        return gpsValueToVariant(v, kind);
    case K::Comment: {
        const auto *comment = dynamic_cast<const Exiv2::CommentValue *>(&v);
        std::string s = comment ? comment->comment() : v.toString();
        while (!s.empty() && (s.back() == '\0' || s.back() == ' '))
            s.pop_back();
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    }
    case K::Version: {
        QString digits;
        for (long i = 0; i < v.count() && i < 4; ++i)
            digits += QChar(char(v.toLong(i)));
        if (digits.size() != 4)
            return asciiText(v);
        QVariantList list{digits.left(2).toInt(), digits.mid(2, 1).toInt(),
                          digits.mid(3, 1).toInt()};
        while (list.size() > 2 && list.last().toInt() == 0)
            list.removeLast();
        return list;
    }
    case K::Text:
        return t == Exiv2::asciiString || t == Exiv2::string || t == Exiv2::undefined
                   ? QVariant(asciiText(v))
                   : QVariant(QString::fromStdString(v.toString()));
    case K::List: {
        QVariantList list;
        for (long i = 0; i < v.count(); ++i)
            list << number(v, i);
        return list;
    }
    default:
        break;
    }
    if (t == Exiv2::asciiString || t == Exiv2::string ||
        !(isRational(t) || isInteger(t) || t == Exiv2::tiffFloat || t == Exiv2::tiffDouble))
        return asciiText(v);
    if (v.count() == 1)
        return number(v, 0);
    QVariantList list;
    for (long i = 0; i < v.count(); ++i)
        list << number(v, i);
    return list;
}

std::string variantToValueText(const QVariant &value, Exiv2::TypeId type, ValueKind kind,
                               QString *error) {
    switch (kind) {
    case K::Coordinate:
    case K::GpsTime:
        return gpsVariantToText(value, kind, error);
    case K::Comment: {
        const QString text = value.toString();
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        return (ascii ? "charset=Ascii " : "charset=Unicode ") + text.toStdString();
    }
    case K::Version: {
        // Stored as the character codes of the four digits.
        QString out;
        for (QChar c : versionDigits(value))
            out += QString::number(c.unicode()) + QLatin1Char(' ');
        return out.trimmed().toStdString();
    }
    default:
        break;
    }
    if (type == Exiv2::asciiString || type == Exiv2::string)
        return joinedText(value).toStdString();
    if (type == Exiv2::undefined && value.typeId() == QMetaType::QString) {
        QString out;
        for (char c : value.toString().toUtf8())
            out += QString::number(uchar(c)) + QLatin1Char(' ');
        return out.trimmed().toStdString();
    }
    return numbersText(value, type, error);
}

namespace {

// Sets or removes one mapped tag, given every datum the file holds for it.
bool applyAt(Exiv2::ExifData &exif, const PropertyMapping &m,
             const std::vector<Exiv2::ExifData::iterator> &datums, const QVariant &value,
             QString *error) {
    if (isNullValue(value)) {
        for (auto it : datums)
            exif.erase(it);
        return true;
    }
    const auto it = datums.empty() ? exif.end() : datums.front();
    if (it != exif.end() && exifValueToVariant(it->value(), m.kind) == value)
        return true; // unchanged: keep the stored bytes as they are
    const Exiv2::ExifKey key(m.exiv2Key);
    Exiv2::TypeId type = it != exif.end() ? it->typeId() : key.defaultTypeId();
    if (m.kind == K::Comment)
        type = Exiv2::comment;
    else if (m.kind == K::Coordinate || m.kind == K::GpsTime)
        type = Exiv2::unsignedRational;
    QString why;
    const std::string text = variantToValueText(value, type, m.kind, &why);
    if (!why.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(m.key), why);
        return false;
    }
    Exiv2::Value::AutoPtr v = Exiv2::Value::create(type);
    if (v->read(text) != 0) {
        *error = QStringLiteral("%1: cannot store \"%2\"")
                     .arg(QLatin1String(m.key), QString::fromStdString(text));
        return false;
    }
    if (it != exif.end())
        it->setValue(v.get());
    else
        exif.add(key, v.get());
    return true;
}

} // namespace

bool applyExifKey(Exiv2::ExifData &exif, const PropertyMapping &m, const QVariant &value,
                  QString *error) {
    const Exiv2::ExifKey key(m.exiv2Key);
    std::vector<Exiv2::ExifData::iterator> datums;
    for (auto it = exif.begin(); it != exif.end(); ++it)
        if (it->tag() == key.tag() && it->ifdId() == key.ifdId())
            datums.push_back(it);
    return applyAt(exif, m, datums, value, error);
}

void readExifSections(const Exiv2::ExifData &exif, const Exiv2::XmpData &xmp, QVariantMap &out) {
    const std::pair<const char *, std::span<const PropertyMapping>> sections[] = {
        {"{Exif}", exifMappings()}, {"{TIFF}", tiffMappings()}, {"{GPS}", gpsMappings()}};
    for (const auto &[name, table] : sections) {
        const auto rows =
            datumsByRow<const Exiv2::ExifData, Exiv2::ExifData::const_iterator>(exif, table);
        QVariantMap dict;
        for (size_t i = 0; i < table.size(); ++i) {
            if (rows[i].empty() || rows[i].front()->count() == 0)
                continue;
            const PropertyMapping &m = table[i];
            dict.insert(QLatin1String(m.key), exifValueToVariant(rows[i].front()->value(), m.kind));
        }
        if (!dict.isEmpty())
            out.insert(QLatin1String(name), dict);
    }
    QVariantMap gps = out.value(QStringLiteral("{GPS}")).toMap();
    const SignedGpsCoordinates exifPosition = signedCoordinates(gps);
    if (!exifPosition.latitude || !exifPosition.longitude) {
        const QVariantMap xmpPosition = xmpPositionValues(xmp);
        if (!xmpPosition.isEmpty()) {
            gps.insert(xmpPosition);
            out.insert(QStringLiteral("{GPS}"), gps);
        }
    }
    QVariantMap aux;
    for (const PropertyMapping &m : exifAuxMappings()) {
        const auto it = xmp.findKey(Exiv2::XmpKey(m.exiv2Key));
        if (it != xmp.end())
            aux.insert(QLatin1String(m.key), xmpToVariant(it->toString(), m.kind));
    }
    if (!aux.isEmpty())
        out.insert(QStringLiteral("{ExifAux}"), aux);
}

bool applyExifSection(Exiv2::ExifData &exif, const QString &section, const QVariant &value,
                      QString *error) {
    const auto table = tableFor(section);
    if (isNullValue(value)) {
        if (section == QLatin1String("{TIFF}")) {
            for (const auto &row :
                 datumsByRow<Exiv2::ExifData, Exiv2::ExifData::iterator>(exif, table))
                for (auto it : row)
                    exif.erase(it);
            return true;
        }
        const bool gps = section == QLatin1String("{GPS}");
        for (auto it = exif.begin(); it != exif.end();) {
            const std::string group = it->groupName();
            const bool drop =
                gps ? group == "GPSInfo" : group == "Photo" || Exiv2::ExifTags::isMakerGroup(group);
            it = drop ? exif.erase(it) : std::next(it);
        }
        return true;
    }
    const QVariantMap map = value.toMap();
    // List iterators stay valid while other datums are erased or added.
    const auto rows = datumsByRow<Exiv2::ExifData, Exiv2::ExifData::iterator>(exif, table);
    bool ok = true;
    for (size_t i = 0; i < table.size(); ++i) {
        const PropertyMapping &m = table[i];
        const auto given = map.constFind(QLatin1String(m.key));
        ok = applyAt(exif, m, rows[i], given == map.cend() ? QVariant() : *given, error) && ok;
    }
    return ok;
}

bool applyExifAuxSection(Exiv2::XmpData &xmp, const QVariant &value, QString *error) {
    const QVariantMap map = isNullValue(value) ? QVariantMap() : value.toMap();
    for (const PropertyMapping &m : exifAuxMappings()) {
        const Exiv2::XmpKey key(m.exiv2Key);
        auto it = xmp.findKey(key);
        const QVariant given = map.value(QLatin1String(m.key));
        if (isNullValue(given)) {
            if (it != xmp.end())
                xmp.erase(it);
            continue;
        }
        if (it != xmp.end() && xmpToVariant(it->toString(), m.kind) == given)
            continue;
        std::string text;
        if (m.kind == K::Text) {
            text = given.toString().toStdString();
        } else {
            QString why;
            const Exiv2::TypeId type =
                given.typeId() == QMetaType::Int || given.typeId() == QMetaType::LongLong
                    ? Exiv2::signedLong
                    : Exiv2::signedRational;
            text = numbersText(given, type, &why);
            if (!why.isEmpty()) {
                *error = QStringLiteral("%1: %2").arg(QLatin1String(m.key), why);
                return false;
            }
        }
        xmp[m.exiv2Key] = text;
    }
    return true;
}
