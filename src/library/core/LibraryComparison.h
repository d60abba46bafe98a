#pragma once

#include "model/IKImageItem.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QVariantMap>

// The two columns shown for a library photo: what the library holds and what its original
// file holds, with the lines where they disagree marked.

// The colour of lines whose two values differ.
QColor libraryDifferenceColor();

// Reads the file at the item's filePath into a new original record and stores it as the
// item's originalFileNode (a record of defaults when the file cannot be read). Touches
// only the item, so worker threads may call it.
void getOriginalMedataDataWithItem(IKImageItem &item);
// The record alone, for a file and the name to show for it.
PRPicFileInfoPtr readOriginalRecord(const QString &path, const QString &fileName);
// Its name and creation date alone, which need no read of the file.
PRPicFileInfoPtr originalDatesRecord(const QString &path, const QString &fileName);
// The same record from the properties of the file's image 0, for a caller that has read them.
PRPicFileInfoPtr originalRecordFromProperties(const QVariantMap &props, const QString &path,
                                              const QString &fileName);

// File names of 21 characters or more are shortened around "....." for the columns.
QString shortenedOriginalName(const QString &name);
QString shortenedLibraryName(const QString &name);
// Keywords texts compared as comma-separated lists, spaces around each word ignored.
bool sameKeywords(const QString &a, const QString &b);
// Whether a file's record (readOriginalRecord) holds what the library's holds in the five
// fields a library merge compares: title and caption (blanks around them aside), keywords (as
// sets) and longitude and latitude ("%f" texts, to the library's rounding of their last
// place). An unreadable file's record is blank.
bool ComparePhotoMetadatawithOrignalPhoto(const PRPicFileInfo &file, const PRPicFileInfo &library);

struct PanelText {
    QString outlet; // the control's outlet name
    QString text;
};

struct ColumnMap {
    bool shown = false;
    double latitude = 0.0;
    double longitude = 0.0;
};

struct LibraryComparison {
    bool isImage = true;
    QString previewPath;
    QString originalCaption; // for previewOriginalphtoinfolab
    bool originalCaptionDiffers = false;
    bool hasOriginal = false;
    bool hasLibrary = false;
    QList<PanelText> originalLines, originalFields; // in table order
    QList<PanelText> libraryLines, libraryFields;
    ColumnMap originalMap, libraryMap; // libraryMap is left alone when there is no record
    QList<QString> differingLines;     // outlets of lines in the difference colour
    QList<QString> agreeingLines;      // outlets of compared lines shown white
};

// Brings the item's two records together (reading the original of an image again, taking
// the library's name, pixel size and, for a video, position; for the older library schema
// the camera and lens fields of the file) and describes both columns.
LibraryComparison compareLibraryItem(IKImageItem &item, bool bScanNewPhotosLib);
