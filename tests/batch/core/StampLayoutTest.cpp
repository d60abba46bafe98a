// Where stamps go, what they say, and the sizes of the resize menu.
#include "batch/core/StampLayout.h"
#include "platform/core/ReverseGeocoder.h"

#include <gtest/gtest.h>

namespace {
const QSizeF kPhoto(4000, 3000);
const QSizeF kText(100, 20);
} // namespace

TEST(StampRect, CornersOfA100By20TextOnA4000By3000Photo) {
    EXPECT_EQ(stampRect(StampKind::Date, "Lower left corner", kPhoto, kText),
              QRectF(50, 30, 120, 40));
    EXPECT_EQ(stampRect(StampKind::Copyright, "Lower left corner", kPhoto, kText),
              QRectF(50, 40, 120, 40));
    EXPECT_EQ(stampRect(StampKind::Place, "Lower left corner", kPhoto, kText),
              QRectF(50, 40, 120, 40));
    EXPECT_EQ(stampRect(StampKind::Date, "Upper right corner", kPhoto, kText).topLeft(),
              QPointF(3880, 2950));
    EXPECT_EQ(stampRect(StampKind::Copyright, "Upper right corner", kPhoto, kText).topLeft(),
              QPointF(3880, 2940));
    EXPECT_EQ(stampRect(StampKind::Date, "Lower right corner", kPhoto, kText).topLeft(),
              QPointF(3880, 30));
    EXPECT_EQ(stampRect(StampKind::Place, "Upper left corner", kPhoto, kText).topLeft(),
              QPointF(50, 2940));
}

TEST(StampRect, AnEmptyTextTakesTheFixedRectangleOfItsCorner) {
    const QSizeF none;
    EXPECT_EQ(stampRect(StampKind::Date, "Lower left corner", kPhoto, none),
              QRectF(50, 30, 400, 50));
    EXPECT_EQ(stampRect(StampKind::Copyright, "Lower right corner", kPhoto, none),
              QRectF(3600, 30, 400, 50));
    EXPECT_EQ(stampRect(StampKind::Date, "Upper left corner", kPhoto, none),
              QRectF(50, 2950, 400, 50));
    EXPECT_EQ(stampRect(StampKind::Place, "Upper right corner", kPhoto, none),
              QRectF(3600, 2950, 400, 50));
    // A corner title that is none of the four: the date left, the others right.
    EXPECT_EQ(stampRect(StampKind::Date, "Middle", kPhoto, kText), QRectF(50, 30, 400, 50));
    EXPECT_EQ(stampRect(StampKind::Copyright, "Middle", kPhoto, kText), QRectF(3600, 30, 400, 50));
}

TEST(StampRect, PainterRectanglesRunDownFromTheTop) {
    // The lower-left date stamp's top edge is 70 above the bottom.
    EXPECT_EQ(painterRect(QRectF(50, 30, 120, 40), 3000), QRectF(50, 2930, 120, 40));
    EXPECT_EQ(painterRect(QRectF(3880, 2950, 120, 40), 3000), QRectF(3880, 10, 120, 40));
}

TEST(StampText, DateFormatsOfAnExifDate) {
    const QString exif = "2019:03:07 10:00:00";
    EXPECT_EQ(formatStampDate(exif, "DD.MM.YYYY"), "07.03.2019");
    EXPECT_EQ(formatStampDate(exif, "MM.DD.YYYY"), "03.07.2019");
    EXPECT_EQ(formatStampDate(exif, "YYYY.MM.DD"), "2019.03.07");
    EXPECT_EQ(formatStampDate(exif, "MM/DD/YYYY HH:MM"), "03/07/2019 10:00:00");
    EXPECT_EQ(formatStampDate(exif, "DD/MM/YYYY HH:MM"), "07/03/2019 10:00:00");
    EXPECT_EQ(formatStampDate(exif, "YYYY/MM/DD HH:MM"), "2019/03/07 10:00:00");
    // A file date splits at "-" and gives the same.
    EXPECT_EQ(formatStampDate("2019-03-07 10:00:00", "DD.MM.YYYY"), "07.03.2019");
    // What is no date stays as it was, in its first two words.
    EXPECT_EQ(formatStampDate("2019:03 10:00:00 x", "DD.MM.YYYY"), "2019:03 10:00:00");
    EXPECT_EQ(formatStampDate("today", "DD.MM.YYYY"), "today");
    EXPECT_EQ(formatStampDate(exif, "unknown"), exif);
}

TEST(StampText, DateTimeOriginalAloneDatesTheStamp) {
    const QDateTime created(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::UTC);
    const QDateTime now(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(stampDateSource("2019:03:07 10:00:00", created, now), "2019:03:07 10:00:00");
    // Without it the file's creation date in UTC, else the time of the stamp.
    EXPECT_EQ(stampDateSource("", created.toOffsetFromUtc(7200), now), "2020-05-06 07:08:09");
    EXPECT_EQ(stampDateSource(" ", QDateTime(), now), "2026-01-01 00:00:00");
}

TEST(StampText, CopyrightAndPlace) {
    EXPECT_FALSE(copyrightStampable(""));
    EXPECT_FALSE(copyrightStampable("c"));
    EXPECT_TRUE(copyrightStampable("©K"));
    Placemark place;
    place.country = "United Kingdom";
    place.locality = "London";
    EXPECT_EQ(placeStampText(place), "London");
    place.subLocality = "Westminster";
    EXPECT_EQ(placeStampText(place), "London, Westminster");
    place.locality.clear();
    EXPECT_EQ(placeStampText(place), "Westminster");
    place.country.clear();
    EXPECT_EQ(placeStampText(place), "") << "neither country nor locality: no stamp";
}

TEST(ResizeTable, ColumnsAndPixelSizes) {
    const QSize landscape(4000, 3000), portrait(3000, 4000), square(500, 500);
    EXPECT_EQ(resizeTargetPixels("1920 x 1080", landscape), QSize(1920, 1080));
    EXPECT_EQ(resizeTargetPixels("1920 x 1080", portrait), QSize(1080, 1920));
    EXPECT_EQ(resizeTargetPoints("800 x 600", square), QSize(300, 400));
    EXPECT_EQ(resizeTargetPixels("800 x 600", square), QSize(600, 800));
    EXPECT_EQ(resizeTargetPoints("320 x 240", landscape), QSize(160, 120));
    EXPECT_EQ(resizeTargetPoints("1280 x 1024", portrait), QSize(512, 640));
    EXPECT_EQ(resizeTargetPoints("100 x 100", landscape), QSize(320, 480));
    EXPECT_EQ(resizeTargetPoints("100 x 100", portrait), QSize(320, 480));
    EXPECT_EQ(resizeTitles().size(), 7);
    for (const QString &title : resizeTitles()) {
        const QStringList wh = title.split(" x ");
        EXPECT_EQ(resizeTargetPixels(title, landscape), QSize(wh[0].toInt(), wh[1].toInt()))
            << title.toStdString();
    }
}

TEST(ResizeTable, RecompressionTitlesSetTheQuality) {
    EXPECT_FLOAT_EQ(compressQualityForTitle("20%", 0.9f), 0.2f);
    EXPECT_FLOAT_EQ(compressQualityForTitle("40%", 0.9f), 0.4f);
    EXPECT_FLOAT_EQ(compressQualityForTitle("80%", 0.9f), 0.8f);
    EXPECT_FLOAT_EQ(compressQualityForTitle("50%", 0.4f), 0.4f);
}
