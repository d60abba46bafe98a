#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <utility>

// Calendar arithmetic and date texts shared by the date features.

// The date moved forward by the six amounts in the local calendar: years and months first
// (a day past the end of the target month falls back to its last day), then days, then the
// time amounts.
QDateTime AddDateTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                                 int minute, int second);
// The same with every amount negated.
QDateTime SubDateTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                                 int minute, int second);
// The moved dates as "%d:%d:%d %d:%d:%d", without leading zeros.
QString AddTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                           int minute, int second);
QString SubTimeIntwithDate(const QDateTime &date, int year, int month, int day, int hour,
                           int minute, int second);
// Seconds in the `months` calendar months after the date's month in the same year; 0 when
// they run past December.
double getTimeIntwithDate(const QDateTime &date, int months);

// The stepping of a fixed date: number x step index x unit, in 64 bits. The unit is the
// title "Second", "Minute" or "Hour"; any other gives 0.
qint64 stepSeconds(qint64 number, qint64 index, const QString &unitTitle);

// "yyyy:MM:dd HH:mm:ss" of the local time, zero-padded.
QString exifDateText(const QDateTime &date);
// The IPTC forms "yyyyMMdd" and "HHmmss" of the instant in UTC.
QString iptcDateText(const QDateTime &date);
QString iptcTimeText(const QDateTime &date);
// Sets the IPTC creation date and time of `properties` to the wall-clock time `original`, and
// the digital creation date and time to `digitized` (`original` when invalid). The wall clock
// is in the zone the photo's Exif names for it, else in ours. A time the photo has keeps its
// form: its zone, or none; without an Exif zone it takes the wall clock as it stands. A new
// time takes the zone the photo names: the date's own Exif zone, its other Exif zones, then
// the zone of its other IPTC time; only a photo that names none gets it in UTC.
void setIptcDates(QVariantMap &properties, const QDateTime &original,
                  const QDateTime &digitized = {});

// A text of "a b c" keeps its first two parts "a b"; any other stays as it is.
QString cutZonePart(const QString &text);

// The two dates a file shows in the date windows: Exif "DateTimeOriginal" and
// "DateTimeDigitized" when both are present, otherwise its creation and modification dates
// in local time as "yyyy-MM-dd HH:mm:ss". Missing texts are empty.
std::pair<QString, QString> readTwoDatesOfFile(const QString &path);

// The date text shifted by the seconds, as "yyyy-MM-dd HH:mm:ss" in local time; the given
// text when it is not a date.
QString GetChangeDateforExifDate(const QString &text, double seconds);
