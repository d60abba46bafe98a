#pragma once

#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"

#include <QString>
#include <memory>

class LibraryWriter;

// The edits of the open library, on its working copy: one transaction per user action
// (begin, the writes, end), its one checked copy back into the library, and, where the copy
// back failed, the working copy put back as it was before the action. The writers of both
// schemas write into the open transaction; called alone, each writes in one of its own.
class LibraryEditSession {
  public:
    LibraryEditSession();
    ~LibraryEditSession(); // an edit left open is rolled back

    // The open library's working copy (none: no library may be written) and its schema.
    void useWorkingCopy(std::shared_ptr<LibraryWorkingCopy> copy);
    LibraryWorkingCopy *workingCopy() const { return copy_.get(); }
    void chooseSchema(bool currentSchema);
    // Why the open library may not be written now; empty while it may.
    const QString &readOnlyReason() const { return readOnlyReason_; }
    // A reason from the working copy, naming the open library instead.
    QString libraryMessage(const QString &text) const;

    // Opens the action's transaction (refused while the library is read-only, or while one is
    // open); false with `why`.
    bool begin(QString *why);
    // Commits and copies back once; on failure nothing of the action stays in the working
    // copy.
    LibraryStepResult end();
    void abandon(); // rolls back
    // The open transaction's store; null when none is open.
    LibraryStore *store() const { return edit_.get(); }

    // Whether the working copy replaced the library's database, and if not why.
    LibraryStepResult copyBack();
    // Puts `backup` (empty: the newest) back over the library and its working copy.
    LibraryStepResult restore(const QString &backup);

    // The writer of the open library's schema: the features write a photo through it.
    LibraryWriter &writer();

    // The writers of the two schemas, by the names the features have always used. Each
    // writes into the open edit (or, called alone, into an edit of its own, committed at
    // once) and says whether the photo was written. The older schema's writers of a photo's
    // fields take its master and the version the scan showed (-1: the shown one).
    LibraryWriteResult UpdatePhotoLibrayTitlewithTitleStr(const QString &title, int uidd);
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

  private:
    // Runs one writer in the action's transaction, or alone in a transaction of its own.
    template <typename Write> LibraryWriteResult inEdit(const char *name, int key, Write &&write);

    std::shared_ptr<LibraryWorkingCopy> copy_;
    std::unique_ptr<LibraryStore> edit_;
    std::unique_ptr<LibraryWriter> writer_;
    bool currentSchema_ = false;
    QString readOnlyReason_;
};
