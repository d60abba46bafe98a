#include "export/core/LibraryMerge.h"

#include "export/core/ExportRules.h"
#include "export/core/LibraryMetadataExport.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryScan.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileCopy.h"
#include "platform/core/FileDates.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/UnicodeForms.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

namespace {

const char *const kReadSource = "Analyzing and reading photo data in the source photo library.";
const char *const kReadDestination = "Analyzing photo data in the destination photo library.";
const char *const kExport = "Start exporting photo data from the source photo library.";
const char *const kImport = "Start importing photo data into the destination photo library.";

// A library's database (and its -wal) copied into a private folder and scanned there: the
// library's own files are never opened, since even a read-only open folds its -wal.
LibraryScanResult scanSnapshot(const QString &library) {
    LibraryScanResult none;
    const QString name = QFileInfo(library).fileName();
    const QString current = library + QStringLiteral("/database/Photos.sqlite");
    const QString older = library + QStringLiteral("/database/photos.db");
    const bool isCurrent = QFileInfo(current).isFile();
    // iPhoto and Aperture: the catalogue, with the captions in a second database.
    const QString catalogue =
        isCurrent || QFileInfo(older).isFile() ? QString() : catalogueDatabasePath(library);
    const QString properties =
        catalogue.isEmpty() ? QString() : cataloguePropertiesPath(library, catalogue);
    const QString database = isCurrent ? current : catalogue.isEmpty() ? older : catalogue;
    if (!QFileInfo(database).isFile()) {
        none.message = QStringLiteral("The library %1 has no database.").arg(name);
        return none;
    }
    QTemporaryDir snapshot(PrivateFolder::temporaryTemplate(QStringLiteral("snapshot")));
    if (!snapshot.isValid()) {
        none.message = QStringLiteral("No private folder for a copy of the library %1: %2")
                           .arg(name, snapshot.errorString());
        return none;
    }
    const QString copy = snapshot.filePath(QFileInfo(database).fileName());
    QString why;
    if (!copyFileQuickly(database, copy, &why) ||
        (QFileInfo(database + QStringLiteral("-wal")).isFile() &&
         !copyFileQuickly(database + QStringLiteral("-wal"), copy + QStringLiteral("-wal"),
                          &why))) {
        none.message =
            QStringLiteral("The database of the library %1 could not be copied: %2").arg(name, why);
        return none;
    }
    const QString propertiesCopy =
        properties.isEmpty() ? QString() : snapshot.filePath(QFileInfo(properties).fileName());
    if (!properties.isEmpty() && !copyFileQuickly(properties, propertiesCopy, &why)) {
        none.message =
            QStringLiteral("The database of the library %1 could not be copied: %2").arg(name, why);
        return none;
    }
    LibraryScanResult scan = isCurrent ? scanCurrentLibraryDatabase(library, copy)
                                       : ScanOldPhotoLibMetadata(library, copy, {}, propertiesCopy);
    if (!scan.ok)
        scan.message = QStringLiteral("The library %1 could not be read: %2")
                           .arg(name, scan.message.isEmpty() ? QStringLiteral("unreadable database")
                                                             : scan.message);
    return scan;
}

QString nfc(const QString &name) {
    return normalizedText(name, QString::NormalizationForm_C);
}

QString failure(const PRPicFileInfo &r, const QString &why) {
    return QStringLiteral("%1: %2").arg(r.fileName, why);
}

struct Placed {
    QString path;         // empty when the copy failed
    bool already = false; // an earlier merge's copy, the same bytes, was there
    bool renamed = false; // a new copy under the next free name, beside another file
};

// Puts `source` into `folder` under `name`: a file already there with the same bytes is
// this photo from an earlier run and is reused; otherwise the next free "B n.E". Never
// replaces a file; a failed copy leaves no partial file.
Placed placeInto(const QString &source, const QString &folder, const QString &name, QString *why) {
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("the folder %1 could not be made").arg(folder);
        return {};
    }
    for (int n = 1;; ++n) {
        const QString target = QDir(folder).filePath(n == 1 ? name : clashName(name, n));
        const QFileInfo info(target);
        if (info.exists() || info.isSymLink()) {
            if (info.isFile() && !info.isSymLink() && sameFileContents(source, target))
                return {target, true, false};
            continue;
        }
        if (!copyFileSafely(source, target, why))
            return {};
        return {target, false, n > 1};
    }
}

