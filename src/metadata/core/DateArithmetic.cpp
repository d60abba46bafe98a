#include "metadata/core/DateArithmetic.h"

#include "base/Logging.h"
#include "metadata/core/FileDateRules.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/QuickTimeWriter.h"
#include "platform/core/VideoMetadata.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>
#include <climits>
#include <cstdlib>
#include <optional>

QDateTime AddDateTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                                 int minute, int second) {
    if (!date.isValid())
        return {};
    // Whole months in one step, so that 31 January + 1 month is 28/29 February.
    const qint64 months = qint64(year) * 12 + month;
    QDateTime local = date.toLocalTime();
    QDateTime moved(local.date().addMonths(static_cast<int>(months)).addDays(day), local.time());
    const qint64 seconds = qint64(hour) * 3600 + qint64(minute) * 60 + qint64(second);
    return moved.addSecs(seconds);
}

QDateTime SubDateTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                                 int minute, int second) {
    // Negated in 64 bits first: -INT_MIN does not fit an int.
    const auto neg = [](int v) { return v == INT_MIN ? INT_MAX : -v; };
    return AddDateTimeIntwithDate(date, neg(year), neg(month), neg(day), neg(hour), neg(minute),
                                  neg(second));
}

namespace {
QString componentsText(const QDateTime &date) {
    if (!date.isValid())
        return QString();
    const QDateTime l = date.toLocalTime();
    return QStringLiteral("%1:%2:%3 %4:%5:%6")
        .arg(l.date().year())
        .arg(l.date().month())
        .arg(l.date().day())
        .arg(l.time().hour())
        .arg(l.time().minute())
        .arg(l.time().second());
}
} // namespace

QString AddTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                           int minute, int second) {
    return componentsText(AddDateTimeIntwithDate(date, year, month, day, hour, minute, second));
}

QString SubTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                           int minute, int second) {
    return componentsText(SubDateTimeIntwithDate(date, year, month, day, hour, minute, second));
}

double getTimeIntwithDate(const QDateTime &date, int months) {
    const int m = date.toLocalTime().date().month();
    if (m == 12 || months < 1 || months > 12 - m)
        return 0;
    const int year = date.toLocalTime().date().year();
    qint64 days = 0;
    for (int k = m + 1; k <= m + months; ++k)
        days += QDate(year, k, 1).daysInMonth();
    return double(days) * 86400.0;
}

qint64 stepSeconds(qint64 number, qint64 index, const QString &unitTitle) {
    qint64 unit = 0;
    if (unitTitle == QLatin1String("Second"))
        unit = 1;
    else if (unitTitle == QLatin1String("Minute"))
        unit = 60;
    else if (unitTitle == QLatin1String("Hour"))
        unit = 3600;
    return number * index * unit;
}

QString exifDateText(const QDateTime &date) {
    return date.isValid() ? date.toLocalTime().toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                          : QString();
}

QString iptcDateText(const QDateTime &date) {
    return date.toUTC().toString(QStringLiteral("yyyyMMdd"));
}

QString iptcTimeText(const QDateTime &date) {
    return date.toUTC().toString(QStringLiteral("HHmmss"));
}

