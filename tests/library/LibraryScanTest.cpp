#include "library/core/LibraryScan.h"
#include "LibraryTestSupport.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"

#include <QFile>
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
        EXPECT_EQ(r->fileLcationLatitude, position(row.value(4)));
        EXPECT_EQ(r->fileLocationLongitude, position(row.value(5)));
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
    EXPECT_EQ(park->fileLcationLatitude, QStringLiteral("51.503572"));
    EXPECT_EQ(park->fileLocationLongitude, QStringLiteral("-0.131805"));
    EXPECT_EQ(park->fileTypeStr, QStringLiteral("JPG Photos"));
    EXPECT_TRUE(QFile::exists(park->fileFullPath));
    EXPECT_TRUE(park->fileFullPath.startsWith(s.library + QStringLiteral("/originals/D/")));

    for (const char *lost : {"Pumpkins4.jpg", "IMG_2000.JPG"}) {
        const PRPicFileInfoPtr r = byName(s.result, QLatin1String(lost));
        ASSERT_TRUE(r) << lost;
        EXPECT_TRUE(r->bReferencePhoto);
        EXPECT_TRUE(r->bLostReferencePhoto);
        EXPECT_EQ(r->fileFullPath, r->findLocation);
    }
    for (const char *away : {"DSC03584.dng", "IMG_1693.tif"}) {
        const PRPicFileInfoPtr r = byName(s.result, QLatin1String(away));
        ASSERT_TRUE(r) << away;
        EXPECT_FALSE(r->bICloudDownloadPhoto);
        EXPECT_FALSE(r->bReferencePhoto);
        EXPECT_FALSE(r->fileCreateDate.isEmpty());
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
    EXPECT_EQ(p4->findLocation, QStringLiteral("/Users/Shared/Pumpkins4.jpg"));

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
    EXPECT_EQ(tulips->fileCameraDate, libraryDateText(versionDate.toLongLong()));
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
    qunsetenv("TZ");
    tzset();
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
        ASSERT_TRUE(each.ok && once.ok);
        ASSERT_EQ(each.records.size(), once.records.size());
        for (int i = 0; i < each.records.size(); ++i) {
            const PRPicFileInfo &a = *each.records[i], &b = *once.records[i];
            EXPECT_EQ(a.fileKeywords, b.fileKeywords);
            EXPECT_EQ(a.fileAlbum, b.fileAlbum);
            EXPECT_EQ(a.fileDescription, b.fileDescription);
            EXPECT_EQ(a.fileMaker, b.fileMaker);
            EXPECT_EQ(a.fileModel, b.fileModel);
            EXPECT_EQ(a.fileLensModel, b.fileLensModel);
        }
    }
}
