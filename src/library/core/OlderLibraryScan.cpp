// The older catalogue (iPhoto, Aperture, Photos before 10.15): RKMaster and RKVersion.
#include "base/SharedHelpers.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryRow.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibrarySchema.h"
#include "library/core/SqliteDatabase.h"

#include <QFileInfo>
#include <cstdlib>

namespace {

bool isFileOutsideLibrary(const QString &path) {
    return hasNoDotSegments(path) && QFileInfo(path).isFile();
}

struct MasterFile {
    QString path;
    bool referenced = false, lost = false;
};

// imagePath: absolute, or relative to the root of the disk for referenced files and to
// Masters for managed ones; never to our working directory.
MasterFile masterFile(const QString &libraryPath, const QString &imagePath) {
    const QString fromRoot =
        imagePath.startsWith(QLatin1Char('/')) ? imagePath : QLatin1Char('/') + imagePath;
    if (!imagePath.isEmpty() && isFileOutsideLibrary(fromRoot))
        return {fromRoot, true, false};
    if (fromRoot.contains(QLatin1String("/Users"), Qt::CaseInsensitive) ||
        fromRoot.contains(QLatin1String("/Volumes"), Qt::CaseInsensitive))
        return {fromRoot, true, true};
    return {libraryPath + QStringLiteral("/Masters") + fromRoot};
}

} // namespace

