#include "batch/core/SidecarMerge.h"
#include "batch/core/SidecarRewrite.h"
#include "platform/core/ExiftoolSession.h"
#include "platform/core/FileDates.h"
#include "platform/core/SafeWrite.h"
#include "support/DatedPhotos.h"
#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

namespace {

QString takeoutJson(const QString &title, const QString &description, qint64 timestamp,
                    const char *geo, const char *geoExif) {
    return QStringLiteral(R"({
  "title": "%1",
  "description": "%2",
  "imageViews": "4",
  "creationTime": {
    "timestamp": "1600000000",
    "formatted": "Sep 13, 2020, 12:26:40 PM UTC"
  },
  "photoTakenTime": {
    "timestamp": "%3",
    "formatted": "%4"
  },
  "geoData": %5,
  "geoDataExif": %6
})")
        .arg(title, description)
        .arg(timestamp)
        .arg(QDateTime::fromSecsSinceEpoch(timestamp, QTimeZone::utc())
                 .toString(QStringLiteral("MMM d, yyyy, h:mm:ss AP 'UTC'")),
             QLatin1String(geo), QLatin1String(geoExif));
}

const char *kZero = R"({"latitude": 0.0, "longitude": 0.0, "altitude": 0.0})";
const char *kSanFrancisco = R"({"latitude": 37.7749, "longitude": -122.4194, "altitude": 12.5})";

void put(const QString &path, const QByteArray &bytes) {
    ASSERT_TRUE(writeAll(path, bytes)) << path.toStdString();
}

QJsonObject tags(const QString &path) {
    return exiftoolJson(path, {QStringLiteral("-G1"), QStringLiteral("-a")});
}

QString tag(const QString &path, const char *name) {
    return tags(path).value(QLatin1String(name)).toVariant().toString();
}

QByteArray md5(const QString &path) {
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Md5).toHex();
}

// ffmpeg's digest of every decoded audio and video frame.
QByteArray streamDigest(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {"-v", "error", "-i", path, "-map", "0:v", "-map", "0:a", "-f", "md5", "-"});
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed();
}

QStringList leftovers(const QString &dir) {
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        if (QFileInfo(p).fileName().startsWith(QLatin1String(SafeWrite::kTemporaryPrefix)))
            found << p;
    }
    return found;
}

QDateTime utcSeconds(qint64 s) {
    return QDateTime::fromSecsSinceEpoch(s, QTimeZone::utc());
}

} // namespace

