#include "platform/core/ReverseGeocoder.h"

#include "platform/core/JobRunner.h"
#include "platform/core/PlaceNameCache.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>
#include <initializer_list>

namespace {

// The first non-empty value among `keys`, since Nominatim names a place's level by
// what the place is (a town has "town", a city "city").
QString firstOf(const QJsonObject &address, std::initializer_list<const char *> keys) {
    for (const char *key : keys) {
        const QString value = address.value(QLatin1String(key)).toString().trimmed();
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QString acceptLanguage() {
    QStringList languages = QLocale().uiLanguages();
    if (languages.size() > 4)
        languages = languages.mid(0, 4);
    if (languages.isEmpty())
        return QStringLiteral("en");
    return languages.join(QLatin1Char(','));
}

// Answers later, as a network answer would come, and not at all once `context` is gone.
void answerLater(const QPointer<QObject> &context, const ReverseGeocoder::Completion &done,
                 const Placemark &placemark, const QString &error) {
    if (!context || !done)
        return;
    JobRunner::handTo(context, [done, placemark, error] { done(placemark, error); });
}

} // namespace

bool Placemark::isEmpty() const {
    return subLocality.isEmpty() && locality.isEmpty() && country.isEmpty() &&
           thoroughfare.isEmpty() && region.isEmpty() && name.isEmpty();
}

QString placeNameFrom(const Placemark &placemark) {
    if (placemark.locality.isEmpty() && placemark.country.isEmpty())
        return QString();
    QStringList parts;
    for (const QString &part : {placemark.subLocality, placemark.locality, placemark.country}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QStringLiteral(", "));
}

ReverseGeocoder::ReverseGeocoder(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)),
      m_cacheDirectory(PlaceNameCache::defaultDirectory()) {}

void ReverseGeocoder::setCacheDirectory(const QString &directory) {
    m_cacheDirectory = directory;
    m_disk.reset();
    m_cache.clear();
}

QString ReverseGeocoder::cacheKey(double latitude, double longitude) const {
    return PlaceNameCache::key(serverBase().toString(), latitude, longitude, acceptLanguage());
}

std::optional<Placemark> ReverseGeocoder::cached(const QString &key) {
    const auto inMemory = m_cache.constFind(key);
    if (inMemory != m_cache.cend())
        return *inMemory;
    if (m_cacheDirectory.isEmpty())
        return std::nullopt;
    if (!m_disk)
        m_disk = std::make_unique<PlaceNameCache>(m_cacheDirectory);
    std::optional<Placemark> kept = m_disk->find(key);
    if (kept)
        m_cache.insert(key, *kept);
    return kept;
}

ReverseGeocoder::~ReverseGeocoder() = default;

QUrl ReverseGeocoder::serverBase() {
    const QString configured = qEnvironmentVariable("PHOTOKESTRY_GEOCODER_URL").trimmed();
    return configured.isEmpty() ? QUrl() : QUrl(configured);
}

QString ReverseGeocoder::userAgent() {
    return QStringLiteral("PhotoKestry/%1 (+https://www.photokestry.com/)")
        .arg(QStringLiteral(PK_PROGRAM_VERSION));
}

QUrl ReverseGeocoder::requestUrl(double latitude, double longitude) {
    QUrl url = serverBase();
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QStringLiteral("/reverse"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("format"), QStringLiteral("jsonv2"));
    query.addQueryItem(QStringLiteral("lat"), QString::number(latitude, 'f', 7));
    query.addQueryItem(QStringLiteral("lon"), QString::number(longitude, 'f', 7));
    query.addQueryItem(QStringLiteral("zoom"), QStringLiteral("14"));
    query.addQueryItem(QStringLiteral("addressdetails"), QStringLiteral("1"));
    url.setQuery(query);
    return url;
}

Placemark ReverseGeocoder::placemarkFromJson(const QByteArray &json, QString *error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = tr("The geocoder's answer could not be read (%1).")
                         .arg(parseError.error != QJsonParseError::NoError
                                  ? parseError.errorString()
                                  : QStringLiteral("not an object"));
        return Placemark();
    }
    const QJsonObject root = doc.object();
    if (root.contains(QLatin1String("error"))) {
        const QJsonValue value = root.value(QLatin1String("error"));
        QString text = value.isObject()
                           ? value.toObject().value(QLatin1String("message")).toString()
                           : value.toString();
        if (text.isEmpty())
            text = tr("The geocoder found no place.");
        if (error)
            *error = text;
        return Placemark();
    }
    const QJsonObject address = root.value(QLatin1String("address")).toObject();
    Placemark placemark;
    placemark.subLocality =
        firstOf(address, {"suburb", "neighbourhood", "quarter", "city_district"});
    placemark.locality = firstOf(address, {"city", "town", "village", "municipality", "hamlet"});
    placemark.country = firstOf(address, {"country"});
    placemark.thoroughfare = firstOf(address, {"road", "pedestrian", "footway"});
    placemark.region = firstOf(address, {"state", "region", "county"});
    placemark.name = firstOf(root, {"name", "display_name"});
    if (placemark.isEmpty()) {
        if (error)
            *error = tr("The geocoder found no place.");
        return Placemark();
    }
    if (error)
        error->clear();
    return placemark;
}

