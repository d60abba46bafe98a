// The merge of one library into another, on copies of the fixture libraries.
#include "export/core/LibraryMerge.h"
#include "library/core/DatabaseFiles.h"
#include "platform/core/FileDates.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/PrivateFolder.h"
#include "support/MakeDng.h"

#include "LibraryTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

// Readable QStrings in failure messages.
inline std::ostream &operator<<(std::ostream &os, const QString &s) {
    return os << s.toStdString();
}

namespace {

QStringList filesIn(const QString &folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

QString nfc(const QString &s) {
    return s.normalized(QString::NormalizationForm_C);
}

struct LibraryMergeEngine : ::testing::Test {
    QTemporaryDir dir;
    QString source, destination;
    QStringList sourceBefore, destinationBefore;
    FakePhotosApplication photos;

    void libraries(const QString &from, const QString &into) {
        QDir().mkpath(dir.filePath("a"));
        QDir().mkpath(dir.filePath("b"));
        source = copyLibrary(from, dir.filePath("a"));
        destination = copyLibrary(into, dir.filePath("b"));
        ASSERT_FALSE(source.isEmpty());
        ASSERT_FALSE(destination.isEmpty());
        sourceBefore = folderHashes(source);
        destinationBefore = folderHashes(destination);
    }
    LibraryMergeSettings settings(bool metadata = false) const {
        LibraryMergeSettings s;
        s.sourceLibrary = source;
        s.destinationLibrary = destination;
        s.exportFolder = dir.filePath("E");
        s.keepMetadata = metadata;
        return s;
    }
    void expectLibrariesUnchanged() const {
        EXPECT_EQ(folderHashes(source), sourceBefore);
        EXPECT_EQ(folderHashes(destination), destinationBefore);
    }
    QString exportFolder() const { return dir.filePath("E"); }
};

} // namespace

TEST(LibraryMergeFolder, IsThePicturesFolderOfTheSourceWithoutItsLastExtension) {
    EXPECT_EQ(exportFolderFor("/x/Test-10.15.7.photoslibrary"),
              QDir::homePath() + "/Pictures/Test-10.15.7");
    EXPECT_EQ(exportFolderFor("/x/Test-10.15.7.photoslibrary/"),
              QDir::homePath() + "/Pictures/Test-10.15.7");
    EXPECT_EQ(exportFolderFor("/x/...photoslibrary"), QDir::homePath() + "/Pictures/Photo Library");
}

TEST(LibraryMergeNames, AreComparedAfterNfcAndThenBySizeAndBytes) {
    QTemporaryDir dir;
    const QString mine = dir.filePath("mine.jpg"), same = dir.filePath("same.jpg"),
                  other = dir.filePath("other.jpg");
    writeBytes(mine, "photo bytes");
    writeBytes(same, "photo bytes");
    writeBytes(other, "photo BYTES");
    PRPicFileInfo photo;
    photo.fileName = QString::fromUtf8("Fr\xc3\xadtest.jpg"); // composed
    auto theirs = std::make_shared<PRPicFileInfo>();
    theirs->fileName = QString::fromUtf8("Fri\xcc\x81test.jpg"); // decomposed
    theirs->fileFullPath = same;
    QHash<QString, QList<PRPicFileInfoPtr>> table;
    table[nfc(theirs->fileName)] << theirs;
    EXPECT_FALSE(destinationLacksPhoto(table, photo, mine));
    // The same name with other bytes is another photo.
    theirs->fileFullPath = other;
    EXPECT_TRUE(destinationLacksPhoto(table, photo, mine));
    // Its original not on disk: a different recorded size is another photo, the same is not.
    theirs->fileFullPath = dir.filePath("gone.jpg");
    theirs->originalfilesize = 5;
    EXPECT_TRUE(destinationLacksPhoto(table, photo, mine));
    theirs->originalfilesize = 11;
    EXPECT_FALSE(destinationLacksPhoto(table, photo, mine));
    photo.fileName = "elsewhere.jpg";
    EXPECT_TRUE(destinationLacksPhoto(table, photo, mine));
}

TEST_F(LibraryMergeEngine, ExportsTheSourceInAlbumFoldersAndImportsWhatTheDestinationLacks) {
    libraries("Test-10.15.7", "Test-13.0.0");
    QStringList texts;
    const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(
        settings(), photos, [&](const QString &t) { texts << t; });
    ASSERT_TRUE(r.stopped.isEmpty()) << r.stopped;
    expectLibrariesUnchanged();

    const QStringList files = filesIn(exportFolder());
    EXPECT_EQ(files.size(), r.exported.size());
    ASSERT_FALSE(files.isEmpty());
    EXPECT_TRUE(QFileInfo(exportFolder() + "/Pumpkin Farm").isDir()) << files.join(", ");
    // The byte-identical pair goes out once; the two different same-named photos of one
    // album both go out, one under the next free name.
    EXPECT_EQ(files.filter("winebottle").size(), 1) << files.join(", ");
    EXPECT_GE(files.filter("AAF035 2.jpg").size(), 1) << files.join(", ");
    // Trashed photos stay behind; originals not on disk are named.
    EXPECT_TRUE(files.filter("IMG_1064").isEmpty());
    EXPECT_FALSE(r.failed.filter("IMG_2000.JPG").isEmpty()) << r.failed.join("; ");
    // Plain copies are the originals' bytes.
    for (const QString &path : r.exported)
        EXPECT_EQ(fileBytes(path).size(), QFileInfo(path).size());

    // The imports: every exported photo whose name the destination has not, and those of a
    // known name only with other bytes; each once, from E.
    // The oracle reads a copy: sqlite3 on the library itself would fold its -wal.
    const QString oracle = dir.filePath("oracle.sqlite");
    ASSERT_TRUE(QFile::copy(destination + "/database/Photos.sqlite", oracle));
    ASSERT_TRUE(QFile::copy(destination + "/database/Photos.sqlite-wal", oracle + "-wal"));
    const QStringList held =
        sqliteValue(oracle,
                    "select group_concat(ZORIGINALFILENAME, '|') from ZADDITIONALASSETATTRIBUTES")
            .split('|');
    QSet<QString> heldNames;
    for (const QString &n : held)
        heldNames << nfc(n);
    QSet<QString> imported;
    for (const auto &[path, album] : photos.imports) {
        EXPECT_TRUE(path.startsWith(exportFolder() + "/")) << path;
        EXPECT_FALSE(imported.contains(path)) << path;
        imported << path;
    }
    EXPECT_EQ(photos.openedLibraries, QStringList{destination});
    EXPECT_EQ(photos.imports.size(), r.lacking.size());
    EXPECT_EQ(r.imported, r.lacking.size());
    int absent = 0;
    for (const QString &path : r.exported) {
        const QString name = nfc(QFileInfo(path).fileName());
        if (!heldNames.contains(name)) {
            EXPECT_TRUE(imported.contains(path)) << path;
            ++absent;
        }
    }
    EXPECT_GT(absent, 0);
    EXPECT_LT(photos.imports.size(), r.exported.size()); // some are in the destination
    // With the album option on, a photo of an album goes into it.
    bool intoAlbum = false;
    for (const auto &[path, album] : photos.imports)
        intoAlbum |= path.contains("/" + album + "/") && !album.isEmpty();
    EXPECT_TRUE(intoAlbum);
    EXPECT_TRUE(texts.contains("Analyzing and reading photo data in the source photo library."));
    EXPECT_FALSE(texts.filter("Export: ").isEmpty());

    // A second run adds nothing to E and replaces nothing.
    const QStringList hashes = folderHashes(exportFolder());
    FakePhotosApplication again;
    const LibraryMergeReport second = ImportPhotosfromSourcePhotoLibrary(settings(), again);
    EXPECT_EQ(folderHashes(exportFolder()), hashes);
    EXPECT_EQ(second.exported, r.exported);
    expectLibrariesUnchanged();
}

TEST_F(LibraryMergeEngine, APhotosApplicationThatFailsOrIsMissingIsReported) {
    libraries("Test-10.15.7", "Test-13.0.0");
    photos.importAnswer = PhotosAnswer::failed("Photos refused the file");
    const LibraryMergeReport failing = ImportPhotosfromSourcePhotoLibrary(settings(), photos);
    EXPECT_EQ(failing.imported, 0);
    EXPECT_EQ(failing.failed.filter("not imported: Photos refused the file").size(),
              failing.lacking.size());
    ASSERT_FALSE(failing.lacking.isEmpty());

    // A library that Photos did not open gets no import at all.
    FakePhotosApplication closed;
    closed.openAnswer = PhotosAnswer::failed("no such library");
    const LibraryMergeReport notOpened = ImportPhotosfromSourcePhotoLibrary(settings(), closed);
    EXPECT_TRUE(closed.imports.isEmpty());
    EXPECT_TRUE(notOpened.importsNotTried.contains("no such library"));

    // On Linux: unavailable, nothing imported, the counts still there.
    LinuxPhotosApplication onThisSystem;
    const LibraryMergeReport onLinux = ImportPhotosfromSourcePhotoLibrary(settings(), onThisSystem);
    EXPECT_EQ(onLinux.imported, 0);
    EXPECT_EQ(onLinux.importsNotTried, "The Photos application does not exist on Linux");
    EXPECT_EQ(onLinux.lacking, failing.lacking);
    EXPECT_FALSE(onLinux.exported.isEmpty());
    expectLibrariesUnchanged();
}

TEST_F(LibraryMergeEngine, AnOlderLibraryMergesAsSourceAndAsDestination) {
    libraries("Test-10.14.6", "Test-13.0.0");
    const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(settings(), photos);
    ASSERT_TRUE(r.stopped.isEmpty()) << r.stopped;
    EXPECT_FALSE(r.exported.isEmpty());
    EXPECT_EQ(filesIn(exportFolder()).size(), r.exported.size());
    expectLibrariesUnchanged();

    QTemporaryDir other;
    LibraryMergeSettings back = settings();
    std::swap(back.sourceLibrary, back.destinationLibrary);
    back.exportFolder = other.filePath("E");
    FakePhotosApplication into;
    const LibraryMergeReport reverse = ImportPhotosfromSourcePhotoLibrary(back, into);
    ASSERT_TRUE(reverse.stopped.isEmpty()) << reverse.stopped;
    EXPECT_FALSE(reverse.exported.isEmpty());
    // Test-13.0.0 and Test-10.14.6 share names such as "Tulips.jpg": those are not all new.
    EXPECT_LT(into.imports.size(), reverse.exported.size());
    expectLibrariesUnchanged();
}

TEST_F(LibraryMergeEngine, AnUnreadableDestinationStopsTheMergeBeforeAnyExport) {
    libraries("Test-10.15.7", "Test-13.0.0");
    const QString db = destination + "/database/Photos.sqlite";
    QFile::remove(db + "-wal");
    QFile::remove(db + "-shm");
    writeBytes(db, fileBytes(db).left(3000)); // truncated
    destinationBefore = folderHashes(destination);
    const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(settings(), photos);
    EXPECT_FALSE(r.stopped.isEmpty());
    EXPECT_TRUE(r.stopped.contains("Test-13.0.0.photoslibrary")) << r.stopped;
    EXPECT_TRUE(filesIn(exportFolder()).isEmpty());
    EXPECT_TRUE(photos.imports.isEmpty());
    expectLibrariesUnchanged();

    // A package without a database is named too.
    QDir(destination + "/database").removeRecursively();
    const LibraryMergeReport none = ImportPhotosfromSourcePhotoLibrary(settings(), photos);
    EXPECT_TRUE(none.stopped.contains("has no database")) << none.stopped;
}

// From a current library, and from an iPhoto catalogue whose captions are in Properties.apdb.
struct LibraryMergeMetadata : LibraryMergeEngine, ::testing::WithParamInterface<const char *> {};

TEST_P(LibraryMergeMetadata, TheMetadataOptionWritesTheLibraryValuesIntoTheCopies) {
    libraries(GetParam(), "Test-13.0.0");
    const QDateTime started = QDateTime::currentDateTime().addSecs(-2);
    const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(settings(true), photos);
    ASSERT_TRUE(r.stopped.isEmpty()) << r.stopped;
    const QStringList pumpkins = r.exported.filter("/Pumkins2.jpg");
    ASSERT_EQ(pumpkins.size(), 1) << r.exported.join(", ");
    QProcess exiftool;
    exiftool.start("exiftool", {"-s3", "-ObjectName", "-ImageDescription", pumpkins.first()});
    ASSERT_TRUE(exiftool.waitForFinished(60000));
    const QString out = QString::fromUtf8(exiftool.readAllStandardOutput());
    EXPECT_TRUE(out.contains("I found one!")) << out;
    EXPECT_TRUE(out.contains("Girl holding pumpkin")) << out;
    // The copy is dated by its camera date.
    exiftool.start("exiftool", {"-s3", "-DateTimeOriginal", pumpkins.first()});
    ASSERT_TRUE(exiftool.waitForFinished(60000));
    const QDateTime taken = QDateTime::fromString(
        QString::fromUtf8(exiftool.readAllStandardOutput()).trimmed(), "yyyy:MM:dd HH:mm:ss");
    ASSERT_TRUE(taken.isValid());
    EXPECT_EQ(FileDates::modificationDate(pumpkins.first()), taken);
    // The destination already holds some of these photos: the rewritten copies are compared
    // by their originals, so both options find the same photos lacking.
    LibraryMergeSettings plain = settings(false);
    plain.exportFolder = dir.filePath("E2");
    FakePhotosApplication again;
    const LibraryMergeReport p = ImportPhotosfromSourcePhotoLibrary(plain, again);
    EXPECT_EQ(r.lacking, p.lacking);
    EXPECT_LT(r.lacking.size(), r.exported.size());
    // A photo whose file already holds the library's title, caption, keywords (in another
    // order) and position (to the library's rounding) goes out as it is, undated by the merge.
    const auto copyOf = [](const LibraryMergeReport &from, const QString &name) {
        const QStringList found = from.exported.filter("/" + name);
        return found.size() == 1 ? found.first() : QString();
    };
    ASSERT_FALSE(copyOf(r, "St James Park.jpg").isEmpty());
    EXPECT_EQ(fileBytes(copyOf(r, "St James Park.jpg")), fileBytes(copyOf(p, "St James Park.jpg")));
    // Copied as it is, with its original's dates, as the plain merge copies.
    const QDateTime parkDate = FileDates::modificationDate(copyOf(r, "St James Park.jpg"));
    EXPECT_EQ(parkDate, FileDates::modificationDate(copyOf(p, "St James Park.jpg")));
    EXPECT_LT(parkDate, started);
    EXPECT_NE(fileBytes(copyOf(r, "Pumkins2.jpg")), fileBytes(copyOf(p, "Pumkins2.jpg")));
    EXPECT_GT(r.rewritten, 0);
    EXPECT_LT(r.rewritten, r.exported.size());
    // The metadata merge after the plain one, into its folder: the copies that agree are the
    // plain ones already there, the rewritten ones go in beside them, and the counts say so.
    FakePhotosApplication third;
    LibraryMergeSettings into = settings(true);
    into.exportFolder = plain.exportFolder;
    const LibraryMergeReport t = ImportPhotosfromSourcePhotoLibrary(into, third);
    EXPECT_EQ(t.rewritten, r.rewritten);
    EXPECT_EQ(t.alreadyThere, t.exported.size() - t.rewritten);
    EXPECT_EQ(t.besideOthers, t.rewritten);
    EXPECT_EQ(filesIn(plain.exportFolder).size(), p.exported.size() + t.rewritten);
    EXPECT_EQ(p.alreadyThere, 0);
    // A video goes out with its streams and the library's title (the iPhoto library holds
    // no video).
    const QStringList videos = r.exported.filter("/Jellyfish.MOV");
    if (QLatin1String(GetParam()) == QLatin1String("Test-iPhoto-9.6.1")) {
        EXPECT_TRUE(videos.isEmpty());
        expectLibrariesUnchanged();
        return;
    }
    ASSERT_EQ(videos.size(), 1) << r.exported.join(", ");
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0",
                            videos.first()});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()).simplified(),
              "video audio data data");
    exiftool.start("exiftool", {"-s3", "-ItemList:Title", videos.first()});
    ASSERT_TRUE(exiftool.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(exiftool.readAllStandardOutput()).trimmed(), "Jellyfish");
    expectLibrariesUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Sources, LibraryMergeMetadata,
                         ::testing::Values("Test-10.15.7", "Test-iPhoto-9.6.1"));

