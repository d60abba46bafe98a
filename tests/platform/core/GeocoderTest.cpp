#include "platform/core/ReverseGeocoder.h"

#include "platform/core/PlaceNameCache.h"

#include "support/TestSupport.h"

#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <functional>
#include <memory>

namespace {

// Serves one canned HTTP answer per connection and remembers what was asked.
QByteArray httpAnswer(int status, const QByteArray &body) {
    const QByteArray reason = status == 200 ? "OK" : "Internal Server Error";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

const QByteArray kStJamesPark = R"({"place_id":1,"lat":"51.503572","lon":"-0.131806",
 "name":"St James's Park","display_name":"St James's Park, St. James's, London, United Kingdom",
 "address":{"park":"St James's Park","road":"The Mall","suburb":"St. James's",
 "city":"London","state":"England","country":"United Kingdom","country_code":"gb"}})";

struct Answer {
    bool arrived = false;
    Placemark placemark;
    QString error;
};

class GeocoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A proxy from the environment must not carry loopback requests away.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        server = std::make_unique<CannedHttpServer>([this](const QByteArray &target) {
            const QUrlQuery query(QUrl(QString::fromUtf8(target)).query());
            const QString lat = query.queryItemValue(QStringLiteral("lat"));
            if (lat.startsWith(QLatin1String("51.5")))
                return httpAnswer(200, kStJamesPark);
            if (lat.startsWith(QLatin1String("10.")))
                return httpAnswer(200, R"({"address":{"village":"Nowhere","country":""}})");
            if (lat.startsWith(QLatin1String("20.")))
                return httpAnswer(200, "<html>not json");
            if (lat.startsWith(QLatin1String("30.")))
                return httpAnswer(500, R"({"address":{"city":"Hidden"}})");
            if (lat.startsWith(QLatin1String("40.")))
                return httpAnswer(200, R"({"address":{"suburb":"Alone"}})");
            return httpAnswer(200, R"({"error":"Unable to geocode"})");
        });
        ASSERT_TRUE(server->isListening());
        qputenv("PHOTOKESTRY_GEOCODER_URL", server->base().toString().toUtf8());
        // Answers kept by an earlier test must not stand in for this one's server.
        ASSERT_TRUE(cacheDir.isValid());
        geocoder.setCacheDirectory(cacheDir.path());
    }
    void TearDown() override { qunsetenv("PHOTOKESTRY_GEOCODER_URL"); }

    Answer ask(double lat, double lon) {
        Answer answer;
        QObject context;
        geocoder.reverseGeocode(lat, lon, &context,
                                [&answer](const Placemark &placemark, const QString &error) {
                                    answer.arrived = true;
                                    answer.placemark = placemark;
                                    answer.error = error;
                                });
        EXPECT_TRUE(waitFor([&] { return answer.arrived; }));
        return answer;
    }

    // Asks a geocoder of a new session, as a second run of the program would.
    static Answer askAnew(ReverseGeocoder &fresh, double lat, double lon) {
        Answer answer;
        QObject context;
        fresh.reverseGeocode(lat, lon, &context, [&answer](const Placemark &p, const QString &e) {
            answer.arrived = true;
            answer.placemark = p;
            answer.error = e;
        });
        EXPECT_TRUE(waitFor([&] { return answer.arrived; }));
        return answer;
    }

    QTemporaryDir cacheDir;
    std::unique_ptr<CannedHttpServer> server;
    ReverseGeocoder geocoder;
};

} // namespace

