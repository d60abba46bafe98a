// The user's side of the working copy: the in-use check and its force-quit offer, the copy
// back with its result sheet, and the restore from the backup.
#include "library/LibraryDatabase.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "base/Logging.h"
#include "library/core/LibraryTrashReturn.h"
#include "platform/AlertSheet.h"

#include <QComboBox>
#include <QDebug>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>
#include <utility>

LibraryDatabase::LibraryDatabase(AppServices &services) : app(services) {}

LibraryDatabase::~LibraryDatabase() = default;

void LibraryDatabase::useLibraryWorkingCopy(std::shared_ptr<LibraryWorkingCopy> copy) {
    edit.useWorkingCopy(std::move(copy));
    const LibraryWorkingCopy *working = edit.workingCopy();
    app.library().originalPhotolibDatabasePath =
        working ? working->originalPhotolibDatabasePath() : QString();
    app.library().currentPhotolibDatabasePath =
        working ? working->currentPhotolibDatabasePath() : QString();
}

void LibraryDatabase::chooseLibrarySchema(bool currentSchema) {
    app.library().bScanNewPhotosLib = currentSchema;
    edit.chooseSchema(currentSchema);
}

QList<DatabaseHolder> LibraryDatabase::holders() const {
    return edit.workingCopy() ? edit.workingCopy()->holders() : QList<DatabaseHolder>();
}

QString LibraryDatabase::whyNotWritable(const QString &why) const {
    return !edit.workingCopy() && !app.library().loadNote.isEmpty() ? app.library().loadNote : why;
}

bool LibraryDatabase::mayEdit() {
    // A lock of another computer, which opened the library read-only, can be taken over.
    if (const QList<DatabaseHolder> away = otherComputersHolding(); !away.isEmpty()) {
        showTakeOverOffer(away);
        return false;
    }
    // Read-only first: its reason says more than an offer to quit a program would.
    if (!readOnlyReason().isEmpty()) {
        app.sheets().alert(tr("The photo library is open read-only."), readOnlyReason());
        return false;
    }
    if (CheckPhotosApplicationRun()) {
        showQuitPhotosOffer();
        return false;
    }
    return true;
}

bool LibraryDatabase::CheckPhotosApplicationRun() {
    return !holders().isEmpty();
}

void LibraryDatabase::showQuitPhotosOffer() {
    const QList<DatabaseHolder> held = holders();
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
        beginAlertSheet(app.mainWindow(), tr("The library is in use by another program."),
                        libraryInUseText(held), {tr(" Ok ")}, end);
        return;
    }
    for (const DatabaseHolder &h : held)
        photosHolderPids << h.pid;
    beginAlertSheet(app.mainWindow(), tr("You need to quit the running Photos application."),
                    held.isEmpty() ? QString()
                                   : tr("The library is in use by %1.").arg(describeHolders(held)),
                    {tr(" Ok "), tr(" Cancel ")}, end);
}

QList<DatabaseHolder> LibraryDatabase::otherComputersHolding() const {
    QList<DatabaseHolder> held = holders();
    held.removeIf([](const DatabaseHolder &h) { return !h.onAnotherComputer(); });
    return held;
}

void LibraryDatabase::showTakeOverOffer(const QList<DatabaseHolder> &held) {
    otherComputers = held;
    beginAlertSheet(app.mainWindow(), tr("The photo library is open on another computer."),
                    libraryInUseText(held) + QLatin1Char('\n') +
                        tr("If it is no longer open there (a library copied from that computer "
                           "keeps its lock), take it over: its lock is removed and the library "
                           "is opened again, ready for your change."),
                    {tr(" Take Over "), tr(" Cancel ")},
                    [this](QMessageBox *alert, int code) { takeOverEnd(alert, code); });
}

void LibraryDatabase::takeOverEnd(QWidget *sheet, int returnCode) {
    if (sheet)
        sheet->close();
    const QList<DatabaseHolder> named = std::exchange(otherComputers, {});
    if (returnCode != 1 || !edit.workingCopy())
        return;
    // A program here that took the library meanwhile is the user's to close first.
    QList<DatabaseHolder> here = holders();
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
        app.sheets().alert(tr("The photo library was not taken over."),
                           refused.join(QLatin1Char('\n')));
        return;
    }
    // Opened while that computer held it, the library was only read: the open that makes it
    // writable folds, backs up and copies it as it is now.
    app.browsers().loadLibrary(
        libraryPackageOf(edit.workingCopy()->originalPhotolibDatabasePath()));
}

QString LibraryDatabase::libraryInUseText(const QList<DatabaseHolder> &held) const {
    const QString library =
        edit.workingCopy() ? libraryPackageOf(edit.workingCopy()->originalPhotolibDatabasePath())
                           : QString();
    if (std::all_of(held.begin(), held.end(),
                    [](const DatabaseHolder &h) { return h.onAnotherComputer(); }))
        return tr("%1 has the library \"%2\" open, by the lock it left in the "
                  "library. Photo Kestry does not write a library that may be "
                  "written there.")
            .arg(describeHolders(held), library);
    return tr("%1 has the library \"%2\" open. Close it and try again.")
        .arg(describeHolders(held), library);
}