TEST_F(LibraryMergeEngine, PhotosOfOneSizeMergeOnceOnlyWhenTheirBytesAreEqual) {
    libraries("Test-10.15.7", "Test-13.0.0");
    // The two "winebottle.jpeg" rows: equal bytes go out once.
    const QString pair = source + "/originals/5/52083079-73D5-4921-AC1B-FE76F279133F.jpeg";
    QStringList wines;
    for (const QString &path : ImportPhotosfromSourcePhotoLibrary(settings(), photos).exported)
        if (path.contains("winebottle"))
            wines << QFileInfo(path).fileName();
    EXPECT_EQ(wines, QStringList{"winebottle.jpeg"});

    // One byte changed: two photos, the second under the next free name.
    QDir(exportFolder()).removeRecursively();
    QByteArray bytes = fileBytes(pair);
    ASSERT_FALSE(bytes.isEmpty());
    bytes[bytes.size() - 3] = char(bytes[bytes.size() - 3] ^ 0x01);
    writeBytes(pair, bytes);
    sourceBefore = folderHashes(source);
    wines.clear();
    for (const QString &path : ImportPhotosfromSourcePhotoLibrary(settings(), photos).exported)
        if (path.contains("winebottle"))
            wines << QFileInfo(path).fileName();
    wines.sort();
    EXPECT_EQ(wines, (QStringList{"winebottle 2.jpeg", "winebottle.jpeg"}));
    expectLibrariesUnchanged();
}

