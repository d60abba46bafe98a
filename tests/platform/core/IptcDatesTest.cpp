// IPTC dates and times as files store them: a write keeps what it was not asked to change and
// keeps the IPTC digest current.
#include "metadata/core/GpsChanges.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include "support/DatedPhotos.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

namespace {

// What the write recipe hands the destination: {TIFF} for the file, everything for the frame.
QByteArray rewrite(const ImageSource &source, const QVariantMap &working, QString *error) {
    QByteArray out;
    ImageDestination dest(&out, source.type(), source.count());
    dest.setProperties(working.value(QStringLiteral("{TIFF}")).toMap());
    for (int i = 0; i < source.count(); ++i)
        dest.addImageFromSource(source, i, working);
    if (!dest.finalize())
        *error = dest.errorString();
    return out;
}

QString written(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(writeAll(path, bytes));
    return path;
}

QStringList gpsTags(std::initializer_list<const char *> names) {
    QStringList out;
    for (const char *n : names)
        out << QStringLiteral("GPS:") + QLatin1String(n);
    out.sort();
    return out;
}

} // namespace

// "171856" came back "171856+0000" and GPSSpeed 0 and GPSTrack 0 appeared after a position was
// set; a zone such as -07:00 must survive as well.
TEST(IptcForms, APositionWriteChangesOnlyThePosition) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString rotated = makeRotatedDatedJpeg(dir.path());
    ASSERT_FALSE(rotated.isEmpty());
    const QString park = copyFixture(QStringLiteral("St James Park.jpg"), dir.path());
    struct Case {
        QString path;
        QString timeCreated;
        QStringList changed;
    } cases[] = {
        {rotated, QStringLiteral("17:18:56"),
         gpsTags(
             {"GPSVersionID", "GPSLatitudeRef", "GPSLatitude", "GPSLongitudeRef", "GPSLongitude"})},
        {park, QStringLiteral("09:18:12-07:00"),
         gpsTags({"GPSLatitudeRef", "GPSLatitude", "GPSLongitudeRef", "GPSLongitude"})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray bytes = readAll(c.path);
        const ImageSource source(bytes);
        ASSERT_TRUE(source.isValid());
        QVariantMap working = source.properties(0);
        working.insert(
            QStringLiteral("{GPS}"),
            gpsWithPosition(working.value(QStringLiteral("{GPS}")).toMap(), {-33.8568, 151.2153}));
        QString error;
        const QByteArray out = rewrite(source, working, &error);
        ASSERT_FALSE(out.isEmpty()) << error.toStdString();
        const QString path = written(dir, QStringLiteral("out.jpg"), out);

        const QJsonObject before = exiftoolAll(c.path);
        const QJsonObject after = exiftoolAll(path);
        EXPECT_EQ(changedTags(before, after), c.changed);
        EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), c.timeCreated);
        EXPECT_EQ(after.value("GPS:GPSLatitudeRef").toString(), QStringLiteral("South"));
        EXPECT_FALSE(after.contains("GPS:GPSSpeed"));
        EXPECT_FALSE(after.contains("GPS:GPSTrack"));
        EXPECT_EQ(jpegScanData(out), jpegScanData(bytes));

        // Read again, the unchanged IPTC is what the file had.
        EXPECT_EQ(ImageSource(out).properties(0).value("{IPTC}"),
                  source.properties(0).value("{IPTC}"));
    }
}

