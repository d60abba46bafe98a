#pragma once

#include "model/OutOfLine.h"
#include "model/PRPicFileInfo.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <memory>

class PKCameraFile; // a file on a connected camera; the camera owns it

// How a browser draws an item: from its path, or through a generic file preview.
enum class ImageRepresentationType { Path, QuickLookPath };

// What few items have: camera and local-file items, and photos edited into copies.
struct IKImageItemRare {
    QImage fileImage;                       // camera items carry their picture here
    std::weak_ptr<PKCameraFile> cameraItem; // not owned: it goes away with its camera
    QString GPSLocationfileName;            // null until a place is found
    // Why the local file is no readable photo or video (empty when it is); the grid says so.
    QString unreadableReason;
    // The copy the latest edit of this photo wrote into the storage folder, with the digest
    // of its bytes and the state of filePath then; empty while the photo's own file holds
    // its latest state.
    QString editedCopyPath;
    QByteArray editedCopyDigest, editedCopyOriginalState;
};

// One cell of a thumbnail browser (local photos, camera, library).
class IKImageItem {
  public:
    QString filePath; // null until set
    QString fileType = QStringLiteral("Image");
    QString fileName;                  // null until set
    PRPicFileInfoPtr originalFileNode; // the file on disk
    PRPicFileInfoPtr photoLibFileNode; // the library row (library browser only)
    bool bMetadataDifferent = false;
    bool bFavortieItem = false;
    QString fileThumbPath = QStringLiteral("");
    QString fileLargeThumbPath = QStringLiteral("");
    bool bICloudDownloadPhoto = true;
    bool bHasAdjustedItem = false;

    // Read with rare(), written through editRare().
    const IKImageItemRare &rare() const { return rare_.get(); }
    IKImageItemRare &editRare() { return rare_.edit(); }

    // The file that shows the photo as edited so far: the latest edit's copy while it is
    // there, otherwise the photo's own file.
    QString currentPath() const {
        const QString &copy = rare().editedCopyPath;
        return !copy.isEmpty() && QFileInfo::exists(copy) ? copy : filePath;
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
        return rare().unreadableReason.isEmpty() ? fileName
                                                 : fileName + QStringLiteral(" (unreadable)");
    }

  private:
    OutOfLine<IKImageItemRare> rare_;
};
using IKImageItemPtr = std::shared_ptr<IKImageItem>;
