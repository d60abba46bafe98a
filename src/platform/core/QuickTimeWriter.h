#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// QuickTime and MP4 metadata written through the exiftool session, which edits the boxes
// without remuxing: every track (Apple's "mebx" timed metadata too) and every packet stays.
namespace QuickTimeWriter {

struct Item {
    QString tag;   // exiftool's name of the box: "ItemList:Title", "UserData:DateTimeOriginal"
    QString value; // as the box holds it
    bool operator==(const Item &) const = default;
};

// Whether the name is of a container these functions write (.mov, .mp4, .m4v).
bool isQuickTimeName(const QString &path);

// The items of a creation date: UserData "date" and Keys "creationdate" as the wall clock of
// `date` with the offset of its zone ("2021:03:04 05:06:07+09:00"), and the movie header's
// CreateDate, which QuickTime keeps in UTC.
QList<Item> creationDateItems(const QDateTime &date);

// exiftool's argument that sets one item.
QString assignment(const Item &item);

// Writes `source` with the exiftool `assignments` ("-Tag=value") into a new dot-named
// temporary in `folder`, and checks it: it opens as a video with the tracks of the source,
// and its creation date is `expectedDate` when that is valid and its title `expectedTitle`
// when that is not empty. Returns the temporary's path, which has the default mode of a new
// file; empty with *error set on failure, and then nothing is left behind.
QString writeTemporary(const QString &source, const QStringList &assignments, const QString &folder,
                       const QDateTime &expectedDate, const QString &expectedTitle, QString *error);

// Writes the items into the video at `path` in place: through writeTemporary beside it, which
// takes the video's mode and is renamed over it, unless another program changed the video
// meanwhile. On failure the video is left as it was.
bool writeInPlace(const QString &path, const QStringList &assignments,
                  const QDateTime &expectedDate, const QString &expectedTitle, QString *error);

} // namespace QuickTimeWriter
