#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>

#include "model/DateText.h"
#include "model/OutOfLine.h"

// A coordinate's text as the number it spells when "%f" spells it back the same (nearly every
// one: a million of them took 150 MB as texts), else the text itself.
class CoordinateText {
  public:
    QString text() const {
        if (odd_.has())
            return odd_.get();
        return std::isnan(value_) ? QString() : format(value_);
    }
    void setText(const QString &text) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        odd_.reset();
        value_ = std::numeric_limits<double>::quiet_NaN();
        if (ok && std::isfinite(value) && format(value) == text)
            value_ = value;
        else if (!text.isNull())
            odd_.edit() = text;
    }
    // The same as setText of the number's "%f" text, without making and reading it back.
    void setNumber(double value) {
        if (!std::isfinite(value))
            return setText(format(value));
        odd_.reset();
        value_ = value;
    }
    bool isEmpty() const { return odd_.has() ? odd_.get().isEmpty() : std::isnan(value_); }

  private:
    static QString format(double value) {
        char buffer[400];
        const int n = std::snprintf(buffer, sizeof buffer, "%f", value);
        return QString::fromLatin1(buffer, n < 0 ? 0 : std::min<int>(n, sizeof buffer - 1));
    }
    double value_ = std::numeric_limits<double>::quiet_NaN();
    OutOfLine<QString> odd_;
};

struct PRPicFileInfoRare {
    QString fileAuthor, fileComments, fileCopyright;
    QString fileLensMake; // libraries keep no lens make: only files give one
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
    // "yyyy-MM-dd HH:mm:ss" as the library scans give them, or another text: see DateText.
    DateText createDate;
    DateText cameraDate;
    QString fileTitle;
    QString fileDescription;
    QString fileKeywords;
    QString fileAlbum;
    QStringList albumTitles; // every album the photo is in, each title whole
    // Signed decimal texts, south and west negative; empty = no position.
    // Made on each call: const, so that no write can go to the copy.
    const QString latitudeText() const { return latitude_.text(); }
    const QString longitudeText() const { return longitude_.text(); }
    void setLatitudeText(const QString &text) { latitude_.setText(text); }
    void setLongitudeText(const QString &text) { longitude_.setText(text); }
    void setLatitude(double value) { latitude_.setNumber(value); }
    void setLongitude(double value) { longitude_.setNumber(value); }
    QString fileMaker;
    QString fileModel;
    QString fileLensModel;
    QString fileTypeStr; // "Live Photos", "JPG Photos", "PNG images", "RAW Photos" or "Videos"

    // What few records have: read with rare(), written through editRare().
    const PRPicFileInfoRare &rare() const { return rare_.get(); }
    PRPicFileInfoRare &editRare() { return rare_.edit(); }

    int32_t photoID = -1;
    int32_t photoAssetID = 0;
    int32_t iCloudphotoID = -1;
    // Older schema: the version of the master that the library shows (RKVersion.modelId),
    // the one row its fields are written to; -1 when not known.
    int32_t versionID = -1;
    int32_t favoriteNum = 0;
    int32_t hasAdjustNum = 0;
    uint64_t shootDateNumber = 0;
    uint64_t originalfilesize = 0;

    bool biCloudPhoto = false;
    bool bReferencePhoto = false;
    bool bLostReferencePhoto = false;
    bool bTrashPhoto = false;
    bool bICloudDownloadPhoto = true;

    bool hasLocation() const { return !latitude_.isEmpty() && !longitude_.isEmpty(); }

  private:
    CoordinateText latitude_, longitude_;
    OutOfLine<PRPicFileInfoRare> rare_;
};

using PRPicFileInfoPtr = std::shared_ptr<PRPicFileInfo>;