// One Takeout folder as exports hold it: plain and supplemental names, duplicates, a photo
// whose sidecar has no position, an edited copy, a cut JSON, a sidecar without its photo, a
// file that is no image.
TEST(TakeoutMerge, WritesEachSidecarIntoItsOwnPhotos) {
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/Takeout/Photos from 2017");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString wedding = copyFixture("wedding.jpg", dir);
    const QString park = copyFixture("St James Park.jpg", dir);
    const QString first = dir + "/IMG_1.JPG", second = dir + "/IMG_1(1).JPG";
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_1994.JPG"), first));
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_1994.JPG"), second));
    const QString edited = dir + "/wedding-edited.jpg";
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), edited));
    QFile::setPermissions(first, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QFile::setPermissions(second, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(edited, QFile::ReadOwner | QFile::WriteOwner);
    const QString broken = dir + "/broken.jpg";
    put(broken, "this is no JPEG at all");
    const QByteArray brokenBefore = readAll(broken);
    const QImage parkPixels(park);
    const QJsonObject parkBefore = tags(park);

    put(wedding + ".json", takeoutJson("wedding.jpg", R"(Say \"cheese\", then: caf\u00e9, \\o/)",
                                       1500000000, kZero, kSanFrancisco)
                               .toUtf8());
    put(dir + "/St James Park.jpg.supplemental-metadata.json",
        takeoutJson("St James Park.jpg", "", 1258375918, kZero, kZero).toUtf8());
    put(dir + "/IMG_1.JPG.supplemental-metadata.json",
        takeoutJson("IMG_1.JPG", "", 1400000000, kZero, kZero).toUtf8());
    put(dir + "/IMG_1.JPG.supplemental-metadata(1).json",
        takeoutJson("IMG_1.JPG", "", 1450000000, kZero, kZero).toUtf8());
    put(dir + "/broken.jpg.json", takeoutJson("broken.jpg", "", 1400000000, kZero, kZero).toUtf8());
    put(dir + "/cut.jpg.json", takeoutJson("cut.jpg", "", 1, kZero, kZero).toUtf8().left(90));
    put(dir + "/gone.jpg.json", takeoutJson("gone.jpg", "", 1, kZero, kZero).toUtf8());
    // Albums describe themselves, in the account's language and, in older exports, inside
    // "albumData".
    for (const char *album : {"Trip to Paris", "Vacances"})
        ASSERT_TRUE(QDir().mkpath(tmp.path() + "/Takeout/" + album));
    put(tmp.path() + "/Takeout/Trip to Paris/metadata.json", R"({
  "title": "Trip to Paris",
  "description": "",
  "access": "protected",
  "date": {"timestamp": "1577880000", "formatted": "Jan 1, 2020, 12:00:00 PM UTC"}
})");
    put(tmp.path() + "/Takeout/Vacances/métadonnées.json",
        R"({"albumData": {"title": "Vacances", "date": {"timestamp": "1577880000"}}})");

    QList<std::pair<int, int>> steps;
    const SidecarMergeSummary s =
        ScanJsonPhotosItemThreader(tmp.path() + "/Takeout", [&](int done, int total) {
            steps.append({done, total});
        });

    // Every sidecar is accounted for: merged, unpaired or named with its reason; the albums'
    // own descriptions are theirs, neither unpaired nor left undone.
    EXPECT_EQ(s.sidecars, 7);
    EXPECT_EQ(s.albums, 2);
    const QString listed = (s.unpaired + s.skipped).join('\n');
    EXPECT_FALSE(listed.contains("metadata.json")) << listed.toStdString();
    EXPECT_FALSE(listed.contains("donn")) << listed.toStdString();
    // Progress counts the files written: six photos (the edited copy too, the broken one tried).
    ASSERT_EQ(steps.size(), 6);
    EXPECT_EQ(steps.last(), std::make_pair(6, 6));
    EXPECT_EQ(s.unpaired, QStringList{dir + "/gone.jpg.json"});
    EXPECT_TRUE(s.text().contains(QStringLiteral("cut.jpg.json: not JSON")))
        << s.text().toStdString();
    EXPECT_TRUE(s.text().contains(QStringLiteral("broken.jpg: not a photo")))
        << s.text().toStdString();
    EXPECT_EQ(readAll(broken), brokenBefore);
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty()) << leftovers(tmp.path()).join(' ').toStdString();

    // The date keeps its instant: UTC wall clock, its offset, IPTC in UTC, the file dates.
    EXPECT_EQ(tag(wedding, "ExifIFD:DateTimeOriginal"), "2017:07:14 02:40:00");
    EXPECT_EQ(tag(wedding, "ExifIFD:OffsetTimeOriginal"), "+00:00");
    EXPECT_EQ(tag(wedding, "ExifIFD:CreateDate"), "2017:07:14 02:40:00");
    EXPECT_EQ(tag(wedding, "IPTC:DateCreated"), "2017:07:14");
    EXPECT_EQ(tag(wedding, "IPTC:TimeCreated"), "02:40:00+00:00");
    EXPECT_EQ(FileDates::modificationDate(wedding), utcSeconds(1500000000));
    EXPECT_EQ(FileDates::creationDate(wedding), utcSeconds(1500000000));
    // The sidecars are dated alike, also one whose photo could not be written.
    for (const QString &json : {wedding + ".json", broken + ".json"}) {
        EXPECT_EQ(FileDates::modificationDate(json),
                  json == broken + ".json" ? utcSeconds(1400000000) : utcSeconds(1500000000));
        EXPECT_EQ(FileDates::creationDate(json), FileDates::modificationDate(json));
    }
    // Decoded texts, the position of geoDataExif since geoData holds zeros, and no Artist:
    // the title is only the photo's name.
    EXPECT_EQ(tag(wedding, "IFD0:ImageDescription"),
              QString::fromUtf8("Say \"cheese\", then: caf\u00e9, \\o/"));
    EXPECT_FALSE(tags(wedding).contains("IFD0:Artist"));
    const QJsonObject gps = exiftoolNumbers(wedding);
    EXPECT_NEAR(gps.value("Composite:GPSLatitude").toDouble(), 37.7749, 1e-5);
    EXPECT_NEAR(gps.value("Composite:GPSLongitude").toDouble(), -122.4194, 1e-5);
    EXPECT_EQ(gps.value("GPS:GPSLongitudeRef").toString(), "W");
    // The position's altitude too, above sea level.
    EXPECT_NEAR(gps.value("GPS:GPSAltitude").toDouble(), 12.5, 1e-6);
    EXPECT_EQ(gps.value("GPS:GPSAltitudeRef").toInt(), 0);
    EXPECT_EQ(tags(wedding).value("IPTC:Keywords").toString(), "wedding");
    // The edited copy has no sidecar of its own: it takes its original's.
    EXPECT_EQ(tag(edited, "ExifIFD:DateTimeOriginal"), "2017:07:14 02:40:00");
    EXPECT_EQ(QFileInfo(edited).permissions() & 0x7777,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A zero position and an empty description leave the photo's own alone; its
    // photographer stays; its pixels are untouched.
    const QJsonObject parkGps = exiftoolNumbers(park);
    EXPECT_NEAR(parkGps.value("Composite:GPSLatitude").toDouble(), 51.50357, 1e-4);
    EXPECT_NEAR(parkGps.value("Composite:GPSLongitude").toDouble(), -0.131806, 1e-4);
    EXPECT_EQ(tag(park, "IFD0:Artist"), "Jeff Hitchcock");
    EXPECT_EQ(tag(park, "IPTC:By-line"), "Jeff Hitchcock");
    EXPECT_EQ(tag(park, "ExifIFD:DateTimeOriginal"), "2009:11:16 12:51:58");
    EXPECT_EQ(tags(park).value("IPTC:Keywords").toArray().size(), 6);
    EXPECT_EQ(QImage(park), parkPixels);
    for (const char *kept : {"IFD0:Make", "IFD0:Model", "ExifIFD:ExposureTime", "IFD0:Copyright",
                             "IPTC:ObjectName", "ExifIFD:LensModel"})
        EXPECT_EQ(tags(park).value(kept), parkBefore.value(kept)) << kept;

    // Each duplicate takes its own sidecar, and keeps its own mode.
    EXPECT_EQ(FileDates::modificationDate(first), utcSeconds(1400000000));
    EXPECT_EQ(FileDates::modificationDate(second), utcSeconds(1450000000));
    EXPECT_EQ(QFileInfo(first).permissions() & QFile::ReadGroup, QFile::ReadGroup);
}

