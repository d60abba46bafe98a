// The user's side of the working copy: the in-use check and its force-quit offer, the copy
// back with its result sheet, and the restore from the backup.
#include "app/AppDelegate.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "base/Logging.h"
#include "library/LibraryWriter.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryTrashReturn.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/AlertSheet.h"
#include "platform/core/PhotosApplication.h"

#include <QComboBox>
#include <QDebug>
#include <QMainWindow>
#include <QMessageBox>
#include <algorithm>
#include <utility>

LibraryDatabasePart::LibraryDatabasePart(AppDelegate &app) : d(app) {}

LibraryDatabasePart::~LibraryDatabasePart() = default;

void LibraryDatabasePart::useLibraryWorkingCopy(std::shared_ptr<LibraryWorkingCopy> copy) {
    libraryWorkingCopy = std::move(copy);
    d.library().originalPhotolibDatabasePath =
        libraryWorkingCopy ? libraryWorkingCopy->originalPhotolibDatabasePath() : QString();
    d.library().currentPhotolibDatabasePath =
        libraryWorkingCopy ? libraryWorkingCopy->currentPhotolibDatabasePath() : QString();
    photolibReadOnlyReason =
        libraryWorkingCopy ? libraryWorkingCopy->photolibReadOnlyReason() : QString();
}

bool LibraryDatabasePart::CheckPhotosApplicationRun() {
    return libraryWorkingCopy && !libraryWorkingCopy->holders().isEmpty();
}

void LibraryDatabasePart::showQuitPhotosOffer() {
    const QList<DatabaseHolder> held =
        libraryWorkingCopy ? libraryWorkingCopy->holders() : QList<DatabaseHolder>();
    photosHolderPids.clear();
    if (!held.isEmpty() && std::all_of(held.begin(), held.end(), [](const DatabaseHolder &h) {
            return h.onAnotherComputer();
        })) {
        showTakeOverOffer(held);
        return;
    }
    const auto end = [this](QMessageBox *alert, int code) { savePanelDidEnd5(alert, code); };
    if (!held.isEmpty() && !std::all_of(held.begin(), held.end(), isPhotosApplication)) {
        // Not ours to end: the user closes it.
        beginAlertSheet(d.window, AppDelegate::tr("The library is in use by another program."),
                        libraryInUseText(held), {AppDelegate::tr(" Ok ")}, end);
        return;
    }
    for (const DatabaseHolder &h : held)
        photosHolderPids << h.pid;
    beginAlertSheet(
        d.window, AppDelegate::tr("You need to quit the running Photos application."),
        held.isEmpty() ? QString()
                       : AppDelegate::tr("The library is in use by %1.").arg(describeHolders(held)),
        {AppDelegate::tr(" Ok "), AppDelegate::tr(" Cancel ")}, end);
}

QList<DatabaseHolder> LibraryDatabasePart::otherComputersHolding() const {
    QList<DatabaseHolder> held =
        libraryWorkingCopy ? libraryWorkingCopy->holders() : QList<DatabaseHolder>();
    held.removeIf([](const DatabaseHolder &h) { return !h.onAnotherComputer(); });
    return held;
}

void LibraryDatabasePart::showTakeOverOffer(const QList<DatabaseHolder> &held) {
    otherComputers = held;
    beginAlertSheet(
        d.window, AppDelegate::tr("The photo library is open on another computer."),
        libraryInUseText(held) + QLatin1Char('\n') +
            AppDelegate::tr("If it is no longer open there (a library copied from that computer "
                            "keeps its lock), take it over: its lock is removed and the library "
                            "is opened again, ready for your change."),
        {AppDelegate::tr(" Take Over "), AppDelegate::tr(" Cancel ")},
        [this](QMessageBox *alert, int code) { takeOverEnd(alert, code); });
}

