#include "base/Coordinates.h"

#include <QtMath>
#include <cmath>

std::optional<double> signedCoordinate(const QVariant &value, const QVariant &ref, char negative) {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !value.isValid())
        return std::nullopt;
    const QString r = ref.toString().trimmed().toUpper();
    if (r.isEmpty())
        return v;
    return r.startsWith(QLatin1Char(negative)) ? -qAbs(v) : qAbs(v);
}

SignedGpsCoordinates signedCoordinates(const QVariantMap &gps) {
    SignedGpsCoordinates out;
    const auto lat = gps.constFind(QStringLiteral("Latitude"));
    if (lat != gps.cend())
        out.latitude = signedCoordinate(*lat, gps.value(QStringLiteral("LatitudeRef")), 'S');
    const auto lon = gps.constFind(QStringLiteral("Longitude"));
    if (lon != gps.cend())
        out.longitude = signedCoordinate(*lon, gps.value(QStringLiteral("LongitudeRef")), 'W');
    return out;
}

QString latitudeRef(double latitude) {
    return latitude < 0 ? QStringLiteral("S") : QStringLiteral("N");
}

QString longitudeRef(double longitude) {
    return longitude < 0 ? QStringLiteral("W") : QStringLiteral("E");
}

QVariantMap gpsAltitudeValues(double altitude) {
    return {{QStringLiteral("Altitude"), std::fabs(altitude)},
            {QStringLiteral("AltitudeRef"), altitude < 0 ? 1 : 0}};
}

QVariantMap gpsPositionValues(std::optional<double> latitude, std::optional<double> longitude,
                              std::optional<double> altitude) {
    QVariantMap gps;
    if (latitude) {
        gps.insert(QStringLiteral("Latitude"), std::fabs(*latitude));
        gps.insert(QStringLiteral("LatitudeRef"), latitudeRef(*latitude));
    }
    if (longitude) {
        gps.insert(QStringLiteral("Longitude"), std::fabs(*longitude));
        gps.insert(QStringLiteral("LongitudeRef"), longitudeRef(*longitude));
    }
    if (altitude)
        gps.insert(gpsAltitudeValues(*altitude));
    return gps;
}
