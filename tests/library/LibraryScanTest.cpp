#include "library/core/LibraryScan.h"
#include "LibraryTestSupport.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryRow.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/ReferencePhotos.h"
#include "platform/core/PhotosApplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Scanned {
    LibraryScanResult result;
    QString library;
};

Scanned scanCopy(const QString &name, QTemporaryDir &dir) {
    Scanned s;
    s.library = copyLibrary(name, dir.path());
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    s.result = ScanPhotoLibMetadata(s.library, copy);
    return s;
}

PRPicFileInfoPtr byName(const LibraryScanResult &r, const QString &fileName) {
    for (const PRPicFileInfoPtr &rec : r.records)
        if (rec->fileName == fileName)
            return rec;
    return nullptr;
}

QString entity(const QString &db, const QString &name) {
    return sqliteValue(
        db, QStringLiteral("SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME='%1'").arg(name));
}

// Each record of a current-schema scan against the sqlite3 command's reading of a second
// copy, with join tables named from Z_PRIMARYKEY.
void expectCurrentRecordsMatchCli(const LibraryScanResult &scan, const QString &db) {
    const QString assetTable =
        sqliteValue(db, QStringLiteral("SELECT name FROM sqlite_master WHERE name='ZGENERICASSET'"))
                .isEmpty()
            ? QStringLiteral("ZASSET")
            : QStringLiteral("ZGENERICASSET");
    QString assetEnt =
        entity(db, assetTable == QLatin1String("ZASSET") ? QStringLiteral("Asset")
                                                         : QStringLiteral("GenericAsset"));
    const QString super = sqliteValue(
        db, QStringLiteral("SELECT Z_SUPER FROM Z_PRIMARYKEY WHERE Z_ENT=%1").arg(assetEnt));
    if (super.toInt() > 0)
        assetEnt = super;
    const QString attrEnt = entity(db, QStringLiteral("AdditionalAssetAttributes"));
    const QString kwEnt = entity(db, QStringLiteral("Keyword"));
    const QString albumEnt = entity(db, QStringLiteral("Album"));
    const QString sql =
        QStringLiteral(
            "SELECT B.Z_PK, B.ZORIGINALFILENAME, ifnull(B.ZTITLE,''), A.Z_PK, "
            "ifnull(A.ZLATITUDE,''), ifnull(A.ZLONGITUDE,''), "
            "ifnull((SELECT group_concat(t, ',') FROM (SELECT k.ZTITLE t FROM ZKEYWORD k JOIN "
            "Z_%3KEYWORDS j "
            "  ON k.Z_PK = j.Z_%4KEYWORDS WHERE j.Z_%3ASSETATTRIBUTES = B.Z_PK ORDER BY "
            "k.Z_PK)),''), "
            "ifnull((SELECT g.ZTITLE FROM ZGENERICALBUM g JOIN Z_%5ASSETS j ON g.Z_PK = "
            "j.Z_%5ALBUMS "
            "  WHERE j.Z_%2ASSETS = A.Z_PK AND g.ZTRASHEDSTATE = 0 ORDER BY g.Z_PK LIMIT 1),''), "
            "ifnull((SELECT d.ZLONGDESCRIPTION FROM ZASSETDESCRIPTION d WHERE d.ZASSETATTRIBUTES = "
            "B.Z_PK),''), "
            "ifnull((SELECT e.ZCAMERAMODEL FROM ZEXTENDEDATTRIBUTES e WHERE e.ZASSET = "
            "A.Z_PK),''), "
            "B.ZORIGINALFILESIZE "
            "FROM %1 A LEFT JOIN ZADDITIONALASSETATTRIBUTES B ON A.Z_PK = B.ZASSET")
            .arg(assetTable, assetEnt, attrEnt, kwEnt, albumEnt);
    QHash<int, QStringList> cli;
    for (const QStringList &row : sqliteRows(db, sql))
        cli.insert(row.value(0).toInt(), row);
    ASSERT_FALSE(cli.isEmpty());
    for (const PRPicFileInfoPtr &r : scan.records) {
        SCOPED_TRACE(r->fileName.toStdString());
        ASSERT_TRUE(cli.contains(r->photoID));
        const QStringList &row = cli.value(r->photoID);
        EXPECT_EQ(r->fileName, row.value(1));
        EXPECT_EQ(r->fileTitle, row.value(2));
        EXPECT_EQ(r->photoAssetID, row.value(3).toInt());
        // The C library's "%f" of the stored number (sqlite3's printf rounds otherwise).
        const auto position = [](const QString &stored) {
            return stored.isEmpty() || int(stored.toDouble()) == -180
                       ? QString()
                       : QString::asprintf("%f", stored.toDouble());
        };
        EXPECT_EQ(r->latitudeText(), position(row.value(4)));
        EXPECT_EQ(r->longitudeText(), position(row.value(5)));
        EXPECT_EQ(r->fileKeywords, row.value(6));
        EXPECT_EQ(r->fileAlbum, row.value(7));
        EXPECT_EQ(r->fileDescription, row.value(8));
        EXPECT_EQ(r->fileModel, row.value(9));
        EXPECT_EQ(r->originalfilesize, row.value(10).toULongLong());
    }
}

} // namespace

