#pragma once

#include "model/PRPicFileInfo.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <memory>

class PKCameraFile; // a file on a connected camera; the camera owns it

// How a browser draws an item: from its path, or through a generic file preview.
enum class ImageRepresentationType { Path, QuickLookPath };

// One cell of a thumbnail browser (local photos, camera, library).
class IKImageItem {
  public:
    QImage fileImage; // camera items carry their picture here
    QString filePath; // null until set
    QString fileType = QStringLiteral("Image");
    QString fileName;                       // null until set
    std::weak_ptr<PKCameraFile> cameraItem; // not owned: it goes away with its camera
    PRPicFileInfoPtr originalFileNode;      // the file on disk
    PRPicFileInfoPtr photoLibFileNode;      // the library row (library browser only)
    bool bMetadataDifferent = false;
    QString GPSLocationfileName; // null until a place is found
    bool bFavortieItem = false;
    QString fileThumbPath = QStringLiteral("");
    QString fileLargeThumbPath = QStringLiteral("");
    bool bICloudDownloadPhoto = true;
    bool bHasAdjustedItem = false;
    // Why the local file is no readable photo or video (empty when it is); the grid says so.
    QString unreadableReason;
    // The copy the latest edit of this photo wrote into the storage folder, with the digest
    // of its bytes and the state of filePath then; empty while the photo's own file holds
    // its latest state.
    QString editedCopyPath;
    QByteArray editedCopyDigest, editedCopyOriginalState;

    // The file that shows the photo as edited so far: the latest edit's copy while it is
    // there, otherwise the photo's own file.
    QString currentPath() const {
        return !editedCopyPath.isEmpty() && QFileInfo::exists(editedCopyPath) ? editedCopyPath
                                                                              : filePath;
    }

    // The browser's questions. Two items with one fileThumbPath are one cell to it.
    ImageRepresentationType imageRepresentationType() const {
        return (fileType == QLatin1String("Image") || fileType == QLatin1String("Movie"))
                   ? ImageRepresentationType::Path
                   : ImageRepresentationType::QuickLookPath;
    }
    QString imageRepresentation() const { return fileThumbPath; }
    QString imageUID() const { return fileThumbPath; }
    QString imageTitle() const {
        return unreadableReason.isEmpty() ? fileName : fileName + QStringLiteral(" (unreadable)");
    }
};

using IKImageItemPtr = std::shared_ptr<IKImageItem>;
