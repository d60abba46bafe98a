#include "batch/core/TakeoutReaders.h"
#include "batch/core/TakeoutDate.h"
#include "support/Mutations.h"
#include "support/TestSupport.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// A sidecar as Takeout writes it: pretty-printed, "creationTime" (the upload) before
// "photoTakenTime", "geoData" before "geoDataExif".
QByteArray takeoutJson(const QString &title, const QString &description, const char *takenTs,
                       const QString &takenText, const char *geo, const char *geoExif) {
    return QStringLiteral(R"({
  "title": "%1",
  "description": "%2",
  "imageViews": "12",
  "creationTime": {
    "timestamp": "1600000000",
    "formatted": "Sep 13, 2020, 12:26:40 PM UTC"
  },
  "photoTakenTime": {
    %3"formatted": "%4"
  },
  "geoData": %5,
  "geoDataExif": %6,
  "url": "https://photos.google.com/photo/AF1Qip",
  "googlePhotosOrigin": {
    "mobileUpload": {
      "deviceType": "ANDROID_PHONE"
    }
  }
})")
        .arg(title, description,
             takenTs ? QStringLiteral("\"timestamp\": \"%1\",\n    ").arg(QLatin1String(takenTs))
                     : QString(),
             takenText, QLatin1String(geo), QLatin1String(geoExif))
        .toUtf8();
}

const char *kZeroGeo =
    R"({"latitude": 0.0, "longitude": 0.0, "altitude": 0.0, "latitudeSpan": 0.0, "longitudeSpan": 0.0})";
const char *kParkGeo =
    R"({"latitude": 51.50357, "longitude": -0.131806, "altitude": 2.6, "latitudeSpan": 0.0, "longitudeSpan": 0.0})";

QJsonObject parsed(const QByteArray &bytes) {
    QString why;
    const auto json = parseTakeoutJson(bytes, &why);
    EXPECT_TRUE(json.has_value()) << why.toStdString();
    return json.value_or(QJsonObject());
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
}

} // namespace

// The values come out decoded: no quotes, commas or escapes of JSON's own syntax, and empty
// texts and zero positions are no value.
TEST(TakeoutReaders, DecodedTextsAndPositions) {
    const QJsonObject real = parsed(takeoutJson(
        QStringLiteral("IMG_1.JPG"),
        QStringLiteral(R"(Say \"cheese\", then \u00e9t\u00e9\nnext line)"), "1500000000",
        QStringLiteral("Jul 14, 2017, 2:40:00 AM UTC"), kZeroGeo, kParkGeo));
    EXPECT_EQ(getTitlewithJsonStr(real), QStringLiteral("IMG_1.JPG"));
    EXPECT_EQ(getDescriptionwithJsonStr(real),
              QStringLiteral("Say \"cheese\", then \u00e9t\u00e9\nnext line"));
    // geoData holds zeros, so the position is geoDataExif's, altitude and all.
    EXPECT_EQ(getGPSLatitudewithJsonStr(real), QStringLiteral("51.50357"));
    EXPECT_EQ(getGPSLongitudewithJsonStr(real), QStringLiteral("-0.131806"));
    EXPECT_EQ(getGPSAltitudewithJsonStr(real), QStringLiteral("2.6"));

    const QJsonObject empty =
        parsed(takeoutJson(QString(), QString(), "1500000000", QString(), kZeroGeo, kZeroGeo));
    EXPECT_TRUE(getTitlewithJsonStr(empty).isEmpty());
    EXPECT_TRUE(getDescriptionwithJsonStr(empty).isEmpty());
    EXPECT_TRUE(getGPSLatitudewithJsonStr(empty).isEmpty());
    EXPECT_TRUE(getGPSLongitudewithJsonStr(empty).isEmpty());
    EXPECT_TRUE(getGPSAltitudewithJsonStr(empty).isEmpty());

    // geoData wins when it has the position, even over a different one in geoDataExif.
    const QJsonObject both =
        parsed(takeoutJson(QStringLiteral("a"), QString(), "1", QString(), kParkGeo,
                           R"({"latitude": 1.5, "longitude": 2.5})"));
    EXPECT_EQ(getGPSLatitudewithJsonStr(both), QStringLiteral("51.50357"));
}