TEST(LibraryScan, Photos13RecordsAsTheSqliteCommandReadsThem) {
    QTemporaryDir dir, other;
    const Scanned s = scanCopy(QStringLiteral("Test-13.0.0"), dir);
    ASSERT_TRUE(s.result.ok) << s.result.message.toStdString();
    EXPECT_TRUE(s.result.bScanNewPhotosLib);
    EXPECT_EQ(s.result.records.size(), 14);
    const QString cliCopy = copyLibrary(QStringLiteral("Test-13.0.0"), other.path());
    expectCurrentRecordsMatchCli(s.result, cliCopy + QStringLiteral("/database/Photos.sqlite"));

    const PRPicFileInfoPtr park = byName(s.result, QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(park);
    EXPECT_EQ(park->fileKeywords,
              QStringLiteral("London 2018,St. James's Park,England,United Kingdom,UK,London"));
    EXPECT_EQ(park->latitudeText(), QStringLiteral("51.503572"));
    EXPECT_EQ(park->longitudeText(), QStringLiteral("-0.131805"));
    EXPECT_EQ(park->fileTypeStr, QStringLiteral("JPG Photos"));
    EXPECT_TRUE(QFile::exists(park->fileFullPath));
    EXPECT_TRUE(park->fileFullPath.startsWith(s.library + QStringLiteral("/originals/D/")));

    for (const char *lost : {"Pumpkins4.jpg", "IMG_2000.JPG"}) {
        const PRPicFileInfoPtr r = byName(s.result, QLatin1String(lost));
        ASSERT_TRUE(r) << lost;
        EXPECT_TRUE(r->bReferencePhoto);
        EXPECT_TRUE(r->bLostReferencePhoto);
        EXPECT_EQ(r->fileFullPath, r->rare().findLocation);
    }
    for (const char *away : {"DSC03584.dng", "IMG_1693.tif"}) {
        const PRPicFileInfoPtr r = byName(s.result, QLatin1String(away));
        ASSERT_TRUE(r) << away;
        EXPECT_FALSE(r->bICloudDownloadPhoto);
        EXPECT_FALSE(r->bReferencePhoto);
        EXPECT_FALSE(r->createDate.text().isEmpty());
    }
    // Trashed photos whose originals are still there are not listed.
    EXPECT_FALSE(byName(s.result, QStringLiteral("IMG_1064.jpeg")));
    EXPECT_FALSE(byName(s.result, QStringLiteral("wedding_edited.jpg")));
}

TEST(LibraryScan, Photos10_15RecordsAsTheSqliteCommandReadsThem) {
    QTemporaryDir dir, other;
    const Scanned s = scanCopy(QStringLiteral("Test-10.15.7"), dir);
    ASSERT_TRUE(s.result.ok) << s.result.message.toStdString();
    EXPECT_EQ(s.result.records.size(), 27);
    const QString cliCopy = copyLibrary(QStringLiteral("Test-10.15.7"), other.path());
    expectCurrentRecordsMatchCli(s.result, cliCopy + QStringLiteral("/database/Photos.sqlite"));
    int keyworded = 0, albumed = 0;
    for (const PRPicFileInfoPtr &r : s.result.records) {
        keyworded += !r->fileKeywords.isEmpty();
        albumed += !r->fileAlbum.isEmpty();
    }
    EXPECT_GT(keyworded, 0);
    EXPECT_GT(albumed, 0);
}

TEST(LibraryScan, OlderLibraryByVersion) {
    QTemporaryDir dir, other;
    const Scanned s = scanCopy(QStringLiteral("Test-10.14.6"), dir);
    ASSERT_TRUE(s.result.ok) << s.result.message.toStdString();
    EXPECT_FALSE(s.result.bScanNewPhotosLib);
    EXPECT_EQ(s.result.records.size(), 10);
    const PRPicFileInfoPtr p2 = byName(s.result, QStringLiteral("Pumkins2.jpg"));
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->fileAlbum, QStringLiteral("Pumpkin Farm, Test Album (1), AlbumInFolder"));
    EXPECT_EQ(p2->fileTitle, QStringLiteral("I found one!"));
    // Album rows name versions: wedding.jpg and Tulips.jpg are in none (matching the join
    // row's own id would put them into albums of other photos).
    EXPECT_EQ(byName(s.result, QStringLiteral("wedding.jpg"))->fileAlbum, QString());
    EXPECT_EQ(byName(s.result, QStringLiteral("Tulips.jpg"))->fileAlbum, QString());
    EXPECT_EQ(byName(s.result, QStringLiteral("Pumkins1.jpg"))->fileAlbum,
              QStringLiteral("Pumpkin Farm, Test Album"));
    EXPECT_FALSE(byName(s.result, QStringLiteral("IMG_3984.jpeg")));
    const PRPicFileInfoPtr p4 = byName(s.result, QStringLiteral("Pumpkins4.jpg"));
    ASSERT_TRUE(p4);
    EXPECT_TRUE(p4->bLostReferencePhoto);
    EXPECT_EQ(p4->rare().findLocation, QStringLiteral("/Users/Shared/Pumpkins4.jpg"));

    // Keywords against the sqlite3 command, version by version.
    const QString db = copyLibrary(QStringLiteral("Test-10.14.6"), other.path()) +
                       QStringLiteral("/database/photos.db");
    const QList<QStringList> rows = sqliteRows(
        db, QStringLiteral(
                "SELECT v.masterId, ifnull((SELECT group_concat(n, ',') FROM (SELECT k.name n "
                "FROM RKKeyword k JOIN RKKeywordForVersion j ON k.modelId = j.keywordId "
                "WHERE j.versionId = v.modelId ORDER BY k.modelId)),''), ifnull(v.name,'') "
                "FROM RKVersion v"));
    ASSERT_FALSE(rows.isEmpty());
    for (const QStringList &row : rows)
        for (const PRPicFileInfoPtr &r : s.result.records)
            if (r->photoID == row.value(0).toInt()) {
                EXPECT_EQ(r->fileKeywords, row.value(1)) << r->fileName.toStdString();
                EXPECT_EQ(r->fileTitle, row.value(2)) << r->fileName.toStdString();
            }
    EXPECT_EQ(
        byName(s.result, QStringLiteral("St James Park.jpg"))->fileKeywords.count(QLatin1Char(',')),
        5);

    // What the photo application shows is the version's: its favourite mark and its date
    // (Tulips.jpg's version was given a date of its own).
    for (const PRPicFileInfoPtr &r : s.result.records) {
        EXPECT_GT(r->photoID, 0) << r->fileName.toStdString();
        EXPECT_EQ(r->favoriteNum, r->fileName == QLatin1String("wedding.jpg") ? 1 : 0)
            << r->fileName.toStdString();
    }
    const PRPicFileInfoPtr tulips = byName(s.result, QStringLiteral("Tulips.jpg"));
    const QString versionDate =
        sqliteValue(db, QStringLiteral("SELECT imageDate FROM RKVersion WHERE masterId = 5"));
    ASSERT_NE(versionDate,
              sqliteValue(db, QStringLiteral("SELECT imageDate FROM RKMaster WHERE modelId = 5")));
    EXPECT_EQ(tulips->shootDateNumber, versionDate.toULongLong());
    EXPECT_EQ(tulips->cameraDate.text(), libraryDateText(versionDate.toLongLong()));
    // IMG_1994 is a RAW+JPEG pair whose version stands on the RAW master (12, absent on
    // disk) and names the JPEG master (11): one photo, the JPEG, keyed by the JPEG's master.
    int pairs = 0;
    for (const PRPicFileInfoPtr &r : s.result.records)
        pairs += r->fileName.startsWith(QLatin1String("IMG_1994")) ? 1 : 0;
    EXPECT_EQ(pairs, 1);
    const PRPicFileInfoPtr jpeg = byName(s.result, QStringLiteral("IMG_1994.JPG"));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->photoID, 11);
    EXPECT_TRUE(QFile::exists(jpeg->fileFullPath));
    EXPECT_EQ(jpeg->shootDateNumber,
              sqliteValue(db, QStringLiteral("SELECT imageDate FROM RKVersion WHERE modelId = 10"))
                  .toULongLong());
}