// A caption of several lines reaches a HEIC (through exiftool) as it reaches a JPEG, and every
// copy of the caption and date the photo holds; a title that is the file name names no
// photographer.
TEST(TakeoutMerge, CaptionLinesReachEveryCopy) {
    QTemporaryDir tmp;
    const QString heic = copyFixture("IMG_3092.heic", tmp.path());
    const QString jpeg = copyFixture("wedding.jpg", tmp.path());
    ASSERT_TRUE(exiftoolWrite(heic, {"-XMP-dc:Description=old"}));
    ASSERT_TRUE(exiftoolWrite(jpeg, {"-IPTC:Caption-Abstract=old", "-XMP-dc:Description=old"}));
    // As it comes, this one has its caption in XMP alone, beside other IPTC values.
    const QString xmpOnly = tmp.filePath("xmp-caption.jpg");
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), xmpOnly));
    QFile::setPermissions(xmpOnly, QFile::ReadOwner | QFile::WriteOwner);
    const QString caption = QStringLiteral("Line one\nLine two: C:\\path, $HOME & caf\u00e9");
    for (const QString &photo : {heic, jpeg, xmpOnly})
        put(photo + ".json", takeoutJson(QFileInfo(photo).fileName(),
                                         R"(Line one\nLine two: C:\\path, $HOME & caf\u00e9)",
                                         1500000000, kZero, kZero)
                                 .toUtf8());
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    EXPECT_EQ(s.merged.size(), 3) << s.text().toStdString();
    for (const QString &photo : {heic, jpeg, xmpOnly}) {
        SCOPED_TRACE(photo.toStdString());
        const QJsonObject t = tags(photo);
        QStringList copies = {"IFD0:ImageDescription", "XMP-dc:Description"};
        if (photo == jpeg)
            copies << "IPTC:Caption-Abstract";
        for (const QString &copy : copies)
            EXPECT_EQ(t.value(copy).toString(), caption) << copy.toStdString();
        EXPECT_EQ(t.contains("IPTC:Caption-Abstract"), photo == jpeg);
        for (const char *none : {"IFD0:Artist", "IPTC:By-line", "XMP-dc:Creator"})
            EXPECT_FALSE(t.contains(none)) << none;
        EXPECT_EQ(t.value("ExifIFD:DateTimeOriginal").toString(), "2017:07:14 02:40:00");
    }
    EXPECT_EQ(jpegScanData(readAll(xmpOnly)), jpegScanData(readAll(fixturePath("wedding.jpg"))));
    // The iPhone HEIC's XMP dates move with its Exif date rather than going.
    const QJsonObject h = tags(heic);
    for (const char *date : {"XMP-photoshop:DateCreated", "XMP-xmp:CreateDate"})
        EXPECT_EQ(h.value(date).toString(), "2017:07:14 02:40:00+00:00") << date;
}

