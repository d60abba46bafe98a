#pragma once

#include <QVariantMap>
#include <optional>

// A "{GPS}" dictionary holds each coordinate as a magnitude with a hemisphere letter. Every
// reader of a position (panels, the GPS window, renames, the library comparison) signs it
// by this one rule: "S" and "W" (any case) make it negative, "N" and "E" positive, and with
// no letter at all the stored sign is kept rather than a hemisphere invented.
struct SignedGpsCoordinates {
    std::optional<double> latitude;
    std::optional<double> longitude;
};
SignedGpsCoordinates signedCoordinates(const QVariantMap &gps);

// One coordinate by the same rule; nullopt when the value is not a number.
std::optional<double> signedCoordinate(const QVariant &value, const QVariant &ref, char negative);

// Writing a position is the inverse rule: each coordinate as its magnitude with "N" or "S",
// "E" or "W" (zero counts as north and east), and an altitude as its magnitude with
// "AltitudeRef" 0 above sea level and 1 below.
QString latitudeRef(double latitude);
QString longitudeRef(double longitude);
// The "{GPS}" entries of the coordinates given, to insert into a dictionary; a missing
// coordinate leaves its two entries out.
QVariantMap gpsPositionValues(std::optional<double> latitude, std::optional<double> longitude,
                              std::optional<double> altitude = std::nullopt);
QVariantMap gpsAltitudeValues(double altitude);
