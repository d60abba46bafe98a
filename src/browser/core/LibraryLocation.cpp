#include "browser/core/LibraryLocation.h"

#include <QDir>
#include <QFileInfo>

QStringList defaultPhotoLibraryCandidates(const QString &homeFolder) {
    const QString pictures = QDir(homeFolder).filePath(QStringLiteral("Pictures"));
    return {pictures + QStringLiteral("/Photos Library.photoslibrary"),
            pictures + QStringLiteral("/System PhotosLibrary.photoslibrary"),
            pictures + QStringLiteral("/System PhotosLlibrary.photoslibrary"),
            pictures + QStringLiteral("/iPhoto Library.photolibrary")};
}

DefaultPhotoLibrary findDefaultPhotoLibrary(const QString &homeFolder) {
    const QStringList candidates = defaultPhotoLibraryCandidates(homeFolder);
    for (const QString &path : candidates)
        if (QFileInfo::exists(path))
            return {path, true};
    return {candidates.last(), false};
}

bool canListLibraryPackage(const QString &path) {
    QDir package(path);
    if (!package.exists() || !QFileInfo(path).isReadable() || !QFileInfo(path).isExecutable())
        return false;
    // An unreadable folder lists as empty; a library package never is.
    return !package.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}
