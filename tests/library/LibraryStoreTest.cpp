// The write layer on copies of the real libraries: every value reads back exactly through
// the sqlite3 command and a new scan, the store stays whole, and a failed action leaves the
// working copy and the library as they were.
#include "library/core/LibraryStore.h"
#include "LibraryTestSupport.h"
#include "library/core/DatabaseFiles.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/SqliteDatabase.h"
#include "platform/core/PhotosApplication.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <time.h>

namespace {

struct Opened {
    QTemporaryDir dir;
    QString library, database;
    FakePhotosApplication photos;
    std::unique_ptr<LibraryWorkingCopy> copy;
    bool current = true;

    QString workingCopy() const { return copy->currentPhotolibDatabasePath(); }
    LibraryScanResult scanLibrary() const {
        // A new open of the package, as the program makes one: what the library now holds.
        FakePhotosApplication photos2;
        LibraryWorkingCopy again(&photos2);
        EXPECT_TRUE(again.open(database).ok);
        return current ? scanCurrentLibraryDatabase(library, again.currentPhotolibDatabasePath())
                       : ScanOldPhotoLibMetadata(library, again.currentPhotolibDatabasePath());
    }
};

std::unique_ptr<Opened> openLibrary(const QString &name) {
    auto o = std::make_unique<Opened>();
    o->library = copyLibrary(name, o->dir.path());
    o->current = name != QLatin1String("Test-10.14.6");
    o->database = o->library + (o->current ? QStringLiteral("/database/Photos.sqlite")
                                           : QStringLiteral("/database/photos.db"));
    o->copy = std::make_unique<LibraryWorkingCopy>(&o->photos);
    const LibraryStepResult r = o->copy->open(o->database);
    EXPECT_TRUE(r.ok) << r.reason.toStdString();
    return o;
}

PRPicFileInfoPtr recordOf(const LibraryScanResult &scan, const PRPicFileInfo &like) {
    for (const PRPicFileInfoPtr &r : scan.records)
        if (r->photoID == like.photoID && r->photoAssetID == like.photoAssetID)
            return r;
    return nullptr;
}

PRPicFileInfoPtr recordNamed(const LibraryScanResult &scan, const QString &fileName) {
    for (const PRPicFileInfoPtr &r : scan.records)
        if (r->fileName == fileName)
            return r;
    return nullptr;
}

QStringList sortedKeywords(const QString &text) {
    QStringList k = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &s : k)
        s = s.normalized(QString::NormalizationForm_C);
    k.sort();
    return k;
}

std::unique_ptr<LibraryStore> begin(const Opened &o, int busyMs = 5000) {
    QString why;
    auto store = LibraryStore::begin(o.workingCopy(), QString(), &why, busyMs);
    EXPECT_TRUE(store) << why.toStdString();
    return store;
}

void commitAndCopyBack(Opened &o, LibraryStore &store) {
    QString why;
    ASSERT_TRUE(store.commit(&why)) << why.toStdString();
    const LibraryStepResult back = o.copy->copyBack();
    ASSERT_TRUE(back.ok) << back.reason.toStdString();
}

void expectWhole(const QString &database) {
    EXPECT_EQ(sqliteValue(database, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}

// Rows that name an asset, an attributes row or a keyword no table holds.
int danglingReferences(const QString &db, const QString &assetTable) {
    int n = 0;
    for (const QStringList &row :
         sqliteRows(db, QStringLiteral("SELECT m.name, p.name FROM sqlite_master m, "
                                       "pragma_table_info(m.name) p WHERE m.type = 'table' AND "
                                       "p.name IN ('ZASSET', 'ZASSETATTRIBUTES')"))) {
        const QString target = row[1] == QLatin1String("ZASSET")
                                   ? assetTable
                                   : QStringLiteral("ZADDITIONALASSETATTRIBUTES");
        if (row[0] == QLatin1String("ZDETECTEDFACE") && row[1] == QLatin1String("ZASSET"))
            continue;
        n += sqliteValue(db, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 IS NOT NULL AND %2 "
                                            "NOT IN (SELECT Z_PK FROM %3)")
                                 .arg(row[0], row[1], target))
                 .toInt();
    }
    return n;
}

// The asset's location record as the sqlite3 command reads it, decoded into its eight
// little-endian doubles; empty for NULL.
QList<double> locationRecord(const QString &db, const QString &assetTable, int asset) {
    const QByteArray bytes = QByteArray::fromHex(
        sqliteValue(db, QStringLiteral("SELECT hex(ZLOCATIONDATA) FROM %1 WHERE Z_PK = %2")
                            .arg(assetTable)
                            .arg(asset))
            .toLatin1());
    QList<double> fields;
    for (int i = 0; i + 8 <= bytes.size(); i += 8) {
        const quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + i);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        fields << d;
    }
    return fields;
}

struct CurrentCase {
    const char *library;
    const char *assetTable;
    int keywordEntity, descriptionEntity;
};

} // namespace

class CurrentLibraryWrites : public ::testing::TestWithParam<CurrentCase> {};

