#include "base/Coordinates.h"

#include <QtMath>

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
