// The edits of the open library: one transaction per user action on the working copy, the
// writers that fill it, and its end in one copy back.
#include "library/core/LibraryEditSession.h"

#include "base/Logging.h"
#include "library/core/LibraryWriter.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("LibraryEditSession", text);
}

std::optional<LibraryPosition> positionOf(const QString &latitude, const QString &longitude,
                                          bool *valid, QString *why) {
    bool none = false;
    const auto p = parseLibraryPosition(latitude, longitude, &none, why);
    *valid = p.has_value() || none;
    return p;
}

} // namespace

LibraryEditSession::LibraryEditSession() = default;

LibraryEditSession::~LibraryEditSession() = default;

void LibraryEditSession::useWorkingCopy(std::shared_ptr<LibraryWorkingCopy> copy) {
    copy_ = std::move(copy);
    readOnlyReason_ = copy_ ? copy_->photolibReadOnlyReason() : QString();
}

void LibraryEditSession::chooseSchema(bool currentSchema) {
    currentSchema_ = currentSchema;
    writer_ = LibraryWriter::forSchema(*this, currentSchema);
}

LibraryWriter &LibraryEditSession::writer() {
    // Until a library has opened, the older schema stands.
    if (!writer_)
        writer_ = LibraryWriter::forSchema(*this, currentSchema_);
    return *writer_;
}

QString LibraryEditSession::libraryMessage(const QString &text) const {
    return copy_ ? copy_->libraryMessage(text) : text;
}

bool LibraryEditSession::begin(QString *why) {
    if (edit_) {
        if (why)
            *why = tr("Another change of the library is still under way.");
        return false;
    }
    if (!copy_) {
        if (why)
            *why = tr("No library is open.");
        return false;
    }
    // The working copy's own view of whether the library may be written is the newest.
    readOnlyReason_ = copy_->photolibReadOnlyReason();
    QString error;
    edit_ = LibraryStore::begin(copy_->currentPhotolibDatabasePath(), readOnlyReason_, &error, 5000,
                                /*keepSnapshot=*/true, copy_->companionWorkingPath());
    if (!edit_) {
        qCWarning(lcLibrary).noquote() << "beginLibraryEdit==" << error;
        if (why)
            *why = libraryMessage(error);
        return false;
    }
    return true;
}

void LibraryEditSession::abandon() {
    edit_.reset(); // rolls back
}

LibraryStepResult LibraryEditSession::end() {
    if (!edit_)
        return {false, tr("No change of the library is under way.")};
    const std::unique_ptr<LibraryStore> edit = std::move(edit_);
    QString error;
    if (!edit->commit(&error)) {
        qCWarning(lcLibrary).noquote() << "endLibraryEdit==" << error;
        return {false, libraryMessage(error)};
    }
    edit->closeConnection();
    LibraryStepResult result = copyBack();
    if (!result.ok && edit->hasSnapshot()) {
        // The library did not take the change: the working copy must not keep it either.
        QString why;
        if (!edit->restoreSnapshot(&why)) {
            qCWarning(lcLibrary).noquote() << "restoreSnapshot==" << why;
            result.reason +=
                QLatin1Char('\n') + tr("The change also stays in Photo Kestry's working copy (%1); "
                                       "open the library again before editing it further.")
                                        .arg(why);
        }
    }
    return result;
}

LibraryStepResult LibraryEditSession::copyBack() {
    if (!copy_)
        return {false, tr("No library is open.")};
    const LibraryStepResult result = copy_->copyBack();
    readOnlyReason_ = copy_->photolibReadOnlyReason();
    if (!result.ok)
        qCWarning(lcLibrary).noquote() << "CopyDatabasetoPhotoLibrary==" << result.reason;
    return result;
}

LibraryStepResult LibraryEditSession::restore(const QString &backup) {
    if (!copy_)
        return {false, tr("No library has been opened.")};
    const LibraryStepResult result = copy_->restore(backup);
    if (!result.ok)
        readOnlyReason_ = copy_->photolibReadOnlyReason();
    return result;
}

template <typename Write>
LibraryWriteResult LibraryEditSession::inEdit(const char *name, int key, Write &&write) {
    LibraryWriteResult r;
    if (edit_) {
        r = write(*edit_);
    } else {
        QString why;
        if (!begin(&why))
            return LibraryWriteResult::failed(why);
        r = write(*edit_);
        if (r.ok) {
            QString error;
            if (!edit_->commit(&error))
                r = LibraryWriteResult::failed(error);
        }
        abandon();
    }
    if (!r.ok) {
        qCWarning(lcLibrary).noquote() << name << "==" << key << r.reason;
        r.reason = libraryMessage(r.reason);
    }
    return r;
}