TEST_F(LibraryMergeEngine, ARawPhotoThatTakesTheLibrarysValuesGoesOutUnderItsTiffsName) {
    libraries("Test-10.15.7", "Test-13.0.0");
    // DSC03584.dng, listed but absent: a RAW on disk now, which the library gives a title.
    writeBytes(source + "/originals/D/D05A5FE3-15FB-49A1-A15D-AB3DA6F8B068.dng",
               makeMinimalDng({}, "Kestry", "K1", "2020:01:02 03:04:05"));
    sqliteValue(source + "/database/Photos.sqlite",
                "UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = 'Raw title' WHERE ZASSET = 9");
    sourceBefore = folderHashes(source);
    const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(settings(true), photos);
    ASSERT_TRUE(r.stopped.isEmpty()) << r.stopped;
    const QStringList raw = r.exported.filter("DSC03584");
    ASSERT_EQ(raw.size(), 1) << r.exported.join(", ") << r.failed.join("; ");
    EXPECT_TRUE(raw.first().endsWith("/DSC03584.tiff")) << raw.first();
    QProcess exiftool;
    exiftool.start("exiftool", {"-s3", "-FileType", "-ObjectName", raw.first()});
    ASSERT_TRUE(exiftool.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(exiftool.readAllStandardOutput()).split('\n').mid(0, 2),
              (QStringList{"TIFF", "Raw title"}));
    expectLibrariesUnchanged();
}

