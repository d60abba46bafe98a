#include "platform/core/ImagePropertyTables.h"

#include "base/Coordinates.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <tuple>

namespace {

using K = ValueKind;

const PropertyMapping kIptc[] = {
    {"ObjectName", "Iptc.Application2.ObjectName", K::Text},
    {"EditStatus", "Iptc.Application2.EditStatus", K::Text},
    {"EditorialUpdate", "Iptc.Application2.EditorialUpdate", K::Text},
    {"Urgency", "Iptc.Application2.Urgency", K::Text},
    {"SubjectReference", "Iptc.Application2.Subject", K::TextList},
    {"Category", "Iptc.Application2.Category", K::Text},
    {"SupplementalCategory", "Iptc.Application2.SuppCategory", K::TextList},
    {"FixtureIdentifier", "Iptc.Application2.FixtureId", K::Text},
    {"Keywords", "Iptc.Application2.Keywords", K::TextList},
    {"ContentLocationCode", "Iptc.Application2.LocationCode", K::TextList},
    {"ContentLocationName", "Iptc.Application2.LocationName", K::TextList},
    {"ReleaseDate", "Iptc.Application2.ReleaseDate", K::IptcDate},
    {"ReleaseTime", "Iptc.Application2.ReleaseTime", K::IptcTime},
    {"ExpirationDate", "Iptc.Application2.ExpirationDate", K::IptcDate},
    {"ExpirationTime", "Iptc.Application2.ExpirationTime", K::IptcTime},
    {"SpecialInstructions", "Iptc.Application2.SpecialInstructions", K::Text},
    {"ActionAdvised", "Iptc.Application2.ActionAdvised", K::Text},
    {"DateCreated", "Iptc.Application2.DateCreated", K::IptcDate},
    {"TimeCreated", "Iptc.Application2.TimeCreated", K::IptcTime},
    {"DigitalCreationDate", "Iptc.Application2.DigitizationDate", K::IptcDate},
    {"DigitalCreationTime", "Iptc.Application2.DigitizationTime", K::IptcTime},
    {"OriginatingProgram", "Iptc.Application2.Program", K::Text},
    {"ProgramVersion", "Iptc.Application2.ProgramVersion", K::Text},
    {"ObjectCycle", "Iptc.Application2.ObjectCycle", K::Text},
    {"By-line", "Iptc.Application2.Byline", K::Text},
    {"By-lineTitle", "Iptc.Application2.BylineTitle", K::Text},
    {"City", "Iptc.Application2.City", K::Text},
    {"SubLocation", "Iptc.Application2.SubLocation", K::Text},
    {"Province/State", "Iptc.Application2.ProvinceState", K::Text},
    {"Country/PrimaryLocationCode", "Iptc.Application2.CountryCode", K::Text},
    {"Country/PrimaryLocationName", "Iptc.Application2.CountryName", K::Text},
    {"OriginalTransmissionReference", "Iptc.Application2.TransmissionReference", K::Text},
    {"Headline", "Iptc.Application2.Headline", K::Text},
    {"Credit", "Iptc.Application2.Credit", K::Text},
    {"Source", "Iptc.Application2.Source", K::Text},
    {"CopyrightNotice", "Iptc.Application2.Copyright", K::Text},
    {"Contact", "Iptc.Application2.Contact", K::Text},
    {"Caption/Abstract", "Iptc.Application2.Caption", K::Text},
    {"Writer/Editor", "Iptc.Application2.Writer", K::Text},
    {"ImageType", "Iptc.Application2.ImageType", K::Text},
    {"ImageOrientation", "Iptc.Application2.ImageOrientation", K::Text},
    {"LanguageIdentifier", "Iptc.Application2.Language", K::Text},
};

const char kCharsetKey[] = "Iptc.Envelope.CharacterSet";
const char kUtf8Marker[] = "\x1b%G";

bool declaresUtf8(const Exiv2::IptcData &iptc) {
    const auto it = iptc.findKey(Exiv2::IptcKey(kCharsetKey));
    return it != iptc.end() && it->toString() == kUtf8Marker;
}

// Many writers store UTF-8 without saying so; text that is not valid UTF-8 is taken as Latin-1.
QString decodeText(const std::string &raw, bool utf8) {
    const QByteArray bytes(raw.data(), qsizetype(raw.size()));
    if (utf8)
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

QVariant datumToVariant(const Exiv2::Iptcdatum &d, ValueKind kind, bool utf8) {
    if (kind == K::IptcDate) {
        if (const auto *date = dynamic_cast<const Exiv2::DateValue *>(&d.value())) {
            const auto &v = date->getDate();
            return QStringLiteral("%1%2%3")
                .arg(v.year, 4, 10, QLatin1Char('0'))
                .arg(v.month, 2, 10, QLatin1Char('0'))
                .arg(v.day, 2, 10, QLatin1Char('0'));
        }
    } else if (kind == K::IptcTime) {
        if (const auto *time = dynamic_cast<const Exiv2::TimeValue *>(&d.value())) {
            const auto &t = time->getTime();
            const bool west = t.tzHour < 0 || t.tzMinute < 0;
            return QStringLiteral("%1%2%3%4%5%6")
                .arg(t.hour, 2, 10, QLatin1Char('0'))
                .arg(t.minute, 2, 10, QLatin1Char('0'))
                .arg(t.second, 2, 10, QLatin1Char('0'))
                .arg(west ? QLatin1Char('-') : QLatin1Char('+'))
                .arg(std::abs(t.tzHour), 2, 10, QLatin1Char('0'))
                .arg(std::abs(t.tzMinute), 2, 10, QLatin1Char('0'));
        }
    }
    return decodeText(d.toString(), utf8);
}

// Copies, not pointers: the grouping outlives erasures from the data it was taken from.
using Grouped = std::map<std::string, std::vector<Exiv2::Iptcdatum>>;

Grouped groupByKey(const Exiv2::IptcData &iptc) {
    Grouped out;
    for (const Exiv2::Iptcdatum &d : iptc)
        out[d.key()].push_back(d);
    return out;
}

QVariant readOne(const Grouped &grouped, const PropertyMapping &m, bool utf8) {
    const auto it = grouped.find(m.exiv2Key);
    if (it == grouped.end() || it->second.empty())
        return {};
    if (m.kind != K::TextList)
        return datumToVariant(it->second.front(), m.kind, utf8);
    QStringList list;
    for (const Exiv2::Iptcdatum &d : it->second)
        list << datumToVariant(d, m.kind, utf8).toString();
    return list;
}

QString digitsOnly(const QString &s) {
    QString out;
    for (QChar c : s)
        if (c.isDigit())
            out += c;
    return out;
}

Exiv2::Value::AutoPtr makeValue(const Exiv2::IptcKey &key, const PropertyMapping &m,
                                const QString &text, QString *error) {
    Exiv2::Value::AutoPtr v =
        Exiv2::Value::create(Exiv2::IptcDataSets::dataSetType(key.tag(), key.record()));
    if (m.kind == K::IptcDate) {
        const QString digits = digitsOnly(text);
        auto *date = dynamic_cast<Exiv2::DateValue *>(v.get());
        if (digits.size() != 8 || !date) {
            *error = QStringLiteral("%1: not a date: %2").arg(QLatin1String(m.key), text);
            return Exiv2::Value::AutoPtr();
        }
        Exiv2::DateValue::Date value;
        value.year = digits.left(4).toInt();
        value.month = digits.mid(4, 2).toInt();
        value.day = digits.mid(6).toInt();
        date->setDate(value);
        return v;
    }
    if (m.kind == K::IptcTime) {
        static const QRegularExpression re(
            QStringLiteral("^(\\d\\d):?(\\d\\d):?(\\d\\d)(?:([+-])(\\d\\d):?(\\d\\d))?$"));
        const auto match = re.match(text.trimmed());
        auto *time = dynamic_cast<Exiv2::TimeValue *>(v.get());
        if (!match.hasMatch() || !time) {
            *error = QStringLiteral("%1: not a time: %2").arg(QLatin1String(m.key), text);
            return Exiv2::Value::AutoPtr();
        }
        if (match.captured(4).isEmpty()) {
            // Exiv2's time value always writes a zone; a time given without one is stored
            // as its six digits, which is what it says.
            v = Exiv2::Value::create(Exiv2::string);
            v->read((match.captured(1) + match.captured(2) + match.captured(3)).toStdString());
            return v;
        }
        const int sign = match.captured(4) == QLatin1String("-") ? -1 : 1;
        Exiv2::TimeValue::Time t;
        t.hour = match.captured(1).toInt();
        t.minute = match.captured(2).toInt();
        t.second = match.captured(3).toInt();
        t.tzHour = sign * match.captured(5).toInt();
        t.tzMinute = sign * match.captured(6).toInt();
        time->setTime(t);
        return v;
    }
    v->read(text.toStdString());
    return v;
}

QStringList texts(const QVariant &value, ValueKind kind) {
    if (kind == K::TextList &&
        (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList))
        return value.toStringList();
    return {value.toString()};
}

// Writes the XMP property `key` as `given` (text or list), in the type its schema names.
void writeXmp(Exiv2::XmpData &xmp, const char *key, const QVariant &given, bool list) {
    const Exiv2::XmpKey xmpKey(key);
    const Exiv2::TypeId type = Exiv2::XmpProperties::propertyType(xmpKey);
    if (list || type == Exiv2::xmpBag || type == Exiv2::xmpSeq) {
        Exiv2::Value::AutoPtr v =
            Exiv2::Value::create(type == Exiv2::xmpSeq ? Exiv2::xmpSeq : Exiv2::xmpBag);
        for (const QString &text : texts(given, list ? K::TextList : K::Text))
            v->read(text.toStdString());
        xmp.add(xmpKey, v.get());
    } else if (type == Exiv2::langAlt) {
        xmp[key] = "lang=x-default " + given.toString().toStdString();
    } else {
        xmp[key] = given.toString().toStdString();
    }
}

void eraseXmp(Exiv2::XmpData &xmp, const std::string &key) {
    for (auto it = xmp.begin(); it != xmp.end();)
        it = it->key() == key ? xmp.erase(it) : std::next(it);
}

// Keyword lists of other programs that repeat the IPTC keywords.
const char *const kKeywordCopies[] = {"Xmp.digiKam.TagsList", "Xmp.lr.hierarchicalSubject",
                                      "Xmp.MicrosoftPhoto.LastKeywordXMP",
                                      "Xmp.MicrosoftPhoto.LastKeywordIPTC"};

} // namespace

std::vector<const char *> keywordCopiesIn(const Exiv2::XmpData &xmp) {
    std::vector<const char *> present;
    for (const char *copy : kKeywordCopies)
        if (xmp.findKey(Exiv2::XmpKey(copy)) != xmp.end())
            present.push_back(copy);
    return present;
}

namespace {

// XMP-aware readers prefer these XMP twins over IPTC, so a changed IPTC value must reach them.
void mirrorToXmp(Exiv2::XmpData &xmp, const PropertyMapping &m, const QVariant &given) {
    // Photoshop's date joins the IPTC date and time; a removed IPTC date takes it along.
    if (qstrcmp(m.key, "DateCreated") == 0 && isNullValue(given)) {
        eraseXmp(xmp, "Xmp.photoshop.DateCreated");
        return;
    }
    for (const XmpTwin &t : iptcXmpTwins()) {
        if (qstrcmp(t.key, m.key) != 0)
            continue;
        eraseXmp(xmp, t.exiv2Key);
        if (!isNullValue(given))
            writeXmp(xmp, t.exiv2Key, given, t.list);
        if (qstrcmp(m.key, "Keywords") != 0)
            return;
        for (const char *copy : keywordCopiesIn(xmp)) {
            eraseXmp(xmp, copy);
            if (!isNullValue(given))
                writeXmp(xmp, copy, given, true);
        }
        return;
    }
}

// A changed IPTC date or time moves the XMP date that holds the pair, where the file has one.
// Where an Exif date shares that place, the Exif date has moved it already.
void mirrorDatesToXmp(Exiv2::XmpData &xmp, const QVariantMap &before, const QVariantMap &given) {
    for (const IptcDateTwin &t : iptcDateTwins()) {
        const QString date = QLatin1String(t.dateKey), time = QLatin1String(t.timeKey);
        const QVariant newDate = given.value(date);
        const QVariant newTime = isNullValue(given.value(time)) ? QVariant() : given.value(time);
        if (t.exifKey || isNullValue(newDate) ||
            (before.value(date) == newDate && before.value(time) == newTime))
            continue;
        if (xmp.findKey(Exiv2::XmpKey(t.exiv2Key)) == xmp.end())
            continue;
        const QString text = xmpDateOfIptc(newDate, newTime, false);
        if (!text.isEmpty())
            xmp[t.exiv2Key] = text.toStdString();
    }
}

bool startsWith(const std::string &s, const char *prefix) {
    return s.rfind(prefix, 0) == 0;
}

// With the IPTC block gone, every XMP copy of it must go too, or the next reader shows it
// again. The Dublin Core twins also mirror Exif tags, so they go only where IPTC had the
// tag; the photoshop and IPTC namespaces hold nothing but IPTC.
void eraseIptcMirrors(Exiv2::XmpData &xmp, const QVariantMap &before) {
    for (const XmpTwin &t : iptcXmpTwins()) {
        const bool dublinCore = startsWith(t.exiv2Key, "Xmp.dc.");
        const bool had = before.contains(QLatin1String(t.key));
        if (!dublinCore || had)
            eraseXmp(xmp, t.exiv2Key);
        if (qstrcmp(t.key, "Keywords") == 0 && had)
            for (const char *copy : kKeywordCopies)
                eraseXmp(xmp, copy);
    }
    for (auto it = xmp.begin(); it != xmp.end();) {
        const std::string key = it->key();
        const bool iptcOnly = startsWith(key, "Xmp.photoshop.") || startsWith(key, "Xmp.iptc.") ||
                              startsWith(key, "Xmp.iptcExt.");
        it = iptcOnly ? xmp.erase(it) : std::next(it);
    }
}

const char kPersonKey[] = "PersonInImage";
const char kPersonXmp[] = "Xmp.iptcExt.PersonInImage";

QStringList xmpList(const Exiv2::XmpData &xmp, const char *key) {
    QStringList list;
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end())
        return list;
    for (long i = 0; i < it->count(); ++i)
        list << QString::fromStdString(it->toString(i));
    return list;
}

// The Exif texts with an XMP copy, in the order of ExifTexts.
const std::pair<const char *, const char *> kExifTextTwins[] = {
    {"Exif.Image.Artist", "Xmp.dc.creator"},
    {"Exif.Image.ImageDescription", "Xmp.dc.description"},
    {"Exif.Image.Copyright", "Xmp.dc.rights"},
    {"Exif.Image.Make", "Xmp.tiff.Make"},
    {"Exif.Image.Model", "Xmp.tiff.Model"},
    {"Exif.Photo.UserComment", "Xmp.exif.UserComment"},
    {"Exif.Photo.LensMake", "Xmp.exifEX.LensMake"},
    {"Exif.Photo.LensModel", "Xmp.exifEX.LensModel"},
    {"Exif.Photo.LensSerialNumber", "Xmp.exifEX.LensSerialNumber"},
};

} // namespace

