#pragma once

#include "metadata/core/PropertyListExport.h"
#include "metadata/core/WriteRecipe.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

// A per-photo metadata file as read for an import, its shape checked before any photo is
// touched.
struct PerPhotoPlist {
    bool ok = false;
    QString reason;      // why the file cannot be applied
    QVariantMap entries; // file name -> entry
    QStringList order;   // the file names in the file's order
};
PerPhotoPlist loadPerPhotoPlist(const QString &path, PlistExportKind kind);

// The entry a photo takes: the one under its file name (case included). The TIFF import,
// which gives one entry to every photo, falls back to the first entry of the file.
std::optional<QVariantMap> plistEntryForPhoto(const PerPhotoPlist &file, PlistExportKind kind,
                                              const QString &fileName);

// Changes the working copy of a photo's properties by the entry: whole sections replaced.
void applyPlistEntry(PlistExportKind kind, const QVariantMap &entry, QVariantMap &working);

struct PlistImportResult {
    WriteRecipeReport report;
    QStringList notInFile; // selected photos without an entry, left as they were
};

// The photos of `items` that have an entry and the recipe that writes them, for a job.
struct PlistImportPlan {
    QList<IKImageItemPtr> named;
    QStringList notInFile;
    WriteRecipeOptions options;
};
PlistImportPlan planPerPhotoPlist(const QList<IKImageItemPtr> &items, PlistExportKind kind,
                                  const PerPhotoPlist &file, const QString &dateText);

// Rewrites each selected photo that has an entry. Every photo written takes its file dates
// from `dateText` (the edit sheet's camera date), or its source's creation date.
PlistImportResult importPerPhotoPlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, bool overwrite,
                                      PlistExportKind kind, const PerPhotoPlist &file,
                                      const QString &dateText);

// The template file ("templatefile.plist") as read for an import.
struct TemplatePlist {
    bool ok = false;
    QString reason;
    QVariantMap values;
    bool hasPosition = false; // a usable latitude and longitude
    double latitude = 0, longitude = 0;
};
TemplatePlist loadTemplatePlist(const QString &path);

// Sets the template's values in a photo's working copy.
void applyTemplate(const TemplatePlist &tpl, QVariantMap &working);

// The recipe that applies a template, for a job.
WriteRecipeOptions templateOptions(const TemplatePlist &tpl);
WriteRecipeReport importTemplatePlist(const QList<IKImageItemPtr> &items,
                                      const QString &storageFolder, bool overwrite,
                                      const TemplatePlist &tpl);