// A sidecar nobody claims by name goes to exactly one unpaired photo it fits, or to none.
TEST(TakeoutMerge, LooseMatchesOnlyAnUnpairedPhotoThatAloneFits) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QString p123 = dir + "/IMG_123.JPG", p124 = dir + "/IMG_124.JPG";
    const QString p125 = dir + "/IMG_125.jpeg", p126 = dir + "/IMG_126.jpeg";
    for (const QString &p : {p123, p124, p125, p126})
        ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), p));
    put(dir + "/IMG_123.JPG.json",
        takeoutJson("IMG_123.JPG", "", 1300000000, kZero, kZero).toUtf8());
    // Another spelling of the extension: no name match, one loose one.
    put(dir + "/IMG_124.jpg.json",
        takeoutJson("IMG_124.jpg", "", 1240000000, kZero, kZero).toUtf8());
    // "IMG_12" is in "IMG_125" and "IMG_126" (IMG_123 and IMG_124 are merged): none written.
    put(dir + "/IMG_12.JPG.json", takeoutJson("IMG_12.JPG", "", 1200000000, kZero, kZero).toUtf8());
    // No date of its own: its creation date becomes its modification date too.
    const QString undated = dir + "/scan.png";
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(undated));
    ASSERT_TRUE(FileDates::setCreationDate(undated, utcSeconds(1000000000)));
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(dir, {});
    EXPECT_EQ(FileDates::modificationDate(undated), utcSeconds(1000000000));
    EXPECT_EQ(tag(p123, "ExifIFD:DateTimeOriginal"), "2011:03:13 07:06:40");
    EXPECT_EQ(tag(p124, "ExifIFD:DateTimeOriginal"), "2009:04:17 20:26:40");
    EXPECT_EQ(tag(p124, "IFD0:ModifyDate"), "2009:04:17 20:26:40");
    EXPECT_EQ(s.unpaired, QStringList{dir + "/IMG_12.JPG.json"});
    // Photos no sidecar reached keep their metadata and take their own Exif date as file dates.
    for (const QString &p : {p125, p126}) {
        EXPECT_EQ(tag(p, "ExifIFD:DateTimeOriginal"), "2019:04:15 14:40:24");
        EXPECT_EQ(md5(p), md5(fixturePath("wedding.jpg")));
        EXPECT_EQ(FileDates::modificationDate(p),
                  QDateTime(QDate(2019, 4, 15), QTime(14, 40, 24), QTimeZone::systemTimeZone()));
    }
}

