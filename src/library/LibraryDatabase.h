#pragma once

#include "library/core/LibraryEditSession.h"
#include "platform/core/PhotosApplication.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <memory>

class AppServices;
class QMenu;
class QWidget;

// The open library's database as the user meets it: the edit session on its working copy,
// the checks before an edit (another program or computer holding the library, a library
// open read-only) with their offers, the copy back with its sheet, and the restore.
class LibraryDatabase {
    Q_DECLARE_TR_FUNCTIONS(LibraryDatabase)
  public:
    explicit LibraryDatabase(AppServices &app);
    ~LibraryDatabase();

    // The edits of the open library: begin, the writers of its schema, end.
    LibraryEditSession &session() { return edit; }
    // Makes an opened working copy the open library's (main thread, after the load).
    void useLibraryWorkingCopy(std::shared_ptr<LibraryWorkingCopy> copy);
    void chooseLibrarySchema(bool currentSchema);
    // Why the open library may not be written now; empty while it may.
    QString readOnlyReason() const { return edit.readOnlyReason(); }
    // The processes and computers that hold the open library now.
    QList<DatabaseHolder> holders() const;
    // A reason the edit gave; without a working copy, the load's own note names the
    // database and its fault instead.
    QString whyNotWritable(const QString &why) const;

    // The library may be written now: not read-only (said with its reason), and held by no
    // other program (the force-quit offer) or computer (the take-over offer). False with the
    // sheet shown.
    bool mayEdit();
    // True while a process holds the open library's database.
    bool CheckPhotosApplicationRun();
    // The force-quit offer naming those processes when they are the photo application,
    // else a sheet asking the user to close them; its end is savePanelDidEnd5. A library
    // held only by another computer's lock gets the take-over offer instead.
    void showQuitPhotosOffer();
    // The locks of other computers that hold the open library now; empty when none does.
    QList<DatabaseHolder> otherComputersHolding() const;
    // "<holders> has the library open ..." and the offer to take the library over, with
    // " Take Over " and " Cancel "; its end is takeOverEnd.
    void showTakeOverOffer(const QList<DatabaseHolder> &held);
    // " Take Over ": the named locks go and the library is opened again, writable.
    void takeOverEnd(QWidget *sheet, int returnCode);
    // "<holders> has the library "<package>" open. Close it and try again."
    QString libraryInUseText(const QList<DatabaseHolder> &held) const;
    void savePanelDidEnd5(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    void CopyDatabasetoPhotoLibrary();
    // Whether the working copy replaced the library's database, and if not why.
    LibraryStepResult CopyDatabasetoPhotoLibraryWithoutAlert();
    void RestorePhotoLibraryDatabase();
    void savePanelDidEnd6(QWidget *sheet, int returnCode, void *contextInfo = nullptr);

    // Its item of the library's actions menu.
    void addMenuItems(QMenu *libraryActions);

  private:
    AppServices &app;
    LibraryEditSession edit;
    QList<qint64> photosHolderPids;       // the processes the force-quit offer named
    QList<DatabaseHolder> otherComputers; // the locks the take-over offer named
};
