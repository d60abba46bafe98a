// Deleting photos from the open library: the rows of every photo in one transaction, the
// copy back, and only then their files to the Trash, so a failure leaves every file where
// it was.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/MainWindowController.h"

#include "base/Logging.h"
#include "library/LibraryWriter.h"
#include "library/core/LibraryDeletion.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryTrashReturn.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"
#include "platform/core/JobReport.h"
#include "platform/core/Trash.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>

namespace {

QString photoName(const IKImageItem &item) {
    return item.fileName.isEmpty() ? item.filePath : item.fileName;
}

// The informative text of the result sheet: what did not go to the Trash, and why.
QString trashNotes(const LibraryDeletionReport &r) {
    QStringList lines;
    if (!r.notTrashed.isEmpty())
        lines << AppDelegate::tr("These files could not be moved to the Trash and stay where "
                                 "they are:")
              << shortList(r.notTrashed);
    if (!r.kept.isEmpty())
        lines << AppDelegate::tr("These files stay because other photos of the library use them:")
              << shortList(r.kept);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

LibraryDeletionReport LibraryWindowsPart::deleteLibraryPhotos(const QList<IKImageItemPtr> &items,
                                                              bool withCloud, bool companions) {
    LibraryDeletionReport report;
    QList<IKImageItemPtr> photos;
    for (const IKImageItemPtr &item : items)
        if (item && !photos.contains(item))
            photos << item;
    if (photos.isEmpty()) {
        report.reason = AppDelegate::tr("No photo is selected.");
        return report;
    }
    QString why;
    if (!d.libraryDatabase.beginLibraryEdit(&why)) {
        // Without a working copy the load's own note names the database and its fault.
        report.reason = !d.libraryDatabase.libraryWorkingCopy && !d.library().loadNote.isEmpty()
                            ? d.library().loadNote
                            : why;
        return report;
    }
    for (const IKImageItemPtr &item : photos) {
        const PRPicFileInfoPtr r = item->photoLibFileNode;
        if (!r || r->photoID < 0) {
            d.libraryDatabase.abandonLibraryEdit();
            report.reason =
                AppDelegate::tr("%1 is a file of the library's folders, not a photo of its "
                                "database.")
                    .arg(photoName(*item));
            return report;
        }
        const LibraryWriteResult w = d.libraryDatabase.libraryWriter().deletePhoto(*r, withCloud);
        if (!w.ok) {
            d.libraryDatabase.abandonLibraryEdit();
            report.reason = QStringLiteral("%1: %2").arg(photoName(*item), w.reason);
            return report;
        }
    }
    const LibraryStepResult end = d.libraryDatabase.endLibraryEdit();
    if (!end.ok) {
        report.reason = end.reason;
        return report;
    }
    report.ok = true;
    report.deleted = photos;

    QSet<const IKImageItem *> gone;
    for (const IKImageItemPtr &item : photos)
        gone.insert(item.get());
    QList<IKImageItemPtr> remaining = d.library().backupdifPhotoLibItemArray;
    removeLibraryItems(remaining, gone);
    const LibraryTrashPlan plan =
        libraryTrashPlan(photos, remaining, companions, d.library().currentPhotolibPath);
    report.kept = plan.kept;
    for (const QString &file : plan.foreign)
        report.notTrashed << AppDelegate::tr(
                                 "%1: the library does not name it as the photo's own file")
                                 .arg(file);
    for (const QString &file : plan.files) {
        QString reason;
        if (trash().moveToTrash(file, &reason))
            report.trashed << file;
        else
            report.notTrashed << QStringLiteral("%1: %2").arg(file, reason);
    }
    // A restore of the library puts these back.
    recordTrashedLibraryFiles(d.library().originalPhotolibDatabasePath, report.trashed);
    if (!report.notTrashed.isEmpty())
        qCWarning(lcLibrary).noquote() << "deleteLibraryPhotos==" << report.notTrashed;

    // The deleted photos leave every view, not only the shown one.
    removeLibraryItems(static_cast<LibraryLists &>(d.library()), gone);
    removeLibraryItems(d.library().currentAlbumArray, gone);
    d.localLists().photoLibraryItemArray.removeIf([&photos](const PRPicFileInfoPtr &r) {
        for (const IKImageItemPtr &item : photos)
            if (item->photoLibFileNode == r)
                return true;
        return false;
    });
    d.mainWindowController().LoadImportedPhotoLibraryonMainThread();
    return report;
}

void LibraryWindowsPart::showLibraryDeletionResult(const LibraryDeletionReport &report,
                                                   const QString &doneMessage) {
    JobReport ending;
    if (report.ok) {
        ending.written = int(report.deleted.size());
        ending.notWritten = report.notTrashed;
        ending.message = doneMessage;
        ending.informative = trashNotes(report);
    } else {
        ending.message = AppDelegate::tr("The photos were not removed from the Photo Library.");
        ending.informative =
            report.reason + QLatin1Char('\n') +
            AppDelegate::tr("No photo was removed and no file was moved to the Trash.");
    }
    d.jobs().finishJob(ending);
}

void LibraryWindowsPart::DeleteSelectedPhotosinPhotoLibraryAction() {
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    beginAlertSheet(
        d.window,
        AppDelegate::tr("Are you sure you want to delete the selected photo(s) from Photo "
                        "Library?"),
        QString(), {AppDelegate::tr(" YES "), AppDelegate::tr(" Cancel ")},
        [this](QMessageBox *a, int c) { savePanelDidEnd9(a, c); });
}

void LibraryWindowsPart::savePanelDidEnd9(QWidget *sheet, int returnCode, void *) {
    if (sheet)
        sheet->close();
    if (returnCode != 1)
        return;
    // The offer may have waited while another program opened the library.
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    showLibraryDeletionResult(
        deleteLibraryPhotos(d.browsers().selectedLibraryItems(), true, true),
        AppDelegate::tr("The selected photo(s) has been removed from Photo Library."));
}

void LibraryWindowsPart::DeletePhotoinPhotoLibraryAction() {
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    showLibraryDeletionResult(
        deleteLibraryPhotos(d.browsers().selectedLibraryItems(), false, false),
        AppDelegate::tr("New Photo Library metadata tag(s) has been applied."));
}

void LibraryWindowsPart::DeleteDuplicatePhotosinPhotoLibraryAction() {
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    QList<IKImageItemPtr> ticked;
    for (const PRDuplicateNodePtr &group : d.duplicateWindow.sameFileArray)
        if (group)
            for (const PRDupFileNodePtr &file : group->fileChildren())
                if (file && file->bSelected && file->theItem)
                    ticked << file->theItem;
    const LibraryDeletionReport report = deleteLibraryPhotos(ticked, false, true);
    if (report.ok) {
        d.duplicateWindow.hHasRemoved = true;
        if (d.duplicateWindow.dupWindow)
            d.duplicateWindow.dupWindow->hide();
        d.duplicateWindow.sameFileArray.clear();
        d.duplicateWindow.clearDuplicateTables();
        if (d.duplicateWindow.previewDupImageView)
            d.duplicateWindow.previewDupImageView->setImage(QPixmap());
    }
    showLibraryDeletionResult(
        report, AppDelegate::tr("The selected duplicate photo(s) has been removed from Photo "
                                "Library."));
}