TEST(IptcForms, ChangedIptcKeepsItsDigestCurrent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString rotated = makeRotatedDatedJpeg(dir.path());
    ASSERT_FALSE(rotated.isEmpty());
    const QJsonObject before = exiftoolAll(rotated);
    ASSERT_EQ(before.value("Photoshop:IPTCDigest"), before.value("File:CurrentIPTCDigest"));
    ASSERT_FALSE(before.contains("ExifTool:Warning"));

    const ImageSource source(readAll(rotated));
    QVariantMap working = source.properties(0);
    QVariantMap iptc = working.value("{IPTC}").toMap();
    iptc.insert("ObjectName", QStringLiteral("Turned"));
    iptc.insert("TimeCreated", QStringLiteral("101112-0300"));
    working.insert("{IPTC}", iptc);
    QString error;
    const QByteArray out = rewrite(source, working, &error);
    ASSERT_FALSE(out.isEmpty()) << error.toStdString();
    const QJsonObject after = exiftoolAll(written(dir, "changed.jpg", out));
    EXPECT_EQ(after.value("IPTC:ObjectName").toString(), QStringLiteral("Turned"));
    EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), QStringLiteral("10:11:12-03:00"));
    EXPECT_NE(after.value("File:CurrentIPTCDigest"), before.value("File:CurrentIPTCDigest"));
    EXPECT_EQ(after.value("Photoshop:IPTCDigest"), after.value("File:CurrentIPTCDigest"));
    EXPECT_FALSE(after.contains("ExifTool:Warning"))
        << after.value("ExifTool:Warning").toString().toStdString();
    // The other zoneless time is left as it was stored.
    EXPECT_EQ(after.value("IPTC:DigitalCreationTime").toString(), QStringLiteral("17:18:56"));

    // With the IPTC gone there is nothing for the XMP to be out of step with.
    working.insert("{IPTC}", QVariant());
    const QByteArray bare = rewrite(source, working, &error);
    ASSERT_FALSE(bare.isEmpty()) << error.toStdString();
    const QJsonObject none = exiftoolAll(written(dir, "bare.jpg", bare));
    EXPECT_FALSE(none.contains("IPTC:ObjectName"));
    EXPECT_FALSE(none.contains("ExifTool:Warning"))
        << none.value("ExifTool:Warning").toString().toStdString();
}

// A TIFF keeps its IPTC in a tag of its own; a time stored there without a zone stays so too.
TEST(IptcForms, ATiffKeepsItsZonelessTimes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("plain.tiff");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(path, "TIFF"));
    const QString block = dir.filePath("plain.iptc");
    ASSERT_TRUE(writeAll(block, iptcDataset(0, QByteArray("\x00\x04", 2)) +
                                    iptcDataset(55, "20190504") + iptcDataset(60, "171856")));
    ASSERT_TRUE(exiftoolWrite(path, {"-IPTC<=" + block}));
    ASSERT_EQ(exiftoolAll(path).value("IPTC:TimeCreated").toString(), QStringLiteral("17:18:56"));

    const ImageSource source(readAll(path));
    ASSERT_TRUE(source.isValid());
    QVariantMap working = source.properties(0);
    EXPECT_EQ(working.value("{IPTC}").toMap().value("TimeCreated").toString(),
              QStringLiteral("171856"));
    QVariantMap iptc = working.value("{IPTC}").toMap();
    iptc.insert("City", QStringLiteral("Oslo"));
    working.insert("{IPTC}", iptc);
    QString error;
    const QByteArray out = rewrite(source, working, &error);
    ASSERT_FALSE(out.isEmpty()) << error.toStdString();
    const QJsonObject after = exiftoolAll(written(dir, "out.tiff", out));
    EXPECT_EQ(after.value("IPTC:City").toString(), QStringLiteral("Oslo"));
    EXPECT_EQ(after.value("IPTC:TimeCreated").toString(), QStringLiteral("17:18:56"));
    EXPECT_EQ(after.value("IPTC:DateCreated").toString(), QStringLiteral("2019:05:04"));

    // A write given no IPTC at all still stores the block again.
    const QByteArray artist =
        rewrite(source, {{"{TIFF}", QVariantMap{{"Artist", QStringLiteral("Ann")}}}}, &error);
    ASSERT_FALSE(artist.isEmpty()) << error.toStdString();
    const QJsonObject other = exiftoolAll(written(dir, "artist.tiff", artist));
    EXPECT_EQ(other.value("IFD0:Artist").toString(), QStringLiteral("Ann"));
    EXPECT_EQ(other.value("IPTC:TimeCreated").toString(), QStringLiteral("17:18:56"));
}
