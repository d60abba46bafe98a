#include "library/core/LibraryLists.h"

#include "base/FileTypes.h"
#include "base/SharedHelpers.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibrarySort.h"
#include "platform/core/FileDates.h"

#include <QFileInfo>
#include <algorithm>

void LibraryLists::append(const LibraryLists &b) {
    const auto add = [](QList<IKImageItemPtr> &to, const QList<IKImageItemPtr> &from) {
        to.append(from);
    };
    add(photoLibBroserArray, b.photoLibBroserArray);
    add(backupdifPhotoLibItemArray, b.backupdifPhotoLibItemArray);
    add(difPhotoLibItemArray, b.difPhotoLibItemArray);
    add(referencePhotoItemArray, b.referencePhotoItemArray);
    add(lostReferencePhotoItemArray, b.lostReferencePhotoItemArray);
    add(unDownloadPhotosItemArray, b.unDownloadPhotosItemArray);
    add(videosItemArray, b.videosItemArray);
    add(livesPhotosItemArray, b.livesPhotosItemArray);
    add(jpgPhotosItemArray, b.jpgPhotosItemArray);
    add(pngPhotosItemArray, b.pngPhotosItemArray);
    add(rawPhotosItemArray, b.rawPhotosItemArray);
    add(favPhotosItemArray, b.favPhotosItemArray);
    add(editPhotosItemArray, b.editPhotosItemArray);
    add(noLocationPhotosItemArray, b.noLocationPhotosItemArray);
    add(noAlbumPhotosItemArray, b.noAlbumPhotosItemArray);
    add(noKeywordsPhotosItemArray, b.noKeywordsPhotosItemArray);
    add(noTitlePhotosItemArray, b.noTitlePhotosItemArray);
    add(noCaptionPhotosItemArray, b.noCaptionPhotosItemArray);
    add(twentyfourhoursItemArray, b.twentyfourhoursItemArray);
    add(sevendaysItemArray, b.sevendaysItemArray);
    add(thirtydaysItemArray, b.thirtydaysItemArray);
    add(ninetydaysItemArray, b.ninetydaysItemArray);
    add(oneyearsItemArray, b.oneyearsItemArray);
    for (auto it = b.nameDictionary.cbegin(); it != b.nameDictionary.cend(); ++it)
        nameDictionary[it.key()].append(it.value());
    for (auto it = b.albumDictionary.cbegin(); it != b.albumDictionary.cend(); ++it)
        albumDictionary[it.key()].append(it.value());
}

bool LibraryLists::isEmpty() const {
    return photoLibBroserArray.isEmpty() && backupdifPhotoLibItemArray.isEmpty() &&
           unDownloadPhotosItemArray.isEmpty() && favPhotosItemArray.isEmpty() &&
           nameDictionary.isEmpty() && albumDictionary.isEmpty() &&
           referencePhotoItemArray.isEmpty();
}