TEST_P(CurrentLibraryWrites, EveryFieldReadsBackExactlyAndTheStoreStaysWhole) {
    const CurrentCase c = GetParam();
    auto o = openLibrary(QLatin1String(c.library));
    const QString lib = o->database;
    const int triggersBefore =
        sqliteValue(lib, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='trigger'"))
            .toInt();
    const int danglingBefore = danglingReferences(lib, QLatin1String(c.assetTable));
    const int keywordRowsBefore =
        sqliteValue(lib, QStringLiteral("SELECT count(*) FROM ZKEYWORD")).toInt();
    QSet<QString> titles;
    for (const QStringList &row : sqliteRows(lib, QStringLiteral("SELECT ZTITLE FROM ZKEYWORD")))
        titles.insert(row.value(0).normalized(QString::NormalizationForm_C));
    int missing = 0;
    for (const char *k : {"Kids", "Val d'Isère", "Pumpkin"})
        missing += titles.contains(QString::fromUtf8(k)) ? 0 : 1;
    const LibraryScanResult before = o->scanLibrary();
    const PRPicFileInfoPtr park = recordNamed(before, QStringLiteral("St James Park.jpg"));
    const PRPicFileInfoPtr pumpkins = recordNamed(before, QStringLiteral("Pumkins2.jpg"));
    const PRPicFileInfoPtr wedding = recordNamed(before, QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(park && pumpkins && wedding);
    ASSERT_TRUE(park->fileDescription.isEmpty()); // so a caption row is inserted

    const QString title = QStringLiteral("St. James's \"Park\"; --");
    const QString caption = QStringLiteral("Café – 100% ''");
    const auto date = librarySecondsFromText(QStringLiteral("2020:07:04 12:00:00"));
    ASSERT_TRUE(date);
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        EXPECT_TRUE(store->setTitle(park->photoID, title).ok);
        const LibraryWriteResult name =
            store->setFileName(park->photoID, QStringLiteral("St James' Park"), park->fileName);
        EXPECT_TRUE(name.ok) << name.reason.toStdString();
        EXPECT_EQ(name.stored, QStringLiteral("St James' Park.jpg"));
        EXPECT_TRUE(store->setDescription(park->photoID, caption).ok);
        EXPECT_TRUE(
            store->setPosition(park->photoAssetID, LibraryPosition{48.858370, 2.294481}).ok);
        EXPECT_TRUE(store->setCameraDate(park->photoAssetID, *date).ok);
        EXPECT_TRUE(store
                        ->setCameraInfo(park->photoAssetID, QStringLiteral("Ricoh \"GR\""),
                                        QStringLiteral("GR III"), QStringLiteral("18.3 mm f/2.8"))
                        .ok);
        const LibraryWriteResult k =
            store->setKeywords(pumpkins->photoID, QStringLiteral("Kids, Val d'Isère ,Pumpkin"));
        EXPECT_TRUE(k.ok) << k.reason.toStdString();
        EXPECT_EQ(sortedKeywords(k.stored),
                  sortedKeywords(QStringLiteral("Kids,Pumpkin,Val d'Isère")));
        EXPECT_TRUE(store->setDescription(pumpkins->photoID, QStringLiteral("Two pumpkins")).ok);
        const LibraryWriteResult gone =
            store->deletePhoto(wedding->photoID, wedding->photoAssetID, wedding->iCloudphotoID);
        EXPECT_TRUE(gone.ok) << gone.reason.toStdString();
        commitAndCopyBack(*o, *store);
    }

    expectWhole(lib);
    EXPECT_EQ(
        sqliteValue(lib, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='trigger'"))
            .toInt(),
        triggersBefore);
    const QString attrs = QString::number(park->photoID),
                  asset = QString::number(park->photoAssetID);
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT ZTITLE, ZORIGINALFILENAME FROM "
                                             "ZADDITIONALASSETATTRIBUTES WHERE Z_PK = ") +
                                  attrs),
              (QList<QStringList>{{title, QStringLiteral("St James' Park.jpg")}}));
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT ZLONGDESCRIPTION, Z_ENT, Z_OPT FROM "
                                             "ZASSETDESCRIPTION WHERE ZASSETATTRIBUTES = ") +
                                  attrs),
              (QList<QStringList>{{caption, QString::number(c.descriptionEntity), "1"}}));
    // Linked both ways.
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT d.ZASSETATTRIBUTES FROM ZASSETDESCRIPTION d "
                                              "JOIN ZADDITIONALASSETATTRIBUTES a ON "
                                              "a.ZASSETDESCRIPTION = d.Z_PK WHERE a.Z_PK = ") +
                                   attrs),
              attrs);
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT printf('%.6f,%.6f', ZLATITUDE, ZLONGITUDE), "
                                             "printf('%.3f', ZDATECREATED) FROM %1 WHERE Z_PK = ")
                                      .arg(QLatin1String(c.assetTable)) +
                                  asset),
              (QList<QStringList>{{"48.858370,2.294481", QString::number(*date, 'f', 3)}}));
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT ZCAMERAMAKE, ZCAMERAMODEL, ZLENSMODEL FROM "
                                             "ZEXTENDEDATTRIBUTES WHERE ZASSET = ") +
                                  asset),
              (QList<QStringList>{{"Ricoh \"GR\"", "GR III", "18.3 mm f/2.8"}}));

    // Keywords: "Kids" and the decomposed "Val d'Isère" are the existing rows, untouched;
    // only "Pumpkin" is new where the library had none, with the keyword entity's number.
    const QStringList kidsTitle =
        sqliteRows(lib, QStringLiteral("SELECT ZTITLE FROM ZKEYWORD WHERE ZTITLE = 'Kids'"))
            .value(0);
    EXPECT_EQ(kidsTitle, QStringList{"Kids"});
    const int newRows = sqliteValue(lib, QStringLiteral("SELECT count(*) FROM ZKEYWORD")).toInt() -
                        keywordRowsBefore;
    EXPECT_EQ(newRows, missing);
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM ZKEYWORD WHERE Z_ENT != %1")
                                   .arg(c.keywordEntity)),
              QStringLiteral("0"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM ZKEYWORD WHERE ZUUID IS NULL")),
              QStringLiteral("0"));
    // Z_MAX stays above every key, so the photo application's next row takes a free one.
    for (const char *t : {"ZKEYWORD", "ZASSETDESCRIPTION"})
        EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT (SELECT max(Z_PK) FROM %1) <= Z_MAX FROM "
                                                  "Z_PRIMARYKEY WHERE Z_ENT = (SELECT Z_ENT FROM "
                                                  "%1 LIMIT 1)")
                                       .arg(QLatin1String(t))),
                  QStringLiteral("1"))
            << t;
    // The deletion left nothing pointing at the photo.
    EXPECT_EQ(danglingReferences(lib, QLatin1String(c.assetTable)), danglingBefore);
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM %1 WHERE Z_PK = %2")
                                   .arg(QLatin1String(c.assetTable))
                                   .arg(wedding->photoAssetID)),
              QStringLiteral("0"));

    // A new scan of the library shows exactly what was written, and the rest as it was.
    const LibraryScanResult after = o->scanLibrary();
    ASSERT_TRUE(after.ok) << after.message.toStdString();
    EXPECT_EQ(after.records.size(), before.records.size() - 1);
    const PRPicFileInfoPtr p2 = recordNamed(after, QStringLiteral("St James' Park.jpg"));
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->fileTitle, title);
    EXPECT_EQ(p2->fileDescription, caption);
    EXPECT_EQ(p2->latitudeText(), QStringLiteral("48.858370"));
    EXPECT_EQ(p2->longitudeText(), QStringLiteral("2.294481"));
    EXPECT_EQ(p2->cameraDate.text(), QStringLiteral("2020-07-04 12:00:00"));
    EXPECT_EQ(p2->fileMaker, QStringLiteral("Ricoh \"GR\""));
    EXPECT_EQ(p2->fileLensModel, QStringLiteral("18.3 mm f/2.8"));
    const PRPicFileInfoPtr k2 = recordNamed(after, QStringLiteral("Pumkins2.jpg"));
    ASSERT_TRUE(k2);
    EXPECT_EQ(sortedKeywords(k2->fileKeywords),
              sortedKeywords(QStringLiteral("Kids,Pumpkin,Val d'Isère")));
    EXPECT_EQ(k2->fileDescription, QStringLiteral("Two pumpkins"));
    for (const PRPicFileInfoPtr &r : before.records) {
        if (r == park || r == pumpkins || r == wedding)
            continue;
        const PRPicFileInfoPtr same = recordOf(after, *r);
        ASSERT_TRUE(same) << r->fileName.toStdString();
        EXPECT_EQ(same->fileTitle, r->fileTitle);
        EXPECT_EQ(same->fileKeywords, r->fileKeywords) << r->fileName.toStdString();
        EXPECT_EQ(same->fileDescription, r->fileDescription);
    }
}