namespace {

// Seconds east of UTC of a zone written "+hh:mm" (Exif) or "+hhmm" (at the end of an IPTC time).
std::optional<int> zoneSeconds(const QString &text, bool iptcTime) {
    static const QRegularExpression exif(QStringLiteral("^([+-])(\\d{2}):(\\d{2})$"));
    static const QRegularExpression iptc(QStringLiteral("^\\d{6}([+-])(\\d{2})(\\d{2})$"));
    const auto m = (iptcTime ? iptc : exif).match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int seconds = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60;
    return m.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

QString iptcZoneText(int seconds) {
    const int a = std::abs(seconds) / 60;
    return QStringLiteral("%1%2%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(a % 60, 2, 10, QLatin1Char('0'));
}

// The zone a photo names anywhere else than in a date's own places: its Exif zones, then its
// IPTC times' (which a HEIF file keeps in XMP). `exifKeys` and `iptcTimeKeys` in that order.
std::optional<int> zoneNamedBy(const QVariantMap &exif, const QVariantMap &iptc,
                               const QStringList &exifKeys, const QStringList &iptcTimeKeys) {
    for (const QString &key : exifKeys)
        if (const std::optional<int> zone = zoneSeconds(exif.value(key).toString(), false))
            return zone;
    for (const QString &key : iptcTimeKeys)
        if (const std::optional<int> zone = zoneSeconds(iptc.value(key).toString(), true))
            return zone;
    return std::nullopt;
}

// `photoZone`: the Exif zone of this date; `elsewhere`: the zone the photo names otherwise.
void setIptcPair(QVariantMap &iptc, const QString &dateKey, const QString &timeKey,
                 const QDateTime &wallClock, std::optional<int> photoZone,
                 std::optional<int> elsewhere) {
    const QDate day = wallClock.date();
    const QTime clock = wallClock.time();
    const QDateTime instant =
        photoZone ? QDateTime(day, clock, QTimeZone(*photoZone)) : QDateTime(day, clock);
    const QString old = iptc.value(timeKey).toString().trimmed();
    QDateTime shown;
    QString zone;
    if (const std::optional<int> own = zoneSeconds(old, true)) {
        // "-07:00" stays "-07:00": the same instant, told in the zone the photo used. Without
        // an Exif zone the new wall clock is the photo's own, whatever the computer's zone.
        shown = photoZone ? instant.toOffsetFromUtc(*own) : QDateTime(day, clock);
        zone = iptcZoneText(*own);
    } else if (old.size() == 6) {
        shown = QDateTime(day, clock); // a time without a zone is the photo's wall clock
    } else if (const std::optional<int> named = photoZone ? photoZone : elsewhere) {
        // A new time is the photo's wall clock in the zone the photo names.
        shown = QDateTime(day, clock);
        zone = iptcZoneText(*named);
    } else {
        shown = instant.toUTC();
        zone = QStringLiteral("+0000");
    }
    iptc.insert(dateKey, shown.toString(QStringLiteral("yyyyMMdd")));
    iptc.insert(timeKey, shown.toString(QStringLiteral("HHmmss")) + zone);
}

} // namespace

void setIptcDates(QVariantMap &properties, const QDateTime &original, const QDateTime &digitized) {
    if (!original.isValid())
        return;
    const QVariantMap exif = properties.value(QStringLiteral("{Exif}")).toMap();
    const QVariantMap before = properties.value(QStringLiteral("{IPTC}")).toMap();
    QVariantMap iptc = before;
    const QString originalOffset = QStringLiteral("OffsetTimeOriginal");
    const QString digitizedOffset = QStringLiteral("OffsetTimeDigitized");
    const QString offset = QStringLiteral("OffsetTime");
    const QString timeCreated = QStringLiteral("TimeCreated");
    const QString digitalTime = QStringLiteral("DigitalCreationTime");
    setIptcPair(iptc, QStringLiteral("DateCreated"), timeCreated, original,
                zoneSeconds(exif.value(originalOffset).toString(), false),
                zoneNamedBy(exif, before, {digitizedOffset, offset}, {digitalTime}));
    setIptcPair(iptc, QStringLiteral("DigitalCreationDate"), digitalTime,
                digitized.isValid() ? digitized : original,
                zoneSeconds(exif.value(digitizedOffset).toString(), false),
                zoneNamedBy(exif, before, {originalOffset, offset}, {timeCreated}));
    properties.insert(QStringLiteral("{IPTC}"), iptc);
}

QString cutZonePart(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() == 3)
        return parts[0] + QLatin1Char(' ') + parts[1];
    return text;
}

std::pair<QString, QString> readTwoDatesOfFile(const QString &path) {
    // A video's camera date is its QuickTime creation date, on the wall clock of the zone it
    // was taken in when it names one, as a photo's Exif date is.
    if (QuickTimeWriter::isQuickTimeName(path)) {
        const QDateTime created = VideoMetadata::creationDateInItsZone(path);
        if (created.isValid()) {
            const QString text = created.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
            return {text, text};
        }
    }
    ensureExiv2Initialised();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (!bytes.isEmpty()) {
            ImageSource source(bytes);
            if (source.isValid()) {
                const QVariantMap exif =
                    source.properties(0).value(QStringLiteral("{Exif}")).toMap();
                const QString o = exif.value(QStringLiteral("DateTimeOriginal")).toString();
                const QString g = exif.value(QStringLiteral("DateTimeDigitized")).toString();
                if (!o.isEmpty() && !g.isEmpty())
                    return {o, g};
            }
        }
    }
    // Shown in local time: the text is read back as local time when saved.
    const auto local = [](const QDateTime &d) {
        return d.isValid() ? d.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                           : QString();
    };
    return {local(FileDates::creationDate(path)), local(FileDates::modificationDate(path))};
}

QString GetChangeDateforExifDate(const QString &text, double seconds) {
    const QDateTime date = parseMetadataDate(text);
    QString result = text;
    if (date.isValid())
        result = date.addMSecs(qint64(seconds * 1000.0))
                     .toLocalTime()
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    qCDebug(lcMetadata).noquote() << QStringLiteral("origStampString==%1==").arg(result);
    return result;
}