TEST(LibraryScan, RenumberedStoreGivesTheSameRecords) {
    QTemporaryDir dir, renamedDir;
    const Scanned plain = scanCopy(QStringLiteral("Test-13.0.0"), dir);
    ASSERT_TRUE(plain.result.ok);
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), renamedDir.path());
    const QString db = library + QStringLiteral("/database/Photos.sqlite");
    // A later store: other entity numbers, and the adjustments column of newer versions.
    sqliteRows(
        db, QStringLiteral("PRAGMA legacy_alter_table=ON; PRAGMA writable_schema=OFF;"
                           "ALTER TABLE Z_28ASSETS RENAME TO Z_70ASSETS;"
                           "ALTER TABLE Z_70ASSETS RENAME COLUMN Z_28ALBUMS TO Z_70ALBUMS;"
                           "ALTER TABLE Z_1KEYWORDS RENAME COLUMN Z_40KEYWORDS TO Z_71KEYWORDS;"
                           "ALTER TABLE ZASSET RENAME COLUMN ZHASADJUSTMENTS TO ZADJUSTMENTSSTATE;"
                           "UPDATE Z_PRIMARYKEY SET Z_ENT = 70 WHERE Z_NAME = 'Album';"
                           "UPDATE Z_PRIMARYKEY SET Z_ENT = 71 WHERE Z_NAME = 'Keyword';"));
    ASSERT_EQ(sqliteValue(db, QStringLiteral("SELECT count(*) FROM Z_70ASSETS")).toInt() > 0, true);
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult renamed = ScanPhotoLibMetadata(library, copy);
    ASSERT_TRUE(renamed.ok) << renamed.message.toStdString();
    ASSERT_EQ(renamed.records.size(), plain.result.records.size());
    for (int i = 0; i < renamed.records.size(); ++i) {
        const PRPicFileInfo &a = *plain.result.records[i], &b = *renamed.records[i];
        EXPECT_EQ(a.fileName, b.fileName);
        EXPECT_EQ(a.fileKeywords, b.fileKeywords);
        EXPECT_EQ(a.fileAlbum, b.fileAlbum);
        EXPECT_EQ(a.hasAdjustNum, b.hasAdjustNum);
    }
    EXPECT_FALSE(byName(renamed, QStringLiteral("St James Park.jpg"))->fileKeywords.isEmpty());
}

