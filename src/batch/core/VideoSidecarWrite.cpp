#include "batch/core/VideoSidecarWrite.h"

#include "platform/core/FileDates.h"
#include "platform/core/VideoMetadata.h"

#include <QFileInfo>
#include <QTimeZone>

namespace {

QString signedText(const QString &n) {
    const QString t = n.trimmed();
    return t.contains(QLatin1Char('-')) ? t : QStringLiteral("+") + t;
}

QString exiftoolPosition(const QString &lat, const QString &lon, const QString &alt) {
    QString text = lat.trimmed() + QLatin1Char(' ') + lon.trimmed();
    if (!alt.trimmed().isEmpty())
        text += QLatin1Char(' ') + alt.trimmed();
    return text;
}

} // namespace

QString iso6709(const QString &latitude, const QString &longitude, const QString &altitude) {
    QString text = signedText(latitude) + signedText(longitude);
    if (!altitude.trimmed().isEmpty())
        text += signedText(altitude);
    return text;
}

QList<VideoItem> videoMetadataItems(const QString &title, const QString &altitude,
                                    const QString &latitude, const QString &longitude,
                                    const QDateTime &date, bool hasKeys) {
    QList<VideoItem> items;
    if (!title.isEmpty())
        items.append({QStringLiteral("ItemList:Title"), title});
    items += QuickTimeWriter::creationDateItems(date);
    if (!latitude.trimmed().isEmpty() && !longitude.trimmed().isEmpty()) {
        const QString position = iso6709(latitude, longitude, altitude);
        items.append({QStringLiteral("UserData:GPSCoordinates"), position});
        if (hasKeys)
            items.append({QStringLiteral("Keys:GPSCoordinates"), position});
    }
    return items;
}

VideoWriteOutcome SaveChangedVideoExifWith(const QString &path, const QString &title,
                                           const QString &altitude, const QString &latitude,
                                           const QString &longitude, const QDateTime &date) {
    VideoWriteOutcome out;
    const QFileInfo given(path);
    out.path = given.absoluteFilePath();
    // A link's target may lie anywhere, outside the folder the user chose too.
    if (given.isSymLink()) {
        out.reason = QStringLiteral("a link: links are left alone");
        return out;
    }
    if (!given.isFile()) {
        out.reason = QStringLiteral("the video is not there");
        return out;
    }
    const auto before = VideoMetadata::metadataItems(out.path);
    if (before.isEmpty() && !VideoMetadata::creationDate(out.path).isValid() &&
        QFileInfo(out.path).size() == 0) {
        out.reason = QStringLiteral("not a video that can be read");
        return out;
    }
    bool hasKeys = false;
    for (const auto &item : before)
        hasKeys = hasKeys || item.first.startsWith(QLatin1String("com.apple.quicktime."));
    const QList<VideoItem> items =
        videoMetadataItems(title, altitude, latitude, longitude, date, hasKeys);
    if (items.isEmpty()) {
        out.reason = QStringLiteral("the sidecar gives nothing to write");
        return out;
    }

    QStringList assignments;
    for (const VideoItem &item : items) {
        // exiftool takes a position as three plain numbers and writes the ISO 6709 text.
        if (item.tag.endsWith(QLatin1String("GPSCoordinates")))
            assignments << QStringLiteral("-%1#=%2").arg(
                item.tag, exiftoolPosition(latitude, longitude, altitude));
        else
            assignments << QuickTimeWriter::assignment(item);
    }
    QString why;
    if (!QuickTimeWriter::writeInPlace(out.path, assignments, date, title, &why)) {
        out.reason = why;
        return out;
    }
    out.ok = true;
    if (date.isValid() && !FileDates::setDates(out.path, date, &why))
        out.reason = QStringLiteral("written, but its file dates were not set: %1").arg(why);
    return out;
}