// The photos of the source to merge: on disk, not trashed, and of equal bytes only once.
QList<PRPicFileInfoPtr> photosToMerge(const QList<PRPicFileInfoPtr> &records, QStringList *failed) {
    QList<PRPicFileInfoPtr> kept;
    QHash<qint64, QList<PRPicFileInfoPtr>> bySize;
    for (const PRPicFileInfoPtr &r : records) {
        if (r->bTrashPhoto)
            continue;
        const QFileInfo file(r->fileFullPath);
        if (r->fileFullPath.isEmpty() || !file.isFile()) {
            *failed << failure(*r, r->biCloudPhoto
                                       ? QStringLiteral("the original is only in iCloud")
                                       : QStringLiteral("the original is not on disk"));
            continue;
        }
        QList<PRPicFileInfoPtr> &same = bySize[file.size()];
        const bool twin = std::any_of(same.cbegin(), same.cend(), [&](const PRPicFileInfoPtr &o) {
            return sameFileContents(o->fileFullPath, r->fileFullPath);
        });
        if (twin)
            continue;
        same << r;
        kept << r;
    }
    return kept;
}

} // namespace

QString exportFolderFor(const QString &sourceLibrary) {
    const QString base = QFileInfo(QDir::cleanPath(sourceLibrary)).completeBaseName();
    return QDir::homePath() + QStringLiteral("/Pictures/") +
           plainFileName(base.simplified(), QStringLiteral("Photo Library"), false);
}

bool destinationLacksPhoto(const QHash<QString, QList<PRPicFileInfoPtr>> &destination,
                           const PRPicFileInfo &photo, const QString &path) {
    const auto found = destination.constFind(nfc(photo.fileName));
    if (found == destination.cend())
        return true;
    const qint64 size = QFileInfo(path).size();
    for (const PRPicFileInfoPtr &d : *found) {
        const QFileInfo theirs(d->fileFullPath);
        if (theirs.isFile()) {
            if (theirs.size() == size && sameFileContents(d->fileFullPath, path))
                return false;
        } else if (d->originalfilesize != 0 && qint64(d->originalfilesize) == size) {
            // Its original is not here (iCloud, a lost reference): the size is all we know.
            return false;
        }
    }
    return true;
}

