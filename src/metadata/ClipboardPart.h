#pragma once

#include <QVariantMap>

// The metadata sections last copied, for the paste menu items.
struct ClipboardPart {
    QVariantMap copyExifDictionary, copyIPTCDictionary, copyTiffDictionary, copyGPSDictionary,
        copyAllPhotoMetaDictionary;
    bool bCopyExifData = false, bCopyIPTCData = false, bCopyTIFFData = false, bCopyGPSData = false,
         bCopyAllPhotoMetaData = false;
};
