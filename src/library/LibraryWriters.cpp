// The library's write layer on the application object: one transaction per user action on
// the working copy, the writers that fill it, and its end in one copy back.
#include "app/AppDelegate.h"

#include "base/Logging.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"

#include <QDebug>

bool LibraryDatabasePart::beginLibraryEdit(QString *why) {
    if (libraryEdit) {
        if (why)
            *why = AppDelegate::tr("Another change of the library is still under way.");
        return false;
    }
    if (!libraryWorkingCopy) {
        if (why)
            *why = AppDelegate::tr("No library is open.");
        return false;
    }
    // The working copy's own view of whether the library may be written is the newest.
    photolibReadOnlyReason = libraryWorkingCopy->photolibReadOnlyReason();
    QString error;
    libraryEdit = LibraryStore::begin(d.library().currentPhotolibDatabasePath,
                                      photolibReadOnlyReason, &error, 5000, /*keepSnapshot=*/true,
                                      libraryWorkingCopy->companionWorkingPath());
    if (!libraryEdit) {
        qCWarning(lcLibrary).noquote() << "beginLibraryEdit==" << error;
        if (why)
            *why = libraryMessage(error);
        return false;
    }
    return true;
}

QString LibraryDatabasePart::libraryMessage(const QString &text) const {
    return libraryWorkingCopy ? libraryWorkingCopy->libraryMessage(text) : text;
}

void LibraryDatabasePart::abandonLibraryEdit() {
    libraryEdit.reset(); // rolls back
}

LibraryStepResult LibraryDatabasePart::endLibraryEdit() {
    if (!libraryEdit)
        return {false, AppDelegate::tr("No change of the library is under way.")};
    const std::unique_ptr<LibraryStore> edit = std::move(libraryEdit);
    QString error;
    if (!edit->commit(&error)) {
        qCWarning(lcLibrary).noquote() << "endLibraryEdit==" << error;
        return {false, libraryMessage(error)};
    }
    edit->closeConnection();
    LibraryStepResult result = CopyDatabasetoPhotoLibraryWithoutAlert();
    if (!result.ok && edit->hasSnapshot()) {
        // The library did not take the change: the working copy must not keep it either.
        QString why;
        if (!edit->restoreSnapshot(&why)) {
            qCWarning(lcLibrary).noquote() << "restoreSnapshot==" << why;
            result.reason +=
                QLatin1Char('\n') +
                AppDelegate::tr("The change also stays in Photo Kestry's working copy (%1); "
                                "open the library again before editing it further.")
                    .arg(why);
        }
    }
    return result;
}

namespace {

// Runs one writer in the action's transaction, or alone in a transaction of its own.
template <typename Write>
LibraryWriteResult inEdit(AppDelegate &d, const char *name, int key, Write &&write) {
    LibraryWriteResult r;
    if (d.libraryDatabase.libraryEdit) {
        r = write(*d.libraryDatabase.libraryEdit);
    } else {
        QString why;
        if (!d.libraryDatabase.beginLibraryEdit(&why))
            return LibraryWriteResult::failed(why);
        r = write(*d.libraryDatabase.libraryEdit);
        if (r.ok) {
            QString error;
            if (!d.libraryDatabase.libraryEdit->commit(&error))
                r = LibraryWriteResult::failed(error);
        }
        d.libraryDatabase.abandonLibraryEdit();
    }
    if (!r.ok) {
        qCWarning(lcLibrary).noquote() << name << "==" << key << r.reason;
        r.reason = d.libraryDatabase.libraryMessage(r.reason);
    }
    return r;
}

std::optional<LibraryPosition> positionOf(const QString &latitude, const QString &longitude,
                                          bool *valid, QString *why) {
    bool none = false;
    const auto p = parseLibraryPosition(latitude, longitude, &none, why);
    *valid = p.has_value() || none;
    return p;
}

} // namespace

#define PK_WRITE(key, call)                                                                        \
    inEdit(d, __func__, key, [&](LibraryStore &store) { return store.call; })

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayTitlewithTitleStr(const QString &title,
                                                                           int uidd) {
    return PK_WRITE(uidd, setTitle(uidd, title));
}

LibraryWriteResult LibraryDatabasePart::UpdateOldPhotoLibrayTitlewithTitleStr(const QString &title,
                                                                              int uidd,
                                                                              int version) {
    return PK_WRITE(uidd, setOlderTitle({uidd, version}, title));
}

LibraryWriteResult
LibraryDatabasePart::UpdatePhotoLibrayDescriptionwithDescription(const QString &caption, int uidd) {
    return PK_WRITE(uidd, setDescription(uidd, caption));
}

