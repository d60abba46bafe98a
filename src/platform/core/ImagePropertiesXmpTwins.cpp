#include "platform/core/ImagePropertyTables.h"

#include <QRegularExpression>
#include <QStringList>

#include <iterator>
#include <optional>

namespace {

const XmpTwin kTwins[] = {
    {"ObjectName", "Xmp.dc.title", "XMP-dc:Title", false},
    {"Caption/Abstract", "Xmp.dc.description", "XMP-dc:Description", false},
    {"CopyrightNotice", "Xmp.dc.rights", "XMP-dc:Rights", false},
    {"Keywords", "Xmp.dc.subject", "XMP-dc:Subject", true},
    {"By-line", "Xmp.dc.creator", "XMP-dc:Creator", false},
    {"By-lineTitle", "Xmp.photoshop.AuthorsPosition", "XMP-photoshop:AuthorsPosition", false},
    {"Headline", "Xmp.photoshop.Headline", "XMP-photoshop:Headline", false},
    {"Credit", "Xmp.photoshop.Credit", "XMP-photoshop:Credit", false},
    {"Source", "Xmp.photoshop.Source", "XMP-photoshop:Source", false},
    {"City", "Xmp.photoshop.City", "XMP-photoshop:City", false},
    {"Province/State", "Xmp.photoshop.State", "XMP-photoshop:State", false},
    {"Country/PrimaryLocationName", "Xmp.photoshop.Country", "XMP-photoshop:Country", false},
    {"Country/PrimaryLocationCode", "Xmp.iptc.CountryCode", "XMP-iptcCore:CountryCode", false},
    {"SubLocation", "Xmp.iptc.Location", "XMP-iptcCore:Location", false},
    {"SpecialInstructions", "Xmp.photoshop.Instructions", "XMP-photoshop:Instructions", false},
    {"Writer/Editor", "Xmp.photoshop.CaptionWriter", "XMP-photoshop:CaptionWriter", false},
    {"Category", "Xmp.photoshop.Category", "XMP-photoshop:Category", false},
    {"SupplementalCategory", "Xmp.photoshop.SupplementalCategories",
     "XMP-photoshop:SupplementalCategories", true},
    {"OriginalTransmissionReference", "Xmp.photoshop.TransmissionReference",
     "XMP-photoshop:TransmissionReference", false},
};

// IPTC Core's places of the IIM dates in XMP.
const IptcDateTwin kDateTwins[] = {
    {"DateCreated", "TimeCreated", "Xmp.photoshop.DateCreated", "XMP-photoshop:DateCreated",
     nullptr},
    {"DigitalCreationDate", "DigitalCreationTime", "Xmp.xmp.CreateDate", "XMP-xmp:CreateDate",
     "DateTimeDigitized"},
};

const ExifDateTwin kExifDateTwins[] = {
    {"{Exif}", "DateTimeOriginal", "OffsetTimeOriginal", "Exif.Photo.DateTimeOriginal",
     "Exif.Photo.OffsetTimeOriginal", "Xmp.exif.DateTimeOriginal", "XMP-exif:DateTimeOriginal"},
    {"{Exif}", "DateTimeDigitized", "OffsetTimeDigitized", "Exif.Photo.DateTimeDigitized",
     "Exif.Photo.OffsetTimeDigitized", "Xmp.xmp.CreateDate", "XMP-xmp:CreateDate"},
    {"{TIFF}", "DateTime", "OffsetTime", "Exif.Image.DateTime", "Exif.Photo.OffsetTime",
     "Xmp.xmp.ModifyDate", "XMP-xmp:ModifyDate"},
};

// A date as XMP and IPTC both can say it; the zone is "+hhmm", "-hhmm" or empty for none.
struct DateParts {
    QString day;  // yyyyMMdd
    QString time; // HHmmss, or empty for a date alone
    QString zone;
};

// "2020-09-19T14:36:26.719-07:00", "2020-09-19T14:36Z", "2020-09-19"; exiftool's colons too.
std::optional<DateParts> parseXmpDate(const QString &text) {
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4})[-:](\\d{2})[-:](\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?"
        "(Z|[+-]\\d{2}:?\\d{2})?)?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    DateParts d;
    d.day = m.captured(1) + m.captured(2) + m.captured(3);
    if (!m.captured(4).isEmpty()) {
        d.time = m.captured(4) + m.captured(5) +
                 (m.captured(6).isEmpty() ? QStringLiteral("00") : m.captured(6));
        const QString zone = m.captured(7);
        d.zone = zone == QLatin1String("Z") ? QStringLiteral("+0000")
                                            : QString(zone).remove(QLatin1Char(':'));
    }
    return d;
}

// The zone "+hhmm" of an Exif offset "+hh:mm" or an IPTC time's tail; empty when there is none.
QString zoneOf(const QString &text) {
    static const QRegularExpression re(QStringLiteral("([+-])(\\d{2}):?(\\d{2})$"));
    const auto m = re.match(text.trimmed());
    return m.hasMatch() ? m.captured(1) + m.captured(2) + m.captured(3) : QString();
}