// Both fixture videos keep every stream and packet; the values read back.
TEST(TakeoutMerge, VideosKeepTheirStreams) {
    QTemporaryDir tmp;
    const QString mov = copyFixture("IMG_0123.mov", tmp.path());
    const QString mp4 = copyFixture("clip.mp4", tmp.path());
    const QByteArray movStreams = streamDigest(mov), mp4Streams = streamDigest(mp4);
    ASSERT_FALSE(movStreams.isEmpty());
    put(mov + ".json", takeoutJson("Trip", "", 1500000000, kSanFrancisco, kZero).toUtf8());
    put(tmp.path() + "/clip.mp4.supplemental-metadata.json",
        takeoutJson("Clip", "", 1500000001, kZero, kZero).toUtf8());
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    EXPECT_EQ(s.merged.size(), 2) << s.text().toStdString();

    EXPECT_EQ(streamDigest(mov), movStreams);
    EXPECT_EQ(streamDigest(mp4), mp4Streams);
    const QJsonObject m = tags(mov);
    EXPECT_EQ(m.value("ItemList:Title").toString(), "Trip");
    EXPECT_EQ(m.value("UserData:DateTimeOriginal").toString(), "2017:07:14 02:40:00+00:00");
    EXPECT_EQ(m.value("Keys:CreationDate").toString(), "2017:07:14 02:40:00+00:00");
    // The movie header's date is UTC without an offset.
    EXPECT_EQ(m.value("QuickTime:CreateDate").toString(), "2017:07:14 02:40:00");
    EXPECT_EQ(FileDates::modificationDate(mov + ".json"), utcSeconds(1500000000));
    EXPECT_EQ(m.value("Track3:MetaFormat").toString(), "mebx");
    EXPECT_EQ(m.value("Track4:MetaFormat").toString(), "mebx");
    const QJsonObject mn = exiftoolNumbers(mov);
    EXPECT_EQ(mn.value("UserData:GPSCoordinates").toString(), "37.7749 -122.4194 12.5");
    EXPECT_EQ(mn.value("Keys:GPSCoordinates").toString(), "37.7749 -122.4194 12.5");
    EXPECT_EQ(FileDates::modificationDate(mov), utcSeconds(1500000000));

    const QJsonObject c = tags(mp4);
    EXPECT_EQ(c.value("ItemList:Title").toString(), "Clip");
    EXPECT_EQ(c.value("UserData:DateTimeOriginal").toString(), "2017:07:14 02:40:01+00:00");
    EXPECT_EQ(c.value("QuickTime:CreateDate").toString(), "2017:07:14 02:40:01");
    EXPECT_FALSE(c.contains("UserData:GPSCoordinates"));
    EXPECT_EQ(c.value("ItemList:Encoder").toString(), "HandBrake 1.3.3 2020061300");
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty());
}