#define PK_WRITE(key, call) inEdit(__func__, key, [&](LibraryStore &store) { return store.call; })

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayTitlewithTitleStr(const QString &title,
                                                                          int uidd) {
    return PK_WRITE(uidd, setTitle(uidd, title));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayTitlewithTitleStr(const QString &title,
                                                                             int uidd,
                                                                             int version) {
    return PK_WRITE(uidd, setOlderTitle({uidd, version}, title));
}

LibraryWriteResult
LibraryEditSession::UpdatePhotoLibrayDescriptionwithDescription(const QString &caption, int uidd) {
    return PK_WRITE(uidd, setDescription(uidd, caption));
}

// A photo has one caption row: inserting when one exists updates it instead.
LibraryWriteResult
LibraryEditSession::InsertPhotoLibrayDescriptionwithDescription(const QString &caption, int uidd) {
    return UpdatePhotoLibrayDescriptionwithDescription(caption, uidd);
}

LibraryWriteResult
LibraryEditSession::UpdateOldPhotoLibrayDescriptionwithDescription(const QString &caption, int uidd,
                                                                   int version) {
    return PK_WRITE(uidd, setOlderDescription({uidd, version}, caption));
}

// Keywords are a set: the update and the insert both make the photo's links that set.
LibraryWriteResult
LibraryEditSession::UpdatePhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd) {
    return PK_WRITE(uidd, setKeywords(uidd, keywords));
}

LibraryWriteResult
LibraryEditSession::InsertPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd) {
    return UpdatePhotoLibrayKeywordswithKeyWords(keywords, uidd);
}

LibraryWriteResult
LibraryEditSession::UpdateOldPhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd,
                                                             int version) {
    return PK_WRITE(uidd, setOlderKeywords({uidd, version}, keywords));
}

LibraryWriteResult
LibraryEditSession::InsertOldPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd,
                                                                int version) {
    return UpdateOldPhotoLibrayKeywordswithKeyWords(keywords, uidd, version);
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayFileNamewithStr(const QString &name,
                                                                        const QString &oldFileName,
                                                                        int uidd) {
    return PK_WRITE(uidd, setFileName(uidd, name, oldFileName));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayFileNamewithStr(
    const QString &name, const QString &oldFileName, int uidd, int version) {
    return PK_WRITE(uidd, setOlderFileName({uidd, version}, name, oldFileName));
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayCameraDatewithDateNum(double seconds,
                                                                              int uidd) {
    return PK_WRITE(uidd, setCameraDate(uidd, seconds));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayCameraDatewithDateNum(double seconds,
                                                                                 int uidd,
                                                                                 int version) {
    return PK_WRITE(uidd, setOlderCameraDate({uidd, version}, seconds));
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayAddedDatewithUIDD(int uidd) {
    return PK_WRITE(uidd, copyCameraDateToAddedDate(uidd));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayAddedDatewithUIDD(int uidd) {
    return PK_WRITE(uidd, olderCopyCameraDateToAddedDate(uidd));
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayGPSwithLatitude(const QString &latitude,
                                                                        const QString &longitude,
                                                                        int uidd) {
    bool valid = false;
    QString why;
    const auto p = positionOf(latitude, longitude, &valid, &why);
    if (!valid)
        return LibraryWriteResult::failed(why);
    return PK_WRITE(uidd, setPosition(uidd, p));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayGPSwithLatitude(const QString &latitude,
                                                                           const QString &longitude,
                                                                           int uidd, int version) {
    bool valid = false;
    QString why;
    const auto p = positionOf(latitude, longitude, &valid, &why);
    if (!valid)
        return LibraryWriteResult::failed(why);
    return PK_WRITE(uidd, setOlderPosition({uidd, version}, p));
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayCameraInfowithCameraMake(
    const QString &make, const QString &model, const QString &lensModel, int photoAsset) {
    return PK_WRITE(photoAsset, setCameraInfo(photoAsset, make, model, lensModel));
}

LibraryWriteResult LibraryEditSession::UpdatePhotoLibrayDictorywithStr(const QString &folder,
                                                                       const QString &, int uidd) {
    return PK_WRITE(uidd, setDirectory(uidd, folder));
}

LibraryWriteResult LibraryEditSession::UpdateOldPhotoLibrayImagePathwithStr(const QString &folder,
                                                                            const QString &fileName,
                                                                            int uidd) {
    return PK_WRITE(uidd, setOlderImagePath(uidd, folder, fileName));
}

LibraryWriteResult LibraryEditSession::DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID,
                                                                             int iCloudID) {
    return PK_WRITE(assetID, deletePhoto(uidd, assetID, iCloudID));
}

LibraryWriteResult LibraryEditSession::DeletePhotofromNewPhotoLibraywithUIDD(int uidd,
                                                                             int assetID) {
    return DeletePhotofromNewPhotoLibraywithUIDD(uidd, assetID, -1);
}

LibraryWriteResult LibraryEditSession::DeletePhotofromOldPhotoLibraywithUIDD(int uidd) {
    return PK_WRITE(uidd, deleteOlderPhoto(uidd));
}

#undef PK_WRITE