void LibraryDatabase::savePanelDidEnd5(QWidget *sheet, int returnCode, void *) {
    if (sheet)
        sheet->close();
    const QList<qint64> pids = std::exchange(photosHolderPids, {});
    if (returnCode != 1)
        return;
    // Only the processes the offer named, by their id, and only while that id is still the
    // photo application holding the library: a program that took a freed id is not ours to end.
    const QList<DatabaseHolder> held = holders();
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

LibraryStepResult LibraryDatabase::CopyDatabasetoPhotoLibraryWithoutAlert() {
    return edit.copyBack();
}

void LibraryDatabase::CopyDatabasetoPhotoLibrary() {
    const LibraryStepResult result = CopyDatabasetoPhotoLibraryWithoutAlert();
    if (result.ok)
        markOutcome(app.sheets().alert(tr("New Photo Library metadata tag(s) has been applied."),
                                       tr("The changed exif data has been saved in the library.")),
                    true);
    else
        app.sheets().alert(tr("Photo Library metadata can't update"),
                           tr("Writing the changed exif data to Photo Library failed.") +
                               QStringLiteral("\n") + result.reason);
}

namespace {

// What the restore does, for the confirmation: the newest backup's date and time, and
// whether it is the library as it is now, in which case the older backups are where to go.
// The text stays while the user chooses: a sheet keeps the size its first texts gave it.
QString restoreChoiceText(const LibraryBackup &newest, bool olderKept) {
    const QString when = libraryBackupTimeText(newest.path);
    if (!newest.asNow)
        return olderKept
                   ? LibraryDatabase::tr("The newest backup, of %1, is restored unless an older "
                                         "one is chosen below.")
                         .arg(when)
                   : LibraryDatabase::tr("The library goes back to its backup of %1.").arg(when);
    return olderKept
               ? LibraryDatabase::tr("The backup of %1 is the library as it is now: restoring it "
                                     "changes nothing. Choose an older backup of this library "
                                     "below.")
                     .arg(when)
               : LibraryDatabase::tr("The backup of %1 is the library as it is now: restoring it "
                                     "changes nothing, and no older backup of this library is "
                                     "kept.")
                     .arg(when);
}

} // namespace

void LibraryDatabase::RestorePhotoLibraryDatabase() {
    QString info = tr("All photo library data will be restored before the change.");
    const QList<LibraryBackup> kept =
        edit.workingCopy() ? edit.workingCopy()->backups() : QList<LibraryBackup>();
    // Every backup kept for this library, newest first, each with its date and time: the
    // newest is the one restored unless the user picks another.
    QComboBox *choice = nullptr;
    if (!kept.isEmpty()) {
        info += QLatin1Char('\n') + restoreChoiceText(kept.first(), kept.size() > 1);
        choice = new QComboBox;
        choice->setObjectName(QStringLiteral("restoreBackupChoice"));
        for (const LibraryBackup &b : kept)
            choice->addItem(b.asNow ? tr("Backup of %1 (the library as it is now)")
                                          .arg(libraryBackupTimeText(b.path))
                                    : tr("Backup of %1").arg(libraryBackupTimeText(b.path)),
                            b.path);
    }
    beginAlertSheet(
        app.mainWindow(), tr("Are you sure you want to restore the photo library?"), info,
        {tr(" Ok "), tr(" Cancel ")},
        [this](QMessageBox *alert, int code) { savePanelDidEnd6(alert, code); }, QString(), choice);
}

void LibraryDatabase::savePanelDidEnd6(QWidget *sheet, int returnCode, void *) {
    // The backup chosen on the sheet; without one, the newest.
    const auto *choice =
        sheet ? sheet->findChild<QComboBox *>(QStringLiteral("restoreBackupChoice")) : nullptr;
    const QString backup = choice ? choice->currentData().toString() : QString();
    if (sheet)
        sheet->close();
    if (returnCode != 1)
        return;
    const LibraryStepResult result = edit.restore(backup);
    if (!result.ok) {
        app.sheets().alert(tr("The photo library was not restored."), result.reason);
        return;
    }
    // The restored rows bring their photos back: so do the files our deletions trashed.
    const LibraryWorkingCopy &working = *edit.workingCopy();
    const QString original = working.originalPhotolibDatabasePath();
    const QString package = libraryPackageOf(original);
    const TrashReturnReport back = returnTrashedLibraryFiles(
        original, filesNamedByLibrary(package, working.currentPhotolibDatabasePath(),
                                      app.library().bScanNewPhotosLib));
    QString info = tr("All photolibrary data has been restored before the change.");
    if (const QString restored = working.restoredBackup(); !restored.isEmpty())
        info +=
            QLatin1Char('\n') +
            tr("The library is as its backup of %1 holds it.").arg(libraryBackupTimeText(restored));
    if (!back.notReturned.isEmpty())
        info += QLatin1Char('\n') +
                tr("These files of restored photos could not be put back from the Trash:") +
                QLatin1Char('\n') + back.notReturned.join(QLatin1Char('\n'));
    markOutcome(app.sheets().alert(tr("Restore Photo Library metadata has been completed."), info),
                back.notReturned.isEmpty());
    // The browser shows the library as it now is.
    app.browsers().loadLibrary(package);
}

void LibraryDatabase::addMenuItems(QMenu *libraryActions) {
    app.jobs().addMenuItem(libraryActions, tr("Restore Photo Library Database…"),
                           [this] { RestorePhotoLibraryDatabase(); });
}