ExifTexts exifTexts(const Exiv2::ExifData &exif) {
    ExifTexts out;
    out.values.resize(std::size(kExifTextTwins));
    for (size_t i = 0; i < std::size(kExifTextTwins); ++i) {
        const auto it = exif.findKey(Exiv2::ExifKey(kExifTextTwins[i].first));
        if (it == exif.end())
            continue;
        // A comment without its charset header, as XMP holds it.
        const auto *comment = dynamic_cast<const Exiv2::CommentValue *>(&it->value());
        out.values[i] = comment ? comment->comment() : it->toString();
        while (!out.values[i].empty() && out.values[i].back() == '\0')
            out.values[i].pop_back();
    }
    return out;
}

ExifTexts exifTexts(const QVariantMap &tiff, const QVariantMap &exif) {
    ExifTexts out;
    out.values.resize(std::size(kExifTextTwins));
    for (size_t i = 0; i < std::size(kExifTextTwins); ++i) {
        const bool inTiff = qstrncmp(kExifTextTwins[i].first, "Exif.Image.", 11) == 0;
        for (const PropertyMapping &m : inTiff ? tiffMappings() : exifMappings()) {
            const QVariant value = (inTiff ? tiff : exif).value(QLatin1String(m.key));
            if (qstrcmp(m.exiv2Key, kExifTextTwins[i].first) == 0 && !isNullValue(value))
                out.values[i] = joinedText(value).toStdString();
        }
    }
    return out;
}

