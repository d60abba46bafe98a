#pragma once

#include "model/IKImageItem.h"
#include "platform/core/PropertyList.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// The five per-photo metadata files: the root maps each photo's file name to its entry.
enum class PlistExportKind { Tiff, Exif, ExifAndTiff, ExifAndGps, AllMetadata };

// "ExportTiffInfo.plist", "ExportExifInfo.plist", ...
QString plistExportFileName(PlistExportKind kind);

// A photo's entry built from its properties of image 0; false when it gets none.
bool plistExportEntry(PlistExportKind kind, const QVariantMap &properties, QVariantMap *entry);

struct PlistExportResult {
    bool written = false;
    QString path;
    QString reason;             // why the file was not written
    QStringList duplicateNames; // file names of several photos; the later photo's entry is kept
    QStringList unreadable;     // photos that could not be read and have no entry
    QStringList skippedValues;  // values a property list cannot carry, left out
    int entries = 0;
};

// Reads each photo (a supported RAW through its JPEG stand-in), builds the root and writes
// it into the storage folder, creating the folder when it is missing.
PlistExportResult exportPhotosToPlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, PlistExportKind kind);

// The edit sheet's fields in the template's order: key, and the outlet that holds its text.
struct TemplateField {
    const char *key;
    const char *field;
};
const QList<TemplateField> &templateFields();

// The flat template dictionary ("templatefile.plist") from the fields' texts.
PropertyList::OrderedDictionary
templateDictionary(const std::function<QString(const char *)> &textOf);

// Writes the template; creates the storage folder. Returns the path, or empty with *error.
QString writeTemplatePlist(const QString &storageFolder,
                           const PropertyList::OrderedDictionary &dict, QString *error);

// "<storage>/<base name of fileName>.plist" with the shown photo's whole properties.
QString writeShownPhotoPlist(const QString &storageFolder, const QString &fileName,
                             const QVariantMap &properties, QString *error);
