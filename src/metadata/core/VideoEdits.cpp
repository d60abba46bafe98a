#include "metadata/core/VideoEdits.h"

#include "base/Coordinates.h"
#include "platform/core/ExiftoolSession.h"
#include "platform/core/QuickTimeWriter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>
#include <cmath>

namespace VideoEdits {

namespace {

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kIptc = QStringLiteral("{IPTC}");
const QString kGps = QStringLiteral("{GPS}");
const QString kOriginal = QStringLiteral("DateTimeOriginal");

// The boxes a title or an artist may stand in; the first is where a new one goes.
const QStringList kTitleTags = {QStringLiteral("ItemList:Title"), QStringLiteral("Keys:Title"),
                                QStringLiteral("UserData:Title")};
const QStringList kArtistTags = {QStringLiteral("ItemList:Artist"), QStringLiteral("Keys:Artist"),
                                 QStringLiteral("UserData:Artist")};
// ISO 6709 text: UserData "©xyz" and Keys "location.ISO6709" (also in ItemList on some files).
const QStringList kCoordinateTags = {QStringLiteral("Keys:GPSCoordinates"),
                                     QStringLiteral("UserData:GPSCoordinates"),
                                     QStringLiteral("ItemList:GPSCoordinates")};

// Copies of the date that move with it, and the GPS version a position adds: none has a box
// of its own in a video.
const QSet<QString> kTwins = {QStringLiteral("{Exif}/DateTimeDigitized"),
                              QStringLiteral("{Exif}/OffsetTime"),
                              QStringLiteral("{Exif}/OffsetTimeOriginal"),
                              QStringLiteral("{Exif}/OffsetTimeDigitized"),
                              QStringLiteral("{Exif}/SubsecTimeOriginal"),
                              QStringLiteral("{Exif}/SubsecTimeDigitized"),
                              QStringLiteral("{TIFF}/DateTime"),
                              QStringLiteral("{IPTC}/DateCreated"),
                              QStringLiteral("{IPTC}/TimeCreated"),
                              QStringLiteral("{IPTC}/DigitalCreationDate"),
                              QStringLiteral("{IPTC}/DigitalCreationTime"),
                              QStringLiteral("{GPS}/GPSVersion")};

QString text(const QJsonObject &tags, const QString &tag) {
    const QJsonValue v = tags.value(tag);
    return v.isDouble() ? QString::number(v.toDouble(), 'g', 12) : v.toString();
}

QString firstText(const QJsonObject &tags, const QStringList &names) {
    for (const QString &name : names)
        if (tags.contains(name))
            return text(tags, name);
    return {};
}

bool hasKeys(const QJsonObject &tags) {
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if (it.key().startsWith(QLatin1String("Keys:")))
            return true;
    return false;
}

struct Position {
    double latitude = 0, longitude = 0;
    std::optional<double> altitude;
};

std::optional<Position> positionOfTags(const QJsonObject &tags) {
    for (const QString &tag : kCoordinateTags) {
        if (!tags.contains(tag))
            continue;
        const QStringList parts = text(tags, tag).split(
            QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        bool okLat = false, okLon = false, okAlt = false;
        Position p;
        p.latitude = parts.value(0).toDouble(&okLat);
        p.longitude = parts.value(1).toDouble(&okLon);
        const double alt = parts.value(2).toDouble(&okAlt);
        if (okAlt)
            p.altitude = alt;
        if (okLat && okLon)
            return p;
    }
    bool okLat = false, okLon = false;
    Position p;
    p.latitude = text(tags, QStringLiteral("XMP-exif:GPSLatitude")).toDouble(&okLat);
    p.longitude = text(tags, QStringLiteral("XMP-exif:GPSLongitude")).toDouble(&okLon);
    p.altitude = signedAltitude(text(tags, QStringLiteral("XMP-exif:GPSAltitude")),
                                text(tags, QStringLiteral("XMP-exif:GPSAltitudeRef")));
    if (okLat && okLon)
        return p;
    return std::nullopt;
}

std::optional<Position> positionOfGps(const QVariantMap &gps) {
    const SignedGpsCoordinates c = signedCoordinates(gps);
    if (!c.latitude || !c.longitude)
        return std::nullopt;
    return Position{*c.latitude, *c.longitude,
                    signedAltitude(gps.value(QStringLiteral("Altitude")),
                                   gps.value(QStringLiteral("AltitudeRef")))};
}

bool samePosition(const std::optional<Position> &a, const std::optional<Position> &b) {
    if (!a || !b)
        return !a && !b;
    auto near = [](double x, double y) { return std::fabs(x - y) < 1e-6; };
    return near(a->latitude, b->latitude) && near(a->longitude, b->longitude) &&
           a->altitude.has_value() == b->altitude.has_value() &&
           (!a->altitude || near(*a->altitude, *b->altitude));
}

// "dict/key" -> value of every value set, top-level ones under "/key".
QHash<QString, QVariant> flattened(const QVariantMap &properties) {
    QHash<QString, QVariant> out;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (it.value().typeId() == QMetaType::QVariantMap) {
            const QVariantMap dict = it.value().toMap();
            for (auto d = dict.cbegin(); d != dict.cend(); ++d)
                if (d.value().isValid() && !d.value().isNull())
                    out.insert(it.key() + QLatin1Char('/') + d.key(), d.value());
        } else if (it.value().isValid() && !it.value().isNull()) {
            out.insert(QLatin1Char('/') + it.key(), it.value());
        }
    }
    return out;
}

// The edit sheet's words for a value, as the user knows it.
QString label(const QString &path) {
    static const QHash<QString, QString> words = {
        {QStringLiteral("ImageDescription"), QStringLiteral("description")},
        {QStringLiteral("Caption/Abstract"), QStringLiteral("description")},
        {QStringLiteral("Copyright"), QStringLiteral("copyright")},
        {QStringLiteral("UserComment"), QStringLiteral("comments")},
        {QStringLiteral("Keywords"), QStringLiteral("keywords")},
        {QStringLiteral("Make"), QStringLiteral("camera make")},
        {QStringLiteral("Model"), QStringLiteral("camera model")},
        {QStringLiteral("LensMake"), QStringLiteral("lens make")},
        {QStringLiteral("LensModel"), QStringLiteral("lens model")},
        {QStringLiteral("LensSerialNumber"), QStringLiteral("lens serial number")},
        {QStringLiteral("Orientation"), QStringLiteral("orientation")},
        {QStringLiteral("ISOSpeedRatings"), QStringLiteral("ISO speed")},
        {QStringLiteral("FNumber"), QStringLiteral("F-number")},
        {QStringLiteral("ApertureValue"), QStringLiteral("aperture")},
        {QStringLiteral("FocalLenIn35mmFilm"), QStringLiteral("35 mm focal length")},
        {QStringLiteral("BrightnessValue"), QStringLiteral("brightness")},
        {QStringLiteral("WhiteBalance"), QStringLiteral("white balance")},
        {QStringLiteral("ExposureTime"), QStringLiteral("exposure time")},
        {QStringLiteral("ShutterSpeedValue"), QStringLiteral("exposure time")},
        {QStringLiteral("DateStamp"), QStringLiteral("GPS date and time stamps")},
        {QStringLiteral("TimeStamp"), QStringLiteral("GPS date and time stamps")},
        {kOriginal, QStringLiteral("creation date")},
    };
    const QString key = path.section(QLatin1Char('/'), 1);
    return words.value(key, key);
}

// Sets `value` in the first of `names` and in every other one the video holds; deletes it
// from all of them when `value` is empty.
void planText(Plan &plan, const QJsonObject &tags, const QStringList &names, const QString &value) {
    for (const QString &name : names) {
        const bool first = name == names.first();
        if (!value.isEmpty() && (first || tags.contains(name))) {
            plan.assignments << QuickTimeWriter::assignment({name, value});
            plan.expected.insert(name, value);
        } else if (value.isEmpty() && tags.contains(name)) {
            plan.assignments << QStringLiteral("-%1=").arg(name);
            plan.expected.insert(name, QJsonValue::Null);
        }
    }
}

void planPosition(Plan &plan, const QJsonObject &tags, const std::optional<Position> &p) {
    if (!p) {
        // Every place a reader looks for the position; exiftool ignores those that are absent.
        for (const QString &tag :
             kCoordinateTags + QStringList{QStringLiteral("Keys:LocationAccuracyHorizontal")}) {
            plan.assignments << QStringLiteral("-%1=").arg(tag);
            plan.expected.insert(tag, QJsonValue::Null);
        }
        plan.assignments << QStringLiteral("-XMP-exif:GPS*=");
        // A position in any other box (a track's own user data) must go too, or the removal
        // is reported as not done.
        for (auto it = tags.begin(); it != tags.end(); ++it)
            if (it.key().contains(QLatin1String(":GPS")) &&
                !it.key().startsWith(QLatin1String("Composite:"))) {
                if (!plan.expected.contains(it.key()) &&
                    !it.key().startsWith(QLatin1String("XMP-exif:")))
                    plan.assignments << QStringLiteral("-%1=").arg(it.key());
                plan.expected.insert(it.key(), QJsonValue::Null);
            }
        return;
    }
    QString numbers =
        QStringLiteral("%1 %2").arg(p->latitude, 0, 'f', 6).arg(p->longitude, 0, 'f', 6);
    if (p->altitude)
        numbers += QStringLiteral(" %1").arg(*p->altitude, 0, 'f', 3);
    for (const QString &tag : kCoordinateTags) {
        const bool wanted = tag.startsWith(QLatin1String("UserData:")) ||
                            (tag.startsWith(QLatin1String("Keys:")) && hasKeys(tags)) ||
                            tags.contains(tag);
        if (!wanted)
            continue;
        // exiftool takes the position as plain numbers and writes the ISO 6709 text.
        plan.assignments << QStringLiteral("-%1#=%2").arg(tag, numbers);
        plan.expected.insert(tag, numbers);
    }
    if (tags.contains(QStringLiteral("XMP-exif:GPSLatitude"))) {
        const QString lat = QString::number(p->latitude, 'f', 6);
        const QString lon = QString::number(p->longitude, 'f', 6);
        plan.assignments << QStringLiteral("-XMP-exif:GPSLatitude#=%1").arg(lat)
                         << QStringLiteral("-XMP-exif:GPSLongitude#=%1").arg(lon);
        plan.expected.insert(QStringLiteral("XMP-exif:GPSLatitude"), lat);
        plan.expected.insert(QStringLiteral("XMP-exif:GPSLongitude"), lon);
    }
}

// Numbers that agree to ISO 6709's four decimals, or the same text.
bool sameWritten(const QString &written, const QString &expected) {
    const QRegularExpression space(QStringLiteral("[\\s,]+"));
    const QStringList a = written.split(space, Qt::SkipEmptyParts);
    const QStringList b = expected.split(space, Qt::SkipEmptyParts);
    if (a.size() == b.size() && !a.isEmpty()) {
        bool numbers = true, same = true;
        for (qsizetype i = 0; i < a.size() && numbers; ++i) {
            bool okA = false, okB = false;
            const double x = a[i].toDouble(&okA), y = b[i].toDouble(&okB);
            numbers = okA && okB;
            same = same && std::fabs(x - y) < 1e-3;
        }
        if (numbers)
            return same;
    }
    return written.trimmed() == expected.trimmed();
}

} // namespace

std::optional<QJsonObject> readTags(const QString &path, QString *error) {
    QByteArray printed;
    QString why;
    const QStringList args = {QStringLiteral("-j"),
                              QStringLiteral("-G1"),
                              QStringLiteral("-a"),
                              QStringLiteral("-n"),
                              QStringLiteral("-Keys:all"),
                              QStringLiteral("-UserData:all"),
                              QStringLiteral("-ItemList:all"),
                              QStringLiteral("-XMP:all"),
                              QStringLiteral("-QuickTime:CreateDate"),
                              QStringLiteral("-GPS*"),
                              path};
    if (!ExiftoolSession::shared().run(args, &printed, &why)) {
        if (error)
            *error = QStringLiteral("its metadata cannot be read: %1").arg(why);
        return std::nullopt;
    }
    const QJsonArray all = QJsonDocument::fromJson(printed).array();
    if (all.isEmpty() || !all.first().isObject()) {
        if (error)
            *error = QStringLiteral("its metadata cannot be read");
        return std::nullopt;
    }
    return all.first().toObject();
}

QVariantMap propertiesOf(const QJsonObject &tags, const QDateTime &created) {
    QVariantMap properties;
    if (created.isValid()) {
        const QString shown = created.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        properties.insert(
            kExif, QVariantMap{{kOriginal, shown}, {QStringLiteral("DateTimeDigitized"), shown}});
    }
    const QString artist = firstText(tags, kArtistTags);
    if (!artist.isEmpty())
        properties.insert(kTiff, QVariantMap{{QStringLiteral("Artist"), artist}});
    const QString title = firstText(tags, kTitleTags);
    if (!title.isEmpty())
        properties.insert(kIptc, QVariantMap{{QStringLiteral("ObjectName"), title}});
    if (const std::optional<Position> p = positionOfTags(tags)) {
        properties.insert(kGps, gpsPositionValues(p->latitude, p->longitude, p->altitude));
    }
    return properties;
}

Plan planFor(const QVariantMap &before, const QVariantMap &after, const QJsonObject &tags,
             const QDateTime &created) {
    Plan plan;
    const QHash<QString, QVariant> was = flattened(before), now = flattened(after);
    QSet<QString> changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!was.contains(it.key()) ||
            was.value(it.key()).toString().trimmed() != it.value().toString().trimmed())
            changed.insert(it.key());
    for (auto it = was.cbegin(); it != was.cend(); ++it)
        if (!now.contains(it.key()))
            changed.insert(it.key());