// The columns that mirror the date and the position follow them in the same transaction.
TEST_P(CurrentLibraryWrites, MirroredColumnsFollowTheDateAndThePosition) {
    const CurrentCase c = GetParam();
    auto o = openLibrary(QLatin1String(c.library));
    const QString lib = o->database, table = QLatin1String(c.assetTable);
    // Fixture assets: 1 has no position, 6 and 8 a location record, 13 a sort token apart
    // from its date.
    const int bare = 1, park = 6, removed = 8, apart = 13;
    const QList<double> parkBefore = locationRecord(lib, table, park);
    ASSERT_EQ(parkBefore.size(), 8);
    ASSERT_EQ(locationRecord(lib, table, removed).size(), 8);
    ASSERT_TRUE(locationRecord(lib, table, bare).isEmpty());
    const QString apartToken =
        sqliteValue(lib, QStringLiteral("SELECT ZSORTTOKEN FROM %1 WHERE Z_PK = 13").arg(table));
    ASSERT_NE(
        apartToken,
        sqliteValue(lib, QStringLiteral("SELECT ZDATECREATED FROM %1 WHERE Z_PK = 13").arg(table)));
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        for (int asset : {park, apart})
            EXPECT_TRUE(store->setCameraDate(asset, 615000000.5).ok);
        EXPECT_TRUE(store->setPosition(park, LibraryPosition{48.85837, 2.294481}).ok);
        EXPECT_TRUE(store->setPosition(bare, LibraryPosition{-33.856784, 151.215297}).ok);
        EXPECT_TRUE(store->setPosition(removed, std::nullopt).ok);
        commitAndCopyBack(*o, *store);
    }
    expectWhole(lib);
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT Z_PK, ZSORTTOKEN = ZDATECREATED FROM %1 "
                                             "WHERE Z_PK IN (6, 13) ORDER BY Z_PK")
                                  .arg(table)),
              (QList<QStringList>{{"6", "1"}, {"13", "0"}}));
    EXPECT_EQ(
        sqliteValue(lib, QStringLiteral("SELECT ZSORTTOKEN FROM %1 WHERE Z_PK = 13").arg(table)),
        apartToken);

    // The record's coordinates equal the columns; its altitude and the rest are kept.
    const QList<double> parkAfter = locationRecord(lib, table, park);
    ASSERT_EQ(parkAfter.size(), 8);
    EXPECT_EQ(parkAfter.mid(2), parkBefore.mid(2));
    EXPECT_DOUBLE_EQ(parkAfter[2], 2.6);
    const QList<double> bareAfter = locationRecord(lib, table, bare);
    ASSERT_EQ(bareAfter.size(), 8);
    for (auto [asset, record] : {std::pair{park, parkAfter}, {bare, bareAfter}}) {
        const QStringList columns =
            sqliteRows(lib, QStringLiteral("SELECT ZLATITUDE, ZLONGITUDE FROM %1 WHERE Z_PK = %2")
                                .arg(table)
                                .arg(asset))
                .value(0);
        EXPECT_DOUBLE_EQ(record[0], columns.value(0).toDouble()) << asset;
        EXPECT_DOUBLE_EQ(record[1], columns.value(1).toDouble()) << asset;
    }
    EXPECT_DOUBLE_EQ(bareAfter[1], 151.215297);
    EXPECT_TRUE(locationRecord(lib, table, removed).isEmpty());
    // The place of the old position is gone: to be looked up again where there is a position.
    EXPECT_EQ(
        sqliteRows(lib, QStringLiteral("SELECT ZASSET, ZREVERSELOCATIONDATA IS NULL, "
                                       "ZREVERSELOCATIONDATAISVALID, ZLOCATIONHASH FROM "
                                       "ZADDITIONALASSETATTRIBUTES WHERE ZASSET IN (1, 6, 8) "
                                       "ORDER BY ZASSET")),
        (QList<QStringList>{{"1", "1", "0", "0"}, {"6", "1", "0", "0"}, {"8", "1", "1", "0"}}));

    const PRPicFileInfoPtr shown =
        recordNamed(o->scanLibrary(), QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->latitudeText(), QStringLiteral("48.858370"));
}

