#include "metadata/core/ReencodeEntries.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ReencodeEntries, RecompressedCopiesGoBesideTheOriginalAndNeverReplaceAFile) {
    QTemporaryDir dir;
    const QString park = copyFixture(QStringLiteral("St James Park.jpg"), dir.path());
    const QByteArray before = readAll(park);
    QString why;
    const QString first = compressPhotowithFilePath(park, &why);
    ASSERT_EQ(first, dir.path() + QStringLiteral("/St James Park_.jpg"))
        << first.toStdString() << why.toStdString();
    EXPECT_EQ(readAll(park), before);
    const QJsonObject tags = exiftool(first);
    EXPECT_EQ(tags.value(QStringLiteral("EXIF:Model")).toString(), QStringLiteral("NIKON D7000"));
    EXPECT_EQ(tags.value(QStringLiteral("IPTC:ObjectName")).toString(),
              QStringLiteral("St. James's Park"));
    // A second run finds the first copy there and takes the next free name.
    const QString second = compressPhotowithFilePath(park, &why);
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(second, first);
    EXPECT_TRUE(QFileInfo(first).isFile());

    // PNGs stay PNGs, without metadata.
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(dir.path() + QStringLiteral("/plain.png")));
    const QString png = compressPhotowithFilePath(dir.path() + QStringLiteral("/plain.png"), &why);
    ASSERT_EQ(png, dir.path() + QStringLiteral("/plain_.png")) << why.toStdString();
    EXPECT_EQ(ImageSource::fromPath(png).type(), QStringLiteral("public.png"));

    // Not a picture: nothing written, and the reason said.
    writeAll(dir.path() + QStringLiteral("/notes.jpg"), "not a photo");
    EXPECT_TRUE(
        compressPhotowithFilePath(dir.path() + QStringLiteral("/notes.jpg"), &why).isEmpty());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/notes_.jpg")));
    EXPECT_TRUE(
        compressPhotowithFilePath(dir.path() + QStringLiteral("/gone.jpg"), &why).isEmpty());

    const QString fromData =
        CompressPngWithImageData(readAll(park), dir.path() + QStringLiteral("/park.png"), &why);
    ASSERT_FALSE(fromData.isEmpty()) << why.toStdString();
    EXPECT_EQ(QImage(fromData).size(), QSize(2047, 1356));
    EXPECT_TRUE(
        CompressPngWithImageData("junk", dir.path() + QStringLiteral("/j.png"), &why).isEmpty());
}

TEST(ReencodeEntries, TheTiffDestinationKeepsTheSourcesOrientationAndMetadata) {
    QTemporaryDir dir;
    const QString wedding = copyFixture(QStringLiteral("wedding.jpg"), dir.path());
    const ImageSource source = ImageSource::fromPath(wedding);
    auto destination = createTiffImageDestination(dir.path() + QStringLiteral("/wedding.tiff"));
    ASSERT_TRUE(destination);
    ASSERT_TRUE(destination->addImageFromSource(source, source.properties(0)))
        << destination->errorString().toStdString();
    EXPECT_FALSE(destination->addImageFromSource(source, source.properties(0)));
    const QString written = destination->finalize();
    ASSERT_EQ(written, dir.path() + QStringLiteral("/wedding.tiff"))
        << destination->errorString().toStdString();
    const QJsonObject before = exiftool(wedding), after = exiftool(written);
    EXPECT_EQ(after.value(QStringLiteral("File:FileType")).toString(), QStringLiteral("TIFF"));
    EXPECT_EQ(after.value(QStringLiteral("EXIF:Model")),
              before.value(QStringLiteral("EXIF:Model")));
    EXPECT_EQ(after.value(QStringLiteral("EXIF:Orientation")),
              before.value(QStringLiteral("EXIF:Orientation")));
    EXPECT_FALSE(createTiffImageDestination(QString()));
}