void LibraryDatabasePart::takeOverEnd(QWidget *sheet, int returnCode) {
    if (sheet)
        sheet->close();
    const QList<DatabaseHolder> named = std::exchange(otherComputers, {});
    if (returnCode != 1 || !libraryWorkingCopy)
        return;
    const auto end = [this](QMessageBox *alert, int code) {
        d.sheets().savePanelDidEnd3(alert, code);
    };
    // A program here that took the library meanwhile is the user's to close first.
    QList<DatabaseHolder> here = libraryWorkingCopy->holders();
    here.removeIf([](const DatabaseHolder &h) { return h.onAnotherComputer(); });
    QStringList refused;
    if (!here.isEmpty())
        refused << libraryInUseText(here);
    for (const DatabaseHolder &lock : named) {
        QString why;
        if (refused.isEmpty() && !takeOverLockFile(lock, &why))
            refused << why;
    }
    if (!refused.isEmpty()) {
        beginAlertSheet(d.window, AppDelegate::tr("The photo library was not taken over."),
                        refused.join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")}, end);
        return;
    }
    // Opened while that computer held it, the library was only read: the open that makes it
    // writable folds, backs up and copies it as it is now.
    d.mainWindowController().LoadPhotosLibraryItemThreader(
        libraryPackageOf(libraryWorkingCopy->originalPhotolibDatabasePath()));
}

QString LibraryDatabasePart::libraryInUseText(const QList<DatabaseHolder> &held) const {
    const QString library =
        libraryWorkingCopy ? libraryPackageOf(libraryWorkingCopy->originalPhotolibDatabasePath())
                           : QString();
    if (std::all_of(held.begin(), held.end(),
                    [](const DatabaseHolder &h) { return h.onAnotherComputer(); }))
        return AppDelegate::tr("%1 has the library \"%2\" open, by the lock it left in the "
                               "library. Photo Kestry does not write a library that may be "
                               "written there.")
            .arg(describeHolders(held), library);
    return AppDelegate::tr("%1 has the library \"%2\" open. Close it and try again.")
        .arg(describeHolders(held), library);
}

void LibraryDatabasePart::savePanelDidEnd5(QWidget *sheet, int returnCode, void *) {
    if (sheet)
        sheet->close();
    const QList<qint64> pids = std::exchange(photosHolderPids, {});
    if (returnCode != 1)
        return;
    // Only the processes the offer named, by their id, and only while that id is still the
    // photo application holding the library: a program that took a freed id is not ours to end.
    const QList<DatabaseHolder> held =
        libraryWorkingCopy ? libraryWorkingCopy->holders() : QList<DatabaseHolder>();
    for (qint64 pid : pids) {
        if (std::none_of(held.begin(), held.end(), [pid](const DatabaseHolder &h) {
                return h.pid == pid && isPhotosApplication(h);
            }))
            continue;
        QString why;
        if (!photosApplication().endProcess(pid, &why))
            qCWarning(lcLibrary).noquote() << "endProcess==" << why;
    }
}

LibraryStepResult LibraryDatabasePart::CopyDatabasetoPhotoLibraryWithoutAlert() {
    if (!libraryWorkingCopy)
        return {false, AppDelegate::tr("No library is open.")};
    const LibraryStepResult result = libraryWorkingCopy->copyBack();
    photolibReadOnlyReason = libraryWorkingCopy->photolibReadOnlyReason();
    if (!result.ok)
        qCWarning(lcLibrary).noquote() << "CopyDatabasetoPhotoLibrary==" << result.reason;
    return result;
}

void LibraryDatabasePart::CopyDatabasetoPhotoLibrary() {
    const LibraryStepResult result = CopyDatabasetoPhotoLibraryWithoutAlert();
    const auto end = [this](QMessageBox *alert, int code) {
        d.sheets().savePanelDidEnd3(alert, code);
    };
    if (result.ok)
        markOutcome(beginAlertSheet(
                        d.window,
                        AppDelegate::tr("New Photo Library metadata tag(s) has been applied."),
                        AppDelegate::tr("The changed exif data has been saved in the library."),
                        {AppDelegate::tr(" Ok ")}, end),
                    true);
    else
        beginAlertSheet(d.window, AppDelegate::tr("Photo Library metadata can't update"),
                        AppDelegate::tr("Writing the changed exif data to Photo Library failed.") +
                            QStringLiteral("\n") + result.reason,
                        {AppDelegate::tr(" Ok ")}, end);
}

namespace {

// What the restore does, for the confirmation: the newest backup's date and time, and
// whether it is the library as it is now, in which case the older backups are where to go.
// The text stays while the user chooses: a sheet keeps the size its first texts gave it.
QString restoreChoiceText(const LibraryBackup &newest, bool olderKept) {
    const QString when = libraryBackupTimeText(newest.path);
    if (!newest.asNow)
        return olderKept ? AppDelegate::tr("The newest backup, of %1, is restored unless an older "
                                           "one is chosen below.")
                               .arg(when)
                         : AppDelegate::tr("The library goes back to its backup of %1.").arg(when);
    return olderKept ? AppDelegate::tr("The backup of %1 is the library as it is now: restoring it "
                                       "changes nothing. Choose an older backup of this library "
                                       "below.")
                           .arg(when)
                     : AppDelegate::tr("The backup of %1 is the library as it is now: restoring it "
                                       "changes nothing, and no older backup of this library is "
                                       "kept.")
                           .arg(when);
}

} // namespace

void LibraryDatabasePart::RestorePhotoLibraryDatabase() {
    QString info = AppDelegate::tr("All photo library data will be restored before the change.");
    const QList<LibraryBackup> kept =
        libraryWorkingCopy ? libraryWorkingCopy->backups() : QList<LibraryBackup>();
    // Every backup kept for this library, newest first, each with its date and time: the
    // newest is the one restored unless the user picks another.
    QComboBox *choice = nullptr;
    if (!kept.isEmpty()) {
        info += QLatin1Char('\n') + restoreChoiceText(kept.first(), kept.size() > 1);
        choice = new QComboBox;
        choice->setObjectName(QStringLiteral("restoreBackupChoice"));
        for (const LibraryBackup &b : kept)
            choice->addItem(
                b.asNow ? AppDelegate::tr("Backup of %1 (the library as it is now)")
                              .arg(libraryBackupTimeText(b.path))
                        : AppDelegate::tr("Backup of %1").arg(libraryBackupTimeText(b.path)),
                b.path);
    }
    beginAlertSheet(
        d.window, AppDelegate::tr("Are you sure you want to restore the photo library?"), info,
        {AppDelegate::tr(" Ok "), AppDelegate::tr(" Cancel ")},
        [this](QMessageBox *alert, int code) { savePanelDidEnd6(alert, code); }, QString(), choice);
}

void LibraryDatabasePart::savePanelDidEnd6(QWidget *sheet, int returnCode, void *) {
    // The backup chosen on the sheet; without one, the newest.
    const auto *choice =
        sheet ? sheet->findChild<QComboBox *>(QStringLiteral("restoreBackupChoice")) : nullptr;
    const QString backup = choice ? choice->currentData().toString() : QString();
    if (sheet)
        sheet->close();
    if (returnCode != 1)
        return;
    const LibraryStepResult result =
        libraryWorkingCopy
            ? libraryWorkingCopy->restore(backup)
            : LibraryStepResult{false, AppDelegate::tr("No library has been opened.")};
    const auto end = [this](QMessageBox *alert, int code) {
        d.sheets().savePanelDidEnd3(alert, code);
    };
    if (!result.ok) {
        if (libraryWorkingCopy)
            photolibReadOnlyReason = libraryWorkingCopy->photolibReadOnlyReason();
        beginAlertSheet(d.window, AppDelegate::tr("The photo library was not restored."),
                        result.reason, {AppDelegate::tr(" Ok ")}, end);
        return;
    }
    // The restored rows bring their photos back: so do the files our deletions trashed.
    const QString original = libraryWorkingCopy->originalPhotolibDatabasePath();
    const QString package = libraryPackageOf(original);
    const TrashReturnReport back = returnTrashedLibraryFiles(
        original, filesNamedByLibrary(package, libraryWorkingCopy->currentPhotolibDatabasePath(),
                                      d.library().bScanNewPhotosLib));
    QString info = AppDelegate::tr("All photolibrary data has been restored before the change.");
    if (const QString restored = libraryWorkingCopy->restoredBackup(); !restored.isEmpty())
        info += QLatin1Char('\n') + AppDelegate::tr("The library is as its backup of %1 holds it.")
                                        .arg(libraryBackupTimeText(restored));
    if (!back.notReturned.isEmpty())
        info += QLatin1Char('\n') +
                AppDelegate::tr(
                    "These files of restored photos could not be put back from the Trash:") +
                QLatin1Char('\n') + back.notReturned.join(QLatin1Char('\n'));
    markOutcome(beginAlertSheet(
                    d.window, AppDelegate::tr("Restore Photo Library metadata has been completed."),
                    info, {AppDelegate::tr(" Ok ")}, end),
                back.notReturned.isEmpty());
    // The browser shows the library as it now is.
    d.mainWindowController().LoadPhotosLibraryItemThreader(package);
}
