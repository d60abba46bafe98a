#include "library/core/LibraryTrashReturn.h"

#include "library/core/LibraryDeletion.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/Trash.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {

QString recordOf(const QString &originalDatabase) {
    return libraryBackupFolderFor(originalDatabase) + QStringLiteral("/trashed-files");
}

// One percent-encoded path a line: a file name may hold a line break.
QStringList readRecord(const QString &originalDatabase) {
    QFile f(recordOf(originalDatabase));
    QStringList paths;
    if (!f.open(QIODevice::ReadOnly))
        return paths;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (!line.isEmpty())
            paths << QUrl::fromPercentEncoding(line);
    return paths;
}

bool writeRecord(const QString &originalDatabase, const QStringList &paths) {
    if (paths.isEmpty())
        return QFile::remove(recordOf(originalDatabase)) ||
               !QFile::exists(recordOf(originalDatabase));
    QSaveFile f(recordOf(originalDatabase));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (const QString &path : paths)
        f.write(QUrl::toPercentEncoding(path, "/") + '\n');
    return f.commit();
}

} // namespace

void recordTrashedLibraryFiles(const QString &originalDatabase, const QStringList &files) {
    if (files.isEmpty())
        return;
    QStringList paths = readRecord(originalDatabase);
    for (const QString &file : files)
        if (!paths.contains(file))
            paths << file;
    writeRecord(originalDatabase, paths);
}

TrashReturnReport returnTrashedLibraryFiles(const QString &originalDatabase,
                                            const QSet<QString> &named) {
    TrashReturnReport report;
    QStringList recorded = readRecord(originalDatabase), wanted;
    for (const QString &path : recorded)
        if (named.contains(path) && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            wanted << path;
    const TrashPutBack back = putBackFromTrash(wanted);
    report.returned = back.returned;
    report.notReturned = back.notReturned;
    for (const QString &path : back.returned)
        recorded.removeAll(path);
    writeRecord(originalDatabase, recorded);
    return report;
}

QSet<QString> filesNamedByLibrary(const QString &libraryPath, const QString &databasePath,
                                  bool currentSchema) {
    QSet<QString> named;
    // An older library's photo whose file is in the Trash is no photo to its browser's scan.
    const LibraryScanResult scan =
        currentSchema ? scanCurrentLibraryDatabase(libraryPath, databasePath)
                      : ScanOldPhotoLibMetadata(libraryPath, databasePath, {}, {}, true);
    for (const PRPicFileInfoPtr &record : scan.records) {
        if (!record || record->fileFullPath.isEmpty())
            continue;
        named << record->fileFullPath << livePhotoCompanionPath(record->fileFullPath);
        // The RAW half of a pair, which a deletion of the photo trashes with it.
        if (!record->rare().pairedFilePath.isEmpty())
            named << record->rare().pairedFilePath;
    }
    return named;
}