// A table whose name reads as SQL is only ever a name: deleting one photo removes its rows
// there and leaves every keyword.
TEST_P(CurrentLibraryWrites, ATableNamedLikeSqlStaysAName) {
    const CurrentCase c = GetParam();
    auto o = openLibrary(QLatin1String(c.library));
    const QString lib = o->database;
    const QString hostile = QStringLiteral("\"ZKEYWORD WHERE ?1 OR 1 --\"");
    sqliteRows(o->workingCopy(),
               QStringLiteral("CREATE TABLE %1 (Z_PK INTEGER PRIMARY KEY, ZASSET INTEGER); "
                              "INSERT INTO %1 (ZASSET) VALUES (3), (6);")
                   .arg(hostile));
    const QString keywords = QStringLiteral("SELECT count(*) FROM ZKEYWORD");
    const int keywordRows = sqliteValue(o->workingCopy(), keywords).toInt();
    ASSERT_GT(keywordRows, 0);
    const LibraryScanResult before = o->scanLibrary();
    const PRPicFileInfoPtr wedding = recordNamed(before, QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(wedding);
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        const LibraryWriteResult r =
            store->deletePhoto(wedding->photoID, wedding->photoAssetID, wedding->iCloudphotoID);
        ASSERT_TRUE(r.ok) << r.reason.toStdString();
        commitAndCopyBack(*o, *store);
    }
    expectWhole(lib);
    EXPECT_EQ(sqliteValue(lib, keywords).toInt(), keywordRows);
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT ZASSET FROM %1").arg(hostile)),
              (QList<QStringList>{{QString::number(wedding->photoAssetID == 3 ? 6 : 3)}}));
    const LibraryScanResult after = o->scanLibrary();
    EXPECT_EQ(after.records.size(), before.records.size() - 1);
    const PRPicFileInfoPtr park = recordNamed(after, QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(park);
    EXPECT_EQ(park->fileKeywords.toStdString(),
              recordNamed(before, QStringLiteral("St James Park.jpg"))->fileKeywords.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Libraries, CurrentLibraryWrites,
                         ::testing::Values(CurrentCase{"Test-10.15.7", "ZGENERICASSET", 37, 5},
                                           CurrentCase{"Test-13.0.0", "ZASSET", 40, 6}));

TEST(OlderLibraryWrites, FieldsLandOnTheMastersOwnVersionsAndReadBack) {
    auto o = openLibrary(QStringLiteral("Test-10.14.6"));
    const QString lib = o->database;
    const LibraryScanResult before = o->scanLibrary();
    // IMG_1994.cr2's original is not in the package, so it has no record: its master is 12,
    // its version 10, and version 12 belongs to another photo (DSC03584.dng).
    const int raw = 12;
    const PRPicFileInfoPtr park = recordNamed(before, QStringLiteral("St James Park.jpg"));
    const PRPicFileInfoPtr wedding = recordNamed(before, QStringLiteral("wedding.jpg"));
    ASSERT_TRUE(park && wedding);
    const int dngKeywordLinks =
        sqliteValue(lib,
                    QStringLiteral("SELECT count(*) FROM RKKeywordForVersion WHERE versionId = 12"))
            .toInt();
    // Only the park's version lies in places.
    ASSERT_EQ(sqliteValue(lib, QStringLiteral("SELECT group_concat(DISTINCT versionId) FROM "
                                              "RKPlaceForVersion")),
              QStringLiteral("6"));
    const QString places = sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKPlace"));
    const QString title = QStringLiteral("St. James's \"Park\"; --");
    const auto date = librarySecondsFromText(QStringLiteral("2020-07-04 12:00:00"));
    ASSERT_TRUE(date);
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        EXPECT_FALSE(store->isCurrentSchema());
        EXPECT_TRUE(store->setOlderKeywords(raw, QStringLiteral("Kids, Val d'Isère ,Pumpkin")).ok);
        EXPECT_TRUE(store->setOlderTitle(park->photoID, title).ok);
        EXPECT_TRUE(store->setOlderDescription(park->photoID, QStringLiteral("Café – 100% ''")).ok);
        EXPECT_TRUE(
            store->setOlderPosition(park->photoID, LibraryPosition{48.858370, 2.294481}).ok);
        EXPECT_TRUE(store->setOlderCameraDate(park->photoID, *date).ok);
        const LibraryWriteResult name = store->setOlderFileName(
            park->photoID, QStringLiteral("St James' Park"), park->fileName);
        EXPECT_EQ(name.stored, QStringLiteral("St James' Park.jpg"));
        EXPECT_TRUE(store->deleteOlderPhoto(wedding->photoID).ok);
        commitAndCopyBack(*o, *store);
    }
    expectWhole(lib);
    EXPECT_EQ(
        sortedKeywords(
            sqliteRows(lib, QStringLiteral("SELECT group_concat(k.name) FROM RKKeyword k JOIN "
                                           "RKKeywordForVersion j ON k.modelId = j.keywordId "
                                           "WHERE j.versionId = 10"))
                .value(0)
                .value(0)),
        sortedKeywords(QStringLiteral("Kids,Pumpkin,Val d'Isère")));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral(
                                   "SELECT count(*) FROM RKKeywordForVersion WHERE versionId = 12"))
                  .toInt(),
              dngKeywordLinks);
    EXPECT_EQ(
        sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKKeyword WHERE name = 'Kids'")),
        QStringLiteral("1"));
    // What the library shows: the version's position and date, not only the Exif pair.
    EXPECT_EQ(sqliteRows(lib, QStringLiteral(
                                  "SELECT printf('%.6f,%.6f', latitude, longitude), "
                                  "printf('%.6f,%.6f', exifLatitude, exifLongitude), "
                                  "printf('%.3f', imageDate) FROM RKVersion WHERE masterId = 6")),
              (QList<QStringList>{
                  {"48.858370,2.294481", "48.858370,2.294481", QString::number(*date, 'f', 3)}}));
    // The place named after the old position is gone, to be looked up again, and the places
    // it lies in no longer list the photo.
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT reverseLocationData IS NULL, "
                                             "reverseLocationDataIsValid FROM RKVersion WHERE "
                                             "masterId = 6")),
              (QList<QStringList>{{"1", "0"}}));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKPlaceForVersion")),
              QStringLiteral("0"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKPlace")), places);
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKVersion WHERE masterId = 1")),
              QStringLiteral("0"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKKeywordForVersion WHERE "
                                              "versionId NOT IN (SELECT modelId FROM RKVersion)")),
              QStringLiteral("0"));

    const LibraryScanResult after = o->scanLibrary();
    ASSERT_TRUE(after.ok) << after.message.toStdString();
    EXPECT_EQ(after.records.size(), before.records.size() - 1);
    const PRPicFileInfoPtr p2 = recordNamed(after, QStringLiteral("St James' Park.jpg"));
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->fileTitle, title);
    EXPECT_EQ(p2->fileDescription, QStringLiteral("Café – 100% ''"));
    EXPECT_EQ(p2->latitudeText(), QStringLiteral("48.858370"));
    EXPECT_EQ(p2->cameraDate.text(), QStringLiteral("2020-07-04 12:00:00"));
    EXPECT_TRUE(QFileInfo(p2->fileFullPath).isFile()); // the file on disk kept its name
}

