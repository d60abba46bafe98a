// Thumbnails come out upright whatever way the camera was held.
#include "platform/core/ImageSource.h"
#include "platform/core/Orientation.h"
#include "support/ImageTestHelpers.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Left half red, right half blue, 60 x 30.
QImage halves() {
    QImage image(60, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            image.setPixel(x, y, x < 30 ? qRgb(220, 0, 0) : qRgb(0, 0, 220));
    return image;
}

bool reddish(QRgb c) {
    return qRed(c) > 150 && qBlue(c) < 100;
}

} // namespace

TEST(ThumbnailOrientation, TheStoredOrientationTurnsThePreviewUpright) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("turned.jpg"));
    ASSERT_TRUE(halves().save(path, "JPEG", 95));
    // Orientation, and where the stored left edge (red) must then be seen.
    const struct {
        int orientation;
        QSize size;
        QPoint red, blue;
    } cases[] = {{1, {60, 30}, {5, 15}, {55, 15}},
                 {3, {60, 30}, {55, 15}, {5, 15}},
                 {6, {30, 60}, {15, 5}, {15, 55}},
                 {8, {30, 60}, {15, 55}, {15, 5}}};
    for (const auto &c : cases) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("exiftool"),
                                    {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                     QStringLiteral("-n"),
                                     QStringLiteral("-Orientation=%1").arg(c.orientation), path}),
                  0);
        const QImage thumb = ImageSource::fromPath(path).thumbnail(256);
        ASSERT_EQ(thumb.size(), c.size) << c.orientation;
        EXPECT_TRUE(reddish(thumb.pixel(c.red))) << c.orientation;
        EXPECT_FALSE(reddish(thumb.pixel(c.blue))) << c.orientation;
    }
    // Mirrored orientations flip without turning.
    const QImage mirrored = uprightImage(halves(), 2);
    EXPECT_FALSE(reddish(mirrored.pixel(5, 15)));
    EXPECT_TRUE(reddish(mirrored.pixel(55, 15)));
    EXPECT_EQ(uprightImage(halves(), 5).size(), QSize(30, 60));
    EXPECT_EQ(uprightImage(halves(), 42).size(), QSize(60, 30));
}