// A photo has one caption row: inserting when one exists updates it instead.
LibraryWriteResult
LibraryDatabasePart::InsertPhotoLibrayDescriptionwithDescription(const QString &caption, int uidd) {
    return UpdatePhotoLibrayDescriptionwithDescription(caption, uidd);
}

LibraryWriteResult
LibraryDatabasePart::UpdateOldPhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                    int uidd, int version) {
    return PK_WRITE(uidd, setOlderDescription({uidd, version}, caption));
}

// Keywords are a set: the update and the insert both make the photo's links that set.
LibraryWriteResult
LibraryDatabasePart::UpdatePhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd) {
    return PK_WRITE(uidd, setKeywords(uidd, keywords));
}

LibraryWriteResult
LibraryDatabasePart::InsertPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd) {
    return UpdatePhotoLibrayKeywordswithKeyWords(keywords, uidd);
}

LibraryWriteResult
LibraryDatabasePart::UpdateOldPhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd,
                                                              int version) {
    return PK_WRITE(uidd, setOlderKeywords({uidd, version}, keywords));
}

LibraryWriteResult
LibraryDatabasePart::InsertOldPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd,
                                                                 int version) {
    return UpdateOldPhotoLibrayKeywordswithKeyWords(keywords, uidd, version);
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayFileNamewithStr(const QString &name,
                                                                         const QString &oldFileName,
                                                                         int uidd) {
    return PK_WRITE(uidd, setFileName(uidd, name, oldFileName));
}

LibraryWriteResult LibraryDatabasePart::UpdateOldPhotoLibrayFileNamewithStr(
    const QString &name, const QString &oldFileName, int uidd, int version) {
    return PK_WRITE(uidd, setOlderFileName({uidd, version}, name, oldFileName));
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayCameraDatewithDateNum(double seconds,
                                                                               int uidd) {
    return PK_WRITE(uidd, setCameraDate(uidd, seconds));
}

LibraryWriteResult LibraryDatabasePart::UpdateOldPhotoLibrayCameraDatewithDateNum(double seconds,
                                                                                  int uidd,
                                                                                  int version) {
    return PK_WRITE(uidd, setOlderCameraDate({uidd, version}, seconds));
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayAddedDatewithUIDD(int uidd) {
    return PK_WRITE(uidd, copyCameraDateToAddedDate(uidd));
}

LibraryWriteResult LibraryDatabasePart::UpdateOldPhotoLibrayAddedDatewithUIDD(int uidd) {
    return PK_WRITE(uidd, olderCopyCameraDateToAddedDate(uidd));
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayGPSwithLatitude(const QString &latitude,
                                                                         const QString &longitude,
                                                                         int uidd) {
    bool valid = false;
    QString why;
    const auto p = positionOf(latitude, longitude, &valid, &why);
    if (!valid)
        return LibraryWriteResult::failed(why);
    return PK_WRITE(uidd, setPosition(uidd, p));
}

LibraryWriteResult LibraryDatabasePart::UpdateOldPhotoLibrayGPSwithLatitude(
    const QString &latitude, const QString &longitude, int uidd, int version) {
    bool valid = false;
    QString why;
    const auto p = positionOf(latitude, longitude, &valid, &why);
    if (!valid)
        return LibraryWriteResult::failed(why);
    return PK_WRITE(uidd, setOlderPosition({uidd, version}, p));
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayCameraInfowithCameraMake(
    const QString &make, const QString &model, const QString &lensModel, int photoAsset) {
    return PK_WRITE(photoAsset, setCameraInfo(photoAsset, make, model, lensModel));
}

LibraryWriteResult LibraryDatabasePart::UpdatePhotoLibrayDictorywithStr(const QString &folder,
                                                                        const QString &, int uidd) {
    return PK_WRITE(uidd, setDirectory(uidd, folder));
}

LibraryWriteResult
LibraryDatabasePart::UpdateOldPhotoLibrayImagePathwithStr(const QString &folder,
                                                          const QString &fileName, int uidd) {
    return PK_WRITE(uidd, setOlderImagePath(uidd, folder, fileName));
}

LibraryWriteResult LibraryDatabasePart::DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID,
                                                                              int iCloudID) {
    return PK_WRITE(assetID, deletePhoto(uidd, assetID, iCloudID));
}

LibraryWriteResult LibraryDatabasePart::DeletePhotofromNewPhotoLibraywithUIDD(int uidd,
                                                                              int assetID) {
    return DeletePhotofromNewPhotoLibraywithUIDD(uidd, assetID, -1);
}

LibraryWriteResult LibraryDatabasePart::DeletePhotofromOldPhotoLibraywithUIDD(int uidd) {
    return PK_WRITE(uidd, deleteOlderPhoto(uidd));
}

#undef PK_WRITE