std::vector<ExifTextTwinChange> exifTextTwinChanges(const ExifTexts &before, const ExifTexts &now,
                                                    const Exiv2::XmpData &xmp) {
    std::vector<ExifTextTwinChange> changes;
    for (size_t i = 0; i < std::size(kExifTextTwins); ++i) {
        const char *key = kExifTextTwins[i].second;
        if (now.values[i] != before.values[i] && xmp.findKey(Exiv2::XmpKey(key)) != xmp.end())
            changes.push_back({key, now.values[i]});
    }
    return changes;
}

void mirrorExifTextsToXmp(const ExifTexts &before, const Exiv2::ExifData &exif,
                          Exiv2::XmpData &xmp) {
    for (const ExifTextTwinChange &c : exifTextTwinChanges(before, exifTexts(exif), xmp)) {
        eraseXmp(xmp, c.xmpKey);
        if (!c.text.empty())
            writeXmp(xmp, c.xmpKey, QString::fromStdString(c.text), false);
    }
}

std::vector<XmpPositionChange> xmpPositionChanges(const QVariantMap &before, const QVariantMap &now,
                                                  const Exiv2::XmpData &xmp) {
    const auto position = [](const QVariantMap &gps) {
        const SignedGpsCoordinates c = signedCoordinates(gps);
        return std::tuple{c.latitude, c.longitude,
                          signedAltitude(gps.value(QStringLiteral("Altitude")),
                                         gps.value(QStringLiteral("AltitudeRef")))};
    };
    const auto [latitude, longitude, altitude] = position(now);
    std::vector<XmpPositionChange> changes;
    if (position(before) == position(now))
        return changes;
    const auto has = [&](const char *key) { return xmp.findKey(Exiv2::XmpKey(key)) != xmp.end(); };
    if (!latitude || !longitude) {
        for (const Exiv2::Xmpdatum &d : xmp)
            if (d.key().rfind("Xmp.exif.GPS", 0) == 0 &&
                std::none_of(changes.cbegin(), changes.cend(),
                             [&](const XmpPositionChange &c) { return c.xmpKey == d.key(); }))
                changes.push_back({d.key(), QString()});
        return changes;
    }
    const auto number = [](double v) { return QString::number(v, 'f', 8); };
    if (has("Xmp.exif.GPSLatitude") || has("Xmp.exif.GPSLongitude")) {
        changes.push_back({"Xmp.exif.GPSLatitude", number(*latitude)});
        changes.push_back({"Xmp.exif.GPSLongitude", number(*longitude)});
    }
    if (has("Xmp.exif.GPSAltitude")) {
        changes.push_back(
            {"Xmp.exif.GPSAltitude", altitude ? number(std::fabs(*altitude)) : QString()});
        changes.push_back({"Xmp.exif.GPSAltitudeRef",
                           altitude ? QString::number(*altitude < 0 ? 1 : 0) : QString()});
    }
    return changes;
}

