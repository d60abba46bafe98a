#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class PlaceNameCache;
class QNetworkAccessManager;

// One answer of the reverse geocoder, reduced to the parts the program shows.
struct Placemark {
    QString subLocality;
    QString locality;
    QString country;
    QString thoroughfare;
    QString region;
    QString name;

    bool isEmpty() const;
};

// "sub-locality, locality, country" of the parts present; "" when the placemark has
// neither a locality nor a country, because such a place name would say nothing.
QString placeNameFrom(const Placemark &placemark);

// Turns a position into a placemark by asking a Nominatim-style server.
class ReverseGeocoder : public QObject {
    Q_OBJECT
  public:
    using Completion = std::function<void(const Placemark &placemark, const QString &error)>;

    static constexpr int kTimeoutMs = 15000;
    // Requests go out at most one per interval, the public Nominatim servers' rule.
    static constexpr int kMinIntervalMs = 1000;

    explicit ReverseGeocoder(QObject *parent = nullptr);
    ~ReverseGeocoder() override;

    // PHOTOKESTRY_GEOCODER_URL; empty when it is not set, and then nothing is asked.
    static QUrl serverBase();
    // Names the program and where it comes from, as public map servers ask.
    static QString userAgent();
    // The request sent for a position, for callers that log or test it.
    static QUrl requestUrl(double latitude, double longitude);

    // Returns at once; `done` runs later on the main thread, and not at all once
    // `context` is gone. Exactly one of placemark and error is filled. The returned id
    // grows with every call, so a caller can drop answers older than its latest one.
    // A position answered before is answered again from memory or, from an earlier session,
    // from the disk cache, without a request.
    quint64 reverseGeocode(double latitude, double longitude, QObject *context, Completion done);
    // Where answers are kept between sessions; PlaceNameCache::defaultDirectory() unless set,
    // "" to keep them in memory only.
    void setCacheDirectory(const QString &directory);
    QString cacheDirectory() const { return m_cacheDirectory; }
    quint64 latestRequest() const { return m_lastId; }
    bool isLatest(quint64 id) const { return id == m_lastId; }

    // Reads a server answer; on failure returns an empty placemark and sets `error`.
    static Placemark placemarkFromJson(const QByteArray &json, QString *error);

  private:
    struct Pending {
        double latitude = 0;
        double longitude = 0;
        QPointer<QObject> context;
        Completion done;
    };
    void sendNext();
    void send(Pending pending);
    // The answer kept for a position, from memory or disk; a disk answer is kept in memory.
    std::optional<Placemark> cached(const QString &key);
    QString cacheKey(double latitude, double longitude) const;

    QNetworkAccessManager *m_network = nullptr;
    quint64 m_lastId = 0;
    QList<Pending> m_queue;
    QHash<QString, Placemark> m_cache; // by PlaceNameCache::key
    QString m_cacheDirectory;
    std::unique_ptr<PlaceNameCache> m_disk; // made at the first look-up
    QElapsedTimer m_lastSent;
    bool m_waiting = false;
};
