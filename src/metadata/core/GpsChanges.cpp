#include "metadata/core/GpsChanges.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimeZone>
#include <cmath>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("GpsChanges", text);
}

std::optional<double> decimal(const QString &text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<GpsPosition> parseGpsPosition(const QString &latitude, const QString &longitude,
                                            QString *problem) {
    const std::optional<double> lat = decimal(latitude);
    const std::optional<double> lon = decimal(longitude);
    if (!lat || std::fabs(*lat) > 90.0) {
        *problem = tr("The latitude \"%1\" is not a number of degrees between -90 and 90.")
                       .arg(latitude.trimmed());
        return std::nullopt;
    }
    if (!lon || std::fabs(*lon) > 180.0) {
        *problem = tr("The longitude \"%1\" is not a number of degrees between -180 and 180.")
                       .arg(longitude.trimmed());
        return std::nullopt;
    }
    return GpsPosition{*lat, *lon};
}

QVariantMap gpsWithPosition(const QVariantMap &oldGps, const GpsPosition &position) {
    QVariantMap gps = oldGps;
    gps.insert(gpsPositionValues(position.latitude, position.longitude));
    if (!gps.contains(QStringLiteral("GPSVersion")))
        gps.insert(QStringLiteral("GPSVersion"), QVariantList{2, 2, 0, 0});
    // No speed or track is made up: a 0 would claim the camera stood still facing north.
    return gps;
}

std::optional<GpsStamps> parseGpsStamps(const QString &date, const QString &time,
                                        QString *problem) {
    const QString d = date.trimmed();
    const QString t = time.trimmed();
    const bool datePlaceholder = d == QLatin1String(kGpsDatePlaceholder);
    const bool timePlaceholder = t == QLatin1String(kGpsTimePlaceholder);
    if (datePlaceholder && timePlaceholder)
        return GpsStamps{};
    static const QRegularExpression dateForm(QStringLiteral("^(\\d{4})[:-](\\d{2})[:-](\\d{2})$"));
    static const QRegularExpression timeForm(
        QStringLiteral("^(\\d{1,2}):(\\d{2}):(\\d{2})(?:\\.\\d+)?$"));
    const auto dm = dateForm.match(d);
    const QDate day = dm.hasMatch() ? QDate(dm.captured(1).toInt(), dm.captured(2).toInt(),
                                            dm.captured(3).toInt())
                                    : QDate();
    if (!day.isValid()) {
        *problem = tr("The GPS date stamp \"%1\" is not a date of the form YYYY:MM:DD.").arg(d);
        return std::nullopt;
    }
    const auto tm = timeForm.match(t);
    const QTime clock = tm.hasMatch() ? QTime(tm.captured(1).toInt(), tm.captured(2).toInt(),
                                              tm.captured(3).toInt())
                                      : QTime();
    if (!clock.isValid()) {
        *problem = tr("The GPS time stamp \"%1\" is not a time of the form HH:MM:SS (UTC).").arg(t);
        return std::nullopt;
    }
    GpsStamps stamps;
    stamps.given = true;
    stamps.date = day.toString(QStringLiteral("yyyy:MM:dd"));
    stamps.time = clock.toString(QStringLiteral("HH:mm:ss"));
    stamps.instant = QDateTime(day, clock, QTimeZone::utc());
    return stamps;
}

QVariantMap gpsWithPositionAndStamps(const QVariantMap &oldGps, const GpsPosition &position,
                                     const GpsStamps &stamps) {
    QVariantMap gps = gpsWithPosition(oldGps, position);
    if (stamps.given) {
        gps.insert(QStringLiteral("DateStamp"), stamps.date);
        gps.insert(QStringLiteral("TimeStamp"), stamps.time);
    }
    return gps;
}
