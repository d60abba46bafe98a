#include "batch/core/SidecarRewrite.h"

#include "base/Coordinates.h"
#include "base/FileTypes.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "platform/core/SafeWrite.h"

#include <QFileInfo>
#include <QTimeZone>

#include <cmath>

namespace {

QVariantMap section(const QVariantMap &photo, const char *name) {
    return photo.value(QLatin1String(name)).toMap();
}

bool hasText(const QVariantMap &dict, const char *key) {
    return !dict.value(QLatin1String(key)).toString().trimmed().isEmpty();
}

// A JPEG's picture: everything from its first segment that is no APPn or comment (where the
// metadata lives) to its end. Empty when the bytes are no JPEG whose segments walk cleanly.
QByteArrayView jpegPicturePart(const QByteArray &bytes) {
    const auto byte = [&](qsizetype i) { return uchar(bytes[i]); };
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return {};
    qsizetype at = 2;
    while (at + 4 <= bytes.size()) {
        if (byte(at) != 0xFF)
            return {};
        const uchar marker = byte(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (!((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE))
            return QByteArrayView(bytes).sliced(at);
        at += 2 + ((qsizetype(byte(at + 2)) << 8) | byte(at + 3));
    }
    return {};
}

// Whether the new bytes hold the very picture of the old ones, byte for byte, so that they
// decode exactly as the photo did: then only its metadata was rewritten.
bool samePicture(const QByteArray &before, const QByteArray &after) {
    const QByteArrayView a = jpegPicturePart(before), b = jpegPicturePart(after);
    return !a.isEmpty() && a == b;
}

// The check of the new bytes before any file is touched. `before` are the photo's bytes:
// a picture carried over unchanged needs no decoding to know it is whole. Without
// `decodable` (a RAW photo whose picture we cannot decode) none is asked of the new file.
QString missingFrom(const QByteArray &bytes, const SidecarChanges &c,
                    const QByteArray &before = QByteArray(), bool decodable = true) {
    const ImageSource written(bytes);
    if (!written.isValid())
        return QStringLiteral("the new file cannot be read: %1").arg(written.errorString());
    if (decodable && !samePicture(before, bytes) && written.thumbnail(64).isNull())
        return QStringLiteral("the new file's image does not decode");
    const QVariantMap p = written.properties(0);
    if (!c.exifDate.isEmpty() &&
        section(p, "{Exif}").value(QStringLiteral("DateTimeOriginal")).toString() != c.exifDate)
        return QStringLiteral("the new file does not hold the date");
    if (c.latitude && !section(p, "{GPS}").contains(QStringLiteral("Latitude")))
        return QStringLiteral("the new file does not hold the position");
    if (!c.description.isEmpty() &&
        section(p, "{TIFF}").value(QStringLiteral("ImageDescription")).toString() != c.description)
        return QStringLiteral("the new file does not hold the description");
    return {};
}

} // namespace

QVariantMap sidecarProperties(const QVariantMap &photo, const SidecarChanges &c) {
    QVariantMap p = photo;
    QVariantMap exif = section(photo, "{Exif}"), tiff = section(photo, "{TIFF}"),
                iptc = section(photo, "{IPTC}"), gps = section(photo, "{GPS}");

    if (!c.exifDate.isEmpty()) {
        exif.insert(QStringLiteral("DateTimeOriginal"), c.exifDate);
        exif.insert(QStringLiteral("DateTimeDigitized"), c.exifDate);
        for (const char *key : {"OffsetTimeOriginal", "OffsetTimeDigitized"}) {
            if (c.offset.isEmpty())
                exif.insert(QLatin1String(key), QVariant()); // null: removed
            else
                exif.insert(QLatin1String(key), c.offset);
        }
        if (c.tiffDateTime)
            tiff.insert(QStringLiteral("DateTime"), c.exifDate);
    }
    if (!c.title.isEmpty() && !hasText(tiff, "Artist"))
        tiff.insert(QStringLiteral("Artist"), c.title);
    if (!c.description.isEmpty()) {
        tiff.insert(QStringLiteral("ImageDescription"), c.description);
        // A caption the photo also holds in IPTC (or, in a HEIC, in XMP) takes the new one, or
        // readers that prefer it show the old.
        if (iptc.contains(QStringLiteral("Caption/Abstract")))
            iptc.insert(QStringLiteral("Caption/Abstract"), c.description);
    }

    if (c.instant.isValid()) {
        const QDateTime u = c.instant.toUTC();
        const QString date = u.toString(QStringLiteral("yyyyMMdd"));
        const QString time = u.toString(QStringLiteral("HHmmss")) + QStringLiteral("+0000");
        iptc.insert(QStringLiteral("DateCreated"), date);
        iptc.insert(QStringLiteral("DigitalCreationDate"), date);
        iptc.insert(QStringLiteral("TimeCreated"), time);
        iptc.insert(QStringLiteral("DigitalCreationTime"), time);
    }
    if (c.iptcTexts) {
        if (!c.keywords.isEmpty())
            iptc.insert(QStringLiteral("Keywords"), c.keywords);
        if (!c.title.isEmpty() && !hasText(iptc, "By-line"))
            iptc.insert(QStringLiteral("By-line"), c.title);
        if (!c.description.isEmpty())
            iptc.insert(QStringLiteral("Caption/Abstract"), c.description);
    }

    if (c.latitude || c.longitude) {
        gps.insert(QStringLiteral("GPSVersion"), QVariantList{2, 2, 0, 0});
        gps.insert(gpsPositionValues(c.latitude, c.longitude, c.altitude));
        p.insert(QStringLiteral("{GPS}"), gps);
    }
    p.insert(QStringLiteral("{Exif}"), exif);
    p.insert(QStringLiteral("{TIFF}"), tiff);
    p.insert(QStringLiteral("{IPTC}"), iptc);
    return p;
}

bool isFileNameTitle(const QString &title, const QString &photoName) {
    const QString t = title.trimmed();
    const QString suffix = QFileInfo(t).suffix();
    return t.compare(photoName, Qt::CaseInsensitive) == 0 || GetDragImageType(suffix) >= 0 ||
           GetViedoType(suffix) >= 0;
}

namespace {

// The new file made, checked and read back in its temporary; synced there too with `sync`.
RewriteOutcome stage(const QString &path, const SidecarChanges &given, StagedRewrite *staged,
                     bool sync) {
    RewriteOutcome out;
    const QFileInfo info(path);
    out.path = info.absoluteFilePath();
    // A link's target may lie anywhere, outside the folder the user chose too.
    if (info.isSymLink()) {
        out.reason = QStringLiteral("a link: links are left alone");
        return out;
    }
    if (!info.isFile()) {
        out.reason = QStringLiteral("the photo is not there");
        return out;
    }
    SidecarChanges changes = given;
    if (isFileNameTitle(changes.title, info.fileName()))
        changes.title.clear();
    staged->stamp = SafeWrite::stampOf(out.path);
    staged->instant = changes.instant;
    staged->created = FileDates::creationDate(out.path);
    staged->modified = FileDates::modificationDate(out.path);

    const ImageSource source = ImageSource::fromPath(out.path);
    if (!source.isValid()) {
        out.reason = QStringLiteral("not a photo that can be read: %1").arg(source.errorString());
        return out;
    }
    const QVariantMap own = source.properties(0);
    QVariantMap properties = sidecarProperties(own, changes);
    // A camera's RAW photo goes through exiftool, which writes inside the maker's own layout.
    const bool cameraRaw = !ImageDestination::typeIdentifiers().contains(source.type()) &&
                           GetRAWImageType(info.suffix()) >= 0;
    // HEIF and the RAW road carry IPTC as XMP: its IPTC dates are the XMP dates the photo has,
    // which move with the rest; one it lacks is not added, since the Exif date with its offset
    // names the instant.
    if (cameraRaw || source.type() == QLatin1String("public.heic") ||
        source.type() == QLatin1String("public.heif")) {
        const QVariantMap had = section(own, "{IPTC}");
        QVariantMap iptc = section(properties, "{IPTC}");
        for (const auto &[date, time] : {std::pair{"DateCreated", "TimeCreated"},
                                         {"DigitalCreationDate", "DigitalCreationTime"}}) {
            if (had.contains(QLatin1String(date)))
                continue;
            iptc.remove(QLatin1String(date));
            iptc.remove(QLatin1String(time));
        }
        properties.insert(QStringLiteral("{IPTC}"), iptc);
    }
    QByteArray bytes;
    if (cameraRaw) {
        if (!ImageDestination::rewriteCameraRaw(source, info.suffix(), properties, &bytes,
                                                &out.reason))
            return out;
    } else {
        ImageDestination destination(&bytes, source.type(), source.count());
        if (!destination.isValid()) {
            out.reason = QStringLiteral("photos of this type cannot be written");
            return out;
        }
        for (int i = 0; i < source.count(); ++i)
            destination.addImageFromSource(source, i, properties);
        if (!destination.finalize()) {
            out.reason = destination.errorString();
            return out;
        }
    }
    out.reason =
        missingFrom(bytes, changes, source.data(), !cameraRaw || !source.thumbnail(64).isNull());
    if (!out.reason.isEmpty())
        return out;

    auto temp = std::make_unique<SafeWrite::Temporary>();
    if (!temp->create(QFileInfo(out.path).absolutePath(), &out.reason) ||
        !temp->keepAttributesOf(out.path, &out.reason) || !temp->write(bytes, &out.reason))
        return out;
    // The disk starts on this photo while the next ones are made.
    if (!sync)
        temp->startWriteback();
    if (!(sync ? temp->finish(bytes, &out.reason) : temp->closeUnsynced(bytes, &out.reason)))
        return out;
    staged->temporary = std::move(temp);
    staged->size = bytes.size();
    out.ok = true;
    return out;
}

} // namespace

RewriteOutcome stagePhotoRewrite(const QString &path, const SidecarChanges &changes,
                                 StagedRewrite *staged) {
    return stage(path, changes, staged, false);
}

RewriteOutcome finishPhotoRewrite(const QString &path, StagedRewrite &staged,
                                  const QString &syncError) {
    RewriteOutcome out;
    out.path = QFileInfo(path).absoluteFilePath();
    out.reason = syncError;
    if (!staged.temporary || !out.reason.isEmpty() ||
        !SafeWrite::replaceWith(staged.temporary->path(), out.path, staged.stamp, &out.reason))
        return out; // the temporary goes with `staged`
    staged.temporary->release();

    // The photo is replaced: a date that cannot be set is worth saying, not undoing.
    QString why;
    const bool dated = staged.instant.isValid()
                           ? FileDates::setDates(out.path, staged.instant, &why)
                           : (!staged.created.isValid() ||
                              FileDates::setCreationDate(out.path, staged.created, &why)) &&
                                 FileDates::setModificationDate(out.path, staged.modified, &why);
    out.ok = true;
    if (!dated)
        out.reason = QStringLiteral("written, but its file dates were not set: %1").arg(why);
    return out;
}

RewriteOutcome rewritePhotoInPlace(const QString &path, const SidecarChanges &changes,
                                   bool syncTheFolder) {
    StagedRewrite staged;
    const RewriteOutcome made = stage(path, changes, &staged, true);
    if (!made.ok)
        return made;
    RewriteOutcome out = finishPhotoRewrite(path, staged, QString());
    QString why;
    if (out.ok && syncTheFolder &&
        !SafeWrite::syncFolder(QFileInfo(out.path).absolutePath(), &why)) {
        out.ok = false;
        out.reason = QStringLiteral("written, but a crash may still undo it: %1").arg(why);
    }
    return out;
}