QVariantMap gpsSection(const Exiv2::ExifData &exif) {
    return photoGpsSection(exif, Exiv2::XmpData());
}

QVariantMap photoGpsSection(const Exiv2::ExifData &exif, const Exiv2::XmpData &xmp) {
    QVariantMap properties;
    readExifSections(exif, xmp, properties);
    return properties.value(QStringLiteral("{GPS}")).toMap();
}

void mirrorPositionToXmp(const QVariantMap &before, const Exiv2::ExifData &exif,
                         Exiv2::XmpData &xmp) {
    for (const XmpPositionChange &c : xmpPositionChanges(before, gpsSection(exif), xmp)) {
        eraseXmp(xmp, c.xmpKey);
        if (c.number.isEmpty())
            continue;
        const double v = c.number.toDouble();
        QString text;
        if (c.xmpKey == "Xmp.exif.GPSLatitude" || c.xmpKey == "Xmp.exif.GPSLongitude") {
            // XMP's "DDD,MM.mmmmk": degrees, decimal minutes and the hemisphere letter.
            const double magnitude = std::fabs(v);
            const double degrees = std::floor(magnitude);
            const GpsAxis axis =
                c.xmpKey == "Xmp.exif.GPSLatitude" ? GpsAxis::Latitude : GpsAxis::Longitude;
            text = QStringLiteral("%1,%2%3")
                       .arg(int(degrees))
                       .arg((magnitude - degrees) * 60, 0, 'f', 6)
                       .arg(hemisphereRef(v, axis));
        } else if (c.xmpKey == "Xmp.exif.GPSAltitude") {
            const auto [numerator, denominator] = toRational(v);
            text = QStringLiteral("%1/%2").arg(numerator).arg(denominator);
        } else {
            text = c.number;
        }
        xmp[c.xmpKey] = text.toStdString();
    }
}

