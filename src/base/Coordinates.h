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
