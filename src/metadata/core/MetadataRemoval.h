#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// The seven removals of metadata dictionaries. A key set to a null QVariant in the frame
// properties is left out of the written file; a null sub-dictionary removes it whole.
enum class MetadataRemoval { ExifAndGps, AllMetadata, IptcAndTiff, Tiff, Iptc, Exif, Gps };

// The dictionary keys of every kind of metadata a photo may carry, in the order they are
// removed; the top-level keys (orientation, pixel size) are not among them.
QStringList allMetadataDictionaryKeys();

// Applies the removal to the working copy of a local photo: whole dictionaries set to
// null, and the date tags of the other dictionaries stripped where the removal says so.
// False when the photo holds nothing the removal takes: a GPS removal of a photo without a
// "{GPS}", which holds its position wherever the photo keeps one.
bool applyLocalRemoval(QVariantMap &working, MetadataRemoval removal);

// The frame properties of the removal of a photo on a camera: only null dictionaries.
QVariantMap cameraRemovalProperties(MetadataRemoval removal);
// "NoExifAndGPS_", "NoIPTC_", "NoExif_" or "NoGPS_": the camera copy's name prefix.
QString cameraRemovalPrefix(MetadataRemoval removal);

// Whether the local job ends with the completion sheet.
bool removalShowsCompletion(MetadataRemoval removal);
