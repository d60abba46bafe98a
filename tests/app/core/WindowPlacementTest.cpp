#include "app/core/WindowPlacement.h"
#include "app/core/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, FirstLaunchCentresTheDefaultSizeOnTheScreen) {
    const QRect screen(0, 27, 1920, 1053); // a panel at the top
    const QRect r = centredWindowRect(screen, kMainWindowDefaultSize);
    EXPECT_EQ(r.size(), kMainWindowDefaultSize);
    EXPECT_EQ(r.center(), screen.center());
    EXPECT_TRUE(screen.contains(r));
}

TEST(WindowPlacement, ASmallScreenGetsAWindowThatFits) {
    const QRect laptop(0, 0, 1366, 720);
    const QRect r = centredWindowRect(laptop, kMainWindowDefaultSize);
    EXPECT_TRUE(laptop.contains(r))
        << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    EXPECT_EQ(r.height(), 720);
    EXPECT_EQ(r.width(), 1200);
    // The least size never asks for more than the screen has either.
    const QSize tiny = minimumWindowSize(QRect(0, 0, 640, 480));
    EXPECT_LE(tiny.width(), 640);
    EXPECT_LE(tiny.height(), 480);
    EXPECT_EQ(minimumWindowSize(QRect(0, 0, 1920, 1080)), kMainWindowMinimumSize);
}

TEST(WindowPlacement, ASecondScreenToTheRightCentresThere) {
    const QRect right(1920, 0, 2560, 1440);
    const QRect r = centredWindowRect(right, kMainWindowDefaultSize);
    EXPECT_TRUE(right.contains(r));
    EXPECT_EQ(r.center(), right.center());
}

TEST(WindowPlacement, GeometryIsKeptInTheUserDefaults) {
    clearUserDefaults();
    EXPECT_TRUE(storedMainWindowGeometry(*userDefaults()).isEmpty());
    static const char stored[] = "\x01\xd9\xd0\xcb\x00\x03\x00\x00 bytes with \0 inside";
    const QByteArray geometry(stored, sizeof stored - 1);
    storeMainWindowGeometry(*userDefaults(), geometry);
    // A fresh store, as the next launch opens it.
    EXPECT_EQ(storedMainWindowGeometry(*userDefaults()), geometry);
    // A value some other hand wrote as text is not a geometry.
    userDefaults()->setValue(QLatin1String(SettingsKey::MainWindowGeometry), QStringLiteral("big"));
    EXPECT_TRUE(storedMainWindowGeometry(*userDefaults()).isEmpty());
    clearUserDefaults();
}

TEST(WindowPlacement, SecondaryWindowsCentreOverTheMainWindowAndStayOnScreen) {
    const QRect screen(0, 27, 1920, 1053);
    const QRect main(300, 100, 1200, 750);
    const QRect r = centredOverOwner(main, QSize(500, 300), screen);
    EXPECT_EQ(r.center(), main.center());
    // A main window half off the screen's right edge: the window is pulled back whole.
    const QRect off = centredOverOwner(QRect(1700, 900, 1200, 750), QSize(500, 400), screen);
    EXPECT_TRUE(screen.contains(off)) << off.x() << "," << off.y();
    EXPECT_EQ(off.right(), screen.right());
    EXPECT_EQ(off.bottom(), screen.bottom());
    // Larger than the screen: shrunk to it.
    EXPECT_EQ(centredOverOwner(main, QSize(3000, 2000), screen), screen);
}