QString formatted(const DateParts &d, bool exiftoolForm) {
    const QChar dash = exiftoolForm ? QLatin1Char(':') : QLatin1Char('-');
    QString out = d.day.left(4) + dash + d.day.mid(4, 2) + dash + d.day.mid(6, 2);
    if (d.time.isEmpty())
        return out;
    out += (exiftoolForm ? QLatin1Char(' ') : QLatin1Char('T')) + d.time.left(2) +
           QLatin1Char(':') + d.time.mid(2, 2) + QLatin1Char(':') + d.time.mid(4, 2);
    if (!d.zone.isEmpty())
        out += d.zone.left(3) + QLatin1Char(':') + d.zone.mid(3);
    return out;
}

QString digits(const QString &s) {
    QString out;
    for (QChar c : s)
        if (c.isDigit())
            out += c;
    return out;
}

std::string exifText(const Exiv2::ExifData &exif, const char *key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end())
        return {};
    std::string s = it->toString();
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

} // namespace

std::span<const XmpTwin> iptcXmpTwins() {
    return kTwins;
}

std::span<const IptcDateTwin> iptcDateTwins() {
    return kDateTwins;
}

const IptcDateTwin *iptcDateTwinOf(const char *key) {
    for (const IptcDateTwin &t : kDateTwins)
        if (qstrcmp(t.dateKey, key) == 0 || qstrcmp(t.timeKey, key) == 0)
            return &t;
    return nullptr;
}

std::span<const ExifDateTwin> exifDateTwins() {
    return kExifDateTwins;
}

QString xmpDateOfIptc(const QVariant &date, const QVariant &time, bool exiftoolForm) {
    const QString day = digits(date.toString());
    if (day.size() != 8)
        return {};
    DateParts d{day, {}, {}};
    const QString t = time.toString().trimmed();
    const qsizetype clockSize = t.size() >= 8 && t[2] == QLatin1Char(':') ? 8 : 6;
    const QString clock = digits(t.left(clockSize));
    if (clock.size() == 6) {
        d.time = clock;
        d.zone = zoneOf(t.mid(clockSize));
    }
    return formatted(d, exiftoolForm);
}

QString xmpDateOfExif(const QString &dateTime, const QString &offset, const QString &oldXmp,
                      bool exiftoolForm) {
    std::optional<DateParts> d = parseXmpDate(dateTime);
    if (!d || d->time.isEmpty())
        return {};
    d->zone = zoneOf(offset);
    if (d->zone.isEmpty())
        if (const std::optional<DateParts> old = parseXmpDate(oldXmp))
            d->zone = old->zone;
    return formatted(*d, exiftoolForm);
}

ExifDates exifDates(const Exiv2::ExifData &exif) {
    ExifDates out;
    for (size_t i = 0; i < std::size(kExifDateTwins); ++i)
        out.values[i] = exifText(exif, kExifDateTwins[i].exiv2Key);
    return out;
}

void mirrorExifDatesToXmp(const ExifDates &before, const Exiv2::ExifData &exif,
                          Exiv2::XmpData &xmp) {
    const ExifDates now = exifDates(exif);
    for (size_t i = 0; i < std::size(kExifDateTwins); ++i) {
        const ExifDateTwin &t = kExifDateTwins[i];
        if (now.values[i] == before.values[i] || now.values[i].empty())
            continue;
        // Readers that prefer XMP show its copy, so a copy the file has must move too; one it
        // lacks is not added.
        const auto it = xmp.findKey(Exiv2::XmpKey(t.xmpKey));
        if (it == xmp.end())
            continue;
        const QString text = xmpDateOfExif(QString::fromStdString(now.values[i]),
                                           QString::fromStdString(exifText(exif, t.offsetExiv2Key)),
                                           QString::fromStdString(it->toString()), false);
        if (!text.isEmpty())
            xmp[t.xmpKey] = text.toStdString();
    }
}

void readIptcFromXmp(const Exiv2::XmpData &xmp, QVariantMap &out) {
    QVariantMap dict;
    for (const XmpTwin &t : kTwins) {
        const auto it = xmp.findKey(Exiv2::XmpKey(t.exiv2Key));
        if (it == xmp.end() || it->count() == 0)
            continue;
        const Exiv2::Value &v = it->value();
        if (t.list) {
            QStringList list;
            for (long i = 0; i < v.count(); ++i)
                list << QString::fromStdString(v.toString(i));
            dict.insert(QLatin1String(t.key), list);
        } else {
            // For language alternatives this is the x-default text, for sequences the first.
            dict.insert(QLatin1String(t.key), QString::fromStdString(v.toString(0)));
        }
    }
    for (const IptcDateTwin &t : kDateTwins) {
        const auto it = xmp.findKey(Exiv2::XmpKey(t.exiv2Key));
        if (it == xmp.end())
            continue;
        const std::optional<DateParts> d = parseXmpDate(QString::fromStdString(it->toString()));
        if (!d)
            continue;
        dict.insert(QLatin1String(t.dateKey), d->day);
        if (!d->time.isEmpty())
            dict.insert(QLatin1String(t.timeKey), d->time + d->zone);
    }
    if (!dict.isEmpty())
        out.insert(QStringLiteral("{IPTC}"), dict);
}
