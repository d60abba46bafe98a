#pragma once

#include "platform/core/QuickTimeWriter.h"

#include <QDateTime>
#include <QList>
#include <QString>

// A sidecar's values written into a video's QuickTime metadata. exiftool edits the boxes in
// place of the container without remuxing, so every track (Apple's "mebx" timed metadata
// too) and every packet stays as it was.

using VideoItem = QuickTimeWriter::Item;

// The items for a title, a position (texts as the sidecar gives them) and the taken instant:
// the title in ItemList "©nam"; the date, as the wall clock of its own offset with that offset
// (readers take a bare date for local time), in UserData "date" and Keys "creationdate", and in
// the movie header's CreateDate (UTC, no offset); the position as ISO 6709 text
// ("+37.7749-122.4194+12.5") in UserData "©xyz", and in Keys too when `hasKeys`. No position
// unless both latitude and longitude are given.
QList<VideoItem> videoMetadataItems(const QString &title, const QString &altitude,
                                    const QString &latitude, const QString &longitude,
                                    const QDateTime &date, bool hasKeys);

// ISO 6709 text of a position: each number with its sign, "+" unless it has a "-".
QString iso6709(const QString &latitude, const QString &longitude, const QString &altitude);

struct VideoWriteOutcome {
    bool ok = false;
    QString path;
    QString reason;
};

// Writes the items into the video at `path` in place through QuickTimeWriter::writeInPlace
// (the values read back, the same tracks); then the file dates take the taken instant. A link
// is refused. On failure the video is left as it was and no temporary remains.
VideoWriteOutcome SaveChangedVideoExifWith(const QString &path, const QString &title,
                                           const QString &altitude, const QString &latitude,
                                           const QString &longitude, const QDateTime &date);
