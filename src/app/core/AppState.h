#pragma once

#include "library/core/LibraryLists.h"
#include "model/IKImageItem.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The state the application object owns, in groups: what the settings say, what the
// selection shows, and which library is open. Features read these values, never the
// controls that edit them.

// The user's preferences as stored in the user defaults. The preferences window edits
// them; a feature takes a copy when its job starts.
struct Preferences {
    QString storagelocation; // "storagePath": where changed copies are written
    bool overwrite = false;  // "PhotoOverWrite": replace the originals instead
    bool compress = true;    // "PhotoCompress": recompress stamped photos
    float currentCompressNum = 0.9f;
    QString postion;    // "Postion": where stamps are drawn
    QString dateformat; // "Dateformat": how stamps write dates
    QString currentFontname;
    int currentFontSize = 14;
    QColor currentFontColor = Qt::white;
};

// The photo the panels show and the values they showed, which the edit features compare
// against to write only what the user changed.
struct SelectionState {
    QVariantMap currentExifDictionary;
    QString currentChooseFilePath;
    QString currentFileName;
    QString currentLocationStr;
    QPointF currentCoords;
    QString oldTitleStr, oldArtistStr, oldImageDescStr, oldCopyrightStr, oldCommentStr,
        oldKeywordStr, oldCameraMakeStr, oldCameraModeStr, oldCameraDateStr, oldlensMakeStr,
        oldlenModelStr, oldlensSerialNumStr, oldimageOrientationStr, oldimageISOSpeedStr,
        oldimageFNumberStr, oldimageFlen35mmStr, oldimageBrightStr, oldimageApertureStr,
        oldimageWhiteBalanceStr, oldimageExpotimeStr, oldGpsAitStr, oldGpsLatiStr, oldGpsLongtStr,
        oldGpsDateStr, oldGpsTimeStr;
};

// The open library: where it is, where its working copy is, how far its scan is, and the
// lists the library browser shows (only the main thread touches them).
struct LibraryState : LibraryLists {
    QString currentPhotolibPath;
    QString currentPhotolibDatabasePath, originalPhotolibDatabasePath;
    int scanningcount = 0;
    bool scanComplete = false, scanPhotoLibStart = false;
    bool bScanNewPhotosLib = false; // the current schema ("Photos.sqlite") rather than the older
    QStringList photolibraryAddedArray;
    QList<IKImageItemPtr> currentAlbumArray; // the chosen album's or date range's items
    QString loadNote;                        // what the last load could not show, and why
};

// The local browser's lists and the library's records as the last scan read them.
struct LocalLists {
    QList<IKImageItemPtr> localPhotoItemArray;       // what the local browser shows
    QList<IKImageItemPtr> localImportPhotoItemArray; // every import, in import order
    QList<PRPicFileInfoPtr> photoLibraryItemArray;   // the library's records, from the last scan
};