TEST_F(LibraryMergeEngine, AHostileLibrarysNamesStayInsideTheExportFolder) {
    // Names that climb out of the staging and export folders or name a path of their own, and
    // an album title that climbs; in the older schema and in the current one.
    const QString victim = dir.filePath("victim.jpg");
    const QStringList mine = {exportFolder(), QDir::homePath() + "/.cache", PrivateFolder::root()};
    for (const auto &[from, into, sql] : QList<std::tuple<QString, QString, QString>>{
             {"Test-10.14.6", "Test-13.0.0",
              QString("UPDATE RKMaster SET originalFileName = CASE modelId WHEN 3 THEN "
                      "'../../climb.jpg' WHEN 1 THEN '%1' ELSE originalFileName END; UPDATE "
                      "RKAlbum SET name = '../../climb-album' WHERE name = 'Pumpkin Farm'")
                  .arg(victim)},
             {"Test-13.0.0", "Test-10.15.7",
              QString(
                  "UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = CASE Z_PK WHEN "
                  "1 THEN '../../climb.jpg' WHEN 6 THEN '%1' ELSE ZORIGINALFILENAME END; "
                  "UPDATE ZGENERICALBUM SET ZTITLE = '../../climb-album' WHERE ZKIND = 2; UPDATE "
                  "ZGENERICALBUM SET ZTITLE = replace(hex(zeroblob(1048576)), '00', 'Ä') "
                  "WHERE Z_PK IN (48, 64, 65)")
                  .arg(victim)}}) {
        QDir(dir.path()).removeRecursively();
        libraries(from, into);
        const QString db =
            source + (from == "Test-10.14.6" ? "/database/photos.db" : "/database/Photos.sqlite");
        sqliteValue(db, sql);
        sourceBefore = folderHashes(source);
        const QStringList before = treeListing(QDir::homePath(), mine);
        const LibraryMergeReport r = ImportPhotosfromSourcePhotoLibrary(settings(true), photos);
        ASSERT_TRUE(r.stopped.isEmpty()) << r.stopped;
        EXPECT_EQ(treeListing(QDir::homePath(), mine), before) << from;
        EXPECT_FALSE(QFileInfo::exists(victim));
        for (const QString &path : r.exported)
            EXPECT_TRUE(path.startsWith(exportFolder() + "/")) << path;
        const QStringList files = filesIn(exportFolder());
        // Each went out under its plain name, in its album's folder or in E itself.
        EXPECT_EQ(files.filter(QRegularExpression("(^|/)climb\\.jpg$")).size(), 1)
            << from << files.join(", ");
        EXPECT_EQ(files.filter(QRegularExpression("(^|/)tmp-.*-victim\\.jpg$")).size(), 1)
            << from << files.join(", ");
        // A title of two megabytes is cut once to the most whole "Ä" that fit 255 bytes.
        if (from == "Test-13.0.0") {
            EXPECT_TRUE(files.contains(QString(127, QChar(0x00c4)) + "/IMG_4547.jpg"))
                << files.join(", ");
        }
        expectLibrariesUnchanged();
        EXPECT_EQ(sqliteValue(db, "PRAGMA integrity_check"), "ok");
    }
}
