// The two schemas' writers behind LibraryWriter, over the application object's writers.
#include "library/LibraryWriter.h"

#include "app/AppDelegate.h"
#include "library/core/LibraryCameraDates.h"

#include <QFileInfo>

namespace {

class CurrentLibraryWriter final : public LibraryWriter {
  public:
    explicit CurrentLibraryWriter(AppDelegate &d) : d_(d) {}
    bool isCurrentSchema() const override { return true; }
    bool keepsCameraFields() const override { return true; }
    LibraryWriteResult title(const LibraryPhotoKeys &k, const QString &title) override {
        return d_.libraryDatabase.UpdatePhotoLibrayTitlewithTitleStr(title, k.photoID);
    }
    LibraryWriteResult caption(const LibraryPhotoKeys &k, const QString &caption) override {
        return d_.libraryDatabase.UpdatePhotoLibrayDescriptionwithDescription(caption, k.photoID);
    }
    LibraryWriteResult keywords(const LibraryPhotoKeys &k, const QString &text) override {
        return d_.libraryDatabase.UpdatePhotoLibrayKeywordswithKeyWords(text, k.photoID);
    }
    LibraryWriteResult fileName(const LibraryPhotoKeys &k, const QString &name,
                                const QString &currentFileName) override {
        return d_.libraryDatabase.UpdatePhotoLibrayFileNamewithStr(name, currentFileName,
                                                                   k.photoID);
    }
    LibraryWriteResult cameraDate(const LibraryPhotoKeys &k, double seconds) override {
        return d_.libraryDatabase.UpdatePhotoLibrayCameraDatewithDateNum(seconds, k.photoAssetID);
    }
    LibraryWriteResult addedDateFromCameraDate(const LibraryPhotoKeys &k) override {
        return d_.libraryDatabase.UpdatePhotoLibrayAddedDatewithUIDD(k.photoAssetID);
    }
    LibraryWriteResult position(const LibraryPhotoKeys &k, const QString &latitude,
                                const QString &longitude) override {
        return d_.libraryDatabase.UpdatePhotoLibrayGPSwithLatitude(latitude, longitude,
                                                                   k.photoAssetID);
    }
    LibraryWriteResult cameraInfo(const LibraryPhotoKeys &k, const QString &make,
                                  const QString &model, const QString &lensModel) override {
        return d_.libraryDatabase.UpdatePhotoLibrayCameraInfowithCameraMake(make, model, lensModel,
                                                                            k.photoAssetID);
    }
    LibraryWriteResult folder(const LibraryPhotoKeys &k, const QString &folder,
                              const QString &) override {
        return d_.libraryDatabase.UpdatePhotoLibrayDictorywithStr(folder, QString(),
                                                                  k.photoAssetID);
    }
    LibraryWriteResult referencedFileName(const LibraryPhotoKeys &k, const QString &,
                                          const QString &fileName) override {
        return d_.libraryDatabase.libraryEdit
                   ? d_.libraryDatabase.libraryEdit->setReferencedFileName(k.photoID,
                                                                           k.photoAssetID, fileName)
                   : LibraryWriteResult::failed(
                         AppDelegate::tr("No change of the library is under way."));
    }
    LibraryWriteResult deletePhoto(const LibraryPhotoKeys &k, bool withCloud) override {
        return d_.libraryDatabase.DeletePhotofromNewPhotoLibraywithUIDD(k.photoID, k.photoAssetID,
                                                                        withCloud ? k.cloudID : -1);
    }
    std::optional<double> heldCameraSeconds(const LibraryPhotoKeys &k) override {
        if (!d_.libraryDatabase.libraryEdit)
            return std::nullopt;
        return storedCameraSeconds(*d_.libraryDatabase.libraryEdit, k.photoAssetID);
    }