LibraryScanResult ScanOldPhotoLibMetadata(const QString &libraryPath, const QString &databasePath,
                                          const LibraryRecordSink &onRecord,
                                          const QString &propertiesPath, bool withMissingFiles) {
    LibraryScanResult result;
    result.bScanNewPhotosLib = false;
    SqliteDatabase db;
    if (!db.open(databasePath, SqliteDatabase::Mode::ReadWrite, &result.message))
        return result;
    if (LibrarySchema::read(db).kind != LibrarySchema::Kind::Older) {
        result.message =
            QStringLiteral("\"%1\" holds no photo library catalogue").arg(databasePath);
        return result;
    }
    // The name the library shows, where it keeps one apart from the file's own.
    const QString shownName =
        tableHasColumn(db, QStringLiteral("RKMaster"), QStringLiteral("originalFileName"))
            ? QStringLiteral("RKMaster.originalFileName")
            : QStringLiteral("NULL");
    // The version's own date and mark, which the photo application shows over the master's.
    const QString favorite =
        tableHasColumn(db, QStringLiteral("RKVersion"), QStringLiteral("isFavorite"))
            ? QStringLiteral("RKVersion.isFavorite")
            : QStringLiteral("NULL");
    // A RAW+JPEG pair is one photo, shown on its JPEG master: the RAW master's versions name
    // it. A master without a version of its own that a version names is the other half.
    const bool pairs = olderSchemaPairsMasters(db);
    const QString versionsShown =
        pairs ? QStringLiteral(
                    "(RKVersion.masterId = RKMaster.modelId AND (RKVersion.nonRawMasterUuid IS "
                    "NULL OR RKVersion.nonRawMasterUuid = RKMaster.uuid OR NOT EXISTS (SELECT 1 "
                    "FROM RKMaster j WHERE j.uuid = RKVersion.nonRawMasterUuid))) OR "
                    "RKVersion.nonRawMasterUuid = RKMaster.uuid")
              : QStringLiteral("RKMaster.modelId = RKVersion.masterId");
    const QString otherHalf =
        pairs ? QStringLiteral("EXISTS (SELECT 1 FROM RKVersion w WHERE w.masterId = "
                               "RKMaster.modelId OR w.rawMasterUuid = RKMaster.uuid OR "
                               "w.nonRawMasterUuid = RKMaster.uuid)")
              : QStringLiteral("0");
    // The other master of the photo's pair, when no version that stays with a deletion of the
    // photo stands on it (the deletion then removes its row, and its file goes too).
    const QString pairedPath =
        pairs ? QStringLiteral(
                    "(SELECT o.imagePath FROM RKMaster o WHERE o.modelId != RKMaster.modelId AND "
                    "(o.modelId = RKVersion.masterId OR o.uuid = RKVersion.rawMasterUuid OR "
                    "o.uuid = RKVersion.nonRawMasterUuid) AND NOT EXISTS (SELECT 1 FROM "
                    "RKVersion v WHERE v.masterId != RKMaster.modelId AND v.nonRawMasterUuid IS "
                    "NOT RKMaster.uuid AND (v.masterId = o.modelId OR v.rawMasterUuid = o.uuid "
                    "OR v.nonRawMasterUuid = o.uuid)) LIMIT 1)")
              : QStringLiteral("NULL");
    const bool captions =
        !propertiesPath.isEmpty() && attachCatalogueProperties(db, propertiesPath, nullptr);
    // RKVersion.modelId comes last: albums and keywords belong to the version. iPhoto's and
    // Aperture's catalogues lack some of these columns. Of a master's versions, the first
    // row is the one the library shows (an iPhoto master keeps its original beside it).
    SqliteStatement *stmt = db.prepare(withCatalogueColumns(
        db,
        QStringLiteral(
            "SELECT RKMaster.modelId, RKMaster.uuid, RKMaster.createDate, RKMaster.fileSize, "
            "RKMaster.height, RKMaster.width, RKMaster.filename, RKMaster.imagePath, "
            "RKMaster.imageDate, RKMaster.fileCreationDate, RKMaster.originalFileSize, "
            "RKVersion.name, "
            "RKVersion.hasKeywords, RKVersion.extendedDescription, RKVersion.exifLatitude, "
            "RKVersion.exifLongitude, RKVersion.masterId, RKMaster.isInTrash, RKVersion.modelId, "
            "%1, RKVersion.imageDate, %2, %3, %5 "
            "FROM RKMaster LEFT JOIN RKVersion ON %4 "
            "ORDER BY RKMaster.modelId, %6")
            .arg(shownName, favorite, otherHalf, versionsShown, pairedPath,
                 olderShownVersionOrder()),
        captions));
    if (!stmt) {
        result.message = db.lastError();
        return result;
    }
    OlderLibraryLookups lookups(db);
    QHash<int32_t, int> rowsPerMaster;
    const LibraryRow row(*stmt);
    while (stmt->step()) {
        auto record = std::make_shared<PRPicFileInfo>();
        PRPicFileInfo &r = *record;
        if (row.present(1))
            r.editRare().photouuid = row.text(1);
        const QString height = row.present(4) ? QString::number(row.i32(4)) : QStringLiteral("");
        if (row.present(5))
            r.filePixel = QStringLiteral("%1 X %2").arg(row.i32(5)).arg(height);
        if (row.present(6)) {
            r.fileName = r.filePhotoLibName = row.text(6);
            if (row.present(19))
                r.fileName = row.text(19);
            r.fileTypeStr = libraryFileType(r.fileName);
        }
        const MasterFile file = masterFile(libraryPath, row.text(7));
        r.fileFullPath = file.path;
        if (file.referenced) {
            r.bReferencePhoto = true;
            r.bLostReferencePhoto = file.lost;
            r.editRare().findLocation = file.path;
        }
        if (row.present(23))
            r.editRare().pairedFilePath = masterFile(libraryPath, row.text(23)).path;
        if (const int date = row.present(20) ? 20 : 8; row.present(date)) {
            r.shootDateNumber = uint64_t(row.i64(date));
            r.cameraDate = libraryDate(row.i64(date));
        }
        if (row.present(21))
            r.favoriteNum = row.i32(21);
        if (row.present(9))
            r.createDate = libraryDate(row.i64(9));
        if (row.present(10)) {
            r.originalfilesize = uint64_t(row.i64(10));
            r.fileSize = sizeToUnitString(r.originalfilesize);
        }
        if (row.present(11))
            r.fileTitle = row.text(11);
        const bool hasKeywords = row.i32(12) > 0;
        if (row.present(13))
            r.fileDescription = row.text(13);
        if (row.present(14) && row.i32(14) != -180)
            r.setLatitudeText(QString::asprintf("%f", row.real(14)));
        if (row.present(15) && row.i32(15) != -180)
            r.setLongitudeText(QString::asprintf("%f", row.real(15)));
        int seenForMaster = 0;
        if (row.present(16)) {
            r.photoID = row.i32(0); // the master whose file the photo shows
            seenForMaster = ++rowsPerMaster[r.photoID];
            const int64_t version = row.i64(18);
            r.versionID = row.i32(18);
            if (hasKeywords) {
                const QString keywords = lookups.getOldDatabaseKeyWordTextwithphotoid(version);
                if (!keywords.isEmpty())
                    r.fileKeywords = keywords;
            }
            r.albumTitles = lookups.getOldAlbumTitlesWithZPK(version);
            const QString album = r.albumTitles.join(QStringLiteral(", "));
            if (!album.isEmpty())
                r.fileAlbum = album;
        }
        r.bTrashPhoto = row.present(17) && row.i32(17) == 1;
        r.fileThumbPath = r.fileLargeThumbPath = r.fileFullPath;

        const bool present =
            r.bReferencePhoto || withMissingFiles || isFileOutsideLibrary(r.fileFullPath);
        const bool partOfAnother = !row.present(16) && row.i32(22) == 1;
        if (seenForMaster <= 1 && present && !r.bTrashPhoto && !partOfAnother) {
            result.records << record;
            if (onRecord)
                onRecord(record);
        }
    }
    if (stmt->failed()) {
        result.message = stmt->error();
        result.records.clear();
        return result;
    }
    result.ok = true;
    return result;
}
