#include "base/Coordinates.h"

#include <QRegularExpression>
#include <QtMath>
#include <cmath>

namespace {

struct Hemispheres {
    QChar positive, negative;
};

Hemispheres hemispheresOf(GpsAxis axis) {
    return axis == GpsAxis::Latitude ? Hemispheres{QLatin1Char('N'), QLatin1Char('S')}
                                     : Hemispheres{QLatin1Char('E'), QLatin1Char('W')};
}

// -1 or +1 for a reference naming a side of `axis` (by its first letter, any case), 0 for
// none; nullopt for a letter that names neither side.
std::optional<int> hemisphereSign(const QString &ref, GpsAxis axis) {
    const QString r = ref.trimmed().toUpper();
    if (r.isEmpty())
        return 0;
    const Hemispheres sides = hemispheresOf(axis);
    if (r.front() == sides.negative)
        return -1;
    if (r.front() == sides.positive)
        return 1;
    return std::nullopt;
}

std::optional<double> number(const QVariant &value) {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !value.isValid())
        return std::nullopt;
    return v;
}

} // namespace

std::optional<double> signedCoordinate(const QVariant &value, const QVariant &ref, GpsAxis axis) {
    const std::optional<double> v = number(value);
    if (!v)
        return std::nullopt;
    // A letter of neither side reads as north or east rather than losing the position.
    const int sign = hemisphereSign(ref.toString(), axis).value_or(1);
    return sign == 0 ? *v : sign * qAbs(*v);
}

SignedGpsCoordinates signedCoordinates(const QVariantMap &gps) {
    SignedGpsCoordinates out;
    const auto lat = gps.constFind(QStringLiteral("Latitude"));
    if (lat != gps.cend())
        out.latitude =
            signedCoordinate(*lat, gps.value(QStringLiteral("LatitudeRef")), GpsAxis::Latitude);
    const auto lon = gps.constFind(QStringLiteral("Longitude"));
    if (lon != gps.cend())
        out.longitude =
            signedCoordinate(*lon, gps.value(QStringLiteral("LongitudeRef")), GpsAxis::Longitude);
    return out;
}

std::optional<double> signedAltitude(const QVariant &value, const QVariant &ref) {
    const std::optional<double> v = number(value);
    if (!v)
        return std::nullopt;
    return ref.toInt() == 1 ? -std::fabs(*v) : std::fabs(*v);
}

std::optional<double> xmpCoordinate(const QString &text, const QString &ref, GpsAxis axis) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?)(\\d+(?:\\.\\d+)?)(?:,(\\d+(?:\\.\\d+)?)(?:,(\\d+(?:\\.\\d+)?))"
                       "?)?\\s*([NSEWnsew]?)\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double minutes = m.captured(3).toDouble(), seconds = m.captured(4).toDouble();
    if (minutes >= 60 || seconds >= 60)
        return std::nullopt;
    const double degrees = m.captured(2).toDouble() + minutes / 60.0 + seconds / 3600.0;
    if (degrees > (axis == GpsAxis::Latitude ? 90.0 : 180.0))
        return std::nullopt;
    const std::optional<int> sign =
        hemisphereSign(m.captured(5).isEmpty() ? ref : m.captured(5), axis);
    if (!sign)
        return std::nullopt;
    if (*sign == 0)
        return m.captured(1) == QLatin1String("-") ? -degrees : degrees;
    return *sign * degrees;
}

QString hemisphereRef(double value, GpsAxis axis) {
    const Hemispheres sides = hemispheresOf(axis);
    return QString(value < 0 ? sides.negative : sides.positive);
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
        gps.insert(QStringLiteral("LatitudeRef"), hemisphereRef(*latitude, GpsAxis::Latitude));
    }
    if (longitude) {
        gps.insert(QStringLiteral("Longitude"), std::fabs(*longitude));
        gps.insert(QStringLiteral("LongitudeRef"), hemisphereRef(*longitude, GpsAxis::Longitude));
    }
    if (altitude)
        gps.insert(gpsAltitudeValues(*altitude));
    return gps;
}
