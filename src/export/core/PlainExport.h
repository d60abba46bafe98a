#pragma once

#include "export/core/ExportRules.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Byte-for-byte copies of library photos into the storage folder: originals or edited
// renders, flat, by album or by year and month. No file is ever replaced: a copy takes the
// first free of its names, then the next free "B n.E".
enum class PlainLayout { Flat, Album, YearMonth };

struct PlainExportSettings {
    QString storageFolder;
    PlainLayout layout = PlainLayout::Flat;
    bool edited = false;
};

struct ExportOutcome {
    QString name; // the photo's own file name, for the report
    QString outputPath;
    QString reason; // empty when written
    // Not written, since its file already holds what the library would write into it.
    bool agrees = false;
};

struct ExportReport {
    QList<ExportOutcome> photos;
    QString revealPath, revealRoot;
    // Some photo went out as its thumbnail: its original is only in iCloud.
    bool notDownloaded = false;
    // The storage folder could not take files: nothing was tried.
    QString folderReason;

    int writtenCount() const;
    // "name: reason" for each photo not written.
    QStringList notWritten() const;
};

// Copies `source` into `folder` (created when missing) under the first free of `names`
// (then "B n.E"), through a temporary that is synced first, so a full disk leaves no
// partial file. Returns the path, or empty with `error`.
QString copyIntoFolder(const QString &source, const QString &folder, const QStringList &names,
                       QString *error);

// The whole export over a snapshot of the selection. Runs on any thread; touches only the
// snapshot's items (their originalFileNode is refreshed for the year and month layout).
// Once `cancelled` answers true, the photos not yet copied are left out as "cancelled".
ExportReport exportPlainCopies(const QList<ExportEntry> &entries,
                               const PlainExportSettings &settings,
                               const std::function<bool()> &cancelled = {});
