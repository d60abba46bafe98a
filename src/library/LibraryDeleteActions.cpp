// Deleting photos from the open library: the rows of every photo in one transaction, the
// copy back, and only then their files to the Trash, so a failure leaves every file where
// it was.
#include "library/LibraryWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "base/Logging.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibraryDeletion.h"
#include "library/core/LibraryTrashReturn.h"
#include "library/core/LibraryWriter.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/Trash.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>

namespace {

QString photoName(const IKImageItem &item) {
    return item.fileName.isEmpty() ? item.filePath : item.fileName;
}

// The informative text of the result sheet: what did not go to the Trash, and why.
QString trashNotes(const LibraryDeletionReport &r) {
    QStringList lines;
    if (!r.notTrashed.isEmpty())
        lines << LibraryWindows::tr("These files could not be moved to the Trash and stay where "
                                    "they are:")
              << shortList(r.notTrashed);
    if (!r.kept.isEmpty())
        lines << LibraryWindows::tr(
                     "These files stay because other photos of the library use them:")
              << shortList(r.kept);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

LibraryDeletionReport LibraryWindows::deleteLibraryPhotos(const QList<IKImageItemPtr> &items,
                                                          bool withCloud, bool companions) {
    LibraryDeletionReport report;
    QList<IKImageItemPtr> photos;
    for (const IKImageItemPtr &item : items)
        if (item && !photos.contains(item))
            photos << item;
    if (photos.isEmpty()) {
        report.reason = LibraryWindows::tr("No photo is selected.");
        return report;
    }
    QString why;
    if (!database.session().begin(&why)) {
        report.reason = database.whyNotWritable(why);
        return report;
    }
    for (const IKImageItemPtr &item : photos) {
        const PRPicFileInfoPtr r = item->photoLibFileNode;
        if (!r || r->photoID < 0) {
            database.session().abandon();
            report.reason =
                LibraryWindows::tr("%1 is a file of the library's folders, not a photo of its "
                                   "database.")
                    .arg(photoName(*item));
            return report;
        }
        const LibraryWriteResult w = database.session().writer().deletePhoto(*r, withCloud);
        if (!w.ok) {
            database.session().abandon();
            report.reason = QStringLiteral("%1: %2").arg(photoName(*item), w.reason);
            return report;
        }
    }
    const LibraryStepResult end = database.session().end();
    if (!end.ok) {
        report.reason = end.reason;
        return report;
    }
    report.ok = true;
    report.deleted = photos;

    QSet<const IKImageItem *> gone;
    for (const IKImageItemPtr &item : photos)
        gone.insert(item.get());
    QList<IKImageItemPtr> remaining = app.library().backupdifPhotoLibItemArray;
    removeLibraryItems(remaining, gone);
    const LibraryTrashPlan plan =
        libraryTrashPlan(photos, remaining, companions, app.library().currentPhotolibPath);
    report.kept = plan.kept;
    for (const QString &file : plan.foreign)
        report.notTrashed << LibraryWindows::tr(
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
    recordTrashedLibraryFiles(app.library().originalPhotolibDatabasePath, report.trashed);
    if (!report.notTrashed.isEmpty())
        qCWarning(lcLibrary).noquote() << "deleteLibraryPhotos==" << report.notTrashed;

    // The deleted photos leave every view, not only the shown one.
    removeLibraryItems(static_cast<LibraryLists &>(app.library()), gone);
    removeLibraryItems(app.library().currentAlbumArray, gone);
    app.localLists().photoLibraryItemArray.removeIf([&photos](const PRPicFileInfoPtr &r) {
        for (const IKImageItemPtr &item : photos)
            if (item->photoLibFileNode == r)
                return true;
        return false;
    });
    app.browsers().reloadLibraryBrowser();
    return report;
}

void LibraryWindows::showLibraryDeletionResult(const LibraryDeletionReport &report,
                                               const QString &doneMessage) {
    JobReport ending;
    if (report.ok) {
        ending.written = int(report.deleted.size());
        ending.notWritten = report.notTrashed;
        ending.message = doneMessage;
        ending.informative = trashNotes(report);
    } else {
        ending.message = LibraryWindows::tr("The photos were not removed from the Photo Library.");
        ending.informative =
            report.reason + QLatin1Char('\n') +
            LibraryWindows::tr("No photo was removed and no file was moved to the Trash.");
    }
    app.jobs().finishJob(ending);
}

void LibraryWindows::DeleteSelectedPhotosinPhotoLibraryAction() {
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    beginAlertSheet(
        app.mainWindow(),
        LibraryWindows::tr("Are you sure you want to delete the selected photo(s) from Photo "
                           "Library?"),
        QString(), {LibraryWindows::tr(" YES "), LibraryWindows::tr(" Cancel ")},
        [this](QMessageBox *a, int c) { savePanelDidEnd9(a, c); });
}

void LibraryWindows::savePanelDidEnd9(QWidget *sheet, int returnCode, void *) {
    if (sheet)
        sheet->close();
    if (returnCode != 1)
        return;
    // The offer may have waited while another program opened the library.
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    showLibraryDeletionResult(
        deleteLibraryPhotos(app.browsers().selectedLibraryItems(), true, true),
        LibraryWindows::tr("The selected photo(s) has been removed from Photo Library."));
}

void LibraryWindows::DeletePhotoinPhotoLibraryAction() {
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    showLibraryDeletionResult(
        deleteLibraryPhotos(app.browsers().selectedLibraryItems(), false, false),
        LibraryWindows::tr("New Photo Library metadata tag(s) has been applied."));
}

void LibraryWindows::addDeleteItem(QMenu *libraryActions) {
    app.jobs().addMenuItem(libraryActions, tr("Delete Selected Photos from Library…"),
                           [this] { DeleteSelectedPhotosinPhotoLibraryAction(); });
}