// Every entry below `root`, links not followed: its kind, bytes or target, and file dates.
QMap<QString, QString> tree(const QString &root) {
    QMap<QString, QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        const QString key = QDir(root).relativeFilePath(f.filePath());
        if (f.isSymLink())
            out[key] = "link to " + f.symLinkTarget();
        else if (f.isDir())
            out[key] = "folder";
        else
            out[key] = QString::fromLatin1(md5(f.filePath())) + ' ' +
                       FileDates::modificationDate(f.filePath()).toString(Qt::ISODateWithMs) + ' ' +
                       FileDates::creationDate(f.filePath()).toString(Qt::ISODate);
    }
    return out;
}

// Links in the chosen folders lead outside: neither merge writes through one, the folder merge
// moves nothing into a linked folder, and each link is named. Nothing outside changes.
TEST(TakeoutMerge, LinksAreLeftAlone) {
    QTemporaryDir tmp;
    const QString out = tmp.path() + "/outside", in = tmp.path() + "/chosen",
                  second = tmp.path() + "/second";
    ASSERT_TRUE(QDir().mkpath(out + "/deep") && QDir().mkpath(out + "/sub") && QDir().mkpath(in) &&
                QDir().mkpath(second + "/sub"));
    copyFixture("wedding.jpg", out);
    copyFixture("clip.mp4", out);
    copyFixture("St James Park.jpg", out);
    copyFixture("IMG_1994.JPG", out + "/deep");
    put(out + "/deep/IMG_1994.JPG.json",
        takeoutJson("d", "deep", 1500000000, kZero, kZero).toUtf8());
    put(out + "/side.json", takeoutJson("s", "side", 1500000000, kZero, kZero).toUtf8());
    for (const auto &[target, link] : {std::pair{"wedding.jpg", "wedding.jpg"},
                                       {"clip.mp4", "clip.mp4"},
                                       {"St James Park.jpg", "IMG_7.jpg"},
                                       {"St James Park.jpg", "lone.jpg"},
                                       {"deep", "deep"},
                                       {"sub", "sub"},
                                       {"side.json", "IMG_2.JPG.json"}})
        ASSERT_TRUE(QFile::link(out + '/' + target, in + '/' + link));
    ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), in + "/IMG_2.JPG"));
    for (const char *json : {"wedding.jpg.json", "clip.mp4.json"})
        put(in + '/' + json, takeoutJson("t", "linked", 1500000000, kZero, kSanFrancisco).toUtf8());
    put(in + "/IMG_7.xmp", R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF
 xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description rdf:about=""
 xmlns:dc="http://purl.org/dc/elements/1.1/" dc:format="image/jpeg"><dc:subject><rdf:Bag>
 <rdf:li>linked</rdf:li></rdf:Bag></dc:subject></rdf:Description></rdf:RDF></x:xmpmeta>)");
    put(second + "/sub/new.jpg", "new");
    ASSERT_TRUE(QFile::link(out + "/wedding.jpg", second + "/alias.jpg"));
    const QMap<QString, QString> before = tree(tmp.path());

    const QStringList notMoved = mergeFolderswithSourceArray({in, second});
    const SidecarMergeSummary takeout = ScanJsonPhotosItemThreader(in, {});
    const SidecarMergeSummary xmp = ScnXmpPhotosItemThreader(in, {});

    const QMap<QString, QString> after = tree(tmp.path());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key().startsWith("outside") || it.value().startsWith("link")) {
            EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
        }
    }
    const QRegularExpression outside(QStringLiteral("^outside"));
    EXPECT_EQ(after.keys().filter(outside).join(' '), before.keys().filter(outside).join(' '));
    EXPECT_TRUE(QFileInfo::exists(second + "/sub/new.jpg"));
    EXPECT_FALSE(QFileInfo::exists(in + "/alias.jpg"));
    const QString text = notMoved.join('\n') + takeout.text() + xmp.text();
    for (const QString &named :
         {second + "/sub/new.jpg: its folder in", second + "/alias.jpg: a link",
          in + "/wedding.jpg: a link", in + "/clip.mp4: a link", in + "/lone.jpg: a link",
          in + "/deep: a link", in + "/IMG_2.JPG.json: a link", in + "/IMG_7.jpg: a link"})
        EXPECT_TRUE(text.contains(named)) << named.toStdString() << '\n' << text.toStdString();
    EXPECT_TRUE(takeout.merged.isEmpty() && xmp.merged.isEmpty()) << text.toStdString();
}

