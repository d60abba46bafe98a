#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// A video's creation date through FFmpeg's libavformat.
namespace VideoMetadata {

// The container's metadata items in order, as (key, value); empty when the file does not
// open as a video. Reads the header only, never the streams.
QList<QPair<QString, QString>> metadataItems(const QString &path);

// The creation date: the QuickTime "com.apple.quicktime.creationdate" item, else "date",
// else "creation_time", read with its own zone offset (or UTC for "Z"); a value without an
// offset is local time. Invalid when there is none.
QDateTime creationDate(const QString &path);

// The same instant in the zone of the item it comes from, as the camera's wall clock, when the
// item has an offset of its own ("Z" is none: it only says the value is stored in UTC);
// otherwise in local time.
QDateTime creationDateInItsZone(const QString &path);

// A date text of an item as an instant; invalid when it is not one.
QDateTime parseCreationDateValue(const QString &value);

// The number of tracks the container lists (timed-metadata ones too); -1 when it does not
// open as a video.
int trackCount(const QString &path);

// Rewrites the container with the creation date set ("creation_time" in UTC and the
// QuickTime "com.apple.quicktime.creationdate" with the local offset). Every stream is
// copied packet for packet, never re-encoded, into an exclusive temporary file beside the
// video that takes its mode, owner and extended attributes; it is synced, read back (every
// track and the new date) and then replaces the video in one rename, unless another program
// changed the video meanwhile. On failure the video is left as it was.
// Only QuickTime and MP4 files are written. Tracks that FFmpeg cannot copy (Apple's "mebx"
// timed-metadata tracks) make it fail unless `dropUncopyableTracks` is given; the indexes
// of the tracks left out are then put into `droppedTracks`.
bool setCreationDate(const QString &path, const QDateTime &date, QString *error = nullptr,
                     bool dropUncopyableTracks = false, QList<int> *droppedTracks = nullptr);

} // namespace VideoMetadata
