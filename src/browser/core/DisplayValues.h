#pragma once

#include <QString>
#include <QVariant>

// Property values as a photographer reads them in the panels. Display only: the edit sheet's
// fields and everything written keep the values' Exif form.

// "f/4.0"; "" for no positive number.
QString apertureText(double fNumber);
// "1/2000 s", "0.4 s", "2 s", "1.5 s"; "" for no positive time.
QString exposureTimeText(double seconds);
// "24 mm", "4.5 mm"; "" for no positive length.
QString focalLengthText(double millimetres);
// Two decimals: "2.35", "-0.40".
QString brightnessText(double value);
// "+0.7 EV", "-1.0 EV", "0 EV".
QString exposureBiasText(double ev);
// A number with at most six decimals and no trailing zeros: "0.0005", "51.503572", "3".
QString trimmedNumberText(double value);
// An Exif date "2018:10:13 09:18:12" as "2018-10-13 09:18:12", its offset after the time
// when there is one; any other text as it is.
QString exifDateDisplayText(const QString &exifDate, const QString &offset = QString());

// The tree's text of one value under `key`: the forms above for the keys that have one,
// dates with dashes, other numbers trimmed, lists element by element.
QString displayValueText(const QString &key, const QVariant &value);

// The "Exposure:" line: "f/4.0, 1/2000 s, ISO 100, 24 mm, +0.7 EV" of the parts present.
QString exposureSummaryText(const QVariantMap &exif);
