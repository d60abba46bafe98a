#include "library/core/LibraryScan.h"

#include "base/FileTypes.h"
#include "base/SharedHelpers.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryRow.h"
#include "library/core/LibrarySchema.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

bool FolderListing::Names::contains(const QByteArray &name) const {
    // No entry's name holds a NUL, and the block's names end at one.
    if (name.contains('\0'))
        return false;
    const char *base = block.constData();
    const auto it = std::lower_bound(starts.begin(), starts.end(), name,
                                     [base](uint32_t start, const QByteArray &n) {
                                         return std::strcmp(base + start, n.constData()) < 0;
                                     });
    return it != starts.end() && std::strcmp(base + *it, name.constData()) == 0;
}

bool FolderListing::exists(const QString &folder, const QString &name) {
    auto it = folders_.find(folder);
    if (it == folders_.end() && !listing_) {
        // An entry of any kind, as the listing has it: a plain name, not followed.
        struct stat st {};
        return isPlainFileName(name) &&
               ::lstat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &st) == 0;
    }
    if (it == folders_.end()) {
        // Every entry but "." and "..", unsorted and unstatted: QDir sorts and types each one,
        // which was most of a large library's scan. Names are kept as the text they decode to,
        // so that a name matches exactly when its text does.
        Names names;
        if (DIR *d = opendir(QFile::encodeName(folder).constData())) {
            while (const dirent *e = readdir(d)) {
                if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                    continue;
                const QByteArray text = QFile::decodeName(e->d_name).toUtf8();
                if (qsizetype(names.block.size()) + text.size() + 1 > qsizetype(UINT32_MAX))
                    break;
                names.starts.push_back(uint32_t(names.block.size()));
                names.block.append(text).append('\0');
            }
            closedir(d);
        }
        names.block.squeeze();
        names.starts.shrink_to_fit();
        const char *base = names.block.constData();
        std::sort(names.starts.begin(), names.starts.end(),
                  [base](uint32_t a, uint32_t b) { return std::strcmp(base + a, base + b) < 0; });
        it = folders_.insert(folder, std::move(names));
    }
    return it->contains(name.toUtf8());
}

bool FolderListing::exists(const QString &path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return false;
    return exists(slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1));
}