namespace {

bool isLiveCompanion(const QString &fileName) {
    return fileName.contains(QLatin1String("_3.mov"), Qt::CaseInsensitive);
}

// The original's creation date and size, as the panels show them, for a video.
PRPicFileInfoPtr videoFileNode(const QString &fileName, const QString &path) {
    auto node = std::make_shared<PRPicFileInfo>();
    node->fileName = fileName;
    const QDateTime created = FileDates::creationDate(path);
    if (created.isValid())
        node->createDate.setText(
            created.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss '+0000'")));
    const QFileInfo info(path);
    if (info.size() > 0) {
        char buffer[100] = {};
        node->fileSize = QString::fromUtf8(size_to_unit(uint64_t(info.size()), buffer));
    }
    return node;
}

void fileTypeLists(const IKImageItemPtr &item, LibraryLists &b) {
    const QString ext = pathSuffix(item->filePath);
    if (ext == QLatin1String("HEIC") || ext == QLatin1String("heic"))
        b.livesPhotosItemArray.append(item);
    if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG") ||
        ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        b.jpgPhotosItemArray.append(item);
    if (ext == QLatin1String("PNG") || ext == QLatin1String("png"))
        b.pngPhotosItemArray.append(item);
    if (!ext.isEmpty() && GetRAWImageType(ext) >= 0)
        b.rawPhotosItemArray.append(item);
}

void fileDateWindows(const IKImageItemPtr &item, const QDateTime &now, LibraryLists &b) {
    std::optional<int64_t> ms = libraryItemDateKey(*item);
    if (!ms) {
        const QDateTime created = FileDates::creationDate(item->filePath);
        if (created.isValid())
            ms = created.toMSecsSinceEpoch();
    }
    if (!ms)
        return;
    const int64_t ageMs = now.toMSecsSinceEpoch() - *ms;
    if (ageMs < 0)
        return; // dated after now
    const int64_t age = ageMs / 1000;
    if (age <= 86400)
        b.twentyfourhoursItemArray.append(item);
    if (age <= 604800)
        b.sevendaysItemArray.append(item);
    if (age <= 2592000)
        b.thirtydaysItemArray.append(item);
    if (age <= 7776000)
        b.ninetydaysItemArray.append(item);
    if (age <= 31536000)
        b.oneyearsItemArray.append(item);
}

// Every album the scan found, each title whole: titles may hold ",".
void fileAlbums(const IKImageItemPtr &item, const PRPicFileInfo &r, LibraryLists &b) {
    QStringList titles = r.albumTitles;
    if (titles.isEmpty() && !r.fileAlbum.isEmpty())
        titles << r.fileAlbum;
    titles.removeDuplicates();
    for (const QString &title : titles)
        if (!title.isEmpty())
            b.albumDictionary[title].append(item);
}

void fileRecordItem(const IKImageItemPtr &item, const PRPicFileInfo &r, const QDateTime &now,
                    LibraryLists &b) {
    const bool shown = !r.bReferencePhoto; // referenced items come from their own check
    if (item->fileType == QLatin1String("Movie")) {
        if (!isLiveCompanion(item->fileName)) {
            if (shown) {
                b.photoLibBroserArray.append(item);
                b.backupdifPhotoLibItemArray.append(item);
            }
            b.nameDictionary[item->fileName].append(item);
            b.videosItemArray.append(item);
        }
        if (item->bFavortieItem)
            b.favPhotosItemArray.append(item);
        if (item->bHasAdjustedItem)
            b.editPhotosItemArray.append(item);
        if (!r.bICloudDownloadPhoto)
            b.unDownloadPhotosItemArray.append(item);
        fileAlbums(item, r, b);
        return;
    }
    if (shown) {
        b.photoLibBroserArray.append(item);
        b.backupdifPhotoLibItemArray.append(item);
    }
    if (!r.bICloudDownloadPhoto)
        b.unDownloadPhotosItemArray.append(item);
    b.nameDictionary[item->fileName].append(item);
    fileTypeLists(item, b);
    if (item->bFavortieItem)
        b.favPhotosItemArray.append(item);
    if (item->bHasAdjustedItem)
        b.editPhotosItemArray.append(item);
    if (r.latitudeText().isEmpty() || r.longitudeText().isEmpty())
        b.noLocationPhotosItemArray.append(item);
    if (r.fileAlbum.isEmpty() && r.albumTitles.isEmpty())
        b.noAlbumPhotosItemArray.append(item);
    if (r.fileKeywords.isEmpty())
        b.noKeywordsPhotosItemArray.append(item);
    if (r.fileTitle.isEmpty())
        b.noTitlePhotosItemArray.append(item);
    if (r.fileDescription.isEmpty())
        b.noCaptionPhotosItemArray.append(item);
    fileDateWindows(item, now, b);
    fileAlbums(item, r, b);
}

} // namespace

IKImageItemPtr makeLibraryRecordItem(const PRPicFileInfoPtr &record) {
    if (!record)
        return nullptr;
    const QString ext = pathSuffix(record->fileFullPath);
    const bool image = !ext.isEmpty() && GetDragImageType(ext) >= 0;
    const bool movie = !image && !ext.isEmpty() && GetViedoType(ext) >= 0;
    if (!image && !movie)
        return nullptr;
    auto item = std::make_shared<IKImageItem>();
    item->fileType = image ? QStringLiteral("Image") : QStringLiteral("Movie");
    item->fileName = record->fileName;
    item->fileThumbPath = record->fileThumbPath;
    item->fileLargeThumbPath = record->fileLargeThumbPath;
    item->filePath = record->fileFullPath;
    item->photoLibFileNode = record;
    if (movie)
        item->originalFileNode = videoFileNode(record->fileName, record->fileFullPath);
    item->bFavortieItem = record->favoriteNum == 1;
    item->bHasAdjustedItem = record->hasAdjustNum > 0;
    if (!record->bICloudDownloadPhoto)
        item->bICloudDownloadPhoto = false;
    return item;
}

void fileLibraryRecord(const PRPicFileInfoPtr &record, const QDateTime &now, LibraryLists &batch) {
    if (IKImageItemPtr item = makeLibraryRecordItem(record))
        fileRecordItem(item, *record, now, batch);
}

LibraryLists fileLibraryRecords(const QList<PRPicFileInfoPtr> &records, const QDateTime &now) {
    LibraryLists batch;
    for (const PRPicFileInfoPtr &record : records)
        fileLibraryRecord(record, now, batch);
    return batch;
}

IKImageItemPtr makeLibraryFileItem(const QString &path) {
    const QFileInfo info(path);
    const QString ext = info.suffix();
    const bool image = !ext.isEmpty() && GetDragImageType(ext) >= 0;
    const bool movie = !image && !ext.isEmpty() && GetViedoType(ext) >= 0;
    if ((!image && !movie) || (movie && isLiveCompanion(info.fileName())))
        return nullptr;
    auto item = std::make_shared<IKImageItem>();
    item->fileType = image ? QStringLiteral("Image") : QStringLiteral("Movie");
    item->fileName = info.fileName();
    item->filePath = item->fileThumbPath = item->fileLargeThumbPath = path;
    if (movie)
        item->originalFileNode = videoFileNode(item->fileName, path);
    return item;
}

void fileLibraryFolderItem(const IKImageItemPtr &item, LibraryFolderKind kind,
                           LibraryLists &batch) {
    if (!item)
        return;
    batch.photoLibBroserArray.append(item);
    batch.backupdifPhotoLibItemArray.append(item);
    batch.nameDictionary[item->fileName].append(item);
    if (kind != LibraryFolderKind::Originals)
        return;
    if (item->fileType == QLatin1String("Movie"))
        batch.videosItemArray.append(item);
    else
        fileTypeLists(item, batch);
}

QStringList sortedAlbumTitles(const QHash<QString, QList<IKImageItemPtr>> &albums) {
    QStringList titles = albums.keys();
    std::vector<std::pair<LibraryStringKey, QString>> keyed;
    for (const QString &t : titles)
        keyed.emplace_back(libraryStringKey(t), t);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int c = compareLibraryStringKeys(a.first, b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    });
    titles.clear();
    for (const auto &k : keyed)
        titles << k.second;
    return titles;
}