    const QString dateKey = kExif + QLatin1Char('/') + kOriginal;
    if (changed.contains(dateKey)) {
        QString wallClock = now.value(dateKey).toString().trimmed();
        if (wallClock.size() >= 10) {
            wallClock[4] = QLatin1Char(':');
            wallClock[7] = QLatin1Char(':');
        }
        QDateTime date = QDateTime::fromString(wallClock, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        // The capture's own zone stays; only a video that names none is in local time.
        if (date.isValid() && created.isValid() && created.timeSpec() != Qt::LocalTime)
            date = QDateTime(date.date(), date.time(), created.timeZone());
        if (date.isValid()) {
            plan.date = date;
            for (const QuickTimeWriter::Item &item : QuickTimeWriter::creationDateItems(date)) {
                plan.assignments << QuickTimeWriter::assignment(item);
                plan.expected.insert(item.tag, item.value);
            }
        } else {
            plan.leftOut << (now.contains(dateKey)
                                 ? label(dateKey)
                                 : QStringLiteral("removal of the creation date"));
        }
    }
    const QString artistKey = kTiff + QStringLiteral("/Artist");
    if (changed.contains(artistKey))
        planText(plan, tags, kArtistTags, now.value(artistKey).toString().trimmed());
    const QString titleKey = kIptc + QStringLiteral("/ObjectName");
    if (changed.contains(titleKey))
        planText(plan, tags, kTitleTags, now.value(titleKey).toString().trimmed());

    const std::optional<Position> oldPosition = positionOfGps(before.value(kGps).toMap());
    const std::optional<Position> newPosition = positionOfGps(after.value(kGps).toMap());
    if (!samePosition(oldPosition, newPosition))
        planPosition(plan, tags, newPosition);

    static const QRegularExpression positionKeys(
        QStringLiteral("^\\{GPS\\}/(Latitude|Longitude|Altitude)(Ref)?$"));
    for (const QString &key : std::as_const(changed)) {
        if (key == dateKey || key == artistKey || key == titleKey || kTwins.contains(key) ||
            positionKeys.match(key).hasMatch())
            continue;
        const QString word = label(key);
        if (!plan.leftOut.contains(word))
            plan.leftOut << word;
    }
    plan.leftOut.sort();
    return plan;
}

QStringList missedIn(const QJsonObject &written, const Plan &plan) {
    QStringList missed;
    for (auto it = plan.expected.begin(); it != plan.expected.end(); ++it) {
        const bool gone = it.value().isNull();
        if (gone ? written.contains(it.key())
                 : !written.contains(it.key()) ||
                       !sameWritten(text(written, it.key()), it.value().toString()))
            missed << it.key();
    }
    return missed;
}

} // namespace VideoEdits