TEST(LibraryScan, BadDatabasesGiveAMessageAndChangeNothing) {
    const QList<std::pair<const char *, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"text", QByteArray("this is no database\n")},
        {"zeros", QByteArray(8192, '\0')},
    };
    for (const auto &[what, bytes] : cases) {
        SCOPED_TRACE(what);
        QTemporaryDir dir;
        const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
        writeBytes(library + QStringLiteral("/database/Photos.sqlite"), bytes);
        const QStringList before = folderHashes(library);
        FakePhotosApplication nobody;
        LibraryWorkingCopy copy(&nobody);
        const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_TRUE(r.records.isEmpty());
        EXPECT_EQ(folderHashes(library), before);
    }
    // A sound header over damaged pages.
    {
        QTemporaryDir dir;
        const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
        const QString db = library + QStringLiteral("/database/Photos.sqlite");
        QFile::remove(db + QStringLiteral("-wal"));
        QFile::remove(db + QStringLiteral("-shm"));
        QByteArray bytes = fileBytes(db);
        for (int i = 8192; i < bytes.size(); i += 7)
            bytes[i] = char(i * 31);
        writeBytes(db, bytes);
        const QStringList before = folderHashes(library);
        FakePhotosApplication nobody;
        LibraryWorkingCopy copy(&nobody);
        const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_EQ(folderHashes(library), before);
        EXPECT_TRUE(copy.lastBackupPath().isEmpty()); // no damaged copy among the backups
    }
    // Cut short in the middle of its pages.
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-10.14.6"), dir.path());
    const QString db = library + QStringLiteral("/database/photos.db");
    writeBytes(db, fileBytes(db).left(300000));
    QFile::remove(db + QStringLiteral("-wal"));
    QFile::remove(db + QStringLiteral("-shm"));
    const QStringList before = folderHashes(library);
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(folderHashes(library), before);
}