// IMG_1994 is a RAW+JPEG pair: version 10 stands on the RAW master 12 (absent on disk) and
// names the JPEG master 11, which the scan shows. Edits by the JPEG's key reach the
// version; deleting the photo takes both masters.
TEST(OlderLibraryWrites, ARawAndJpegPairTakesEditsAndGoesAsOne) {
    auto o = openLibrary(QStringLiteral("Test-10.14.6"));
    const QString lib = o->database;
    const LibraryScanResult before = o->scanLibrary();
    const PRPicFileInfoPtr jpeg = recordNamed(before, QStringLiteral("IMG_1994.JPG"));
    const PRPicFileInfoPtr tulips = recordNamed(before, QStringLiteral("Tulips.jpg"));
    ASSERT_TRUE(jpeg && tulips);
    ASSERT_EQ(jpeg->photoID, 11);
    // A shift moves the version's date, the one shown.
    const double shifted = double(tulips->shootDateNumber) + 3600;
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        const LibraryWriteResult title =
            store->setOlderTitle(jpeg->photoID, QStringLiteral("Pair"));
        EXPECT_TRUE(title.ok) << title.reason.toStdString();
        EXPECT_TRUE(store->setOlderKeywords(jpeg->photoID, QStringLiteral("raw, jpeg")).ok);
        EXPECT_TRUE(store->setOlderCameraDate(tulips->photoID, shifted).ok);
        commitAndCopyBack(*o, *store);
    }
    expectWhole(lib);
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT name FROM RKVersion WHERE modelId = 10")),
              QStringLiteral("Pair"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT printf('%.1f', imageDate) FROM RKVersion "
                                              "WHERE masterId = 5")),
              QString::number(shifted, 'f', 1));
    const PRPicFileInfoPtr shown = recordNamed(o->scanLibrary(), QStringLiteral("IMG_1994.JPG"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->fileTitle, QStringLiteral("Pair"));
    EXPECT_EQ(sortedKeywords(shown->fileKeywords), sortedKeywords(QStringLiteral("jpeg,raw")));
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        EXPECT_TRUE(store->deleteOlderPhoto(jpeg->photoID).ok);
        commitAndCopyBack(*o, *store);
    }
    expectWhole(lib);
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT group_concat(modelId) FROM RKMaster WHERE "
                                              "modelId IN (9, 10, 11, 12)")),
              QStringLiteral("9,10"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT count(*) FROM RKVersion WHERE modelId = 10")),
              QStringLiteral("0"));
    const LibraryScanResult after = o->scanLibrary();
    EXPECT_EQ(after.records.size(), before.records.size() - 1);
    EXPECT_FALSE(recordNamed(after, QStringLiteral("IMG_1994.JPG")));
    EXPECT_TRUE(recordNamed(after, QStringLiteral("IMG_1997.JPG")));
}

TEST(OlderLibraryWrites, IPhotoCatalogueTakesEveryFieldInTheDatabaseThatKeepsIt) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-iPhoto-9.6.1"), dir.path());
    const QString lib = library + QStringLiteral("/Database/apdb/Library.apdb");
    const QString props = library + QStringLiteral("/Database/apdb/Properties.apdb");
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult before = ScanPhotoLibMetadata(library, copy);
    ASSERT_TRUE(before.ok) << before.message.toStdString();
    ASSERT_FALSE(copy.companionWorkingPath().isEmpty());
    const PRPicFileInfoPtr p1 = recordNamed(before, QStringLiteral("Pumkins1.jpg"));
    const PRPicFileInfoPtr p2 = recordNamed(before, QStringLiteral("Pumkins2.jpg"));
    const PRPicFileInfoPtr park = recordNamed(before, QStringLiteral("St James Park.jpg"));
    const PRPicFileInfoPtr tulips = recordNamed(before, QStringLiteral("Tulips.jpg"));
    const PRPicFileInfoPtr elder = recordNamed(before, QStringLiteral("IMG_4547.jpg"));
    ASSERT_TRUE(p1 && p2 && park && tulips && elder);
    const auto act = [&](const std::function<void(LibraryStore &)> &writes) {
        QString why;
        auto store = LibraryStore::begin(copy.currentPhotolibDatabasePath(), QString(), &why, 5000,
                                         true, copy.companionWorkingPath());
        ASSERT_TRUE(store) << why.toStdString();
        writes(*store);
        ASSERT_TRUE(store->commit(&why)) << why.toStdString();
        store->closeConnection();
        const LibraryStepResult back = copy.copyBack();
        ASSERT_TRUE(back.ok) << back.reason.toStdString();
    };

    // A title alone leaves Properties.apdb as it was, file and all.
    const DatabaseFileState propsBefore = databaseFileState(props);
    const QString title = QStringLiteral("St. James's \"Park\"; --");
    act([&](LibraryStore &s) { EXPECT_TRUE(s.setOlderTitle(park->photoID, title).ok); });
    EXPECT_EQ(databaseFileState(props), propsBefore);

    const QString caption = QStringLiteral("Kürbisse – 100% ''; --");
    const auto date = librarySecondsFromText(QStringLiteral("2020-07-04 12:00:00"));
    ASSERT_TRUE(date);
    // Every master keeps its original as a second version, which the library does not show:
    // none of its rows, properties or keywords may change.
    const QString shown =
        QStringList{QString::number(p1->versionID), QString::number(p2->versionID),
                    QString::number(park->versionID), QString::number(tulips->versionID),
                    QString::number(elder->versionID)}
            .join(',');
    const QString originals =
        sqliteValue(lib, QStringLiteral("SELECT group_concat(modelId) FROM RKVersion WHERE "
                                        "masterId IN (%1, %2, %3, %4, %5) AND modelId NOT IN (%6)")
                             .arg(p1->photoID)
                             .arg(p2->photoID)
                             .arg(park->photoID)
                             .arg(tulips->photoID)
                             .arg(elder->photoID)
                             .arg(shown));
    ASSERT_EQ(originals.count(QLatin1Char(',')), 4);
    const auto untouched = [&] {
        return sqliteRows(lib, QStringLiteral("SELECT * FROM RKVersion WHERE modelId IN (%1) "
                                              "ORDER BY modelId")
                                   .arg(originals)) +
               sqliteRows(lib, QStringLiteral("SELECT * FROM RKKeywordForVersion WHERE versionId "
                                              "IN (%1) ORDER BY modelId")
                                   .arg(originals)) +
               sqliteRows(props, QStringLiteral("SELECT * FROM RKIptcProperty WHERE versionId IN "
                                                "(%1) ORDER BY modelId")
                                     .arg(originals));
    };
    const QList<QStringList> originalsBefore = untouched();
    act([&](LibraryStore &s) {
        EXPECT_TRUE(s.setOlderDescription(p1->photoID, caption).ok);       // replaced
        EXPECT_TRUE(s.setOlderDescription(park->photoID, caption).ok);     // added
        EXPECT_TRUE(s.setOlderDescription(tulips->photoID, QString()).ok); // removed
        EXPECT_TRUE(s.setOlderKeywords(p2->photoID, QStringLiteral("Katie, Pumpkin Farm")).ok);
        EXPECT_TRUE(s.setOlderCameraDate(p1->photoID, *date).ok);
        EXPECT_TRUE(s.setOlderPosition(p2->photoID, LibraryPosition{48.858370, 2.294481}).ok);
        EXPECT_TRUE(s.setOlderPosition(elder->photoID, std::nullopt).ok);
        EXPECT_FALSE(s.setOlderDescription(9999, caption).ok);
    });
    expectWhole(lib);
    expectWhole(props);
    EXPECT_EQ(untouched(), originalsBefore);
    const auto captions = [&](int version) {
        return sqliteRows(props,
                          QStringLiteral("SELECT s.stringProperty, t.stringProperty FROM "
                                         "RKIptcProperty i JOIN RKUniqueString s ON s.modelId = "
                                         "i.stringId JOIN RKUniqueString t ON t.modelId = "
                                         "i.searchStringId WHERE i.propertyKey = "
                                         "'Caption/Abstract' AND i.versionId = %1")
                              .arg(version));
    };
    const QList<QStringList> written{{caption, caption.toLower()}};
    EXPECT_EQ(captions(p1->versionID), written);
    EXPECT_EQ(captions(park->versionID), written);
    EXPECT_TRUE(captions(tulips->versionID).isEmpty());
    // A text other properties share is never rewritten in place.
    EXPECT_EQ(sqliteValue(props, QStringLiteral("SELECT count(*) FROM RKUniqueString WHERE "
                                                "stringProperty = 'Girls with pumpkins'")),
              QStringLiteral("1"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT group_concat(DISTINCT printf('%.3f', "
                                              "imageDate)) FROM (SELECT imageDate FROM RKMaster "
                                              "WHERE modelId = %1 UNION ALL SELECT imageDate "
                                              "FROM RKVersion WHERE modelId = %2)")
                                   .arg(p1->photoID)
                                   .arg(p1->versionID)),
              QString::number(*date, 'f', 3));
    EXPECT_EQ(sqliteRows(lib, QStringLiteral("SELECT masterId, CASE WHEN exifLatitude IS NULL "
                                             "AND exifLongitude IS NULL THEN 'none' ELSE "
                                             "printf('%.6f,%.6f', exifLatitude, exifLongitude) "
                                             "END FROM RKVersion WHERE modelId IN (%1, %2) "
                                             "ORDER BY masterId")
                                  .arg(p2->versionID)
                                  .arg(elder->versionID)),
              (QList<QStringList>{{QString::number(p2->photoID), "48.858370,2.294481"},
                                  {QString::number(elder->photoID), "none"}}));

    // The program's own scan of the library as it now is.
    FakePhotosApplication again;
    LibraryWorkingCopy reopened(&again);
    const LibraryScanResult after = ScanPhotoLibMetadata(library, reopened);
    ASSERT_TRUE(after.ok) << after.message.toStdString();
    EXPECT_EQ(after.records.size(), before.records.size());
    EXPECT_EQ(recordOf(after, *park)->fileTitle, title);
    EXPECT_EQ(recordOf(after, *park)->fileDescription, caption);
    EXPECT_EQ(recordOf(after, *p1)->fileDescription, caption);
    EXPECT_EQ(recordOf(after, *p1)->cameraDate.text(), QStringLiteral("2020-07-04 12:00:00"));
    EXPECT_EQ(recordOf(after, *tulips)->fileDescription, QString());
    EXPECT_EQ(sortedKeywords(recordOf(after, *p2)->fileKeywords),
              sortedKeywords(QStringLiteral("Katie,Pumpkin Farm")));
    EXPECT_EQ(recordOf(after, *p2)->latitudeText(), QStringLiteral("48.858370"));
    EXPECT_EQ(recordOf(after, *elder)->latitudeText(), QString());
    reopened.close();

    // Properties.apdb written by another program since: the action that would replace it
    // is refused before either file is touched.
    sqliteRows(props, QStringLiteral("UPDATE RKUniqueString SET stringProperty = stringProperty "
                                     "WHERE modelId = 1"));
    const QByteArray libBefore = fileBytes(lib), propsChanged = fileBytes(props);
    {
        QString why;
        auto store = LibraryStore::begin(copy.currentPhotolibDatabasePath(), QString(), &why, 5000,
                                         true, copy.companionWorkingPath());
        ASSERT_TRUE(store) << why.toStdString();
        EXPECT_TRUE(store->setOlderTitle(p1->photoID, QStringLiteral("not now")).ok);
        EXPECT_TRUE(store->setOlderDescription(p1->photoID, QStringLiteral("not now")).ok);
        ASSERT_TRUE(store->commit(&why));
        store->closeConnection();
        const LibraryStepResult back = copy.copyBack();
        EXPECT_FALSE(back.ok);
        EXPECT_TRUE(back.reason.contains(QStringLiteral("Properties.apdb")))
            << back.reason.toStdString();
        EXPECT_TRUE(store->restoreSnapshot(&why)) << why.toStdString();
    }
    EXPECT_EQ(fileBytes(lib), libBefore);
    EXPECT_EQ(fileBytes(props), propsChanged);

    // A restore puts both databases back as they were opened.
    const LibraryStepResult restored = copy.restore();
    ASSERT_TRUE(restored.ok) << restored.reason.toStdString();
    expectWhole(props);
    EXPECT_EQ(captions(p1->versionID),
              (QList<QStringList>{{"Girls with pumpkins", "girls with pumpkins"}}));
}

