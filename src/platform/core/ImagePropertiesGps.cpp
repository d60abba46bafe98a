#include "platform/core/ImagePropertyTables.h"

#include "base/Coordinates.h"

#include <QStringList>

#include <cmath>

namespace {

using K = ValueKind;

const PropertyMapping kGps[] = {
    {"GPSVersion", "Exif.GPSInfo.GPSVersionID", K::List},
    {"LatitudeRef", "Exif.GPSInfo.GPSLatitudeRef", K::Text},
    {"Latitude", "Exif.GPSInfo.GPSLatitude", K::Coordinate},
    {"LongitudeRef", "Exif.GPSInfo.GPSLongitudeRef", K::Text},
    {"Longitude", "Exif.GPSInfo.GPSLongitude", K::Coordinate},
    {"AltitudeRef", "Exif.GPSInfo.GPSAltitudeRef", K::Auto},
    {"Altitude", "Exif.GPSInfo.GPSAltitude", K::Auto},
    {"TimeStamp", "Exif.GPSInfo.GPSTimeStamp", K::GpsTime},
    {"Satellites", "Exif.GPSInfo.GPSSatellites", K::Text},
    {"Status", "Exif.GPSInfo.GPSStatus", K::Text},
    {"MeasureMode", "Exif.GPSInfo.GPSMeasureMode", K::Text},
    {"DOP", "Exif.GPSInfo.GPSDOP", K::Auto},
    {"SpeedRef", "Exif.GPSInfo.GPSSpeedRef", K::Text},
    {"Speed", "Exif.GPSInfo.GPSSpeed", K::Auto},
    {"TrackRef", "Exif.GPSInfo.GPSTrackRef", K::Text},
    {"Track", "Exif.GPSInfo.GPSTrack", K::Auto},
    {"ImgDirectionRef", "Exif.GPSInfo.GPSImgDirectionRef", K::Text},
    {"ImgDirection", "Exif.GPSInfo.GPSImgDirection", K::Auto},
    {"MapDatum", "Exif.GPSInfo.GPSMapDatum", K::Text},
    {"DestLatitudeRef", "Exif.GPSInfo.GPSDestLatitudeRef", K::Text},
    {"DestLatitude", "Exif.GPSInfo.GPSDestLatitude", K::Coordinate},
    {"DestLongitudeRef", "Exif.GPSInfo.GPSDestLongitudeRef", K::Text},
    {"DestLongitude", "Exif.GPSInfo.GPSDestLongitude", K::Coordinate},
    {"DestBearingRef", "Exif.GPSInfo.GPSDestBearingRef", K::Text},
    {"DestBearing", "Exif.GPSInfo.GPSDestBearing", K::Auto},
    {"DestDistanceRef", "Exif.GPSInfo.GPSDestDistanceRef", K::Text},
    {"DestDistance", "Exif.GPSInfo.GPSDestDistance", K::Auto},
    {"DateStamp", "Exif.GPSInfo.GPSDateStamp", K::Text},
    {"Differential", "Exif.GPSInfo.GPSDifferential", K::Auto},
};

double rationalAt(const Exiv2::Value &v, long i) {
    const Exiv2::Rational r = v.toRational(i);
    return r.second == 0 ? 0.0 : double(r.first) / double(r.second);
}

QString xmpText(const Exiv2::XmpData &xmp, const char *key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    return it == xmp.end() ? QString() : QString::fromStdString(it->toString()).trimmed();
}

// XMP keeps an altitude as a rational text ("26/10") or a plain number.
std::optional<double> xmpNumber(const QString &text) {
    bool ok = false, okDenominator = false;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        const double v = text.toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    }
    const double numerator = text.left(slash).toDouble(&ok);
    const double denominator = text.mid(slash + 1).toDouble(&okDenominator);
    if (!ok || !okDenominator || denominator == 0)
        return std::nullopt;
    return numerator / denominator;
}

} // namespace

QVariantMap xmpPositionValues(const Exiv2::XmpData &xmp) {
    const std::optional<double> latitude =
        xmpCoordinate(xmpText(xmp, "Xmp.exif.GPSLatitude"), xmpText(xmp, "Xmp.exif.GPSLatitudeRef"),
                      GpsAxis::Latitude);
    const std::optional<double> longitude =
        xmpCoordinate(xmpText(xmp, "Xmp.exif.GPSLongitude"),
                      xmpText(xmp, "Xmp.exif.GPSLongitudeRef"), GpsAxis::Longitude);
    if (!latitude || !longitude)
        return {};
    std::optional<double> altitude = xmpNumber(xmpText(xmp, "Xmp.exif.GPSAltitude"));
    if (altitude && xmpText(xmp, "Xmp.exif.GPSAltitudeRef") == QLatin1String("1"))
        altitude = -std::fabs(*altitude);
    return gpsPositionValues(latitude, longitude, altitude);
}

std::span<const PropertyMapping> gpsMappings() {
    return kGps;
}

QVariant gpsValueToVariant(const Exiv2::Value &v, ValueKind kind) {
    if (v.count() < 1)
        return {};
    const double a = rationalAt(v, 0);
    const double b = v.count() > 1 ? rationalAt(v, 1) : 0.0;
    const double c = v.count() > 2 ? rationalAt(v, 2) : 0.0;
    if (kind == ValueKind::Coordinate)
        return a + b / 60.0 + c / 3600.0;
    const QString seconds = c == std::floor(c)
                                ? QStringLiteral("%1").arg(int(c), 2, 10, QLatin1Char('0'))
                                : QStringLiteral("%1").arg(c, 5, 'f', 2, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(int(a), 2, 10, QLatin1Char('0'))
        .arg(int(b), 2, 10, QLatin1Char('0'))
        .arg(seconds);
}

std::string gpsVariantToText(const QVariant &value, ValueKind kind, QString *error) {
    if (kind == ValueKind::Coordinate) {
        double degrees = 0;
        if (!parseCoordinate(value, &degrees, error))
            return {};
        qint64 d = qint64(std::floor(degrees));
        const double minutes = (degrees - double(d)) * 60.0;
        qint64 m = qint64(std::floor(minutes));
        qint64 hundredths = std::llround((minutes - double(m)) * 60.0 * 100.0);
        if (hundredths >= 6000) {
            hundredths -= 6000;
            ++m;
        }
        if (m >= 60) {
            m -= 60;
            ++d;
        }
        return QStringLiteral("%1/1 %2/1 %3/100").arg(d).arg(m).arg(hundredths).toStdString();
    }
    TimeOfDay t;
    if (!parseTimeOfDay(value, &t, error))
        return {};
    const double s = t.seconds;
    const QString sec = s == std::floor(s) ? QStringLiteral("%1/1").arg(qint64(s))
                                           : QStringLiteral("%1/100").arg(std::llround(s * 100));
    return QStringLiteral("%1/1 %2/1 %3").arg(t.hours).arg(t.minutes).arg(sec).toStdString();
}
