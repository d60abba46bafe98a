#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

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

    explicit ReverseGeocoder(QObject *parent = nullptr);
    ~ReverseGeocoder() override;

    // PHOTOKESTRY_GEOCODER_URL, else the public OpenStreetMap server.
    static QUrl serverBase();
    // The request sent for a position, for callers that log or test it.
    static QUrl requestUrl(double latitude, double longitude);

    // Returns at once; `done` runs later in `context`'s thread, and not at all once
    // `context` is gone. Exactly one of placemark and error is filled. The returned id
    // grows with every call, so a caller can drop answers older than its latest one.
    quint64 reverseGeocode(double latitude, double longitude, QObject *context, Completion done);
    quint64 latestRequest() const { return m_lastId; }
    bool isLatest(quint64 id) const { return id == m_lastId; }

    // Reads a server answer; on failure returns an empty placemark and sets `error`.
    static Placemark placemarkFromJson(const QByteArray &json, QString *error);

  private:
    QNetworkAccessManager *m_network = nullptr;
    quint64 m_lastId = 0;
};