// A Photos 2-4 master given two more versions, as iPhoto and Aperture keep them: an original
// before the shown one in row order (not shown in the library) and a second version after it.
// The scan shows, and every writer writes, the version the library's own columns name; the
// other two keep every field and keyword, also when a write names no version.
TEST(OlderLibraryWrites, AnEditReachesOnlyTheVersionTheLibraryShows) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-10.14.6"), dir.path());
    const QString lib = library + QStringLiteral("/database/photos.db");
    {
        // The store's triggers call the photo application's functions: our connection has
        // stand-ins for them, the sqlite3 command has not.
        SqliteDatabase db;
        QString why;
        ASSERT_TRUE(db.open(lib, SqliteDatabase::Mode::ReadWrite, &why)) << why.toStdString();
        const QString copyOfVersion1 = QStringLiteral(
            "INSERT INTO RKVersion (modelId, uuid, masterId, masterUuid, nonRawMasterUuid, name, "
            "fileName, versionNumber, showInLibrary, isInTrash, hasKeywords, "
            "extendedDescription, exifLatitude, exifLongitude, latitude, longitude, imageDate) "
            "SELECT %1, '%2', masterId, masterUuid, nonRawMasterUuid, '%3', fileName, %4, %5, "
            "0, 1, '%3 caption', %6, %6, %6, %6, %6 FROM RKVersion WHERE modelId = 1");
        ASSERT_TRUE(
            db.exec(copyOfVersion1.arg(0).arg("kept-original", "Original").arg(0).arg(0).arg(10)))
            << db.lastError().toStdString();
        ASSERT_TRUE(
            db.exec(copyOfVersion1.arg(100).arg("second", "Version 2").arg(2).arg(1).arg(20)))
            << db.lastError().toStdString();
        // Family and Vacation.
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO RKKeywordForVersion (versionId, "
                                           "keywordId) VALUES (0, 2), (100, 4)")))
            << db.lastError().toStdString();
    }
    const auto others = [&] {
        return sqliteRows(lib, QStringLiteral("SELECT * FROM RKVersion WHERE modelId IN (0, 100) "
                                              "ORDER BY modelId")) +
               sqliteRows(lib, QStringLiteral("SELECT versionId, keywordId FROM "
                                              "RKKeywordForVersion WHERE versionId IN (0, 100) "
                                              "ORDER BY versionId"));
    };
    const QList<QStringList> before = others();
    ASSERT_EQ(before.size(), 4);

    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult scan = ScanPhotoLibMetadata(library, copy);
    ASSERT_TRUE(scan.ok) << scan.message.toStdString();
    const PRPicFileInfoPtr wedding = recordNamed(scan, QStringLiteral("wedding.jpg"));
    const PRPicFileInfoPtr pumpkins = recordNamed(scan, QStringLiteral("Pumpkins3.jpg"));
    ASSERT_TRUE(wedding && pumpkins);
    EXPECT_EQ(wedding->versionID, 1);
    EXPECT_EQ(wedding->fileDescription, QStringLiteral("Bride Wedding day"));
    EXPECT_EQ(wedding->fileKeywords, QStringLiteral("wedding"));
    EXPECT_EQ(pumpkins->versionID, 2);

    const auto date = librarySecondsFromText(QStringLiteral("2021-03-04 05:06:07"));
    ASSERT_TRUE(date);
    const OlderPhotoKey key(wedding->photoID, wedding->versionID);
    {
        QString why;
        auto store = LibraryStore::begin(copy.currentPhotolibDatabasePath(), QString(), &why);
        ASSERT_TRUE(store) << why.toStdString();
        EXPECT_EQ(store->olderShownVersion(OlderPhotoKey(wedding->photoID)), 1);
        // A version that is not the photo's is never written in its place.
        EXPECT_FALSE(store->setOlderTitle(OlderPhotoKey(wedding->photoID, 2), "No").ok);
        EXPECT_TRUE(store->setOlderTitle(key, QStringLiteral("Bride and groom")).ok);
        EXPECT_TRUE(store->setOlderDescription(key, QStringLiteral("The church")).ok);
        EXPECT_TRUE(store->setOlderKeywords(key, QStringLiteral("wedding, church")).ok);
        EXPECT_TRUE(store->setOlderPosition(key, LibraryPosition{47.5, 8.25}).ok);
        EXPECT_TRUE(store->setOlderCameraDate(key, *date).ok);
        EXPECT_TRUE(store->setOlderFileName(key, QStringLiteral("bride"), wedding->fileName).ok);
        // Without the scan's version: the one the library shows.
        EXPECT_TRUE(store->setOlderTitle(pumpkins->photoID, QStringLiteral("Field")).ok);
        ASSERT_TRUE(store->commit(&why)) << why.toStdString();
        store->closeConnection();
        const LibraryStepResult back = copy.copyBack();
        ASSERT_TRUE(back.ok) << back.reason.toStdString();
    }
    expectWhole(lib);
    EXPECT_EQ(others(), before);
    EXPECT_EQ(
        sqliteRows(lib, QStringLiteral("SELECT name, extendedDescription, printf('%.2f,%.2f', "
                                       "exifLatitude, latitude), printf('%.3f', imageDate), "
                                       "fileName FROM RKVersion WHERE modelId = 1")),
        (QList<QStringList>{{"Bride and groom", "The church", "47.50,47.50",
                             QString::number(*date, 'f', 3), "bride.jpg"}}));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT group_concat(k.name) FROM (SELECT k.name "
                                              "FROM RKKeyword k JOIN RKKeywordForVersion j ON "
                                              "k.modelId = j.keywordId WHERE j.versionId = 1 "
                                              "ORDER BY k.name) k")),
              QStringLiteral("church,wedding"));
    EXPECT_EQ(sqliteValue(lib, QStringLiteral("SELECT group_concat(name) FROM RKVersion WHERE "
                                              "masterId = 2")),
              QStringLiteral("Field"));

    FakePhotosApplication again;
    LibraryWorkingCopy reopened(&again);
    const LibraryScanResult after = ScanPhotoLibMetadata(library, reopened);
    ASSERT_TRUE(after.ok) << after.message.toStdString();
    const PRPicFileInfoPtr shown = recordOf(after, *wedding);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->versionID, 1);
    EXPECT_EQ(shown->fileTitle, QStringLiteral("Bride and groom"));
    EXPECT_EQ(sortedKeywords(shown->fileKeywords),
              sortedKeywords(QStringLiteral("church,wedding")));
}

