#include "base/SharedHelpers.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(SizeText, UnitBoundaries) {
    EXPECT_EQ(sizeToUnitString(0), QStringLiteral("0 bytes"));
    EXPECT_EQ(sizeToUnitString(999), QStringLiteral("999 bytes"));
    EXPECT_EQ(sizeToUnitString(1000), QStringLiteral("1.00 KB"));
    EXPECT_EQ(sizeToUnitString(999999), QStringLiteral("1000.00 KB"));
    EXPECT_EQ(sizeToUnitString(1000000), QStringLiteral("1.00 MB"));
    EXPECT_EQ(sizeToUnitString(1500000), QStringLiteral("1.50 MB"));
    EXPECT_EQ(sizeToUnitString(1266130), QStringLiteral("1.27 MB"));
    EXPECT_EQ(sizeToUnitString(1000000000ULL), QStringLiteral("1.00 GB"));
    EXPECT_EQ(sizeToUnitString(1000000000000ULL), QStringLiteral("1.00 TB"));
    EXPECT_EQ(sizeToUnitString(1234567890123456ULL), QStringLiteral("1234.57 TB"));
    char buffer[64];
    EXPECT_STREQ(size_to_unit(463959, buffer), "463.96 KB");
    EXPECT_EQ(size_to_unit(5, buffer), buffer);
}

TEST(Utf8Text, ValidInvalidAndNonAscii) {
    EXPECT_EQ(GetStringFormChar("St. James's Park"), QStringLiteral("St. James's Park"));
    EXPECT_EQ(GetStringFormChar("Fr\xc3\xadtest"), QString::fromUtf8("Frítest"));
    EXPECT_EQ(GetStringFormChar("\xf0\x9f\x93\xb7 camera"), QString::fromUtf8("📷 camera"));
    EXPECT_TRUE(GetStringFormChar("bad \xc3\x28 bytes").isEmpty());
    EXPECT_FALSE(GetStringFormChar("").isNull());
    EXPECT_TRUE(GetStringFormChar(nullptr).isEmpty());

    uint32_t units[4] = {7, 7, 7, 7};
    EXPECT_EQ(Char2Unicode("abcdef", units, 4), 3); // room for three and the terminator
    EXPECT_EQ(units[0], uint32_t('a'));
    EXPECT_EQ(units[3], 0u);
    EXPECT_EQ(Char2Unicode("\xff", units, 4), 0);
    EXPECT_EQ(units[0], 0u);
}

TEST(Resize, ExactSizeWhiteUnderTransparency) {
    QImage source(40, 10, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 10; ++y)
            source.setPixelColor(x, y, Qt::red);
    const QImage out = resizeTo(source, 10, 30);
    EXPECT_EQ(out.size(), QSize(10, 30));
    EXPECT_EQ(out.pixelColor(1, 15).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ(out.pixelColor(8, 15).rgb(), QColor(Qt::white).rgb());
}

TEST(Dates, CheckAcceptsBothMetadataForms) {
    EXPECT_TRUE(CheckDateFormatWithDateString(QStringLiteral("2020:02:29 10:11:12")));
    EXPECT_TRUE(CheckDateFormatWithDateString(QStringLiteral("2020-02-29 10:11:12")));
    EXPECT_TRUE(CheckDateFormatWithDateString(QStringLiteral("2018:10:13 09:18:12")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2020/02/29 10:11:12")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2019:02:29 10:11:12")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2020:13:01 10:11:12")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2020:01:01 24:00:00")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2020:01:01")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2020:01:01 10:11:12 trailing")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("")));
    EXPECT_FALSE(CheckDateFormatWithDateString(QStringLiteral("2019-07-04 at 08:30:00")));
}

TEST(Dates, ParserTakesEachForm) {
    const QDateTime expected(QDate(2019, 7, 4), QTime(8, 30, 0));
    EXPECT_EQ(ConvertDateWithDateString(QStringLiteral("2019:07:04 08:30:00")), expected);
    EXPECT_EQ(ConvertDateWithDateString(QStringLiteral("2019-07-04 08:30:00")), expected);
    EXPECT_EQ(ConvertDateWithDateString(QStringLiteral("2019-07-04 at 08:30:00")), expected);
    EXPECT_EQ(ConvertDateWithDateString(QStringLiteral("2019:07:04 18:30:00")),
              QDateTime(QDate(2019, 7, 4), QTime(18, 30, 0)));

    const QDateTime utc =
        ConvertDateWithDateString(QStringLiteral("2019-07-04T08:30:00.000000+0000"));
    ASSERT_TRUE(utc.isValid());
    EXPECT_EQ(utc.toUTC(), QDateTime(QDate(2019, 7, 4), QTime(8, 30, 0), Qt::UTC));
    const QDateTime zoned =
        ConvertDateWithDateString(QStringLiteral("2019-07-04T08:30:00.250000-0230"));
    ASSERT_TRUE(zoned.isValid());
    EXPECT_EQ(zoned.toUTC(), QDateTime(QDate(2019, 7, 4), QTime(11, 0, 0, 250), Qt::UTC));

    EXPECT_FALSE(ConvertDateWithDateString(QStringLiteral("2019/07/04 08:30:00")).isValid());
    EXPECT_FALSE(ConvertDateWithDateString(QStringLiteral("2019-07-04T08:30:00+0000")).isValid());
    EXPECT_FALSE(ConvertDateWithDateString(QStringLiteral("July 4, 2019")).isValid());
    EXPECT_FALSE(ConvertDateWithDateString(QStringLiteral("2019-02-30 08:30:00")).isValid());
}