// The timestamp names the instant; the formatted text counts only without one, in either
// order of day and month, 12 or 24 hours.
TEST(TakeoutReaders, TakenDate) {
    const QJsonObject us =
        parsed(takeoutJson(QStringLiteral("a"), QString(), "1500000000",
                           QStringLiteral("Jul 14, 2017, 2:40:00 AM UTC"), kZeroGeo, kZeroGeo));
    EXPECT_EQ(getPhotoDatewithJsonStr(us), utc(2017, 7, 14, 2, 40, 0));

    // A text in another zone or rounded differently: the timestamp still decides.
    const QJsonObject other =
        parsed(takeoutJson(QStringLiteral("a"), QString(), "1258375918",
                           QStringLiteral("16 nov. 2009, 13:51:58 CET"), kZeroGeo, kZeroGeo));
    EXPECT_EQ(getPhotoDatewithJsonStr(other), utc(2009, 11, 16, 12, 51, 58));

    const QJsonObject textOnly =
        parsed(takeoutJson(QStringLiteral("a"), QString(), nullptr,
                           QStringLiteral("16 Nov 2009, 12:51:58 UTC"), kZeroGeo, kZeroGeo));
    EXPECT_EQ(getPhotoDatewithJsonStr(textOnly), utc(2009, 11, 16, 12, 51, 58));

    const QJsonObject none =
        parsed(takeoutJson(QStringLiteral("a"), QString(), nullptr,
                           QStringLiteral("sometime last summer"), kZeroGeo, kZeroGeo));
    EXPECT_FALSE(getPhotoDatewithJsonStr(none).isValid());

    // Drive's sidecars carry dates of their own, read when the taken time gives none.
    const QJsonObject drive = parsed(R"({"title": "x.jpg", "created": "2019-03-02T10:11:12.000Z",
        "photoTakenTime": {"formatted": "unknown"}})");
    EXPECT_FALSE(getPhotoDatewithJsonStr(drive).isValid());
    EXPECT_EQ(getNewPhotoDatewithJsonStr(drive), utc(2019, 3, 2, 10, 11, 12));
    EXPECT_EQ(readTakeoutValues(drive).taken, utc(2019, 3, 2, 10, 11, 12));
}

TEST(TakeoutReaders, DateDetector) {
    struct Case {
        const char *text;
        QDateTime expected;
    };
    const Case cases[] = {
        {"Jul 14, 2017, 2:40:00 AM UTC", utc(2017, 7, 14, 2, 40, 0)},
        {"Jul 14, 2017, 2:40:00\u202fPM UTC", utc(2017, 7, 14, 14, 40, 0)},
        {"Dec 1, 2018, 12:05:09 AM UTC", utc(2018, 12, 1, 0, 5, 9)},
        {"Dec 1, 2018, 12:05:09 PM UTC", utc(2018, 12, 1, 12, 5, 9)},
        {"16 Nov 2009, 12:51:58 UTC", utc(2009, 11, 16, 12, 51, 58)},
        {"16 September 2009, 23:51:58 UTC", utc(2009, 9, 16, 23, 51, 58)},
        {"July 14, 2017 at 4:40:00 PM GMT+2", utc(2017, 7, 14, 14, 40, 0)},
        {"14 Jul 2017, 02:40:00 -05:30", utc(2017, 7, 14, 8, 10, 0)},
        {"2017-07-14T02:40:00Z", utc(2017, 7, 14, 2, 40, 0)},
        {"2017-07-14 04:40:00+02:00", utc(2017, 7, 14, 2, 40, 0)},
        {"Jul 14, 2017", QDateTime()},                 // no time
        {"Jul 32, 2017, 2:40:00 AM UTC", QDateTime()}, // no such day
        {"13:40:00 PM Jul 14 2017", QDateTime()},      // no 13 PM
        {"Jul 14, 2017, 2:40:00 AM Mars", QDateTime()},
        {"", QDateTime()},
    };
    for (const Case &c : cases) {
        const QDateTime got = detectTakeoutDate(QString::fromUtf8(c.text));
        EXPECT_EQ(got.isValid(), c.expected.isValid()) << c.text;
        if (c.expected.isValid()) {
            EXPECT_EQ(got.toUTC(), c.expected) << c.text;
        }
    }
}

// What is no sidecar is said so, not read.
TEST(TakeoutReaders, RefusesWhatIsNoSidecar) {
    QString why;
    EXPECT_FALSE(parseTakeoutJson(
        takeoutJson(QStringLiteral("a"), QString(), "1", QString(), kZeroGeo, kZeroGeo).left(120),
        &why));
    EXPECT_TRUE(why.startsWith(QStringLiteral("not JSON"))) << why.toStdString();
    EXPECT_FALSE(parseTakeoutJson("[1, 2]", &why));
    EXPECT_FALSE(parseTakeoutJson(QByteArray(kMaxTakeoutJsonBytes + 1, ' '), &why));
    EXPECT_TRUE(why.startsWith(QStringLiteral("larger"))) << why.toStdString();
}

TEST(TakeoutReaders, PhotoNameAtTheStartOfTheSidecarName) {
    EXPECT_EQ(getPhotoFileName(QStringLiteral("IMG_1234.JPG.json")),
              QStringLiteral("IMG_1234.JPG"));
    EXPECT_EQ(getPhotoFileName(QStringLiteral("IMG_1234.JPG(1).json")),
              QStringLiteral("IMG_1234.JPG"));
    EXPECT_EQ(
        getPhotoFileName(QStringLiteral("IMG_20210101_123456.jpg.supplemental-metadata.json")),
        QStringLiteral("IMG_20210101_123456.jpg"));
    EXPECT_TRUE(getPhotoFileName(QStringLiteral("my photo.jpg.json")).isEmpty());
    EXPECT_TRUE(getPhotoFileName(QStringLiteral("IMG-1234.jpg.json")).isEmpty());
}

