#include "batch/core/TakeoutReaders.h"

#include "batch/core/TakeoutDate.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

QString text(const QJsonObject &json, const char *key) {
    return json.value(QLatin1String(key)).toString();
}

// A number, or a number written as text (Takeout writes both).
std::optional<double> number(const QJsonValue &v) {
    if (v.isDouble())
        return v.toDouble();
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

// The first of "geoData" and "geoDataExif" whose latitude or longitude is not zero.
QJsonObject position(const QJsonObject &json) {
    for (const char *key : {"geoData", "geoDataExif"}) {
        const QJsonObject geo = json.value(QLatin1String(key)).toObject();
        const auto lat = number(geo.value(QLatin1String("latitude")));
        const auto lon = number(geo.value(QLatin1String("longitude")));
        if ((lat && *lat != 0.0) || (lon && *lon != 0.0))
            return geo;
    }
    return {};
}

QString coordinate(const QJsonObject &json, const char *key) {
    const auto v = number(position(json).value(QLatin1String(key)));
    if (!v || *v == 0.0)
        return {};
    return QString::number(*v, 'g', 12);
}

QString stripLastExtensions(QString name, int count) {
    for (int i = 0; i < count; ++i) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            break;
        name.truncate(dot);
    }
    return name;
}

// "IMG_1.JPG" and 2 give "IMG_1(2).JPG".
QString withCopyNumber(const QString &name, int copy) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString mark = QStringLiteral("(%1)").arg(copy);
    return dot > 0 ? name.left(dot) + mark + name.mid(dot) : name + mark;
}

QString editedCopy(const QString &name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) + QStringLiteral("-edited") + name.mid(dot) : QString();
}

// Takeout cuts a sidecar's name to 51 characters; a name this long may have been cut.
constexpr qsizetype kCutNameLength = 46;

} // namespace

