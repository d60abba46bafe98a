#include "metadata/core/DateArithmetic.h"
#include "metadata/core/FileNameDate.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
} // namespace

TEST(DateArithmetic, CarriesAcrossYearEndsAndMonthEnds) {
    EXPECT_EQ(AddTimeIntwithDate(local(2021, 12, 31, 23, 30), 0, 0, 0, 1, 0, 0), "2022:1:1 0:30:0");
    EXPECT_EQ(SubDateTimeIntwithDate(local(2021, 3, 1, 8), 0, 0, 1, 0, 0, 0),
              local(2021, 2, 28, 8));
    EXPECT_EQ(SubDateTimeIntwithDate(local(2024, 3, 1), 0, 0, 1, 0, 0, 0), local(2024, 2, 29));
    // A day past the end of the target month falls back to its last day.
    EXPECT_EQ(AddDateTimeIntwithDate(local(2021, 1, 31, 12), 0, 1, 0, 0, 0, 0),
              local(2021, 2, 28, 12));
    EXPECT_EQ(AddDateTimeIntwithDate(local(2024, 1, 31), 0, 1, 0, 0, 0, 0), local(2024, 2, 29));
    EXPECT_EQ(SubDateTimeIntwithDate(local(2021, 3, 31), 0, 1, 0, 0, 0, 0), local(2021, 2, 28));
    EXPECT_EQ(AddDateTimeIntwithDate(local(2020, 2, 29), 1, 0, 0, 0, 0, 0), local(2021, 2, 28));
    EXPECT_EQ(AddDateTimeIntwithDate(local(2021, 11, 30), 0, 14, 0, 0, 0, 0), local(2023, 1, 30));
    // Seconds past a minute carry over.
    EXPECT_EQ(AddDateTimeIntwithDate(local(2021, 1, 1), 0, 0, 0, 0, 0, 3725),
              local(2021, 1, 1, 1, 2, 5));
}

TEST(DateArithmetic, ZeroAmountsAndTextForm) {
    const QDateTime d = local(2021, 3, 4, 6, 7, 8);
    EXPECT_EQ(AddTimeIntwithDate(d, 0, 0, 0, 0, 0, 0), "2021:3:4 6:7:8");
    EXPECT_EQ(AddDateTimeIntwithDate(d, 0, 0, 0, 0, 0, 0), d);
    EXPECT_EQ(SubTimeIntwithDate(d, 1, 0, 0, 0, 0, 0), "2020:3:4 6:7:8");
    // The minimum of a 32-bit amount does not overflow when negated.
    EXPECT_TRUE(SubDateTimeIntwithDate(d, 0, 0, 0, 0, 0, INT_MIN).isValid());
}

TEST(DateArithmetic, MonthLengthsAndSteps) {
    EXPECT_EQ(getTimeIntwithDate(local(2024, 1, 10), 1), 2505600);
    EXPECT_EQ(getTimeIntwithDate(local(2023, 1, 10), 1), 2419200);
    EXPECT_EQ(getTimeIntwithDate(local(2023, 11, 10), 1), 2678400);
    EXPECT_EQ(getTimeIntwithDate(local(2023, 12, 10), 1), 0);
    EXPECT_EQ(getTimeIntwithDate(local(2023, 10, 10), 3), 0);
    EXPECT_EQ(stepSeconds(5, 2, "Minute"), 600);
    EXPECT_EQ(stepSeconds(5, 2, "Day"), 0);
    // Past 32 bits: 100000 hours x 10 photos.
    EXPECT_EQ(stepSeconds(100000, 10, "Hour"), 3600000000LL);
}

TEST(DateArithmetic, IptcTextsAreUtcOfTheLocalInstant) {
    const QDateTime d(QDate(2021, 3, 4), QTime(5, 6, 7), QTimeZone(3600));
    EXPECT_EQ(iptcDateText(d), "20210304");
    EXPECT_EQ(iptcTimeText(d), "040607");
    EXPECT_EQ(exifDateText(local(2021, 3, 4, 5, 6, 7)), "2021:03:04 05:06:07");
    EXPECT_EQ(cutZonePart("2021-03-04 05:06:07 +0000"), "2021-03-04 05:06:07");
    EXPECT_EQ(cutZonePart("2021:03:04 05:06:07"), "2021:03:04 05:06:07");
    EXPECT_EQ(GetChangeDateforExifDate("2021:03:04 05:06:07", 60), "2021-03-04 05:07:07");
    EXPECT_EQ(GetChangeDateforExifDate("no date", 60), "no date");
}

TEST(FileNameDate, CandidateTable) {
    EXPECT_EQ(cameraDateCandidate("IMG_20200105_123045"), "2020:01:05 12:30:45");
    EXPECT_EQ(cameraDateCandidate("20200105123045"), "2020:01:05 12:30:45");
    EXPECT_EQ(cameraDateCandidate("IMG-20200105-WA0001"), "2020:01:05 00:00:00");
    EXPECT_EQ(cameraDateCandidate("2020-01-05 12.30.45"), "2020:01:05 12:30:45");
    EXPECT_EQ(cameraDateCandidate("2020_01_05_12_30_45"), "2020:01:05 12:30:45");
    EXPECT_EQ(cameraDateCandidate("2020-01-05"), "2020 00:00:00");
    EXPECT_EQ(cameraDateCandidate("1"), "1");
    EXPECT_EQ(cameraDateCandidate("20200105 123045"), "2020:01:05 12:30:45");
    EXPECT_EQ(cameraDateCandidate("PXL_20200105"), "20200105");
}

TEST(FileNameDate, WholeRuleGivesOnlyRealDates) {
    FileNameDate d = dateFromFileName("IMG_20200105_123045.jpg");
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.text, "2020:01:05 12:30:45");
    EXPECT_FALSE(d.detected.isValid()); // the parser found it: no IPTC dates
    d = dateFromFileName("2020-01-05.jpg");
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.text, "2020:01:05 00:00:00");
    EXPECT_EQ(d.detected, local(2020, 1, 5));
    d = dateFromFileName("Party on 5 January 2020.jpg");
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.text, "2020:01:05 00:00:00");
    d = dateFromFileName("PXL_20200105.jpg");
    EXPECT_EQ(d.text, "2020:01:05 00:00:00");
    d = dateFromFileName("1.jpg");
    EXPECT_FALSE(d.valid);
    d = dateFromFileName("IMG_99999999_999999.jpg");
    EXPECT_FALSE(d.valid);
    d = dateFromFileName("holiday.jpg");
    EXPECT_FALSE(d.valid);
}

TEST(FileNameDate, DetectorFindsDatesInTextOrder) {
    const QList<DateMatch> m = detectDates("from March 3, 2021 to 2021-04-05 10:11:12");
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[0].date, local(2021, 3, 3));
    EXPECT_EQ(m[1].date, local(2021, 4, 5, 10, 11, 12));
    EXPECT_TRUE(detectDates("2021-13-45").isEmpty());
    EXPECT_TRUE(detectDates("00:00:00").isEmpty());
}
