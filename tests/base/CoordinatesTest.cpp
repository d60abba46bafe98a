// One rule signs a position for every reader; they used to disagree on a missing letter.
#include "base/Coordinates.h"
#include "browser/core/PhotoPanels.h"

#include <gtest/gtest.h>

TEST(Coordinates, HemisphereLettersDecideTheSign) {
    const auto c = signedCoordinates(
        {{"Latitude", 33.5}, {"LatitudeRef", "s"}, {"Longitude", 0.125}, {"LongitudeRef", " W "}});
    EXPECT_DOUBLE_EQ(*c.latitude, -33.5);
    EXPECT_DOUBLE_EQ(*c.longitude, -0.125);
    // A letter wins over a sign the writer should not have stored.
    const auto n = signedCoordinates({{"Latitude", -12.0}, {"LatitudeRef", "N"}});
    EXPECT_DOUBLE_EQ(*n.latitude, 12.0);
    EXPECT_FALSE(n.longitude);
}

TEST(Coordinates, NoLetterKeepsTheStoredSignAndTextIsNoPosition) {
    const auto c = signedCoordinates({{"Latitude", -7.5}, {"Longitude", 100.0}});
    EXPECT_DOUBLE_EQ(*c.latitude, -7.5);
    EXPECT_DOUBLE_EQ(*c.longitude, 100.0);
    EXPECT_FALSE(signedCoordinates({{"Latitude", "north-ish"}}).latitude);
}

TEST(Coordinates, WrittenPositionsReadBackWithTheirSigns) {
    for (const double lat : {-33.5, 0.0, 51.5})
        for (const double lon : {-0.125, 0.0, 179.5})
            for (const double alt : {-12.0, 0.0, 35.0}) {
                const QVariantMap gps = gpsPositionValues(lat, lon, alt);
                EXPECT_GE(gps["Latitude"].toDouble(), 0.0);
                EXPECT_GE(gps["Altitude"].toDouble(), 0.0);
                const auto c = signedCoordinates(gps);
                EXPECT_DOUBLE_EQ(*c.latitude, lat);
                EXPECT_DOUBLE_EQ(*c.longitude, lon);
                EXPECT_DOUBLE_EQ(*signedAltitude(gps["Altitude"], gps["AltitudeRef"]), alt);
            }
    EXPECT_FALSE(signedAltitude(QVariant(), 1));
    // An XMP text and a "{GPS}" entry read their letters alike.
    for (const char *ref : {"S", "s", " N ", "South", ""})
        EXPECT_EQ(xmpCoordinate("45.5", ref, GpsAxis::Latitude),
                  signedCoordinate(45.5, QString::fromLatin1(ref), GpsAxis::Latitude))
            << ref;
    // A letter of the other axis makes an XMP text no coordinate; a "{GPS}" entry keeps it.
    EXPECT_FALSE(xmpCoordinate("45.5", "E", GpsAxis::Latitude));
    EXPECT_DOUBLE_EQ(*signedCoordinate(45.5, "W", GpsAxis::Latitude), 45.5);
}

TEST(Coordinates, PanelsAgreeWithTheRule) {
    const QVariantMap gps{{"Latitude", 51.5}, {"Longitude", 0.13}, {"LongitudeRef", "w"}};
    LocalPhotoPanels p;
    fillPanelsFromProperties(p, QVariantMap{{"{GPS}", gps}});
    const auto c = signedCoordinates(gps);
    EXPECT_DOUBLE_EQ(p.latitude, *c.latitude);
    EXPECT_DOUBLE_EQ(p.longitude, *c.longitude);
    EXPECT_TRUE(p.startsGeocoding);
}