QString exiftoolXmpTag(const char *exiv2Key) {
    const QString key = QLatin1String(exiv2Key);
    QString group = key.section(QLatin1Char('.'), 1, 1);
    QString name = key.section(QLatin1Char('.'), 2);
    // exiftool names this namespace's group by its company.
    if (group == QLatin1String("MicrosoftPhoto"))
        group = QStringLiteral("microsoft");
    name[0] = name[0].toUpper();
    return QStringLiteral("XMP-%1:%2").arg(group, name);
}

std::span<const PropertyMapping> iptcMappings() {
    return kIptc;
}

void readIptcSection(const Exiv2::IptcData &iptc, QVariantMap &out) {
    const bool utf8 = declaresUtf8(iptc);
    const Grouped grouped = groupByKey(iptc);
    QVariantMap dict;
    for (const PropertyMapping &m : iptcMappings()) {
        const QVariant v = readOne(grouped, m, utf8);
        if (v.isValid())
            dict.insert(QLatin1String(m.key), v);
    }
    if (!dict.isEmpty())
        out.insert(QStringLiteral("{IPTC}"), dict);
}

void readIptcExtension(const Exiv2::XmpData &xmp, QVariantMap &out) {
    const QStringList persons = xmpList(xmp, kPersonXmp);
    if (persons.isEmpty())
        return;
    QVariantMap dict = out.value(QStringLiteral("{IPTC}")).toMap();
    dict.insert(QLatin1String(kPersonKey), persons);
    out.insert(QStringLiteral("{IPTC}"), dict);
}