TEST(LibraryScan, DatesAsLocalTimeText) {
    qputenv("TZ", "UTC");
    tzset();
    EXPECT_EQ(libraryDateText(0), QStringLiteral("2001-01-01 00:00:00"));
    EXPECT_EQ(libraryDateText(608405423), QStringLiteral("2020-04-12 17:30:23"));
    EXPECT_FALSE(libraryDateText(123456789012345).isEmpty());
    EXPECT_EQ(GetNSStringDate(LibraryDateTime{}), QStringLiteral("Unkown Date"));
    // Records keep the text as numbers: the same text back, daylight saving turns included.
    for (const char *zone : {"UTC", "Europe/London", "America/St_Johns", "Australia/Lord_Howe"}) {
        qputenv("TZ", zone);
        tzset();
        for (int64_t s : {int64_t(0), int64_t(-62135596800 - kLibraryReferenceDate),
                          int64_t(-2000000000), int64_t(123456789012345), int64_t(INT64_MAX)})
            EXPECT_EQ(libraryDate(s).text(), libraryDateText(s)) << zone << " " << s;
        for (int64_t s = -1200000000; s < 1200000000; s += 86399 * 7 + 3601)
            ASSERT_EQ(libraryDate(s).text(), libraryDateText(s)) << zone << " " << s;
    }
    qunsetenv("TZ");
    tzset();
}

// Numbers are read without their text but must parse as that text always did: reals near a
// whole number, tiny or huge ones, and text columns are the cases that could drift.
TEST(LibraryScan, NumberColumnsReadAsTheirText) {
    SqliteDatabase db;
    QString error;
    ASSERT_TRUE(db.open(QStringLiteral(":memory:"), SqliteDatabase::Mode::ReadWrite, &error))
        << error.toStdString();
    SqliteStatement *s = db.prepare(QStringLiteral(
        "SELECT column1 FROM (VALUES (NULL), (''), ('abc'), ('12x'), (42), (-180), (5000000000), "
        "(-9223372036854775808), (12.7), (-12.5), (-180.0), (0.5), (0.99995), (1e-05), (1e20), "
        "(599827423.9999999), (599827423.25), (123456789012.9), (-1e300), (51.50123456789012), "
        "(x'00'), (x'3132'))"));
    ASSERT_NE(s, nullptr);
    const LibraryRow row(*s);
    int rows = 0;
    while (s->step()) {
        ++rows;
        // The row first, as the scan reads it; SQLite's text of the value after.
        const bool present = row.present(0);
        const int32_t i32 = row.i32(0);
        const int64_t i64 = row.i64(0);
        const double real = row.real(0);
        const char *t = s->text(0);
        const bool hasText = t && *t;
        SCOPED_TRACE(t ? t : "NULL");
        EXPECT_EQ(present, hasText);
        EXPECT_EQ(i32, hasText ? std::atoi(t) : 0);
        EXPECT_EQ(i64, hasText ? std::strtoll(t, nullptr, 10) : 0);
        EXPECT_EQ(real, hasText ? std::atof(t) : 0.0);
    }
    EXPECT_EQ(rows, 22);
}

// The listing answers as the folder's entries do, name for name, listed or asked one by one.
TEST(LibraryScan, FolderListingMatchesWholeNamesOnly) {
    QTemporaryDir dir;
    const QString composed = QString::fromUtf8("Val d'Is\u00e8re.jpg");
    for (const QString &name : {QStringLiteral("b.jpg"), QStringLiteral("a.jpg"), composed})
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    for (bool listing : {true, false}) {
        FolderListing files;
        files.setListing(listing);
        for (const QString &name :
             {QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("sub"), composed})
            EXPECT_TRUE(files.exists(dir.path(), name)) << listing;
        for (const QString &name :
             {QStringLiteral("a.jp"), QStringLiteral("a.jpgx"), QStringLiteral("c.jpg"),
              QString::fromUtf8("Val d'Ise\u0300re.jpg"), QString(), QStringLiteral(".")})
            EXPECT_FALSE(files.exists(dir.path(), name)) << listing;
        if (listing) {
            EXPECT_FALSE(files.exists(dir.path(), QStringLiteral("a.jpg").append(QChar(0))));
        }
        EXPECT_TRUE(files.exists(dir.filePath(QStringLiteral("b.jpg"))));
    }
}

TEST(LibraryScan, NamesThatClimbOutCountAsMissing) {
    EXPECT_FALSE(isPlainFileName(QStringLiteral("..")));
    EXPECT_FALSE(isPlainFileName(QStringLiteral("a/b.jpg")));
    EXPECT_TRUE(isPlainFileName(QStringLiteral("St James Park.jpg")));
    EXPECT_FALSE(hasNoDotSegments(QStringLiteral("/Users/../etc/passwd")));
    EXPECT_EQ(libraryFileType(QStringLiteral("a.HEIC")), QStringLiteral("Live Photos"));
    EXPECT_EQ(libraryFileType(QStringLiteral("a.dng")), QStringLiteral("RAW Photos"));
    EXPECT_EQ(libraryFileType(QStringLiteral("a.mov")), QStringLiteral("Videos"));
    EXPECT_EQ(libraryFileType(QStringLiteral("a.tif")), QString());
}

