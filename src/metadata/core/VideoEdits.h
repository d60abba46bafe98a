#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

// A video's metadata seen as a photo's property dictionaries, so that every edit's change runs
// on it unchanged, and that change turned back into exiftool assignments for its QuickTime
// boxes. A video holds a creation date, a title, an artist and a position; every other value
// an edit sets is named as left out.
namespace VideoEdits {

// The metadata boxes as exiftool reads them ("Keys:GPSCoordinates" -> "48.85 2.29 35"), or
// nothing with *error set.
std::optional<QJsonObject> readTags(const QString &path, QString *error);

// "{Exif}" DateTimeOriginal and DateTimeDigitized (the wall clock of `created`), "{TIFF}"
// Artist, "{IPTC}" ObjectName and "{GPS}" as a photo holds them; only what the video has.
QVariantMap propertiesOf(const QJsonObject &tags, const QDateTime &created);

struct Plan {
    QStringList assignments; // exiftool's "-Group:Tag=value", "-Group:Tag=" to delete
    QDateTime date;          // the new creation date; invalid when it stays
    // What the written file must read: each tag with its value, or null where it is gone.
    QJsonObject expected;
    QStringList leftOut; // the values the change set that a video has no place for
};

// What the change from `before` to `after` writes. A new wall clock keeps the offset of
// `created` when it has one of its own, else it is local time.
Plan planFor(const QVariantMap &before, const QVariantMap &after, const QJsonObject &tags,
             const QDateTime &created);

// The planned values the written file does not hold, by tag; empty when all took.
QStringList missedIn(const QJsonObject &written, const Plan &plan);

} // namespace VideoEdits
