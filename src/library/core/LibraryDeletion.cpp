#include "library/core/LibraryDeletion.h"

#include <QDir>
#include <QFileInfo>

namespace {

// One spelling per file, so "a/./b.jpg" and "a/b.jpg" are seen as the same file.
QString fileKey(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isFile(const QString &path) {
    const QFileInfo info(path);
    return !path.isEmpty() && (info.isFile() || info.isSymLink());
}

bool climbs(const QString &path) {
    return path.split(QLatin1Char('/')).contains(QLatin1String(".."));
}

bool isInside(const QString &path, const QString &folder) {
    return !path.isEmpty() && !folder.isEmpty() && path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

bool isPhotosOwnFile(const IKImageItem &item, const QString &path, const QString &libraryPath) {
    // A relative path would be read against our working folder; ".." can climb anywhere.
    if (!path.startsWith(QLatin1Char('/')) || climbs(path))
        return false;
    const QFileInfo info(path);
    if (item.photoLibFileNode && item.photoLibFileNode->bReferencePhoto)
        // No link on the way: the file trashed is the very file the library records.
        return info.canonicalFilePath() == QDir::cleanPath(path);
    if (libraryPath.isEmpty())
        return false;
    // The folder's real place, so that a linked folder inside the package leads nowhere else.
    const QString package = QFileInfo(libraryPath).canonicalFilePath();
    const QString folder = QFileInfo(info.path()).canonicalFilePath();
    return isInside(QDir::cleanPath(path),
                    QDir::cleanPath(QFileInfo(libraryPath).absoluteFilePath())) &&
           (folder == package || isInside(folder, package));
}

QString livePhotoCompanionPath(const QString &photoPath) {
    const QFileInfo info(photoPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("_3.mov");
}

LibraryTrashPlan libraryTrashPlan(const QList<IKImageItemPtr> &deleted,
                                  const QList<IKImageItemPtr> &remaining, bool companions,
                                  const QString &libraryPath) {
    QSet<const IKImageItem *> gone;
    for (const IKImageItemPtr &item : deleted)
        if (item)
            gone.insert(item.get());
    // Only a remaining photo whose file has the name of one to go can share its file: the
    // others need no look at the disk, which a library of many thousands would feel.
    const auto nameOf = [](const QString &path) { return path.mid(path.lastIndexOf('/') + 1); };
    QSet<QString> names;
    for (const IKImageItemPtr &item : deleted)
        if (item && !item->filePath.isEmpty()) {
            names.insert(nameOf(item->filePath));
            names.insert(nameOf(livePhotoCompanionPath(item->filePath)));
            if (item->photoLibFileNode)
                names.insert(nameOf(item->photoLibFileNode->rare().pairedFilePath));
        }
    QSet<QString> used;
    for (const IKImageItemPtr &item : remaining)
        if (item && !gone.contains(item.get()) && !item->filePath.isEmpty()) {
            if (names.contains(nameOf(item->filePath)))
                used.insert(fileKey(item->filePath));
            const QString companion = livePhotoCompanionPath(item->filePath);
            if (names.contains(nameOf(companion)))
                used.insert(fileKey(companion));
        }
    LibraryTrashPlan plan;
    QSet<QString> planned;
    const auto add = [&](const IKImageItem &item, const QString &path) {
        if (!isFile(path))
            return;
        if (!isPhotosOwnFile(item, path, libraryPath)) {
            if (path == item.filePath)
                plan.foreign << path;
            return;
        }
        const QString key = fileKey(path);
        if (planned.contains(key))
            return;
        planned.insert(key);
        (used.contains(key) ? plan.kept : plan.files) << path;
    };
    for (const IKImageItemPtr &item : deleted) {
        if (!item || item->filePath.isEmpty())
            continue;
        add(*item, item->filePath);
        if (companions)
            add(*item, livePhotoCompanionPath(item->filePath));
        if (item->photoLibFileNode && !item->photoLibFileNode->rare().pairedFilePath.isEmpty())
            add(*item, item->photoLibFileNode->rare().pairedFilePath);
    }
    return plan;
}

void removeLibraryItems(QList<IKImageItemPtr> &list, const QSet<const IKImageItem *> &items) {
    list.removeIf([&items](const IKImageItemPtr &i) { return items.contains(i.get()); });
}

void removeLibraryItems(LibraryLists &l, const QSet<const IKImageItem *> &items) {
    for (QList<IKImageItemPtr> *list : {&l.photoLibBroserArray,
                                        &l.backupdifPhotoLibItemArray,
                                        &l.difPhotoLibItemArray,
                                        &l.referencePhotoItemArray,
                                        &l.lostReferencePhotoItemArray,
                                        &l.unDownloadPhotosItemArray,
                                        &l.videosItemArray,
                                        &l.livesPhotosItemArray,
                                        &l.jpgPhotosItemArray,
                                        &l.pngPhotosItemArray,
                                        &l.rawPhotosItemArray,
                                        &l.favPhotosItemArray,
                                        &l.editPhotosItemArray,
                                        &l.noLocationPhotosItemArray,
                                        &l.noAlbumPhotosItemArray,
                                        &l.noKeywordsPhotosItemArray,
                                        &l.noTitlePhotosItemArray,
                                        &l.noCaptionPhotosItemArray,
                                        &l.twentyfourhoursItemArray,
                                        &l.sevendaysItemArray,
                                        &l.thirtydaysItemArray,
                                        &l.ninetydaysItemArray,
                                        &l.oneyearsItemArray})
        removeLibraryItems(*list, items);
    for (QHash<QString, QList<IKImageItemPtr>> *dict : {&l.nameDictionary, &l.albumDictionary})
        for (auto it = dict->begin(); it != dict->end();) {
            removeLibraryItems(it.value(), items);
            it = it.value().isEmpty() ? dict->erase(it) : std::next(it);
        }
}