bool applyIptcSection(Exiv2::IptcData &iptc, Exiv2::XmpData &xmp, const QVariant &value,
                      QString *error) {
    const QVariantMap map = isNullValue(value) ? QVariantMap() : value.toMap();
    const bool wasUtf8 = declaresUtf8(iptc);
    // Read every current value first: erasing datums moves the others in memory.
    QVariantMap before;
    {
        const Grouped grouped = groupByKey(iptc);
        for (const PropertyMapping &m : iptcMappings()) {
            const QVariant v = readOne(grouped, m, wasUtf8);
            if (v.isValid())
                before.insert(QLatin1String(m.key), v);
        }
    }
    const auto differs = [&](const PropertyMapping &m) {
        const QVariant given = map.value(QLatin1String(m.key));
        const QVariant current = before.value(QLatin1String(m.key));
        return isNullValue(given) ? current.isValid() : current != given;
    };
    const auto isDigits = [](const PropertyMapping &m) {
        return m.kind == K::IptcDate || m.kind == K::IptcTime;
    };
    // A write that changes no dataset leaves the block alone, and one that changes only dates
    // and times, which hold digits, declares no charset: neither re-encodes any text.
    const bool anyDifference = std::any_of(iptcMappings().begin(), iptcMappings().end(), differs);
    const bool recode = !wasUtf8 && std::any_of(iptcMappings().begin(), iptcMappings().end(),
                                                [&](const PropertyMapping &m) {
                                                    return !isDigits(m) && differs(m);
                                                });
    bool changed = false;
    for (const PropertyMapping &m : iptcMappings()) {
        if (!anyDifference)
            break;
        const QVariant given = map.value(QLatin1String(m.key));
        const QVariant current = before.value(QLatin1String(m.key));
        // Under a new charset declaration every text is written again, as UTF-8.
        if ((!recode || isDigits(m)) && !differs(m))
            continue;
        if (isNullValue(given) && !current.isValid())
            continue;
        const Exiv2::IptcKey key(m.exiv2Key);
        for (auto it = iptc.findKey(key); it != iptc.end(); it = iptc.findKey(key))
            iptc.erase(it);
        changed = true;
        if (isNullValue(given) ? current.isValid() : current != given)
            mirrorToXmp(xmp, m, given);
        if (isNullValue(given))
            continue;
        for (const QString &text : texts(given, m.kind)) {
            Exiv2::Value::AutoPtr v = makeValue(key, m, text, error);
            if (!v.get())
                return false;
            iptc.add(key, v.get());
        }
    }
    if (isNullValue(value)) {
        eraseIptcMirrors(xmp, before);
        iptc.clear();
        return true;
    }
    mirrorDatesToXmp(xmp, before, map);
    // The persons shown live only in XMP's IPTC extension.
    const QVariant persons = map.value(QLatin1String(kPersonKey));
    const QStringList currentPersons = xmpList(xmp, kPersonXmp);
    if (isNullValue(persons)) {
        eraseXmp(xmp, kPersonXmp);
    } else if (texts(persons, K::TextList) != currentPersons) {
        eraseXmp(xmp, kPersonXmp);
        writeXmp(xmp, kPersonXmp, persons, true);
    }
    if (changed && recode && !iptc.empty())
        iptc[kCharsetKey] = std::string(kUtf8Marker);
    return true;
}
