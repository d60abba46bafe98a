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

} // namespace

QString livePhotoCompanionPath(const QString &photoPath) {
    const QFileInfo info(photoPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("_3.mov");
}

LibraryTrashPlan libraryTrashPlan(const QList<IKImageItemPtr> &deleted,
                                  const QList<IKImageItemPtr> &remaining, bool companions) {
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
    const auto add = [&](const QString &path) {
        if (!isFile(path))
            return;
        const QString key = fileKey(path);
        if (planned.contains(key))
            return;
        planned.insert(key);
        (used.contains(key) ? plan.kept : plan.files) << path;
    };
    for (const IKImageItemPtr &item : deleted) {
        if (!item || item->filePath.isEmpty())
            continue;
        add(item->filePath);
        if (companions)
            add(livePhotoCompanionPath(item->filePath));
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