// Every sidecar name Takeout makes finds its own photo, and a duplicate's sidecar its own copy.
TEST(TakeoutReaders, PairingByName) {
    const QStringList folder = {
        QStringLiteral("IMG_1.JPG"),
        QStringLiteral("IMG_1(1).JPG"),
        QStringLiteral("IMG_1-edited.JPG"),
        QStringLiteral("PXL_20230704_181512345.MP.jpg"),
        QStringLiteral("IMG_0123.mov"),
        QStringLiteral("clip.mp4"),
        QStringLiteral("Screenshot_20230704-181512_Some Long Application Name.jpg"),
        QStringLiteral("my photo.jpg"),
        QStringLiteral("photo.jpg"),
    };
    struct Case {
        const char *json;
        QStringList expected;
    };
    const Case cases[] = {
        {"IMG_1.JPG.json", {"IMG_1.JPG", "IMG_1-edited.JPG"}},
        {"IMG_1.JPG.supplemental-metadata.json", {"IMG_1.JPG", "IMG_1-edited.JPG"}},
        {"IMG_1.JPG(1).json", {"IMG_1(1).JPG"}},
        {"IMG_1.JPG.supplemental-metadata(1).json", {"IMG_1(1).JPG"}},
        {"PXL_20230704_181512345.MP.jpg.supplemental-me.json", {"PXL_20230704_181512345.MP.jpg"}},
        {"PXL_20230704_181512345.MP.jpg.supplemental-metad.json",
         {"PXL_20230704_181512345.MP.jpg"}},
        {"PXL_20230704_181512345.MP.jpg.s.json", {"PXL_20230704_181512345.MP.jpg"}},
        {"IMG_0123.mov.json", {"IMG_0123.mov"}},
        {"clip.mp4.supplemental-metadata.json", {"clip.mp4"}},
        // Cut to 51 characters, the photo's extension gone.
        {"Screenshot_20230704-181512_Some Long Applicati.json",
         {"Screenshot_20230704-181512_Some Long Application Name.jpg"}},
        {"my photo.jpg.json", {"my photo.jpg"}},
        {"IMG_2.JPG.json", {}},
        {"IMG_1.JPG(2).json", {}},
        {"notes.txt", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(takeoutPhotoNames(QString::fromUtf8(c.json), folder), c.expected) << c.json;

    // "my photo.jpg.json" beside a "photo.jpg" alone never writes into that photo.
    EXPECT_TRUE(
        takeoutPhotoNames(QStringLiteral("my photo.jpg.json"), {QStringLiteral("photo.jpg")})
            .isEmpty());
}

TEST(TakeoutReaders, LooseMatchOnlyWhenOneFits) {
    EXPECT_EQ(looseTakeoutPhotoName(QStringLiteral("IMG_12.JPG.json"),
                                    {QStringLiteral("img_12.jpeg"), QStringLiteral("other.jpg")}),
              QStringLiteral("img_12.jpeg"));
    // "IMG_12" is in "IMG_123" and "IMG_124": two fit, none is written.
    EXPECT_TRUE(
        looseTakeoutPhotoName(QStringLiteral("IMG_12.JPG.json"),
                              {QStringLiteral("IMG_123.JPG"), QStringLiteral("IMG_124.JPG")})
            .isEmpty());
    EXPECT_TRUE(looseTakeoutPhotoName(QStringLiteral("IMG_9.JPG.json"), {QStringLiteral("a.jpg")})
                    .isEmpty());
}

// Damaged sidecars (cut, doubled, nested past any reader, numbers and dates pushed to
// extremes) are read or refused with a reason, and every reader takes what was read.
TEST(TakeoutReaders, DamagedSidecarsAreReadOrRefusedWithAReason) {
    const QByteArray sidecar =
        takeoutJson(QStringLiteral("St James Park.jpg"), QStringLiteral("Pelicans"), "1296397836",
                    QStringLiteral("Jan 30, 2011, 2:30:36 PM UTC"), kParkGeo, kParkGeo);
    Mutations damage(sidecar, {}, 17);
    int read = 0, refused = 0;
    for (int i = 0; i < 300; ++i) {
        QString what, why;
        const QByteArray text = damage.nextText(&what);
        SCOPED_TRACE(what.toStdString());
        const auto json = parseTakeoutJson(text, &why);
        if (!json) {
            EXPECT_FALSE(why.isEmpty());
            ++refused;
            continue;
        }
        ++read;
        readTakeoutValues(*json);
        getNewPhotoDatewithJsonStr(*json);
    }
    EXPECT_GT(read, 50);
    EXPECT_GT(refused, 50);
}