TEST(LibraryScan, NamesWithDotDotInTheDatabaseCountAsMissing) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QString db = library + QStringLiteral("/database/Photos.sqlite");
    // Both name files that exist, through "..".
    sqliteRows(db,
               QStringLiteral(
                   "UPDATE ZASSET SET ZFILENAME = '../D/D79B8D77-BFFC-460B-9312-034F2877D35B.jpeg' "
                   "WHERE Z_PK = 3;"
                   "UPDATE ZASSET SET ZDIRECTORY = '%1/originals/E/..' WHERE Z_PK = 1;"
                   "UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = "
                   "'../D/D79B8D77-BFFC-460B-9312-034F2877D35B.jpeg' WHERE ZASSET = 1;"
                   "UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILESIZE = 5000000000 "
                   "WHERE ZASSET = 6;")
                   .arg(library));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    int seen = 0;
    for (const PRPicFileInfoPtr &rec : r.records) {
        if (rec->photoAssetID == 6) { // sizes past 2 GiB stay whole
            EXPECT_EQ(rec->originalfilesize, 5000000000ull);
            EXPECT_EQ(rec->fileSize, QStringLiteral("5.00 GB"));
        }
        if (rec->photoAssetID == 3) {
            ++seen;
            EXPECT_FALSE(rec->bICloudDownloadPhoto);
        }
        if (rec->photoAssetID == 1) {
            ++seen;
            EXPECT_TRUE(rec->bReferencePhoto);
            EXPECT_TRUE(rec->bLostReferencePhoto);
        }
    }
    EXPECT_EQ(seen, 2);
}

TEST(LibraryScan, LookupTablesReadOnceGiveTheSameRecords) {
    for (const char *name : {"Test-13.0.0", "Test-10.15.7"}) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString library = copyLibrary(QLatin1String(name), dir.path());
        FakePhotosApplication nobody;
        LibraryWorkingCopy copy(&nobody);
        ASSERT_TRUE(copy.open(library + QStringLiteral("/database/Photos.sqlite")).ok);
        const LibraryScanResult each =
            scanCurrentLibraryDatabase(library, copy.currentPhotolibDatabasePath(), false);
        const LibraryScanResult once =
            scanCurrentLibraryDatabase(library, copy.currentPhotolibDatabasePath(), true);
        // Streamed, the first photos' files are asked for name by name, not listed.
        const LibraryScanResult streamed = scanCurrentLibraryDatabase(
            library, copy.currentPhotolibDatabasePath(), true, [](const PRPicFileInfoPtr &) {});
        ASSERT_TRUE(each.ok && once.ok && streamed.ok);
        ASSERT_EQ(each.records.size(), once.records.size());
        ASSERT_EQ(streamed.records.size(), once.records.size());
        for (int i = 0; i < each.records.size(); ++i) {
            const PRPicFileInfo &a = *each.records[i], &b = *once.records[i];
            const PRPicFileInfo &c = *streamed.records[i];
            EXPECT_EQ(c.bICloudDownloadPhoto, b.bICloudDownloadPhoto);
            EXPECT_EQ(c.fileThumbPath, b.fileThumbPath);
            EXPECT_EQ(c.fileLargeThumbPath, b.fileLargeThumbPath);
            EXPECT_EQ(c.fileMaker, b.fileMaker);
            EXPECT_EQ(c.fileKeywords, b.fileKeywords);
            EXPECT_EQ(a.fileKeywords, b.fileKeywords);
            EXPECT_EQ(a.fileAlbum, b.fileAlbum);
            EXPECT_EQ(a.fileDescription, b.fileDescription);
            EXPECT_EQ(a.fileMaker, b.fileMaker);
            EXPECT_EQ(a.fileModel, b.fileModel);
            EXPECT_EQ(a.fileLensModel, b.fileLensModel);
        }
    }
}

