#pragma once

#include "app/PartBasics.h"

#include <QVariantMap>

// The metadata sections last copied, for the paste menu items.
struct ClipboardPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit ClipboardPart(AppDelegate &app) : d(app) {}

    QVariantMap copyExifDictionary, copyIPTCDictionary, copyTiffDictionary, copyGPSDictionary,
        copyAllPhotoMetaDictionary;
    bool bCopyExifData = false, bCopyIPTCData = false, bCopyTIFFData = false, bCopyGPSData = false,
         bCopyAllPhotoMetaData = false;

    void ClickCopyOnePhotoExifAction();
    void ClickCopyOnePhotoIPTCAction();
    void ClickCopyOnePhotoTIFFAction();
    void ClickCopyOnePhotoGPSAction();
    void ClickCopyOneAllPhotoMetadataAction();
    void ClickPasteExifDataAction();
    void ClickPasteIPTCDataAction();
    void ClickPasteTIFFDataAction();
    void ClickPasteGPSDataAction();
    void ClickPasteAllPhotoMetaAction();
};
