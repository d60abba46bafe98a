#include "browser/core/CellTitle.h"

#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList linesOf(const QString &text) {
    return text.split(QChar(QChar::LineSeparator));
}

void expectFits(const QString &text, const QFontMetrics &metrics, int width) {
    const QStringList lines = linesOf(text);
    EXPECT_LE(lines.size(), 2) << text.toStdString();
    for (const QString &line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
}

} // namespace

TEST(CellTitle, LongNamesKeepTheirStartAndEndingWithinTwoLines) {
    const QFontMetrics metrics{QFont()};
    const int width = 99;
    const QString name = QStringLiteral("IMG_20181013_091812_HDR_panorama_final_0912.jpg");
    ASSERT_GT(metrics.horizontalAdvance(name), 2 * width); // too long even for two lines
    const QString shown = cellTitleText(name, metrics, width);
    expectFits(shown, metrics, width);
    const QStringList lines = linesOf(shown);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(name.startsWith(lines[0])) << shown.toStdString();
    EXPECT_TRUE(lines[1].contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(".jpg"))) << shown.toStdString();
}

TEST(CellTitle, ShortAndTwoLineNamesShowWhole) {
    const QFontMetrics metrics{QFont()};
    const int width = 99;
    EXPECT_EQ(cellTitleText(QStringLiteral("a.jpg"), metrics, width), "a.jpg");
    EXPECT_EQ(cellTitleText(QString(), metrics, width), "");

    // Two lines' worth, broken at the space: nothing is left out.
    const QString spaced = QStringLiteral("St James Park.jpg");
    const QString two = QStringLiteral("Holiday photos IMG_0042.jpg");
    const QString shown = cellTitleText(two, metrics, width);
    expectFits(shown, metrics, width);
    if (metrics.horizontalAdvance(two) > width) {
        EXPECT_FALSE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_EQ(shown.split(QChar(QChar::LineSeparator)).join(QLatin1Char(' ')), two);
    }
    expectFits(cellTitleText(spaced, metrics, width), metrics, width);

    // A name without spaces breaks anywhere, and still loses nothing when two lines hold it.
    const QString packed = QStringLiteral("IMG_20181013_0912.jpg");
    const QString packedShown = cellTitleText(packed, metrics, width);
    expectFits(packedShown, metrics, width);
    if (metrics.horizontalAdvance(packed) <= 2 * width - metrics.maxWidth()) {
        EXPECT_EQ(QString(packedShown).remove(QChar(QChar::LineSeparator)), packed);
    }
}
