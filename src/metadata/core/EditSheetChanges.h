#pragma once

#include "metadata/core/GpsChanges.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

// The texts of the edit sheet's fields, or the values remembered for them when the photo
// was selected.
struct EditSheetTexts {
    QString title, artist, imageDescription, copyright, comment, keywords;
    QString cameraMake, cameraModel, cameraDate, lensMake, lensModel, lensSerialNumber;
    QString orientation, isoSpeed, fNumber, focalLength35mm, brightness, aperture, whiteBalance,
        exposureTime;
    QString gpsAltitude, gpsLatitude, gpsLongitude;
};

// Which groups of fields the user edited since the sheet opened.
struct EditSheetGroups {
    bool basic = false;
    bool camera = false;
    bool gps = false;
};

// A decimal number or a fraction "n/d" ("1/125", " 2.8 "); nothing for any other text.
std::optional<double> parseDecimalOrFraction(const QString &text);

// APEX values derived from what the user typed: log2(F²) and log2(1/t).
float apertureValueForFNumber(double fNumber);
float shutterSpeedValueForExposureTime(double seconds);

// A camera date as it is stored: "YYYY-MM-DD HH:MM:SS" becomes "YYYY:MM:DD HH:MM:SS".
QString normalizedCameraDate(const QString &text);

// Whether the field's text differs from the value remembered for it.
bool fieldChanged(const QString &field, const QString &remembered);

// Every reason the typed texts cannot be written, one sentence each; empty when they can.
// Only fields that will be written are checked.
QStringList editSheetProblems(const EditSheetTexts &fields, const EditSheetTexts &remembered,
                              const EditSheetGroups &groups);

// Writes the changed fields into the working copy of a photo's properties. The caller has
// checked editSheetProblems() first.
void applyEditSheetChanges(QVariantMap &working, const EditSheetTexts &fields,
                           const EditSheetTexts &remembered, const EditSheetGroups &groups);

// The date the written photo's file dates take: the new camera date when the user changed
// it, otherwise nothing (the original's dates are copied).
QDateTime editSheetFileDate(const EditSheetTexts &fields, const EditSheetTexts &remembered,
                            const EditSheetGroups &groups);
