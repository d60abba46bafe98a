#pragma once

#include "model/IKImageItem.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// One row of the property tree: a key with its value text, or a sub-dictionary with children.
struct PropertyNode {
    QString key;
    QString value; // "" for a node that has children
    QList<PropertyNode> children;
    bool isDictionary = false; // an empty sub-dictionary still is one
};

// The property tree of a dictionary: keys ascending, sub-dictionaries as children, values
// in display form (displayValueText).
QList<PropertyNode> propTree(const QVariantMap &dictionary);

// A property value as field text: text as it is, lists joined with ",", numbers shortest.
QString propertyValueText(const QVariant &value);

// Everything the selection of one local photo shows; the caller copies it into the panels.
struct LocalPhotoPanels {
    // False when the file could not be read or is no image (a video, an empty file); then
    // only the path, the name and the file's own lines are filled, and every other panel
    // shows nothing: never what an earlier photo showed.
    bool readable = false;
    QString currentChooseFilePath; // the RAW temporary for supported RAWs
    QVariantMap currentExifDictionary;
    QString currentFileName;
    QList<PropertyNode> propertyTree;

    // Information lines, in display form (see DisplayValues.h); each is shown as it is,
    // empty ones included.
    QString photoNameText;       // photoNamelab
    QString photoCreateDateText; // photoCreateDatelab: local time, "2018-10-13 09:18:12"
    QString photoFileSizeText;   // photoFileSizelab
    QString photoImageSizeText;  // photoImageSizelab
    QString photoDPIText;        // photoDPIlab: the camera model
    QString photoLensInfoText;   // photoLensInfolab: the shown lens model
    QString photoTitleText;      // photoTitlelab
    QString photoModDateText;    // photoModDatelab: the camera date, "2018-10-13 09:18:12"
    QString photoExposureText;   // photoExposurelab: "f/4.0, 1/2000 s, ISO 100, 24 mm"

    // Edit fields, each the text its field shows and the value remembered for it.
    QString oldTitleStr, oldArtistStr, oldImageDescStr, oldCopyrightStr, oldCommentStr,
        oldKeywordStr, oldCameraMakeStr, oldCameraModeStr, oldCameraDateStr, oldlensMakeStr,
        oldlenModelStr, oldlensSerialNumStr, oldimageOrientationStr, oldimageISOSpeedStr,
        oldimageFNumberStr, oldimageFlen35mmStr, oldimageBrightStr, oldimageApertureStr,
        oldimageWhiteBalanceStr, oldimageExpotimeStr, oldGpsAitStr, oldGpsLatiStr, oldGpsLongtStr;
    // The lens model field may show the "{ExifAux}" model while oldlenModelStr stays "".
    QString lensModelFieldText;

    // Position, north and east positive; meaningful only when bMapPreview is set.
    bool bMapPreview = false;
    double latitude = 0;
    double longitude = 0;
    // Reverse geocoding is due when the stored latitude or longitude is above 0.
    bool startsGeocoding = false;
};

// Reads a local photo the way the selection handler does; never throws.
LocalPhotoPanels describeLocalPhoto(const IKImageItem &item);
// The same for a property dictionary already read (no file information lines).
void fillPanelsFromProperties(LocalPhotoPanels &panels, const QVariantMap &properties);
