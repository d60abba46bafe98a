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

TEST(Coordinates, PanelsAgreeWithTheRule) {
    const QVariantMap gps{{"Latitude", 51.5}, {"Longitude", 0.13}, {"LongitudeRef", "w"}};
    LocalPhotoPanels p;
    fillPanelsFromProperties(p, QVariantMap{{"{GPS}", gps}});
    const auto c = signedCoordinates(gps);
    EXPECT_DOUBLE_EQ(p.latitude, *c.latitude);
    EXPECT_DOUBLE_EQ(p.longitude, *c.longitude);
    EXPECT_TRUE(p.startsGeocoding);
}
