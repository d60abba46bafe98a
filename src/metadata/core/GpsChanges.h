#pragma once

#include "base/Coordinates.h"

#include <QDateTime>
#include <QString>
#include <QVariantMap>
#include <optional>

// A position in decimal degrees, negative for south and west.
struct GpsPosition {
    double latitude = 0;
    double longitude = 0;
};

// The typed position, or nothing with `problem` set to a sentence for the user. Texts that
// are not numbers, or lie outside ±90 and ±180 degrees, are refused.
std::optional<GpsPosition> parseGpsPosition(const QString &latitude, const QString &longitude,
                                            QString *problem);

// The position a "{GPS}" dictionary holds, signed by its references (negative unless the
// reference is "N" or "E"); a coordinate that is missing stays unset.

// The photo's "{GPS}" with a new position: the coordinates as absolute values with their
// references; every other entry the photo had (altitude, stamps, speed, track...) is kept.
// The version is added where the photo had none; speed and track are never made up.
QVariantMap gpsWithPosition(const QVariantMap &oldGps, const GpsPosition &position);

// The texts the GPS window offers when the photo has no stamps of its own.
inline constexpr const char *kGpsDatePlaceholder = "YYYY:MM:DD";
inline constexpr const char *kGpsTimePlaceholder = "HH:MM:SS";

// GPS stamps are UTC: the date "YYYY:MM:DD" (or "YYYY-MM-DD") and the time "HH:MM:SS".
struct GpsStamps {
    bool given = false; // false: both fields still hold the placeholders
    QString date;       // "yyyy:MM:dd"
    QString time;       // "HH:mm:ss"
    QDateTime instant;  // the UTC instant they name
};
// The typed stamps, or nothing with `problem` set. Both placeholders left as they are mean
// "no stamps"; one placeholder alone, or a text that is no date or time, is refused.
std::optional<GpsStamps> parseGpsStamps(const QString &date, const QString &time, QString *problem);

// gpsWithPosition() plus the stamps, when given.
QVariantMap gpsWithPositionAndStamps(const QVariantMap &oldGps, const GpsPosition &position,
                                     const GpsStamps &stamps);
