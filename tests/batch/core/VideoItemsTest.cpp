#include "batch/core/VideoSidecarWrite.h"
#include "support/TestSupport.h"

#include <QTimeZone>
#include <gtest/gtest.h>

TEST(VideoItems, ItemListOfASidecar) {
    EXPECT_EQ(iso6709("37.7749", "-122.4194", "12.5"), QStringLiteral("+37.7749-122.4194+12.5"));
    EXPECT_EQ(iso6709("-33.8688", "151.2093", ""), QStringLiteral("-33.8688+151.2093"));

    const QDateTime taken(QDate(2017, 7, 14), QTime(4, 40), Qt::OffsetFromUTC, 7200);
    const QList<VideoItem> all =
        videoMetadataItems("Trip", "12.5", "37.7749", "-122.4194", taken, true);
    const QList<VideoItem> expected = {
        {"ItemList:Title", "Trip"},
        {"UserData:DateTimeOriginal", "2017:07:14 04:40:00+02:00"},
        {"Keys:CreationDate", "2017:07:14 04:40:00+02:00"},
        {"QuickTime:CreateDate", "2017:07:14 02:40:00"},
        {"UserData:GPSCoordinates", "+37.7749-122.4194+12.5"},
        {"Keys:GPSCoordinates", "+37.7749-122.4194+12.5"},
    };
    EXPECT_EQ(all, expected);

    // No title, no keys, a latitude alone: the date only.
    const QList<VideoItem> dateOnly = videoMetadataItems("", "", "37.7749", "", taken, false);
    ASSERT_EQ(dateOnly.size(), 3);
    EXPECT_EQ(dateOnly.at(0).tag, QStringLiteral("UserData:DateTimeOriginal"));
    EXPECT_EQ(dateOnly.at(1).tag, QStringLiteral("Keys:CreationDate"));
    EXPECT_EQ(dateOnly.at(2).tag, QStringLiteral("QuickTime:CreateDate"));

    // A position in a video without Keys goes into UserData alone.
    const QList<VideoItem> noKeys = videoMetadataItems("", "", "1.5", "2.5", QDateTime(), false);
    EXPECT_EQ(noKeys, (QList<VideoItem>{{"UserData:GPSCoordinates", "+1.5+2.5"}}));
}
