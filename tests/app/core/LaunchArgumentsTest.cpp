#include "app/core/LaunchArguments.h"

#include <gtest/gtest.h>

TEST(LaunchArguments, PathsBecomeAbsoluteInTheirOrder) {
    EXPECT_EQ(
        launchPaths({"b.jpg", "/photos/a.heic", "../up/c.mov", "sub/./d.png"}, "/home/u/Pictures"),
        (QStringList{"/home/u/Pictures/b.jpg", "/photos/a.heic", "/home/u/up/c.mov",
                     "/home/u/Pictures/sub/d.png"}));
}

TEST(LaunchArguments, OptionsAreSkippedUntilADoubleDash) {
    EXPECT_EQ(launchPaths({"--verbose", "-x", "", "a.jpg", "--", "-dash-named.jpg", "--"}, "/w"),
              (QStringList{"/w/a.jpg", "/w/-dash-named.jpg", "/w/--"}));
    EXPECT_TRUE(launchPaths({}, "/w").isEmpty());
}

TEST(LaunchArguments, FileAddressesBecomeLocalPaths) {
    // A file manager may pass addresses; spaces and non-ASCII names come percent-encoded.
    EXPECT_EQ(launchPaths({"file:///home/u/St%20James%20Park.jpg", "file:///tmp/Fr%C3%ADtest.jpeg",
                           "https://example.org/a.jpg"},
                          "/w"),
              (QStringList{"/home/u/St James Park.jpg", QString::fromUtf8("/tmp/Frítest.jpeg")}));
}
