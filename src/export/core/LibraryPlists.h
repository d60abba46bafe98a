#pragma once

#include "export/core/ExportRules.h"
#include "metadata/core/PropertyListExport.h"

#include <QVariantMap>

// The two property lists of the library view, keyed by each photo's file name: every property
// of the original files ("OriginalPhotoMetadata.plist") and the library's own values
// ("PhotoLibrayMetadata.plist"). Their names are fixed: a new export takes the old one's place.
inline constexpr char kOriginalMetadataPlist[] = "OriginalPhotoMetadata.plist";
inline constexpr char kLibraryMetadataPlist[] = "PhotoLibrayMetadata.plist";

// One photo's flat entry from its library record: camera, lens, camera date, title, keywords
// (one string), caption and position (single precision), each only when the library has it.
QVariantMap libraryPlistEntry(const PRPicFileInfo &record);

// Every property of image 0 of each original; photos whose file cannot be read are listed.
PlistExportResult exportOriginalMetadataPlist(const QList<ExportEntry> &entries,
                                              const QString &storageFolder);
// The library values of each selected photo, each entry its own photo's.
PlistExportResult exportLibraryMetadataPlist(const QList<ExportEntry> &entries,
                                             const QString &storageFolder);
