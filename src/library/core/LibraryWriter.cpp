// The two schemas' writers behind LibraryWriter, over the edit session's writers.
#include "library/core/LibraryWriter.h"

#include "library/core/LibraryCameraDates.h"
#include "library/core/LibraryEditSession.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("LibraryWriter", text);
}

class CurrentLibraryWriter final : public LibraryWriter {
  public:
    explicit CurrentLibraryWriter(LibraryEditSession &session) : session_(session) {}
    bool isCurrentSchema() const override { return true; }
    bool keepsCameraFields() const override { return true; }
    LibraryWriteResult title(const LibraryPhotoKeys &k, const QString &title) override {
        return session_.UpdatePhotoLibrayTitlewithTitleStr(title, k.photoID);
    }
    LibraryWriteResult caption(const LibraryPhotoKeys &k, const QString &caption) override {
        return session_.UpdatePhotoLibrayDescriptionwithDescription(caption, k.photoID);
    }
    LibraryWriteResult keywords(const LibraryPhotoKeys &k, const QString &text) override {
        return session_.UpdatePhotoLibrayKeywordswithKeyWords(text, k.photoID);
    }
    LibraryWriteResult fileName(const LibraryPhotoKeys &k, const QString &name,
                                const QString &currentFileName) override {
        return session_.UpdatePhotoLibrayFileNamewithStr(name, currentFileName, k.photoID);
    }
    LibraryWriteResult cameraDate(const LibraryPhotoKeys &k, double seconds) override {
        return session_.UpdatePhotoLibrayCameraDatewithDateNum(seconds, k.photoAssetID);
    }
    LibraryWriteResult addedDateFromCameraDate(const LibraryPhotoKeys &k) override {
        return session_.UpdatePhotoLibrayAddedDatewithUIDD(k.photoAssetID);
    }
    LibraryWriteResult position(const LibraryPhotoKeys &k, const QString &latitude,
                                const QString &longitude) override {
        return session_.UpdatePhotoLibrayGPSwithLatitude(latitude, longitude, k.photoAssetID);
    }
    LibraryWriteResult cameraInfo(const LibraryPhotoKeys &k, const QString &make,
                                  const QString &model, const QString &lensModel) override {
        return session_.UpdatePhotoLibrayCameraInfowithCameraMake(make, model, lensModel,
                                                                  k.photoAssetID);
    }
    LibraryWriteResult folder(const LibraryPhotoKeys &k, const QString &folder,
                              const QString &) override {
        return session_.UpdatePhotoLibrayDictorywithStr(folder, QString(), k.photoAssetID);
    }
    LibraryWriteResult referencedFileName(const LibraryPhotoKeys &k, const QString &,
                                          const QString &fileName) override {
        return session_.store()
                   ? session_.store()->setReferencedFileName(k.photoID, k.photoAssetID, fileName)
                   : LibraryWriteResult::failed(tr("No change of the library is under way."));
    }
    LibraryWriteResult deletePhoto(const LibraryPhotoKeys &k, bool withCloud) override {
        return session_.DeletePhotofromNewPhotoLibraywithUIDD(k.photoID, k.photoAssetID,
                                                              withCloud ? k.cloudID : -1);
    }
    std::optional<double> heldCameraSeconds(const LibraryPhotoKeys &k) override {
        if (!session_.store())
            return std::nullopt;
        return storedCameraSeconds(*session_.store(), k.photoAssetID);
    }

  private:
    LibraryEditSession &session_;
};

// The older schema keys a photo by its master and writes its fields to the version the
// scan showed.
class OlderLibraryWriter final : public LibraryWriter {
  public:
    explicit OlderLibraryWriter(LibraryEditSession &session) : session_(session) {}
    bool isCurrentSchema() const override { return false; }
    bool keepsCameraFields() const override { return false; }
    LibraryWriteResult title(const LibraryPhotoKeys &k, const QString &title) override {
        return session_.UpdateOldPhotoLibrayTitlewithTitleStr(title, k.photoID, k.versionID);
    }
    LibraryWriteResult caption(const LibraryPhotoKeys &k, const QString &caption) override {
        return session_.UpdateOldPhotoLibrayDescriptionwithDescription(caption, k.photoID,
                                                                       k.versionID);
    }
    LibraryWriteResult keywords(const LibraryPhotoKeys &k, const QString &text) override {
        return session_.UpdateOldPhotoLibrayKeywordswithKeyWords(text, k.photoID, k.versionID);
    }
    LibraryWriteResult fileName(const LibraryPhotoKeys &k, const QString &name,
                                const QString &currentFileName) override {
        return session_.UpdateOldPhotoLibrayFileNamewithStr(name, currentFileName, k.photoID,
                                                            k.versionID);
    }
    LibraryWriteResult cameraDate(const LibraryPhotoKeys &k, double seconds) override {
        return session_.UpdateOldPhotoLibrayCameraDatewithDateNum(seconds, k.photoID, k.versionID);
    }
    LibraryWriteResult addedDateFromCameraDate(const LibraryPhotoKeys &k) override {
        return session_.UpdateOldPhotoLibrayAddedDatewithUIDD(k.photoID);
    }
    LibraryWriteResult position(const LibraryPhotoKeys &k, const QString &latitude,
                                const QString &longitude) override {
        return session_.UpdateOldPhotoLibrayGPSwithLatitude(latitude, longitude, k.photoID,
                                                            k.versionID);
    }
    LibraryWriteResult cameraInfo(const LibraryPhotoKeys &, const QString &, const QString &,
                                  const QString &) override {
        return LibraryWriteResult::failed(tr("This library keeps no camera fields of its own."));
    }
    LibraryWriteResult folder(const LibraryPhotoKeys &k, const QString &folder,
                              const QString &fileName) override {
        return session_.UpdateOldPhotoLibrayImagePathwithStr(folder, fileName, k.photoID);
    }
    // The older schema keeps the name twice: as the photo's file name and in its path.
    LibraryWriteResult referencedFileName(const LibraryPhotoKeys &k, const QString &folder,
                                          const QString &fileName) override {
        LibraryWriteResult w = session_.UpdateOldPhotoLibrayFileNamewithStr(
            QFileInfo(fileName).completeBaseName(), fileName, k.photoID, k.versionID);
        if (w.ok)
            w = session_.UpdateOldPhotoLibrayImagePathwithStr(folder, fileName, k.photoID);
        return w;
    }
    LibraryWriteResult deletePhoto(const LibraryPhotoKeys &k, bool) override {
        return session_.DeletePhotofromOldPhotoLibraywithUIDD(k.photoID);
    }
    std::optional<double> heldCameraSeconds(const LibraryPhotoKeys &k) override {
        LibraryStore *edit = session_.store();
        if (!edit)
            return std::nullopt;
        const std::optional<int64_t> version =
            edit->olderShownVersion(OlderPhotoKey(k.photoID, k.versionID));
        return version ? storedCameraSeconds(*edit, *version) : std::nullopt;
    }

  private:
    LibraryEditSession &session_;
};

} // namespace

std::unique_ptr<LibraryWriter> LibraryWriter::forSchema(LibraryEditSession &session,
                                                        bool currentSchema) {
    if (currentSchema)
        return std::make_unique<CurrentLibraryWriter>(session);
    return std::make_unique<OlderLibraryWriter>(session);
}