TEST(LibraryWriteFailures, AFailedActionLeavesTheWorkingCopyAndTheLibraryAsTheyWere) {
    auto o = openLibrary(QStringLiteral("Test-13.0.0"));
    const QString w = o->workingCopy();
    const QByteArray pristine = sqliteDump(w);
    const QStringList libraryFiles = folderHashes(o->library + QStringLiteral("/database"));

    // Read-only: refused before the file is opened.
    QString why;
    EXPECT_FALSE(LibraryStore::begin(w, QStringLiteral("The library is in use by Photos."), &why));
    EXPECT_EQ(why, QStringLiteral("The library is in use by Photos."));

    // A row gone since the scan is "not written", and the action's other writes go too.
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        EXPECT_TRUE(store->setTitle(7, QStringLiteral("kept only with the rest")).ok);
        const LibraryWriteResult r = store->setTitle(9999, QStringLiteral("x"));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.reason.contains(QStringLiteral("no longer in the library")));
        EXPECT_FALSE(store->setCameraDate(9999, 0).ok);
        EXPECT_FALSE(store->setPosition(7, LibraryPosition{91, 0}).ok);
    } // not committed: rolled back
    EXPECT_EQ(sqliteDump(w), pristine);

    // Full: a write that does not fit fails and takes nothing with it.
    {
        auto store = begin(*o);
        ASSERT_TRUE(store);
        const QString pages = store->database().scalar(QStringLiteral("PRAGMA page_count"));
        ASSERT_TRUE(store->database().exec(QStringLiteral("PRAGMA max_page_count = ") + pages));
        EXPECT_TRUE(store->setTitle(7, QStringLiteral("short")).ok);
        const LibraryWriteResult big = store->setDescription(7, QString(200000, QLatin1Char('x')));
        EXPECT_FALSE(big.ok);
        EXPECT_TRUE(big.reason.contains(QStringLiteral("full"))) << big.reason.toStdString();
    }
    EXPECT_EQ(sqliteDump(w), pristine);

    // Held by another connection past the wait: refused with SQLite's reason.
    {
        SqliteDatabase other;
        ASSERT_TRUE(other.open(w, SqliteDatabase::Mode::ReadWrite, &why));
        ASSERT_TRUE(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        EXPECT_FALSE(LibraryStore::begin(w, QString(), &why, 200));
        EXPECT_TRUE(why.contains(QStringLiteral("locked"))) << why.toStdString();
        other.exec(QStringLiteral("ROLLBACK"));
    }

    // A working copy that is no database, or cut short.
    QTemporaryDir scratch;
    const QString cut = scratch.path() + QStringLiteral("/Photos.sqlite");
    const QByteArray bytes = fileBytes(w);
    writeBytes(cut, bytes.left(bytes.size() / 2 + 100));
    EXPECT_FALSE(LibraryStore::begin(cut, QString(), &why));
    EXPECT_FALSE(why.isEmpty());
    writeBytes(cut, QByteArray("not a database at all"));
    EXPECT_FALSE(LibraryStore::begin(cut, QString(), &why));
    EXPECT_FALSE(
        LibraryStore::begin(scratch.path() + QStringLiteral("/missing.sqlite"), QString(), &why));
    EXPECT_FALSE(QFileInfo::exists(scratch.path() + QStringLiteral("/missing.sqlite")));

    EXPECT_EQ(sqliteDump(w), pristine);
    EXPECT_EQ(folderHashes(o->library + QStringLiteral("/database")), libraryFiles);
}

