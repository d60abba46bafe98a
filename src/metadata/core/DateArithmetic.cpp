#include "metadata/core/DateArithmetic.h"

#include "app/core/Logging.h"
#include "metadata/core/FileDateRules.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <QTimeZone>
#include <climits>

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

void setIptcDates(QVariantMap &properties, const QDateTime &date) {
    QVariantMap iptc = properties.value(QStringLiteral("{IPTC}")).toMap();
    const QString day = iptcDateText(date), time = iptcTimeText(date);
    iptc.insert(QStringLiteral("DigitalCreationDate"), day);
    iptc.insert(QStringLiteral("DateCreated"), day);
    iptc.insert(QStringLiteral("DigitalCreationTime"), time);
    iptc.insert(QStringLiteral("TimeCreated"), time);
    properties.insert(QStringLiteral("{IPTC}"), iptc);
}

QString cutZonePart(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() == 3)
        return parts[0] + QLatin1Char(' ') + parts[1];
    return text;
}

std::pair<QString, QString> readTwoDatesOfFile(const QString &path) {
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