LibraryMergeReport ImportPhotosfromSourcePhotoLibrary(const LibraryMergeSettings &settings,
                                                      PhotosApplication &photos,
                                                      const LibraryMergeProgress &progress,
                                                      const std::function<bool()> &cancelled) {
    auto say = [&](const QString &text) {
        if (progress)
            progress(text);
    };
    LibraryMergeReport report;
    // True, with the report saying so, once the user has cancelled.
    const auto stop = [&] {
        if (report.cancelled || !cancelled || !cancelled())
            return report.cancelled;
        report.cancelled = true;
        report.stopped = QStringLiteral("The merge was cancelled after %1 of its photos were "
                                        "exported and %2 imported.")
                             .arg(report.exported.size())
                             .arg(report.imported);
        return true;
    };
    report.exportFolder = settings.exportFolder.isEmpty() ? exportFolderFor(settings.sourceLibrary)
                                                          : settings.exportFolder;
    report.keptMetadata = settings.keepMetadata;

    // 1. The source.
    say(QString::fromLatin1(kReadSource));
    const LibraryScanResult source = scanSnapshot(settings.sourceLibrary);
    if (!source.ok) {
        report.stopped = source.message;
        return report;
    }
    const QList<PRPicFileInfoPtr> kept = photosToMerge(source.records, &report.failed);
    if (stop())
        return report;

    // 2. The destination's names. An unreadable one stops here: an empty table would have
    // every photo imported again.
    say(QString::fromLatin1(kReadDestination));
    const LibraryScanResult target = scanSnapshot(settings.destinationLibrary);
    if (!target.ok) {
        report.stopped = target.message;
        return report;
    }
    QHash<QString, QList<PRPicFileInfoPtr>> names;
    for (const PRPicFileInfoPtr &d : target.records)
        names[nfc(d->fileName)] << d;
    if (stop())
        return report;

    // 3. The export into E, in album folders.
    const QString exportText = QString::fromLatin1(kExport);
    say(exportText);
    QString why;
    if (!storageFolderWritable(report.exportFolder, &why)) {
        report.stopped = why;
        return report;
    }
    // The copies with the library's values are written into a private folder first and then
    // placed like the plain copies, so both follow one naming rule.
    QTemporaryDir staging(PrivateFolder::temporaryTemplate(QStringLiteral("merge")));
    QList<ExportEntry> entries;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        auto item = std::make_shared<IKImageItem>();
        item->filePath = kept[i]->fileFullPath;
        item->fileName = kept[i]->fileName;
        item->fileThumbPath = kept[i]->fileFullPath;
        item->photoLibFileNode = kept[i];
        entries << ExportEntry{item, item, int(i)};
    }
    ExportReport rewritten;
    if (settings.keepMetadata && !entries.isEmpty()) {
        if (!staging.isValid()) {
            report.stopped =
                QStringLiteral("No private folder for the copies: %1").arg(staging.errorString());
            return report;
        }
        LibraryExportSettings s;
        s.storageFolder = staging.path();
        // Only a file that disagrees with the library is rewritten; the rest go out as they are.
        s.onlyWhereTheFileDisagrees = true;
        rewritten = exportWithLibraryMetadata(entries, s);
        if (!rewritten.folderReason.isEmpty()) {
            report.stopped = rewritten.folderReason;
            return report;
        }
    }
    QList<QPair<PRPicFileInfoPtr, QString>> exported; // photo, its file in E
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (stop())
            return report;
        const PRPicFileInfo &r = *kept[i];
        QString from = r.fileFullPath;
        bool tookValues = false;
        if (settings.keepMetadata) {
            const ExportOutcome &o = rewritten.photos.value(i);
            // A copy written with a remark (its file dates) is written: the merge dates it.
            if (!o.agrees && o.outputPath.isEmpty()) {
                report.failed << failure(r, o.reason.isEmpty() ? QStringLiteral("not written")
                                                               : o.reason);
                continue;
            }
            if (!o.agrees) {
                from = o.outputPath;
                tookValues = true;
            }
        }
        const QString album = libraryFolderName(r.fileAlbum);
        const QString folder =
            album.isEmpty() ? report.exportFolder : QDir(report.exportFolder).filePath(album);
        // The copy takes the name the exports give it, plain whatever the library says, with
        // the extension of what it holds: a RAW rewritten goes out as a TIFF.
        QString name = plainFileName(r.fileName, QStringLiteral("Photo"));
        const QString holds = QFileInfo(from).suffix();
        if (tookValues && QFileInfo(name).suffix().compare(holds, Qt::CaseInsensitive) != 0)
            name = plainFileName(QFileInfo(name).completeBaseName() + QLatin1Char('.') + holds,
                                 QStringLiteral("Photo"));
        if (!staysInside(report.exportFolder, folder, {name})) {
            report.failed << failure(
                r, QStringLiteral("its name leads out of %1").arg(report.exportFolder));
            continue;
        }
        const Placed put = placeInto(from, folder, name, &why);
        const QString &placed = put.path;
        if (placed.isEmpty()) {
            // E cannot take more (a full disk, no permission): the rest would fail alike.
            report.failed << failure(r, why);
            report.stopped =
                QStringLiteral("The export stopped at %1: %2. %3 photos were exported.")
                    .arg(r.fileName, why)
                    .arg(exported.size());
            break;
        }
        // A rewritten copy is dated by its camera date (else its original's creation date), a
        // plain one keeps its original's dates; one an earlier merge left is dated already.
        QDateTime date = libraryDate(r.cameraDate.text());
        if (!date.isValid())
            date = FileDates::creationDate(r.fileFullPath);
        const bool dated =
            put.already || (tookValues ? !date.isValid() || FileDates::setDates(placed, date, &why)
                                       : FileDates::copyDates(r.fileFullPath, placed, &why));
        if (!dated)
            report.remarks << failure(
                r, QStringLiteral("exported, but its file dates could not be set: %1").arg(why));
        exported << qMakePair(kept[i], placed);
        report.exported << placed;
        report.rewritten += tookValues;
        report.alreadyThere += put.already;
        report.besideOthers += put.renamed;
        say(QStringLiteral("%1\nExport: %2   (%3/%4)")
                .arg(exportText, r.fileName)
                .arg(i)
                .arg(kept.size()));
    }

    // 4. The imports of what the destination lacks.
    const QString importText = QString::fromLatin1(kImport);
    say(importText);
    QList<QPair<PRPicFileInfoPtr, QString>> lacking;
    for (const auto &[r, path] : exported) {
        // The destination holds originals: compare ours, not the rewritten copy.
        if (destinationLacksPhoto(names, *r, r->fileFullPath)) {
            lacking << qMakePair(r, path);
            report.lacking << r->fileName;
        }
    }
    if (lacking.isEmpty() || stop())
        return report;
    const PhotosAnswer opened = photos.openLibrary(settings.destinationLibrary);
    if (!opened.isDone()) {
        // Imports now would go to whichever library Photos has open.
        report.importsNotTried =
            opened.kind == PhotosAnswer::Unavailable
                ? opened.text
                : QStringLiteral("The destination library could not be opened in Photos: %1")
                      .arg(opened.text);
        return report;
    }
    for (qsizetype i = 0; i < lacking.size(); ++i) {
        if (stop())
            break;
        const auto &[r, path] = lacking[i];
        say(QStringLiteral("%1\nImport: %2   (%3/%4)")
                .arg(importText, r->fileName)
                .arg(i)
                .arg(lacking.size()));
        const QString album = settings.keepAlbums ? r->fileAlbum : QString();
        const PhotosAnswer a = photos.importFile(path, album);
        if (a.isDone()) {
            ++report.imported;
        } else if (a.kind == PhotosAnswer::Unavailable) {
            report.importsNotTried = a.text;
            break;
        } else {
            report.failed << failure(*r, QStringLiteral("not imported: %1").arg(a.text));
        }
    }
    return report;
}