// A full disk: the photo stays byte for byte, no temporary is left, the photo is named.
TEST(TakeoutMerge, FullDiskLeavesThePhoto) {
    QTemporaryDir tmp;
    QString why;
    const qint64 size = QFileInfo(fixturePath("St James Park.jpg")).size();
    if (!mountScratch(tmp.path(), "tmpfs", QStringLiteral("size=%1").arg(size + 256 * 1024), &why))
        GTEST_SKIP() << why.toStdString();
    const QString park = copyFixture("St James Park.jpg", tmp.path());
    const QByteArray before = md5(park);
    put(park + ".json", takeoutJson("p", "full", 1500000000, kZero, kZero).toUtf8());
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    EXPECT_TRUE(s.merged.isEmpty());
    EXPECT_TRUE(s.text().contains(QStringLiteral("St James Park.jpg:"))) << s.text().toStdString();
    EXPECT_EQ(md5(park), before);
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty());
    unmountScratch(tmp.path());
}

// A batch whose sync failed replaces none of its photos and leaves no temporary.
TEST(TakeoutMerge, AReplacementNotMadeDurableLeavesThePhoto) {
    QTemporaryDir tmp;
    const QString park = copyFixture("St James Park.jpg", tmp.path());
    const QByteArray before = md5(park);
    SidecarChanges changes;
    changes.description = QStringLiteral("staged");
    {
        StagedRewrite staged;
        ASSERT_TRUE(stagePhotoRewrite(park, changes, &staged).ok);
        const RewriteOutcome r = finishPhotoRewrite(park, staged, QStringLiteral("disk gone"));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, QStringLiteral("disk gone"));
    }
    EXPECT_EQ(md5(park), before);
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty());
}

// Two picked folders become one: the first one's file of a clashing name is the one kept,
// the second one's stays where it was, nothing is lost.
TEST(TakeoutMerge, FolderMergeMovesWithoutLosing) {
    QTemporaryDir tmp;
    const QString a = tmp.path() + "/a", b = tmp.path() + "/b";
    ASSERT_TRUE(QDir().mkpath(a + "/Photos from 2017") && QDir().mkpath(b + "/Photos from 2017/x"));
    put(a + "/Photos from 2017/IMG_1.JPG", "first");
    put(b + "/Photos from 2017/IMG_1.JPG", "second");
    put(b + "/Photos from 2017/x/IMG_2.JPG", "two");
    const QStringList notMoved = mergeFolderswithSourceArray({a, b});
    ASSERT_EQ(notMoved.size(), 1);
    EXPECT_TRUE(notMoved.first().contains("IMG_1.JPG"));
    EXPECT_EQ(readAll(a + "/Photos from 2017/IMG_1.JPG"), "first");
    EXPECT_EQ(readAll(b + "/Photos from 2017/IMG_1.JPG"), "second");
    EXPECT_EQ(readAll(a + "/Photos from 2017/x/IMG_2.JPG"), "two");
    EXPECT_FALSE(QFileInfo::exists(b + "/Photos from 2017/x/IMG_2.JPG"));
}

