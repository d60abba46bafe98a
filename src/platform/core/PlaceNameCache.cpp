#include "platform/core/PlaceNameCache.h"

#include "base/Logging.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

constexpr int kFormat = 1;
constexpr qint64 kMaxAgeSeconds = qint64(PlaceNameCache::kMaxAgeDays) * 24 * 60 * 60;

// "-0.00000" and "0.00000" are one position.
QString rounded(double degrees) {
    QString text = QString::number(degrees, 'f', 5);
    if (text == QLatin1String("-0.00000"))
        text.remove(0, 1);
    return text;
}

QJsonObject placemarkJson(const Placemark &p, qint64 time) {
    return QJsonObject{{QStringLiteral("time"), time},
                       {QStringLiteral("subLocality"), p.subLocality},
                       {QStringLiteral("locality"), p.locality},
                       {QStringLiteral("country"), p.country},
                       {QStringLiteral("thoroughfare"), p.thoroughfare},
                       {QStringLiteral("region"), p.region},
                       {QStringLiteral("name"), p.name}};
}

Placemark placemarkFrom(const QJsonObject &o) {
    Placemark p;
    p.subLocality = o.value(QLatin1String("subLocality")).toString();
    p.locality = o.value(QLatin1String("locality")).toString();
    p.country = o.value(QLatin1String("country")).toString();
    p.thoroughfare = o.value(QLatin1String("thoroughfare")).toString();
    p.region = o.value(QLatin1String("region")).toString();
    p.name = o.value(QLatin1String("name")).toString();
    return p;
}

bool fresh(qint64 time, qint64 now) {
    // A time far ahead is a clock that was wrong; such an entry could never expire.
    return time > now - kMaxAgeSeconds && time <= now + 24 * 60 * 60;
}

} // namespace

PlaceNameCache::PlaceNameCache(const QString &directory) : m_directory(directory) {}

QString PlaceNameCache::defaultDirectory() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache/PhotoKestry");
    return base + QStringLiteral("/geocoder");
}

QString PlaceNameCache::key(const QString &server, double latitude, double longitude,
                            const QString &languages) {
    return QStringLiteral("%1|%2,%3|%4")
        .arg(server, rounded(latitude), rounded(longitude), languages);
}

QString PlaceNameCache::filePath() const {
    return m_directory + QStringLiteral("/places.json");
}

QHash<QString, PlaceNameCache::Entry> PlaceNameCache::readFile(const QDateTime &now) const {
    QHash<QString, Entry> entries;
    QFile file(filePath());
    if (!file.exists())
        return entries;
    if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "place-name cache not read==" << filePath();
        return entries;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject root = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        root.value(QLatin1String("format")).toInt() != kFormat) {
        // Whatever is there is replaced by the next answer kept.
        qCWarning(lcPlatform) << "place-name cache unreadable, ignored==" << filePath()
                              << (error.error != QJsonParseError::NoError
                                      ? error.errorString()
                                      : QStringLiteral("not a cache of this version"));
        return entries;
    }
    const qint64 seconds = now.toSecsSinceEpoch();
    const QJsonObject places = root.value(QLatin1String("places")).toObject();
    for (auto it = places.begin(); it != places.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        const qint64 time = qint64(o.value(QLatin1String("time")).toDouble());
        const Placemark placemark = placemarkFrom(o);
        if (fresh(time, seconds) && !placemark.isEmpty())
            entries.insert(it.key(), Entry{placemark, time});
    }
    return entries;
}

void PlaceNameCache::ensureLoaded(const QDateTime &now) {
    if (m_loaded)
        return;
    m_loaded = true;
    m_entries = readFile(now);
}

std::optional<Placemark> PlaceNameCache::find(const QString &key, const QDateTime &now) {
    ensureLoaded(now);
    const auto it = m_entries.constFind(key);
    if (it == m_entries.cend() || !fresh(it->time, now.toSecsSinceEpoch()))
        return std::nullopt;
    return it->placemark;
}

bool PlaceNameCache::insert(const QString &key, const Placemark &placemark, const QDateTime &now) {
    ensureLoaded(now);
    const qint64 seconds = now.toSecsSinceEpoch();
    m_entries.insert(key, Entry{placemark, seconds});
    // Another session may have kept answers since this one read the file.
    const QHash<QString, Entry> onDisk = readFile(now);
    for (auto it = onDisk.cbegin(); it != onDisk.cend(); ++it) {
        const auto mine = m_entries.constFind(it.key());
        if (mine == m_entries.cend() || mine->time < it->time)
            m_entries.insert(it.key(), *it);
    }
    m_entries.removeIf([seconds](const std::pair<const QString &, Entry &> &entry) {
        return !fresh(entry.second.time, seconds);
    });
    if (m_entries.size() > kMaxEntries) {
        // The newest answers stay.
        std::vector<std::pair<qint64, QString>> byAge;
        for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
            byAge.emplace_back(it->time, it.key());
        std::sort(byAge.begin(), byAge.end());
        for (size_t i = 0; i + kMaxEntries < byAge.size(); ++i)
            m_entries.remove(byAge[i].second);
    }

    QJsonObject places;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        places.insert(it.key(), placemarkJson(it->placemark, it->time));
    const QJsonObject root{{QStringLiteral("format"), kFormat}, {QStringLiteral("places"), places}};

    // The places of one's photos are private: the folder is the user's alone.
    if (!QDir().mkpath(m_directory)) {
        m_error = QStringLiteral("%1: the folder cannot be made").arg(m_directory);
        return false;
    }
    QFile::setPermissions(m_directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        m_error = QStringLiteral("%1: %2").arg(filePath(), file.errorString());
        qCWarning(lcPlatform) << "place-name cache not written==" << m_error;
        return false;
    }
    m_error.clear();
    return true;
}
