#pragma once

#include <QVariantMap>
#include <optional>

// A "{GPS}" dictionary holds each coordinate as a magnitude with a hemisphere letter. Every
// reader and writer of a position goes through this one rule: "S" and "W" (any case) make a
// coordinate negative, "N" and "E" positive, and with no letter at all the stored sign is kept
// rather than a hemisphere invented. An altitude is a magnitude with "AltitudeRef" 1 below sea
// level, 0 above.
enum class GpsAxis { Latitude, Longitude };

// Reading.
struct SignedGpsCoordinates {
    std::optional<double> latitude;
    std::optional<double> longitude;
};
SignedGpsCoordinates signedCoordinates(const QVariantMap &gps);

// One coordinate by the same rule; nullopt when the value is not a number.
std::optional<double> signedCoordinate(const QVariant &value, const QVariant &ref, GpsAxis axis);
// An altitude by its reference; nullopt when the value is not a number.
std::optional<double> signedAltitude(const QVariant &value, const QVariant &ref);

// An XMP coordinate in degrees, south and west negative. XMP writes "DDD,MM,SSk" or
// "DDD,MM.mmk"; plain decimals occur too. The hemisphere comes from the letter, else from
// `ref`, else from the sign. nullopt when the text is no coordinate or its letter belongs to
// the other axis.
std::optional<double> xmpCoordinate(const QString &text, const QString &ref, GpsAxis axis);

// Writing: each coordinate as its magnitude with "N" or "S", "E" or "W" (zero counts as north
// and east).
QString hemisphereRef(double value, GpsAxis axis);
// The "{GPS}" entries of the coordinates given, to insert into a dictionary; a missing
// coordinate leaves its two entries out.
QVariantMap gpsPositionValues(std::optional<double> latitude, std::optional<double> longitude,
                              std::optional<double> altitude = std::nullopt);
QVariantMap gpsAltitudeValues(double altitude);
