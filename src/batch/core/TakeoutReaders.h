#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// The readers of a Google Takeout JSON sidecar. The text is parsed once (parseTakeoutJson) and
// each reader takes one field out of that parse: decoded strings, never JSON syntax. An empty
// text or a zero coordinate is no value (Takeout writes 0.0 where it knows no position).

// Sidecars are small; anything above this is no sidecar and is not parsed.
inline constexpr qint64 kMaxTakeoutJsonBytes = 4 * 1024 * 1024;

// The top-level object, or nullopt with *why when the bytes are no JSON object.
std::optional<QJsonObject> parseTakeoutJson(const QByteArray &bytes, QString *why);

QString getTitlewithJsonStr(const QJsonObject &json);
QString getDescriptionwithJsonStr(const QJsonObject &json);
// Coordinates as text ("37.7749", "-122.4194"), from "geoData", else "geoDataExif": the first
// of the two that holds a position gives all three.
QString getGPSLatitudewithJsonStr(const QJsonObject &json);
QString getGPSLongitudewithJsonStr(const QJsonObject &json);
QString getGPSAltitudewithJsonStr(const QJsonObject &json);
// "photoTakenTime": its "timestamp" (Unix seconds) names the instant; the "formatted" text,
// written in the account's language, is read only when the timestamp is missing.
QDateTime getPhotoDatewithJsonStr(const QJsonObject &json);
// Drive's sidecars: "content_last_modified", "last_modified_by_me" or "created", else the
// formatted "photoTakenTime".
QDateTime getNewPhotoDatewithJsonStr(const QJsonObject &json);
// The photo name at the start of a sidecar's name ("IMG_1234.JPG" of "IMG_1234.JPG(1).json");
// empty when the name does not begin with one ("my photo.jpg.json" names no "photo.jpg").
QString getPhotoFileName(const QString &jsonFileName);

// Whether the JSON is an album's own description (its "metadata.json", whatever the name in
// the account's language): an album's title and date ("albumData" in older exports), and none
// of a photo's taken or upload times.
bool isTakeoutAlbumMetadata(const QJsonObject &json);

// Everything the merge writes, read in the order the merge needs it.
struct TakeoutValues {
    QString title, description;
    QDateTime taken; // invalid: the sidecar gives no date
    QString latitude, longitude, altitude;
};
TakeoutValues readTakeoutValues(const QJsonObject &json);

// Which of `mediaNames` (the photos and videos of the sidecar's folder) the sidecar
// `jsonName` belongs to: its photo, then that photo's "-edited" copy when there is one. A
// duplicate's sidecar ("IMG_1.JPG(1).json", "IMG_1.JPG.supplemental-metadata(1).json") belongs
// to "IMG_1(1).JPG", never to the first copy. Empty when none is found by name.
QStringList takeoutPhotoNames(const QString &jsonName, const QStringList &mediaNames);

// The looser match of a sidecar nobody claimed: among `unpairedMediaNames`, the one name whose
// stem (without its last two extensions) is the sidecar's in other letters, else the one whose
// stem contains the sidecar's or is contained in it, letter case ignored. Empty unless exactly
// one fits.
QString looseTakeoutPhotoName(const QString &jsonName, const QStringList &unpairedMediaNames);