TEST(LibraryScan, IPhotoCatalogueWithItsCaptions) {
    QTemporaryDir dir, other;
    const Scanned s = scanCopy(QStringLiteral("Test-iPhoto-9.6.1"), dir);
    ASSERT_TRUE(s.result.ok) << s.result.message.toStdString();
    EXPECT_FALSE(s.result.bScanNewPhotosLib);
    // 15 masters: two in the trash, three RAW originals absent from the package.
    QStringList names;
    for (const PRPicFileInfoPtr &r : s.result.records)
        names << r->fileName;
    names.sort();
    EXPECT_EQ(names, (QStringList{"IMG_1994.JPG", "IMG_1997.JPG", "IMG_3092.heic", "IMG_4547.jpg",
                                  "Pumkins1.jpg", "Pumkins2.jpg", "Pumpkins3.jpg",
                                  "St James Park.jpg", "Tulips.jpg", "wedding.jpg"}));
    const PRPicFileInfoPtr p1 = byName(s.result, QStringLiteral("Pumkins1.jpg"));
    ASSERT_TRUE(p1);
    EXPECT_EQ(p1->fileTitle, QStringLiteral("Can we carry this?"));
    EXPECT_EQ(p1->fileDescription, QStringLiteral("Girls with pumpkins"));
    EXPECT_EQ(p1->fileKeywords, QStringLiteral("Katie,Suzy"));
    EXPECT_EQ(p1->filePixel, QStringLiteral("2048 X 1365"));
    EXPECT_FALSE(p1->bReferencePhoto);
    EXPECT_TRUE(QFileInfo(p1->fileFullPath).isFile());
    EXPECT_EQ(byName(s.result, QStringLiteral("IMG_4547.jpg"))->latitudeText(),
              QStringLiteral("-34.918892"));

    // Every record against the sqlite3 command's reading of a second copy, Properties.apdb
    // attached: the first version of each master.
    const QString apdb = copyLibrary(QStringLiteral("Test-iPhoto-9.6.1"), other.path()) +
                         QStringLiteral("/Database/apdb/");
    EXPECT_EQ(sqliteValue(apdb + QStringLiteral("Library.apdb"),
                          QStringLiteral("SELECT count(*) FROM RKMaster WHERE isInTrash = 1")),
              QStringLiteral("2"));
    const QList<QStringList> rows = sqliteRows(
        apdb + QStringLiteral("Library.apdb"),
        QStringLiteral(
            "ATTACH '%1Properties.apdb' AS p; "
            "SELECT v.masterId, ifnull(v.name,''), ifnull((SELECT group_concat(n, ',') FROM "
            "(SELECT k.name n FROM RKKeyword k JOIN RKKeywordForVersion j ON k.modelId = "
            "j.keywordId WHERE j.versionId = v.modelId ORDER BY k.modelId)),''), "
            "ifnull((SELECT s.stringProperty FROM p.RKIptcProperty i JOIN p.RKUniqueString s ON "
            "s.modelId = i.stringId WHERE i.versionId = v.modelId AND i.propertyKey = "
            "'Caption/Abstract'),''), ifnull(v.exifLatitude,''), ifnull(v.exifLongitude,''), "
            "CAST(m.imageDate AS INTEGER) FROM RKVersion v JOIN RKMaster m ON m.modelId = "
            "v.masterId WHERE v.modelId = (SELECT min(modelId) FROM RKVersion WHERE masterId = "
            "v.masterId)")
            .arg(apdb));
    ASSERT_EQ(rows.size(), 15);
    int compared = 0;
    for (const QStringList &row : rows)
        for (const PRPicFileInfoPtr &r : s.result.records)
            if (r->photoID == row.value(0).toInt()) {
                SCOPED_TRACE(r->fileName.toStdString());
                ++compared;
                EXPECT_EQ(r->fileTitle, row.value(1));
                EXPECT_EQ(r->fileKeywords, row.value(2));
                EXPECT_EQ(r->fileDescription, row.value(3));
                EXPECT_EQ(r->latitudeText(),
                          row.value(4).isEmpty()
                              ? QString()
                              : QString::asprintf("%f", row.value(4).toDouble()));
                EXPECT_EQ(r->longitudeText(),
                          row.value(5).isEmpty()
                              ? QString()
                              : QString::asprintf("%f", row.value(5).toDouble()));
                EXPECT_EQ(r->shootDateNumber, row.value(6).toULongLong());
            }
    EXPECT_EQ(compared, 10);
}

