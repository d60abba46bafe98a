#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "model/OutOfLine.h"

struct PRPicFileInfoRare {
    QString fileAuthor, fileComments, fileCopyright;
    QString photouuid;
    QString findLocation; // a referenced photo's file
    // The other half of a RAW+JPEG pair that goes with the photo: its master's file.
    QString pairedFilePath;
};

// One photo or video: a row of the open library, or the metadata of an original file read
// from disk. Every text is a display text, ready for the panels; empty means "not known".
// Records are filled on worker threads and handed to the main thread whole, so plain
// value members are enough: the hand-over is the synchronisation point.
class PRPicFileInfo {
  public:
    QString fileName;
    QString filePhotoLibName;
    QString fileFullPath;
    QString fileThumbPath;
    QString fileLargeThumbPath;
    QString fileSize;
    QString filePixel;
    QString fileCreateDate;
    QString fileCameraDate;
    QString fileTitle;
    QString fileDescription;
    QString fileKeywords;
    QString fileAlbum;
    QStringList albumTitles;       // every album the photo is in, each title whole
    QString fileLcationLatitude;   // signed decimal text, south negative; empty = no position
    QString fileLocationLongitude; // signed decimal text, west negative; empty = no position
    QString fileMaker;
    QString fileModel;
    QString fileLensMake;
    QString fileLensModel;
    QString fileTypeStr; // "Live Photos", "JPG Photos", "PNG images", "RAW Photos" or "Videos"

    // What few records have: read with rare(), written through editRare().
    const PRPicFileInfoRare &rare() const { return rare_.get(); }
    PRPicFileInfoRare &editRare() { return rare_.edit(); }

    int32_t photoID = -1;
    int32_t photoAssetID = 0;
    int32_t iCloudphotoID = -1;
    int32_t favoriteNum = 0;
    int32_t hasAdjustNum = 0;
    uint64_t shootDateNumber = 0;
    uint64_t originalfilesize = 0;

    bool biCloudPhoto = false;
    bool bReferencePhoto = false;
    bool bLostReferencePhoto = false;
    bool bTrashPhoto = false;
    bool bICloudDownloadPhoto = true;

    bool hasLocation() const {
        return !fileLcationLatitude.isEmpty() && !fileLocationLongitude.isEmpty();
    }

  private:
    OutOfLine<PRPicFileInfoRare> rare_;
};

using PRPicFileInfoPtr = std::shared_ptr<PRPicFileInfo>;