bool isPlainFileName(const QString &name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

bool hasNoDotSegments(const QString &path) {
    for (const QString &part : path.split(QLatin1Char('/')))
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

namespace {
// The last component's start and its last dot (-1 without one).
std::pair<qsizetype, qsizetype> nameAndDot(const QString &path) {
    const qsizetype name = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return {name, dot >= name ? dot : -1};
}
} // namespace

QString pathSuffix(const QString &path) {
    const auto [name, dot] = nameAndDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString pathCompleteBaseName(const QString &path) {
    const auto [name, dot] = nameAndDot(path);
    return dot < 0 ? path.mid(name) : path.mid(name, dot - name);
}

QString libraryFileType(const QString &fileName) {
    const QString ext = pathSuffix(fileName);
    QString type;
    if (ext == QLatin1String("HEIC") || ext == QLatin1String("heic"))
        type = QStringLiteral("Live Photos");
    if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG") ||
        ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        type = QStringLiteral("JPG Photos");
    if (ext == QLatin1String("PNG") || ext == QLatin1String("png"))
        type = QStringLiteral("PNG images");
    if (!ext.isEmpty() && GetRAWImageType(ext) >= 0)
        type = QStringLiteral("RAW Photos");
    if (!ext.isEmpty() && GetViedoType(ext) >= 0)
        type = QStringLiteral("Videos");
    return type;
}

namespace {

// folder + "/" + name in a text of exactly that size: "+" leaves up to half again as much
// room behind a path, which a million records keep.
QString joinedPath(const QString &folder, const QString &name) {
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append(QLatin1Char('/')).append(name);
    return path;
}

// Per-scan answers that depend on a little of the record: a library has a handful of file
// suffixes and first letters, and building their texts per photo was much of the scan.
class ScanCache {
  public:
    ScanCache(const QString &library, FolderListing &files) : library_(library), files_(files) {}

    const QString &fileType(const QString &fileName) {
        const QString ext = pathSuffix(fileName);
        auto it = types_.constFind(ext);
        if (it == types_.cend())
            it = types_.insert(ext, libraryFileType(fileName));
        return *it;
    }

    void setThumbnails(PRPicFileInfo &r) {
        const QString &n = r.filePhotoLibName;
        r.fileThumbPath = r.fileLargeThumbPath = r.fileFullPath;
        if (n.size() < 2 || !isPlainFileName(n))
            return;
        const Derivatives &folders = derivatives(n.left(1));
        const QString base = pathCompleteBaseName(n);
        const QString m = base + QStringLiteral("_4_5005_c.jpeg");
        const QString s = base + QStringLiteral("_1_105_c.jpeg");
        if (files_.exists(folders.masters, m)) {
            r.fileThumbPath = joinedPath(folders.masters, m);
            r.fileLargeThumbPath = joinedPath(folders.small, s);
        } else if (files_.exists(folders.small, s)) {
            r.fileThumbPath = r.fileLargeThumbPath = joinedPath(folders.small, s);
        }
    }

  private:
    struct Derivatives {
        QString masters, small;
    };
    const Derivatives &derivatives(const QString &first) {
        auto it = derivatives_.constFind(first);
        if (it == derivatives_.cend())
            it = derivatives_.insert(
                first, {library_ + QStringLiteral("/resources/derivatives/masters/") + first,
                        library_ + QStringLiteral("/resources/derivatives/") + first});
        return *it;
    }
    const QString &library_;
    FolderListing &files_;
    QHash<QString, QString> types_;
    QHash<QString, Derivatives> derivatives_;
};

} // namespace

LibraryScanResult scanCurrentLibraryDatabase(const QString &libraryPath,
                                             const QString &databasePath, bool preloadLookups,
                                             const LibraryRecordSink &onRecord) {
    LibraryScanResult result;
    result.bScanNewPhotosLib = true;
    SqliteDatabase db;
    if (!db.open(databasePath, SqliteDatabase::Mode::ReadWrite, &result.message))
        return result;
    // Read, not mapped: every mapped page stays in the process's resident memory, a gigabyte
    // for a million-photo library, while reads go through SQLite's small page cache.
    db.exec(QStringLiteral("PRAGMA mmap_size = 0"));
    const LibrarySchema schema = LibrarySchema::read(db);
    if (schema.kind != LibrarySchema::Kind::Current) {
        result.message =
            schema.error.isEmpty()
                ? QStringLiteral("\"%1\" holds no photo library catalogue").arg(databasePath)
                : schema.error;
        return result;
    }
    const QString sql =
        QStringLiteral(
            "SELECT A.ZHEIGHT, A.ZWIDTH, A.ZADDEDDATE, A.ZDATECREATED, A.ZLATITUDE, A.ZLONGITUDE, "
            "A.ZFILENAME, B.ZORIGINALFILESIZE, B.ZORIGINALHEIGHT, B.ZORIGINALWIDTH, "
            "B.ZORIGINALFILENAME, B.ZTITLE, B.Z_PK, B.ZASSET, A.ZDIRECTORY, A.ZTRASHEDSTATE, "
            "A.ZMASTER, A.ZFAVORITE, %2 FROM %1 A LEFT JOIN ZADDITIONALASSETATTRIBUTES B "
            "ON A.Z_PK = B.ZASSET ORDER BY A.Z_PK")
            .arg(sqlName(schema.assetTable),
                 schema.adjustmentsColumn.isEmpty()
                     ? QStringLiteral("NULL")
                     : QStringLiteral("A.") + sqlName(schema.adjustmentsColumn));
    SqliteStatement *stmt = db.prepare(sql);
    if (!stmt) {
        result.message = db.lastError();
        return result;
    }
    CurrentLibraryLookups lookups(db, schema);
    // A streamed scan asks for its first photos' lookups one by one, so that they are shown
    // before the tables are read at once; on failure the lookups ask per photo.
    bool preloadDue = preloadLookups;
    int streamed = 0;
    FolderListing files;
    ScanCache cache(libraryPath, files);
    SharedTexts texts;
    files.setListing(!preloadDue || !onRecord);
    const LibraryRow row(*stmt);
    while (stmt->step()) {
        if (preloadDue && (!onRecord || streamed >= kPhotosBeforeLookupTables)) {
            preloadDue = false;
            files.setListing(true);
            lookups.preload();
        }
        auto record = std::make_shared<PRPicFileInfo>();
        PRPicFileInfo &r = *record;
        QString height = row.present(0) ? QString::number(row.i32(0)) : QStringLiteral("");
        if (row.present(1))
            r.filePixel = texts(QString::number(row.i32(1)) + QStringLiteral(" X ") + height);
        if (row.present(3)) {
            const int64_t seconds = row.i64(3);
            r.shootDateNumber = uint64_t(seconds);
            r.createDate = r.cameraDate = libraryDate(seconds);
        }
        if (row.present(4) && row.i32(4) != -180)
            r.setLatitude(row.real(4));
        if (row.present(5) && row.i32(5) != -180)
            r.setLongitude(row.real(5));
        if (row.present(6))
            r.filePhotoLibName = row.text(6);
        if (row.present(7)) {
            r.originalfilesize = uint64_t(row.i64(7));
            r.fileSize = texts(sizeToUnitString(r.originalfilesize));
        }
        if (row.present(8))
            height = QString::number(row.i32(8));
        if (row.present(9))
            r.filePixel = texts(QString::number(row.i32(9)) + QStringLiteral(" X ") + height);
        if (row.present(10)) {
            r.fileName = row.text(10);
            r.fileTypeStr = cache.fileType(r.fileName);
        }
        if (row.present(11))
            r.fileTitle = row.text(11);
        if (row.present(12)) {
            r.photoID = row.i32(12);
            const QString description = lookups.getCurrentDescriptionText(r.photoID);
            if (!description.isEmpty())
                r.fileDescription = description;
            const QString keywords = lookups.getCurrentKeyWordText(r.photoID);
            if (!keywords.isEmpty())
                r.fileKeywords = keywords;
        }
        if (row.present(13)) {
            r.photoAssetID = row.i32(13);
            r.albumTitles = lookups.getCurrentAlbumTitlesWithZPK(r.photoAssetID);
            if (!r.albumTitles.isEmpty() && !r.albumTitles.first().isEmpty())
                r.fileAlbum = r.albumTitles.first();
        }
        const QString directory = row.text(14);
        bool originalPresent = false;
        if (isSharedAlbumFolder(directory)) {
            // A shared album's photo: kept inside the package, never a referenced one.
            const QString shared = libraryPath + QStringLiteral("/scopes/cloudsharing/data");
            // A folder that climbs names nothing: the photo is then missing from the package.
            const bool inside = hasNoDotSegments(directory) && isPlainFileName(r.filePhotoLibName);
            const QString folder = inside ? shared + QLatin1Char('/') + directory : shared;
            r.fileFullPath = joinedPath(folder, QFileInfo(r.filePhotoLibName).fileName());
            originalPresent = inside && files.exists(folder, r.filePhotoLibName);
        } else if (directory.contains(QLatin1Char('/'))) {
            r.bReferencePhoto = true;
            r.editRare().findLocation = joinedPath(directory, r.fileName);
            // A name that climbs out of its folder names no file of this photo.
            originalPresent = isPlainFileName(r.fileName) && hasNoDotSegments(directory) &&
                              QFileInfo(r.rare().findLocation).isFile();
            r.bLostReferencePhoto = !originalPresent;
            r.fileFullPath = r.rare().findLocation;
        } else {
            const QString folder = libraryPath + QStringLiteral("/originals/") + directory;
            r.fileFullPath = joinedPath(folder, r.filePhotoLibName);
            originalPresent = isPlainFileName(directory) && isPlainFileName(r.filePhotoLibName) &&
                              files.exists(folder, r.filePhotoLibName);
        }
        r.bTrashPhoto = row.present(15) && row.i32(15) == 1;
        if (row.present(16))
            r.iCloudphotoID = row.i32(16);
        if (row.present(17))
            r.favoriteNum = row.i32(17);
        if (row.present(18))
            r.hasAdjustNum = row.i32(18);
        cache.setThumbnails(r);
        lookups.getPhotoLibCameraInfowithAsset(r.photoAssetID, r);

        const bool local = r.bReferencePhoto || originalPresent;
        if (!local)
            r.bICloudDownloadPhoto = false;
        if (!local || !r.bTrashPhoto) {
            result.records << record;
            if (onRecord) {
                onRecord(record);
                ++streamed;
            }
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

LibraryScanResult ScanPhotoLibMetadata(const QString &libraryPath, LibraryWorkingCopy &workingCopy,
                                       const LibraryRecordSink &onRecord) {
    const QString library = QDir::cleanPath(QFileInfo(libraryPath).absoluteFilePath());
    const QString current = library + QStringLiteral("/database/Photos.sqlite");
    const QString older = library + QStringLiteral("/database/photos.db");
    const bool isCurrent = QFileInfo(current).isFile();
    QString catalogue, why;
    if (!isCurrent && !QFileInfo(older).isFile())
        catalogue = catalogueDatabasePath(library, &why);
    if (!isCurrent && !QFileInfo(older).isFile() && catalogue.isEmpty()) {
        LibraryScanResult result;
        result.message = why.isEmpty()
                             ? QStringLiteral("\"%1\" has no library database.").arg(libraryPath)
                             : why;
        return result;
    }
    // The scan reads the copy while its checks run; it is kept only when they pass.
    LibraryStepResult opened = workingCopy.beginOpen(isCurrent             ? current
                                                     : catalogue.isEmpty() ? older
                                                                           : catalogue);
    // The catalogue's captions live in a second database, which goes the same road.
    const QString properties =
        catalogue.isEmpty() ? QString() : cataloguePropertiesPath(library, catalogue);
    if (opened.ok && !properties.isEmpty())
        opened = workingCopy.openCompanion(properties);
    if (!opened.ok) {
        LibraryScanResult result;
        result.bScanNewPhotosLib = isCurrent;
        result.message = opened.reason;
        return result;
    }
    LibraryScanResult scan =
        isCurrent ? scanCurrentLibraryDatabase(library, workingCopy.currentPhotolibDatabasePath(),
                                               true, onRecord)
                  : ScanOldPhotoLibMetadata(library, workingCopy.currentPhotolibDatabasePath(),
                                            onRecord, workingCopy.companionWorkingPath());
    if (const LibraryStepResult checked = workingCopy.finishOpen(); !checked.ok) {
        scan.ok = false;
        scan.records.clear();
        scan.message = checked.reason;
    }
    scan.message = workingCopy.libraryMessage(scan.message);
    return scan;
}

bool isSharedAlbumFolder(const QString &directory) {
    return directory.contains(QLatin1Char('/')) && !directory.startsWith(QLatin1Char('/'));
}
