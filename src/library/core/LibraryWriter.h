#pragma once

// A library photo's fields written in the schema of the open library. The schema is chosen
// once, when the library opens; the features hand over the photo's keys and never ask which
// schema they write to.
#include "library/core/LibraryStore.h"
#include "model/PRPicFileInfo.h"

#include <QString>
#include <memory>
#include <optional>

class LibraryEditSession;

// Which rows a library photo is, as the scan read them.
struct LibraryPhotoKeys {
    int photoID = -1;      // current schema: the attributes row; older schema: the master
    int photoAssetID = -1; // current schema: the asset row
    int cloudID = -1;      // current schema: the cloud master; -1 for none
    int versionID = -1;    // older schema: the version the scan showed; -1: the shown one

    LibraryPhotoKeys(int photo, int asset = -1, int cloud = -1, int version = -1)
        : photoID(photo), photoAssetID(asset), cloudID(cloud), versionID(version) {}
    // A record converts: every feature holds one.
    LibraryPhotoKeys(const PRPicFileInfo &r)
        : LibraryPhotoKeys(r.photoID, r.photoAssetID, r.iCloudphotoID, r.versionID) {}
};

// Each write goes into the session's open edit, or, called alone, into an edit of its own,
// and says whether the photo was written.
class LibraryWriter {
  public:
    // The writer of the current schema ("Photos.sqlite") or of the older one ("photos.db").
    static std::unique_ptr<LibraryWriter> forSchema(LibraryEditSession &session,
                                                    bool currentSchema);
    virtual ~LibraryWriter() = default;

    // The current schema shows one column as both camera and creation date.
    virtual bool isCurrentSchema() const = 0;
    // The older libraries show the file's own camera fields; they keep none to write.
    virtual bool keepsCameraFields() const = 0;

    virtual LibraryWriteResult title(const LibraryPhotoKeys &k, const QString &title) = 0;
    virtual LibraryWriteResult caption(const LibraryPhotoKeys &k, const QString &caption) = 0;
    // The photo's keywords become the set in `text`.
    virtual LibraryWriteResult keywords(const LibraryPhotoKeys &k, const QString &text) = 0;
    // `name` without extension; the stored name keeps `currentFileName`'s extension.
    virtual LibraryWriteResult fileName(const LibraryPhotoKeys &k, const QString &name,
                                        const QString &currentFileName) = 0;
    virtual LibraryWriteResult cameraDate(const LibraryPhotoKeys &k, double seconds) = 0;
    virtual LibraryWriteResult addedDateFromCameraDate(const LibraryPhotoKeys &k) = 0;
    // Empty texts remove the position; text that is no position is refused.
    virtual LibraryWriteResult position(const LibraryPhotoKeys &k, const QString &latitude,
                                        const QString &longitude) = 0;
    virtual LibraryWriteResult cameraInfo(const LibraryPhotoKeys &k, const QString &make,
                                          const QString &model, const QString &lensModel) = 0;
    // A referenced photo's file now lies in `folder` under `fileName`.
    virtual LibraryWriteResult folder(const LibraryPhotoKeys &k, const QString &folder,
                                      const QString &fileName) = 0;
    // A referenced photo's file was renamed on disk to `fileName` in `folder`; only within
    // the open edit.
    virtual LibraryWriteResult referencedFileName(const LibraryPhotoKeys &k, const QString &folder,
                                                  const QString &fileName) = 0;
    // `withCloud`: its cloud master goes too, where no other photo names it.
    virtual LibraryWriteResult deletePhoto(const LibraryPhotoKeys &k, bool withCloud) = 0;
    // The camera date the open edit holds for the photo, to the fraction of a second.
    virtual std::optional<double> heldCameraSeconds(const LibraryPhotoKeys &k) = 0;
};