TEST(PlaceName, JoinsPresentPartsAndNeedsLocalityOrCountry) {
    Placemark full;
    full.subLocality = QStringLiteral("St. James's");
    full.locality = QStringLiteral("London");
    full.country = QStringLiteral("United Kingdom");
    EXPECT_EQ(placeNameFrom(full), QStringLiteral("St. James's, London, United Kingdom"));

    Placemark noSub = full;
    noSub.subLocality.clear();
    EXPECT_EQ(placeNameFrom(noSub), QStringLiteral("London, United Kingdom"));

    Placemark countryOnly;
    countryOnly.country = QStringLiteral("France");
    EXPECT_EQ(placeNameFrom(countryOnly), QStringLiteral("France"));

    Placemark subOnly;
    subOnly.subLocality = QStringLiteral("Soho");
    EXPECT_EQ(placeNameFrom(subOnly), QString());
    EXPECT_FALSE(subOnly.isEmpty());
    EXPECT_TRUE(Placemark().isEmpty());
    EXPECT_FALSE(placeNameFrom(noSub).contains(QStringLiteral("null")));
}

TEST(PlacemarkJson, PicksTheFirstPresentLevelOfEachPart) {
    QString error;
    const Placemark town = ReverseGeocoder::placemarkFromJson(
        R"({"address":{"neighbourhood":"Old Quarter","town":"Ely","village":"X","country":"UK"}})",
        &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(town.subLocality, QStringLiteral("Old Quarter"));
    EXPECT_EQ(town.locality, QStringLiteral("Ely"));
    EXPECT_EQ(town.country, QStringLiteral("UK"));

    const Placemark hamlet = ReverseGeocoder::placemarkFromJson(
        R"({"address":{"city_district":"North","hamlet":"Upend"}})", &error);
    EXPECT_EQ(hamlet.subLocality, QStringLiteral("North"));
    EXPECT_EQ(hamlet.locality, QStringLiteral("Upend"));

    EXPECT_TRUE(ReverseGeocoder::placemarkFromJson("[1,2]", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(ReverseGeocoder::placemarkFromJson("{}", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(GeocoderServer, ComesFromTheEnvironmentAndIsNeverGuessed) {
    qunsetenv("PHOTOKESTRY_GEOCODER_URL");
    EXPECT_TRUE(ReverseGeocoder::serverBase().isEmpty());
    {
        // Without a server nothing is asked, and the answer is an error.
        ReverseGeocoder geocoder;
        QObject context;
        QString error;
        bool arrived = false;
        geocoder.reverseGeocode(51.5, -0.13, &context, [&](const Placemark &p, const QString &e) {
            arrived = true;
            error = e;
            EXPECT_TRUE(p.isEmpty());
        });
        EXPECT_TRUE(waitFor([&] { return arrived; }));
        EXPECT_FALSE(error.isEmpty());
    }
    qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9/base/");
    const QUrl url = ReverseGeocoder::requestUrl(51.503572, -0.131806);
    qunsetenv("PHOTOKESTRY_GEOCODER_URL");
    EXPECT_EQ(url.path(), QStringLiteral("/base/reverse"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("format"), QStringLiteral("jsonv2"));
    EXPECT_EQ(query.queryItemValue("zoom"), QStringLiteral("14"));
    EXPECT_EQ(query.queryItemValue("addressdetails"), QStringLiteral("1"));
    EXPECT_NEAR(query.queryItemValue("lat").toDouble(), 51.503572, 1e-7);
    EXPECT_NEAR(query.queryItemValue("lon").toDouble(), -0.131806, 1e-7);
}

TEST_F(GeocoderTest, StJamesParkGivesItsPlaceNameAndSendsPoliteHeaders) {
    const Answer answer = ask(51.503572, -0.131806);
    EXPECT_TRUE(answer.error.isEmpty()) << answer.error.toStdString();
    EXPECT_EQ(answer.placemark.subLocality, QStringLiteral("St. James's"));
    EXPECT_EQ(answer.placemark.locality, QStringLiteral("London"));
    EXPECT_EQ(answer.placemark.country, QStringLiteral("United Kingdom"));
    EXPECT_EQ(answer.placemark.thoroughfare, QStringLiteral("The Mall"));
    EXPECT_EQ(answer.placemark.region, QStringLiteral("England"));
    EXPECT_EQ(answer.placemark.name, QStringLiteral("St James's Park"));
    EXPECT_EQ(placeNameFrom(answer.placemark),
              QStringLiteral("St. James's, London, United Kingdom"));

    ASSERT_EQ(server->requests.size(), 1);
    const QByteArray request = server->requests.first().toLower();
    EXPECT_TRUE(request.startsWith("get /reverse?")) << request.constData();
    EXPECT_TRUE(request.contains("user-agent: photokestry/"));
    EXPECT_TRUE(request.contains("photokestry.com"));
    EXPECT_TRUE(request.contains("accept-language: "));
}

TEST_F(GeocoderTest, MissingPartsAreLeftOutOfThePlaceName) {
    const Answer village = ask(10.5, 3.0);
    EXPECT_TRUE(village.error.isEmpty());
    EXPECT_EQ(village.placemark.locality, QStringLiteral("Nowhere"));
    EXPECT_TRUE(village.placemark.country.isEmpty());
    EXPECT_EQ(placeNameFrom(village.placemark), QStringLiteral("Nowhere"));

    const Answer suburbOnly = ask(40.5, 3.0);
    EXPECT_TRUE(suburbOnly.error.isEmpty());
    EXPECT_EQ(suburbOnly.placemark.subLocality, QStringLiteral("Alone"));
    EXPECT_EQ(placeNameFrom(suburbOnly.placemark), QString());
}

TEST_F(GeocoderTest, FailuresArriveAsErrorsNeverAsPlacemarks) {
    for (double lat : {20.5, 30.5, 60.5}) {
        const Answer answer = ask(lat, 1.0);
        EXPECT_FALSE(answer.error.isEmpty()) << lat;
        EXPECT_TRUE(answer.placemark.isEmpty()) << lat;
    }
    EXPECT_EQ(ask(60.5, 1.0).error, QStringLiteral("Unable to geocode"));

    // A port nobody listens on: the connection is refused.
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    qputenv("PHOTOKESTRY_GEOCODER_URL",
            QByteArray("http://127.0.0.1:") + QByteArray::number(closedPort));
    const Answer unreachable = ask(51.503572, -0.131806);
    EXPECT_FALSE(unreachable.error.isEmpty());
    EXPECT_TRUE(unreachable.placemark.isEmpty());
}

TEST_F(GeocoderTest, RequestIdsTellLateAnswersAndGoneContextsDropThem) {
    int calls = 0;
    const quint64 first = geocoder.reverseGeocode(51.5, -0.13, this->server.get(),
                                                  [&](const Placemark &, const QString &) {});
    {
        QObject doomed;
        geocoder.reverseGeocode(51.5, -0.13, &doomed,
                                [&](const Placemark &, const QString &) { ++calls; });
    }
    QObject context;
    bool lastArrived = false;
    const quint64 last =
        geocoder.reverseGeocode(51.5, -0.13, &context, [&](const Placemark &p, const QString &) {
            lastArrived = true;
            EXPECT_EQ(p.locality, QStringLiteral("London"));
        });
    EXPECT_LT(first, last);
    EXPECT_FALSE(geocoder.isLatest(first));
    EXPECT_TRUE(geocoder.isLatest(last));
    EXPECT_EQ(geocoder.latestRequest(), last);
    // Every reply deletes itself once finished, so no children means every answer came.
    ASSERT_TRUE(waitFor([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return lastArrived && geocoder.findChildren<QNetworkReply *>().isEmpty();
    }));
    // One position asked three times goes out once; the others wait for its answer.
    EXPECT_EQ(server->requests.size(), 1);
    EXPECT_EQ(calls, 0);
}

TEST_F(GeocoderTest, RequestsKeepTheirIntervalAndRepeatsComeFromTheCache) {
    QElapsedTimer clock;
    clock.start();
    QList<qint64> arrivals;
    auto counting = std::make_unique<CannedHttpServer>([&](const QByteArray &) {
        arrivals << clock.elapsed();
        return httpAnswer(200, kStJamesPark);
    });
    qputenv("PHOTOKESTRY_GEOCODER_URL", counting->base().toString().toUtf8());
    int answered = 0;
    QObject context;
    // Asked all at once, as a selection moving over a grid would.
    for (double lat : {51.501, 51.502, 51.503, 51.501})
        geocoder.reverseGeocode(lat, -0.13, &context, [&](const Placemark &p, const QString &e) {
            EXPECT_TRUE(e.isEmpty()) << e.toStdString();
            EXPECT_EQ(p.locality, QStringLiteral("London"));
            ++answered;
        });
    ASSERT_TRUE(waitFor([&] { return answered == 4; }));
    ASSERT_EQ(arrivals.size(), 3); // the repeat was not asked again
    // Arrival times vary with the connection a little; without the interval they would be
    // a few milliseconds apart.
    for (qsizetype i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - arrivals[i - 1], ReverseGeocoder::kMinIntervalMs - 250);
    const Answer again = ask(51.502, -0.13);
    EXPECT_EQ(again.placemark.locality, QStringLiteral("London"));
    EXPECT_EQ(arrivals.size(), 3);

    // The next session finds every answer on disk and asks nothing.
    ReverseGeocoder nextSession;
    nextSession.setCacheDirectory(cacheDir.path());
    for (double lat : {51.501, 51.502, 51.503}) {
        const Answer kept = askAnew(nextSession, lat, -0.13);
        EXPECT_TRUE(kept.error.isEmpty()) << kept.error.toStdString();
        EXPECT_EQ(placeNameFrom(kept.placemark),
                  QStringLiteral("St. James's, London, United Kingdom"));
        EXPECT_EQ(kept.placemark.thoroughfare, QStringLiteral("The Mall"));
    }
    EXPECT_EQ(arrivals.size(), 3);
    // A new position is still asked, still after the interval.
    const Answer fresh = askAnew(nextSession, 51.504, -0.13);
    EXPECT_TRUE(fresh.error.isEmpty());
    ASSERT_EQ(arrivals.size(), 4);
    // The cache lives where it was told, never in the user's own cache folder.
    EXPECT_TRUE(QFileInfo::exists(cacheDir.filePath("places.json")));
    EXPECT_TRUE(PlaceNameCache::defaultDirectory().startsWith(testHome()));
}

TEST_F(GeocoderTest, ACorruptCacheFileIsIgnoredAndReplaced) {
    const QString file = cacheDir.filePath("places.json");
    for (const QByteArray &junk :
         {QByteArray("{\"format\":1,\"places\":{\"x\":"), QByteArray("\0\xff\xfe garbage"),
          QByteArray("[1,2,3]"), QByteArray(R"({"format":99,"places":{}})")}) {
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(junk);
        }
        ReverseGeocoder session;
        session.setCacheDirectory(cacheDir.path());
        const qsizetype before = server->requests.size();
        const Answer answer = askAnew(session, 51.503572, -0.131806);
        EXPECT_TRUE(answer.error.isEmpty()) << answer.error.toStdString();
        EXPECT_EQ(answer.placemark.locality, QStringLiteral("London"));
        EXPECT_EQ(server->requests.size(), before + 1);
        // Replaced by a readable file that the next session answers from.
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        EXPECT_EQ(root.value("places").toObject().size(), 1);
        ReverseGeocoder after;
        after.setCacheDirectory(cacheDir.path());
        EXPECT_EQ(askAnew(after, 51.503572, -0.131806).placemark.locality, "London");
        EXPECT_EQ(server->requests.size(), before + 1);
    }
    // Failed answers are never kept: asked again next time.
    ReverseGeocoder session;
    session.setCacheDirectory(cacheDir.path());
    EXPECT_FALSE(askAnew(session, 60.5, 1.0).error.isEmpty());
    ReverseGeocoder later;
    later.setCacheDirectory(cacheDir.path());
    const qsizetype before = server->requests.size();
    EXPECT_FALSE(askAnew(later, 60.5, 1.0).error.isEmpty());
    EXPECT_EQ(server->requests.size(), before + 1);
}

TEST(PlaceNameCacheFile, KeysExpiryMergeAndCap) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("geocoder");
    // A metre apart is one place; another language or server is another answer.
    const QString key = PlaceNameCache::key("http://a", 51.5035722, -0.1318056, "en");
    EXPECT_EQ(key, PlaceNameCache::key("http://a", 51.5035749, -0.1318061, "en"));
    EXPECT_NE(key, PlaceNameCache::key("http://a", 51.50358, -0.1318056, "en"));
    EXPECT_NE(key, PlaceNameCache::key("http://a", 51.5035722, -0.1318056, "de"));
    EXPECT_NE(key, PlaceNameCache::key("http://b", 51.5035722, -0.1318056, "en"));
    EXPECT_EQ(PlaceNameCache::key("s", -0.000001, 0.000001, "en"),
              PlaceNameCache::key("s", 0.0, 0.0, "en"));

    Placemark london;
    london.locality = QStringLiteral("London");
    london.country = QStringLiteral("United Kingdom");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        PlaceNameCache cache(folder);
        EXPECT_FALSE(cache.find(key, now).has_value()); // no file yet: nothing, no error
        ASSERT_TRUE(cache.insert(key, london, now.addDays(-29))) << cache.lastError().toStdString();
    }
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    // Another session sees it until it is older than the limit.
    EXPECT_EQ(PlaceNameCache(folder).find(key, now)->locality, QStringLiteral("London"));
    EXPECT_FALSE(PlaceNameCache(folder).find(key, now.addDays(2)).has_value());

    // Two sessions writing one after the other keep both answers.
    PlaceNameCache first(folder), second(folder);
    EXPECT_TRUE(first.find(key, now).has_value());
    Placemark paris;
    paris.locality = QStringLiteral("Paris");
    ASSERT_TRUE(second.insert("p", paris, now));
    Placemark rome;
    rome.locality = QStringLiteral("Rome");
    ASSERT_TRUE(first.insert("r", rome, now));
    PlaceNameCache third(folder);
    EXPECT_TRUE(third.find("p", now).has_value());
    EXPECT_TRUE(third.find("r", now).has_value());
    EXPECT_TRUE(third.find(key, now).has_value());

    // The file keeps the newest answers only.
    QJsonObject places;
    for (int i = 0; i < PlaceNameCache::kMaxEntries + 10; ++i)
        places.insert(QString::number(i), QJsonObject{{"time", now.toSecsSinceEpoch() - 100000 + i},
                                                      {"locality", "Rome"}});
    {
        QFile full(PlaceNameCache(folder).filePath());
        ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Truncate));
        full.write(QJsonDocument(QJsonObject{{"format", 1}, {"places", places}}).toJson());
    }
    PlaceNameCache many(folder);
    EXPECT_TRUE(many.find("0", now).has_value());
    ASSERT_TRUE(many.insert("newest", rome, now));
    PlaceNameCache capped(folder);
    EXPECT_TRUE(capped.find("newest", now).has_value());
    EXPECT_FALSE(capped.find("10", now).has_value());
    EXPECT_FALSE(capped.find("0", now).has_value());
    EXPECT_TRUE(capped.find(QString::number(PlaceNameCache::kMaxEntries + 9), now).has_value());
    QFile f(capped.filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(f.readAll()).object().value("places").toObject().size(),
              PlaceNameCache::kMaxEntries);

    // A folder that cannot be made is reported, and the answer still serves this session.
    PlaceNameCache nowhere(QStringLiteral("/proc/no-such-place/geocoder"));
    EXPECT_FALSE(nowhere.insert(key, london, now));
    EXPECT_FALSE(nowhere.lastError().isEmpty());
    EXPECT_TRUE(nowhere.find(key, now).has_value());
}