TEST(LibraryScan, CatalogueLinkIsFollowedOnlyInsideThePackage) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-iPhoto-9.6.1"), dir.path());
    const QString database = library + QStringLiteral("/Database");
    // The catalogue reached only through the link, as a Mac may leave it.
    ASSERT_TRUE(QDir(database).rename(QStringLiteral("apdb"), QStringLiteral("store")));
    for (const char *name : {"Library.apdb", "Properties.apdb"}) {
        QFile::remove(database + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(QFile::link(QStringLiteral("store/") + QLatin1String(name),
                                database + QLatin1Char('/') + QLatin1String(name)));
    }
    {
        FakePhotosApplication nobody;
        LibraryWorkingCopy copy(&nobody);
        const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(r.records.size(), 10);
        EXPECT_EQ(copy.originalPhotolibDatabasePath(),
                  QFileInfo(database + QStringLiteral("/store/Library.apdb")).canonicalFilePath());
        EXPECT_EQ(byName(r, QStringLiteral("wedding.jpg"))->fileDescription,
                  QStringLiteral("Bride Wedding day"));
    }
    // A link that leads out of the package is not followed, and its target is not touched.
    ASSERT_TRUE(QDir(database).rename(QStringLiteral("store"), QStringLiteral("../../outside")));
    QFile::remove(database + QStringLiteral("/Library.apdb"));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../outside/Library.apdb"),
                            database + QStringLiteral("/Library.apdb")));
    const QStringList before = folderHashes(dir.path() + QStringLiteral("/outside"));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("outside"))) << r.message.toStdString();
    EXPECT_EQ(folderHashes(dir.path() + QStringLiteral("/outside")), before);
}

TEST(LibraryScan, SharedAlbumPhotosLiveInsideThePackage) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QString db = library + QStringLiteral("/database/Photos.sqlite");
    const QList<QStringList> assets = sqliteRows(
        db,
        QStringLiteral("SELECT Z_PK, ZDIRECTORY, ZFILENAME FROM ZASSET WHERE ZTRASHEDSTATE = 0 AND "
                       "length(ZDIRECTORY) = 1 "
                       "ORDER BY Z_PK LIMIT 3"));
    ASSERT_EQ(assets.size(), 3);
    // Two shared-album assets, one with its file under scopes/cloudsharing/data; a third
    // whose folder climbs out of the package.
    const QString folder = QStringLiteral("17058154511/9F9A0A6B-2C1D-4E7A-8F00-0123456789AB");
    const QString shared = library + QStringLiteral("/scopes/cloudsharing/data/") + folder;
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QFile::rename(library + QStringLiteral("/originals/") + assets[0][1] +
                                  QLatin1Char('/') + assets[0][2],
                              shared + QLatin1Char('/') + assets[0][2]));
    sqliteRows(db, QStringLiteral("UPDATE ZASSET SET ZDIRECTORY = '%1' WHERE Z_PK IN (%2, %3); "
                                  "UPDATE ZASSET SET ZDIRECTORY = '../../%4' WHERE Z_PK = %5;")
                       .arg(folder, assets[0][0], assets[1][0], assets[2][1], assets[2][0]));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult r = ScanPhotoLibMetadata(library, copy);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    QHash<int, PRPicFileInfoPtr> byAsset;
    for (const PRPicFileInfoPtr &rec : r.records)
        byAsset.insert(rec->photoAssetID, rec);
    const PRPicFileInfoPtr present = byAsset.value(assets[0][0].toInt());
    const PRPicFileInfoPtr absent = byAsset.value(assets[1][0].toInt());
    const PRPicFileInfoPtr climbing = byAsset.value(assets[2][0].toInt());
    ASSERT_TRUE(present && absent && climbing);
    for (const PRPicFileInfoPtr &rec : {present, absent, climbing}) {
        EXPECT_FALSE(rec->bReferencePhoto);
        EXPECT_FALSE(rec->bLostReferencePhoto);
        EXPECT_TRUE(rec->fileFullPath.startsWith(library + QLatin1Char('/')));
        EXPECT_FALSE(rec->fileFullPath.contains(QStringLiteral("..")));
    }
    EXPECT_EQ(present->fileFullPath, shared + QLatin1Char('/') + assets[0][2]);
    EXPECT_TRUE(present->bICloudDownloadPhoto);
    EXPECT_FALSE(absent->bICloudDownloadPhoto);
    EXPECT_FALSE(climbing->bICloudDownloadPhoto);
    // Nothing for the referenced-photo check, and so nothing for its repair.
    for (const IKImageItemPtr &item : scanReferencePhotos(r.records).referencePhotoItemArray)
        EXPECT_FALSE(item->photoLibFileNode == present || item->photoLibFileNode == absent ||
                     item->photoLibFileNode == climbing);
    QString why;
    auto store = LibraryStore::begin(copy.currentPhotolibDatabasePath(), QString(), &why);
    ASSERT_TRUE(store) << why.toStdString();
    EXPECT_FALSE(
        store->setReferencedFileName(absent->photoID, absent->photoAssetID, QStringLiteral("x.jpg"))
            .ok);
}
