// Removing IPTC must leave no copy a reader could bring back, and persons shown travel
// through the IPTC dictionary.
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray rewrite(const QByteArray &bytes, const QVariantMap &frame) {
    ImageSource source(bytes);
    QByteArray out;
    ImageDestination dest(&out, source.type(), 1);
    dest.addImageFromSource(source, 0, frame);
    EXPECT_TRUE(dest.finalize()) << dest.errorString().toStdString();
    return out;
}

QStringList keysOfGroup(const QJsonObject &json, const QString &group) {
    QStringList out;
    for (auto it = json.begin(); it != json.end(); ++it)
        if (it.key().startsWith(group + ':'))
            out << it.key();
    return out;
}

} // namespace

TEST(IptcRemoval, TakesThePhotoshopBlockAndTheXmpMirrorsButNothingElse) {
    QTemporaryDir dir;
    const QString path = copyFixture("St James Park.jpg", dir.path());
    QVariantMap working = ImageSource(readAll(path)).properties(0);
    ASSERT_TRUE(working.contains("{IPTC}"));
    working.insert("{IPTC}", QVariant());
    const QString out = dir.filePath("out.jpg");
    ASSERT_TRUE(writeAll(out, rewrite(readAll(path), working)));

    const QJsonObject json = exiftoolJson(out, {"-G", "-a"});
    EXPECT_TRUE(keysOfGroup(json, "IPTC").isEmpty())
        << keysOfGroup(json, "IPTC").join(' ').toStdString();
    EXPECT_FALSE(json.contains("XMP:Title"));
    EXPECT_FALSE(json.contains("XMP:TagsList"));
    // Exif and GPS, which mirror nothing of IPTC, stay.
    EXPECT_EQ(json.value("EXIF:Artist").toString(), "Jeff Hitchcock");
    EXPECT_EQ(json.value("EXIF:GPSLatitudeRef").toString(), "North");
    EXPECT_FALSE(ImageSource(readAll(out)).properties(0).contains("{IPTC}"));
}

TEST(IptcRemoval, KeepsADescriptionThatMirrorsTheExifCaption) {
    QTemporaryDir dir;
    const QString path = copyFixture("wedding.jpg", dir.path());
    QVariantMap working = ImageSource(readAll(path)).properties(0);
    working.insert("{IPTC}", QVariant());
    const QString out = dir.filePath("out.jpg");
    ASSERT_TRUE(writeAll(out, rewrite(readAll(path), working)));
    const QJsonObject json = exiftoolJson(out, {"-G"});
    EXPECT_TRUE(keysOfGroup(json, "IPTC").isEmpty());
    // wedding.jpg has keywords, so their XMP lists go; its caption is an Exif one.
    EXPECT_FALSE(json.contains("XMP:Subject"));
    EXPECT_FALSE(json.contains("XMP:TagsList"));
    EXPECT_FALSE(json.contains("XMP:PersonInImage"));
    EXPECT_EQ(json.value("XMP:Description").toString(), "Bride Wedding day");
    EXPECT_EQ(json.value("EXIF:ImageDescription").toString(), "Bride Wedding day");
}

TEST(IptcRemoval, OneRemovedTagTakesItsTwinOnly) {
    QTemporaryDir dir;
    const QString path = copyFixture("St James Park.jpg", dir.path());
    QVariantMap working = ImageSource(readAll(path)).properties(0);
    QVariantMap iptc = working.value("{IPTC}").toMap();
    iptc.insert("ObjectName", QVariant());
    iptc.insert("City", "London");
    working.insert("{IPTC}", iptc);
    const QString out = dir.filePath("out.jpg");
    ASSERT_TRUE(writeAll(out, rewrite(readAll(path), working)));
    const QJsonObject json = exiftoolJson(out, {"-G"});
    EXPECT_FALSE(json.contains("IPTC:ObjectName"));
    EXPECT_FALSE(json.contains("XMP:Title"));
    EXPECT_EQ(json.value("IPTC:City").toString(), "London");
    EXPECT_EQ(json.value("XMP:City").toString(), "London");
    EXPECT_EQ(json.value("IPTC:Keywords").toArray().size(), 6);
}

TEST(PersonsShown, AreReadAndWrittenAsAnIptcList) {
    QTemporaryDir dir;
    const QString path = copyFixture("wedding.jpg", dir.path());
    QVariantMap working = ImageSource(readAll(path)).properties(0);
    QVariantMap iptc = working.value("{IPTC}").toMap();
    EXPECT_EQ(iptc.value("PersonInImage").toStringList(), QStringList{"Maria"});
    iptc.insert("PersonInImage", QStringList{"Maria", "Jon Snow"});
    working.insert("{IPTC}", iptc);
    const QString out = dir.filePath("out.jpg");
    ASSERT_TRUE(writeAll(out, rewrite(readAll(path), working)));
    const QJsonObject json = exiftoolJson(out, {"-G"});
    EXPECT_EQ(json.value("XMP:PersonInImage").toArray().size(), 2);
    EXPECT_EQ(ImageSource(readAll(out))
                  .properties(0)
                  .value("{IPTC}")
                  .toMap()
                  .value("PersonInImage")
                  .toStringList(),
              (QStringList{"Maria", "Jon Snow"}));
}

TEST(Orientation, SurvivesTheRemovalOfTheTiffDictionary) {
    QTemporaryDir dir;
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString path = dir.filePath("o.jpg");
    ASSERT_TRUE(image.save(path, "JPEG"));
    QVariantMap set{{"Orientation", 6}, {"{TIFF}", QVariantMap{{"Make", "Kestry"}}}};
    const QByteArray turned = rewrite(readAll(path), set);
    QVariantMap working = ImageSource(turned).properties(0);
    ASSERT_EQ(working.value("Orientation").toInt(), 6);
    working.insert("{TIFF}", QVariant());
    const QVariantMap after = ImageSource(rewrite(turned, working)).properties(0);
    EXPECT_EQ(after.value("Orientation").toInt(), 6);
    EXPECT_FALSE(after.value("{TIFF}").toMap().contains("Make"));
}

TEST(IptcRemoval, TiffAndPngLoseTheirIptcToo) {
    QTemporaryDir dir;
    QImage image(32, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (const char *format : {"TIFF", "PNG"}) {
        const QString path =
            dir.filePath(QStringLiteral("p.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(image.save(path, format));
        QProcess p;
        p.start("exiftool", {"-q", "-overwrite_original", "-IPTC:ObjectName=Secret",
                             "-IPTC:Keywords=k", "-XMP-dc:Title=Secret", "-EXIF:Artist=Me", path});
        ASSERT_TRUE(p.waitForFinished(30000));
        QVariantMap working = ImageSource(readAll(path)).properties(0);
        ASSERT_EQ(working.value("{IPTC}").toMap().value("ObjectName").toString(), "Secret")
            << format;
        working.insert("{IPTC}", QVariant());
        const QString out = dir.filePath(QStringLiteral("out-") + QFileInfo(path).fileName());
        ASSERT_TRUE(writeAll(out, rewrite(readAll(path), working)));
        const QJsonObject json = exiftoolJson(out, {"-G"});
        EXPECT_TRUE(keysOfGroup(json, "IPTC").isEmpty()) << format;
        EXPECT_FALSE(json.contains("XMP:Title")) << format;
        EXPECT_EQ(json.value("EXIF:Artist").toString(), "Me") << format;
    }
}