// A folder mounted read-only: nothing can be written, each photo is named, nothing changes.
TEST(TakeoutMerge, ReadOnlyFolderLeavesEverything) {
    QTemporaryDir tmp;
    QString why;
    if (!mountScratch(tmp.path(), "tmpfs", QStringLiteral("size=8m"), &why))
        GTEST_SKIP() << why.toStdString();
    const QString photo = copyFixture("wedding.jpg", tmp.path());
    put(photo + ".json", takeoutJson("w", "ro", 1500000000, kZero, kZero).toUtf8());
    const QByteArray before = md5(photo);
    QProcess::execute("mount", {"-o", "remount,ro", tmp.path()});
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    EXPECT_TRUE(s.merged.isEmpty());
    EXPECT_TRUE(s.text().contains(QStringLiteral("wedding.jpg:"))) << s.text().toStdString();
    EXPECT_EQ(md5(photo), before);
    unmountScratch(tmp.path());
}

// exiftool killed under the run: the next write starts a new one, or the file is named and
// left as it was; never half a file, never a temporary.
TEST(TakeoutMerge, KilledExiftool) {
    QTemporaryDir tmp;
    const QString mp4 = copyFixture("clip.mp4", tmp.path());
    const QByteArray before = md5(mp4), streams = streamDigest(mp4);
    put(mp4 + ".json", takeoutJson("Clip", "", 1500000000, kZero, kZero).toUtf8());
    QByteArray out;
    QString why;
    ASSERT_TRUE(ExiftoolSession::shared().run({"-ver"}, &out, &why)) << why.toStdString();
    const qint64 pid = ExiftoolSession::shared().processId();
    ASSERT_GT(pid, 0);
    ::kill(pid_t(pid), SIGKILL);
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    if (s.merged.isEmpty()) {
        EXPECT_TRUE(s.text().contains("clip.mp4:")) << s.text().toStdString();
        EXPECT_EQ(md5(mp4), before);
    } else {
        EXPECT_EQ(tags(mp4).value("ItemList:Title").toString(), "Clip");
    }
    EXPECT_EQ(streamDigest(mp4), streams);
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty());
}

// A ".json" far larger than any sidecar is not read at all; a video that is none is named.
TEST(TakeoutMerge, HugeSidecarAndFakeVideo) {
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir().mkpath(tmp.path() + "/t"));
    const QString photo = copyFixture("wedding.jpg", tmp.path() + "/t");
    const QByteArray before = md5(photo);
    QFile huge(photo + ".json");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(64 * 1024 * 1024));
    huge.close();
    const QString fake = tmp.path() + "/t/fake.mov";
    put(fake, "no QuickTime box in here");
    put(fake + ".json", takeoutJson("Fake", "", 1500000000, kZero, kZero).toUtf8());
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path() + "/t", {});
    EXPECT_EQ(readAll(fake), "no QuickTime box in here");
    EXPECT_TRUE(s.text().contains("fake.mov: ")) << s.text().toStdString();
    EXPECT_TRUE(leftovers(tmp.path()).isEmpty());
    EXPECT_TRUE(s.text().contains("wedding.jpg.json: larger than any sidecar"))
        << s.text().toStdString();
    EXPECT_EQ(md5(photo), before);
}

// Two exports merged into one folder hold both sidecar forms of one photo: the first one
// read is written, the other is named, and the photo is never written twice at once.
TEST(TakeoutMerge, TwoSidecarsOfOnePhoto) {
    QTemporaryDir tmp;
    const QString photo = copyFixture("wedding.jpg", tmp.path());
    put(photo + ".json", takeoutJson("w", "plain", 1500000000, kZero, kZero).toUtf8());
    put(photo + ".supplemental-metadata.json",
        takeoutJson("w", "supplemental", 1500000000, kZero, kZero).toUtf8());
    const SidecarMergeSummary s = ScanJsonPhotosItemThreader(tmp.path(), {});
    EXPECT_EQ(s.merged, QStringList{photo});
    EXPECT_TRUE(s.text().contains("wedding.jpg takes the values of")) << s.text().toStdString();
    // Listings are read in name order: ".json" before ".supplemental-metadata.json".
    EXPECT_EQ(tag(photo, "IFD0:ImageDescription"), "plain");
}