  private:
    AppDelegate &d_;
};

// The older schema keys a photo by its master and writes its fields to the version the
// scan showed.
class OlderLibraryWriter final : public LibraryWriter {
  public:
    explicit OlderLibraryWriter(AppDelegate &d) : d_(d) {}
    bool isCurrentSchema() const override { return false; }
    bool keepsCameraFields() const override { return false; }
    LibraryWriteResult title(const LibraryPhotoKeys &k, const QString &title) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayTitlewithTitleStr(title, k.photoID,
                                                                        k.versionID);
    }
    LibraryWriteResult caption(const LibraryPhotoKeys &k, const QString &caption) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayDescriptionwithDescription(caption, k.photoID,
                                                                                 k.versionID);
    }
    LibraryWriteResult keywords(const LibraryPhotoKeys &k, const QString &text) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayKeywordswithKeyWords(text, k.photoID,
                                                                           k.versionID);
    }
    LibraryWriteResult fileName(const LibraryPhotoKeys &k, const QString &name,
                                const QString &currentFileName) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayFileNamewithStr(name, currentFileName,
                                                                      k.photoID, k.versionID);
    }
    LibraryWriteResult cameraDate(const LibraryPhotoKeys &k, double seconds) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayCameraDatewithDateNum(seconds, k.photoID,
                                                                            k.versionID);
    }
    LibraryWriteResult addedDateFromCameraDate(const LibraryPhotoKeys &k) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayAddedDatewithUIDD(k.photoID);
    }
    LibraryWriteResult position(const LibraryPhotoKeys &k, const QString &latitude,
                                const QString &longitude) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayGPSwithLatitude(latitude, longitude,
                                                                      k.photoID, k.versionID);
    }
    LibraryWriteResult cameraInfo(const LibraryPhotoKeys &, const QString &, const QString &,
                                  const QString &) override {
        return LibraryWriteResult::failed(
            AppDelegate::tr("This library keeps no camera fields of its own."));
    }
    LibraryWriteResult folder(const LibraryPhotoKeys &k, const QString &folder,
                              const QString &fileName) override {
        return d_.libraryDatabase.UpdateOldPhotoLibrayImagePathwithStr(folder, fileName, k.photoID);
    }
    // The older schema keeps the name twice: as the photo's file name and in its path.
    LibraryWriteResult referencedFileName(const LibraryPhotoKeys &k, const QString &folder,
                                          const QString &fileName) override {
        LibraryWriteResult w = d_.libraryDatabase.UpdateOldPhotoLibrayFileNamewithStr(
            QFileInfo(fileName).completeBaseName(), fileName, k.photoID, k.versionID);
        if (w.ok)
            w = d_.libraryDatabase.UpdateOldPhotoLibrayImagePathwithStr(folder, fileName,
                                                                        k.photoID);
        return w;
    }
    LibraryWriteResult deletePhoto(const LibraryPhotoKeys &k, bool) override {
        return d_.libraryDatabase.DeletePhotofromOldPhotoLibraywithUIDD(k.photoID);
    }
    std::optional<double> heldCameraSeconds(const LibraryPhotoKeys &k) override {
        LibraryStore *edit = d_.libraryDatabase.libraryEdit.get();
        if (!edit)
            return std::nullopt;
        const std::optional<int64_t> version =
            edit->olderShownVersion(OlderPhotoKey(k.photoID, k.versionID));
        return version ? storedCameraSeconds(*edit, *version) : std::nullopt;
    }

  private:
    AppDelegate &d_;
};

} // namespace

std::unique_ptr<LibraryWriter> LibraryWriter::forSchema(AppDelegate &d, bool currentSchema) {
    if (currentSchema)
        return std::make_unique<CurrentLibraryWriter>(d);
    return std::make_unique<OlderLibraryWriter>(d);
}

void LibraryDatabasePart::chooseLibrarySchema(bool currentSchema) {
    d.library().bScanNewPhotosLib = currentSchema;
    openLibraryWriter = LibraryWriter::forSchema(d, currentSchema);
}

LibraryWriter &LibraryDatabasePart::libraryWriter() {
    // Until a library has opened, the flag's default (the older schema) stands.
    if (!openLibraryWriter)
        openLibraryWriter = LibraryWriter::forSchema(d, d.library().bScanNewPhotosLib);
    return *openLibraryWriter;
}