std::optional<QJsonObject> parseTakeoutJson(const QByteArray &bytes, QString *why) {
    if (bytes.size() > kMaxTakeoutJsonBytes) {
        *why = QStringLiteral("larger than any sidecar (%1 bytes)").arg(bytes.size());
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        *why =
            QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        *why = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return doc.object();
}

QString getTitlewithJsonStr(const QJsonObject &json) {
    return text(json, "title");
}

QString getDescriptionwithJsonStr(const QJsonObject &json) {
    return text(json, "description");
}

QString getGPSLatitudewithJsonStr(const QJsonObject &json) {
    return coordinate(json, "latitude");
}

QString getGPSLongitudewithJsonStr(const QJsonObject &json) {
    return coordinate(json, "longitude");
}

QString getGPSAltitudewithJsonStr(const QJsonObject &json) {
    // No altitude without a position: a lone altitude says nothing of where.
    if (getGPSLatitudewithJsonStr(json).isEmpty() && getGPSLongitudewithJsonStr(json).isEmpty())
        return {};
    return coordinate(json, "altitude");
}

QDateTime getPhotoDatewithJsonStr(const QJsonObject &json) {
    const QJsonObject taken = json.value(QLatin1String("photoTakenTime")).toObject();
    // The formatted text follows the account's language and may name another instant than
    // the timestamp (rounded, or in a zone the text leaves out): the timestamp wins.
    if (const auto seconds = number(taken.value(QLatin1String("timestamp"))); seconds)
        return QDateTime::fromSecsSinceEpoch(qint64(*seconds), QTimeZone::utc());
    return detectTakeoutDate(text(taken, "formatted"));
}

QDateTime getNewPhotoDatewithJsonStr(const QJsonObject &json) {
    for (const char *key : {"content_last_modified", "last_modified_by_me", "created"}) {
        const QJsonValue v = json.value(QLatin1String(key));
        if (!v.isUndefined())
            return v.isString() ? detectTakeoutDate(v.toString()) : QDateTime();
    }
    return detectTakeoutDate(
        text(json.value(QLatin1String("photoTakenTime")).toObject(), "formatted"));
}

QString getPhotoFileName(const QString &jsonFileName) {
    static const QRegularExpression re(QStringLiteral("\\b([A-Za-z0-9_]+(?:\\.[A-Za-z]{3,4}))\\b"));
    const QRegularExpressionMatch m = re.match(jsonFileName);
    if (!m.hasMatch() || m.capturedStart(1) != 0)
        return {};
    return m.captured(1);
}

bool isTakeoutAlbumMetadata(const QJsonObject &json) {
    if (json.value(QLatin1String("albumData")).isObject())
        return true;
    return !json.contains(QLatin1String("photoTakenTime")) &&
           !json.contains(QLatin1String("creationTime")) &&
           json.value(QLatin1String("title")).isString() &&
           json.value(QLatin1String("date")).isObject();
}

TakeoutValues readTakeoutValues(const QJsonObject &json) {
    TakeoutValues v;
    v.title = getTitlewithJsonStr(json);
    v.description = getDescriptionwithJsonStr(json);
    v.taken = getPhotoDatewithJsonStr(json);
    if (!v.taken.isValid())
        v.taken = getNewPhotoDatewithJsonStr(json);
    v.longitude = getGPSLongitudewithJsonStr(json);
    v.latitude = getGPSLatitudewithJsonStr(json);
    v.altitude = getGPSAltitudewithJsonStr(json);
    return v;
}

QStringList takeoutPhotoNames(const QString &jsonName, const QStringList &mediaNames) {
    if (!jsonName.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return {};
    QString base = jsonName.chopped(5);

    // A duplicate's number stands right before ".json", after any ending Takeout added.
    static const QRegularExpression copyRe(QStringLiteral("\\((\\d+)\\)$"));
    int copy = 0;
    if (const QRegularExpressionMatch m = copyRe.match(base); m.hasMatch()) {
        copy = m.captured(1).toInt();
        base.chop(m.capturedLength());
    }

    // ".supplemental-metadata", or whatever the cut to 51 characters left of it.
    static const QString supplemental = QStringLiteral(".supplemental-metadata");
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && supplemental.startsWith(base.mid(dot), Qt::CaseInsensitive) &&
        base.left(dot).contains(QLatin1Char('.')))
        base.truncate(dot);

    const QString photo = copy ? withCopyNumber(base, copy) : base;
    if (mediaNames.contains(photo)) {
        QStringList names{photo};
        const QString edited = editedCopy(photo);
        if (!edited.isEmpty() && mediaNames.contains(edited))
            names << edited;
        return names;
    }

    // A long name was cut, extension and all: the one photo whose name it begins.
    if (jsonName.size() >= kCutNameLength) {
        QStringList found;
        const QString mark = copy ? QStringLiteral("(%1)").arg(copy) : QString();
        for (const QString &name : mediaNames) {
            if (!name.startsWith(base) || name.size() <= base.size())
                continue;
            const QString stem = stripLastExtensions(name, 1);
            if (copy ? stem.endsWith(mark) : !copyRe.match(stem).hasMatch())
                found << name;
        }
        if (found.size() == 1)
            return found;
    }

    // Last, the photo name the sidecar's name begins with; never for a duplicate, whose
    // first copy it would name.
    if (!copy) {
        const QString named = getPhotoFileName(jsonName);
        if (!named.isEmpty() && named != jsonName && mediaNames.contains(named))
            return {named};
    }
    return {};
}

QString looseTakeoutPhotoName(const QString &jsonName, const QStringList &unpairedMediaNames) {
    const QString wanted = stripLastExtensions(jsonName, 2);
    if (wanted.isEmpty())
        return {};
    // The same stem spelled in other letters is the best fit.
    QStringList found;
    for (const QString &name : unpairedMediaNames) {
        if (stripLastExtensions(name, 2).compare(wanted, Qt::CaseInsensitive) == 0)
            found << name;
    }
    if (found.size() == 1)
        return found.first();
    found.clear();
    for (const QString &name : unpairedMediaNames) {
        const QString stem = stripLastExtensions(name, 2);
        if (stem.isEmpty())
            continue;
        if (stem.contains(wanted, Qt::CaseInsensitive) ||
            wanted.contains(stem, Qt::CaseInsensitive))
            found << name;
    }
    return found.size() == 1 ? found.first() : QString();
}