quint64 ReverseGeocoder::reverseGeocode(double latitude, double longitude, QObject *context,
                                        Completion done) {
    const quint64 id = ++m_lastId;
    if (serverBase().isEmpty()) {
        answerLater(context, done, Placemark(),
                    tr("No place-name server is set up here, so no place name can be looked "
                       "up; the position itself is kept."));
        return id;
    }
    if (const std::optional<Placemark> kept = cached(cacheKey(latitude, longitude))) {
        answerLater(context, done, *kept, QString());
        return id;
    }
    m_queue.append(Pending{latitude, longitude, context, std::move(done)});
    sendNext();
    return id;
}

void ReverseGeocoder::sendNext() {
    if (m_queue.isEmpty() || m_waiting)
        return;
    if (m_lastSent.isValid() && m_lastSent.elapsed() < kMinIntervalMs) {
        m_waiting = true;
        QTimer::singleShot(int(kMinIntervalMs - m_lastSent.elapsed()), this, [this] {
            m_waiting = false;
            sendNext();
        });
        return;
    }
    Pending next = m_queue.takeFirst();
    // A position asked twice while waiting is answered by the first answer.
    if (const std::optional<Placemark> kept = cached(cacheKey(next.latitude, next.longitude))) {
        answerLater(next.context, next.done, *kept, QString());
        sendNext();
        return;
    }
    m_lastSent.start();
    send(std::move(next));
    sendNext();
}

void ReverseGeocoder::send(Pending pending) {
    QNetworkRequest request(requestUrl(pending.latitude, pending.longitude));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept-Language", acceptLanguage().toUtf8());
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply *reply = m_network->get(request);
    const QString key = cacheKey(pending.latitude, pending.longitude);
    connect(reply, &QNetworkReply::finished, this, [this, reply, key, pending]() {
        reply->deleteLater();
        auto answer = [&pending](const Placemark &placemark, const QString &error) {
            if (pending.context && pending.done)
                pending.done(placemark, error);
        };
        if (reply->error() != QNetworkReply::NoError) {
            answer(Placemark(), reply->errorString());
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status != 0 && (status < 200 || status >= 300)) {
            answer(Placemark(), tr("The geocoder answered with HTTP status %1.").arg(status));
            return;
        }
        QString error;
        const Placemark placemark = placemarkFromJson(reply->readAll(), &error);
        if (!error.isEmpty()) {
            answer(Placemark(), error);
            return;
        }
        m_cache.insert(key, placemark);
        if (!m_cacheDirectory.isEmpty()) {
            if (!m_disk)
                m_disk = std::make_unique<PlaceNameCache>(m_cacheDirectory);
            // A cache that cannot be written costs a request next session, nothing more.
            m_disk->insert(key, placemark);
        }
        answer(placemark, QString());
    });
}