TEST(LibraryWriteValues, PositionsAndKeywordTextsAreCheckedBeforeTheyAreWritten) {
    bool none = false;
    QString why;
    EXPECT_FALSE(parseLibraryPosition(QString(), QString(), &none, &why));
    EXPECT_TRUE(none);
    const auto p = parseLibraryPosition(QStringLiteral(" 51.503572 "), QStringLiteral("-0.131806"),
                                        &none, &why);
    ASSERT_TRUE(p);
    EXPECT_FALSE(none);
    EXPECT_DOUBLE_EQ(p->longitude, -0.131806);
    for (auto [lat, lon] : {std::pair{"north", "0"},
                            {"91", "0"},
                            {"0", "-180.5"},
                            {"12", ""},
                            {"nan", "1"},
                            {"1e400", "1"}}) {
        EXPECT_FALSE(parseLibraryPosition(QLatin1String(lat), QLatin1String(lon), &none, &why))
            << lat << " " << lon;
        EXPECT_FALSE(none);
        EXPECT_FALSE(why.isEmpty());
    }
    EXPECT_EQ(keywordSet(QStringLiteral(",Kids, Val d'Ise\u0300re ,,Kids,Val d'Is\u00e8re, ")),
              (QStringList{"Kids", QStringLiteral("Val d'Ise\u0300re")}));
    EXPECT_TRUE(keywordSet(QStringLiteral(" , ,")).isEmpty());
    EXPECT_FALSE(librarySecondsFromText(QStringLiteral("2020:13:04 12:00:00")));
    EXPECT_FALSE(librarySecondsFromText(QStringLiteral("yesterday")));
    EXPECT_EQ(*librarySecondsFromText(QStringLiteral("2001-01-01 00:00:00 +0000")), 0.0);
    EXPECT_EQ(*librarySecondsFromText(QStringLiteral("2001-01-01 05:30:00 +0530")), 0.0);
}

// Summer and winter dates written in one zone read back as typed, whatever offset today has.
TEST(LibraryWriteValues, LocalDatesReadBackUnchangedInEveryZone) {
    const QByteArray savedTz = qgetenv("TZ");
    auto o = openLibrary(QStringLiteral("Test-13.0.0"));
    const int asset =
        recordNamed(o->scanLibrary(), QStringLiteral("St James Park.jpg"))->photoAssetID;
    for (const char *zone : {"America/Los_Angeles", "Asia/Kolkata"}) {
        qputenv("TZ", zone);
        tzset();
        for (const char *text : {"2021-07-04 09:30:00", "2021-12-24 18:45:10"}) {
            const auto seconds = librarySecondsFromText(QLatin1String(text));
            ASSERT_TRUE(seconds);
            auto store = begin(*o);
            ASSERT_TRUE(store);
            const LibraryWriteResult r = store->setCameraDate(asset, *seconds);
            EXPECT_EQ(r.stored, QLatin1String(text)) << zone;
            QString why;
            ASSERT_TRUE(store->commit(&why));
            const LibraryScanResult scan = scanCurrentLibraryDatabase(o->library, o->workingCopy());
            const PRPicFileInfoPtr park = recordNamed(scan, QStringLiteral("St James Park.jpg"));
            ASSERT_TRUE(park);
            EXPECT_EQ(park->cameraDate.text(), QLatin1String(text)) << zone;
        }
    }
    if (savedTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedTz);
    tzset();
}

// A keyword of a million decomposed letters, written and then typed with letters that compose
// to the same, meets its row: a guard against a normalization whose cost grows with the square
// of the length (minutes here).
TEST(LibraryWriteValues, ALongDecomposedKeywordMeetsItsRow) {
    const int letters = 500000;
    QString decomposed;
    for (int i = 0; i < letters; ++i)
        decomposed += QStringLiteral("A\u030a");
    const QString typed = QString(letters, QChar(0x212b)) + QStringLiteral(", Kids");
    for (const char *name : {"Test-13.0.0", "Test-10.14.6"}) {
        auto o = openLibrary(QLatin1String(name));
        const QString table = o->current ? QStringLiteral("ZKEYWORD") : QStringLiteral("RKKeyword");
        const QString column = o->current ? QStringLiteral("ZTITLE") : QStringLiteral("name");
        const LibraryScanResult scan = o->scanLibrary();
        const PRPicFileInfoPtr park = recordNamed(scan, QStringLiteral("St James Park.jpg"));
        const PRPicFileInfoPtr wedding = recordNamed(scan, QStringLiteral("wedding.jpg"));
        ASSERT_TRUE(park && wedding);
        QString rows;
        for (const auto &[photo, text] : {std::pair{park, decomposed}, {wedding, typed}}) {
            auto store = begin(*o);
            ASSERT_TRUE(store);
            const LibraryWriteResult k = o->current ? store->setKeywords(photo->photoID, text)
                                                    : store->setOlderKeywords(photo->photoID, text);
            EXPECT_TRUE(k.ok) << k.reason.toStdString();
            commitAndCopyBack(*o, *store);
            if (rows.isEmpty())
                rows =
                    sqliteValue(o->database, QStringLiteral("SELECT count(*) FROM %1").arg(table));
        }
        expectWhole(o->database);
        EXPECT_EQ(sqliteValue(o->database, QStringLiteral("SELECT count(*) FROM %1").arg(table)),
                  rows)
            << name;
        EXPECT_EQ(
            sqliteValue(o->database, QStringLiteral("SELECT count(*) FROM %1 WHERE length(%2) = %3")
                                         .arg(table, column)
                                         .arg(2 * letters)),
            QStringLiteral("1"));
    }
}
