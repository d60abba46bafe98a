#pragma once

#include "app/PartBasics.h"
#include "platform/core/PhotosApplication.h"

class LibraryStore;
class LibraryWorkingCopy;
class LibraryWriter;

// The open library's database: its working copy, the edit under way and its writers, the
// in-use check, the copy back and the restore.
struct LibraryDatabasePart {
    AppDelegate &d; // the application object: the shared state and the other parts

    // Out of line, where the types its owners hold are whole.
    explicit LibraryDatabasePart(AppDelegate &app);
    ~LibraryDatabasePart();

    std::shared_ptr<LibraryWorkingCopy> libraryWorkingCopy; // the open library's O and W
    QString photolibReadOnlyReason;            // empty while the open library may be written
    QList<qint64> photosHolderPids;            // the processes the force-quit offer named
    QList<DatabaseHolder> otherComputers;      // the locks the take-over offer named
    std::unique_ptr<LibraryStore> libraryEdit; // the action's transaction, if one is open
    std::unique_ptr<LibraryWriter> openLibraryWriter;

    // Makes an opened working copy the open library's (main thread, after the load).
    void useLibraryWorkingCopy(std::shared_ptr<class LibraryWorkingCopy> copy);
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
    // A reason from the working copy, naming the open library instead.
    QString libraryMessage(const QString &text) const;
    void savePanelDidEnd5(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    void CopyDatabasetoPhotoLibrary();
    // Whether the working copy replaced the library's database, and if not why.
    struct LibraryStepResult CopyDatabasetoPhotoLibraryWithoutAlert();
    void RestorePhotoLibraryDatabase();
    void savePanelDidEnd6(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    // Library SQL write layer (library/LibraryWriters.cpp). Every library edit is one
    // transaction on the working copy: beginLibraryEdit opens it (refused while the library
    // is read-only), the writers below write into it, and endLibraryEdit commits it, or rolls
    // it all back when a write failed, then copies the working copy back once.
    bool beginLibraryEdit(QString *why);
    // Commits and copies back; on failure nothing of the action stays in the working copy.
    struct LibraryStepResult endLibraryEdit();
    void abandonLibraryEdit();
    // The open library's writer, chosen from its schema when the library opens
    // (library/LibraryWriter.cpp): the features write a photo through it.
    class LibraryWriter &libraryWriter();
    void chooseLibrarySchema(bool currentSchema);
    // The 23 writers. Each writes into the open edit (or, called alone, into an edit of
    // its own, committed at once) and says whether the photo was written.
    struct LibraryWriteResult UpdatePhotoLibrayTitlewithTitleStr(const QString &title, int uidd);
    // The older schema's writers of a photo's fields take its master and the version the scan
    // showed (-1: the shown one, found as the scan finds it).
    LibraryWriteResult UpdateOldPhotoLibrayTitlewithTitleStr(const QString &title, int uidd,
                                                             int version = -1);
    LibraryWriteResult UpdatePhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                   int uidd);
    LibraryWriteResult InsertPhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                   int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                      int uidd, int version = -1);
    LibraryWriteResult UpdatePhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd);
    LibraryWriteResult InsertPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd,
                                                                int version = -1);
    LibraryWriteResult InsertOldPhotoLibrayKeywordswithDescription(const QString &keywords,
                                                                   int uidd, int version = -1);
    LibraryWriteResult UpdatePhotoLibrayFileNamewithStr(const QString &name,
                                                        const QString &oldFileName, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayFileNamewithStr(const QString &name,
                                                           const QString &oldFileName, int uidd,
                                                           int version = -1);
    LibraryWriteResult UpdatePhotoLibrayCameraDatewithDateNum(double seconds, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayCameraDatewithDateNum(double seconds, int uidd,
                                                                 int version = -1);
    LibraryWriteResult UpdatePhotoLibrayAddedDatewithUIDD(int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayAddedDatewithUIDD(int uidd);
    // Empty texts remove the position; text that is no position is refused.
    LibraryWriteResult UpdatePhotoLibrayGPSwithLatitude(const QString &latitude,
                                                        const QString &longitude, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayGPSwithLatitude(const QString &latitude,
                                                           const QString &longitude, int uidd,
                                                           int version = -1);
    LibraryWriteResult UpdatePhotoLibrayCameraInfowithCameraMake(const QString &make,
                                                                 const QString &model,
                                                                 const QString &lensModel,
                                                                 int photoAsset);
    LibraryWriteResult UpdatePhotoLibrayDictorywithStr(const QString &folder,
                                                       const QString &oldFolder, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayImagePathwithStr(const QString &folder,
                                                            const QString &fileName, int uidd);
    LibraryWriteResult DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID, int iCloudID);
    LibraryWriteResult DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID);
    LibraryWriteResult DeletePhotofromOldPhotoLibraywithUIDD(int uidd);
};
