#pragma once

#include "library/core/LibraryLists.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class LibraryWorkingCopy;
class PhotosApplication;

// What a load starts from: immutable, taken by the worker.
struct LibraryLoadSettings {
    QString libraryPath;
    QDateTime now;                       // the one clock reading of the load's date windows
    PhotosApplication *photos = nullptr; // nullptr: the program's
    int batchRecords = 2000;             // a hand-back at least every so many records
    int batchIntervalMs = 50;            // ... or this often
};

// One hand-back: items filed into lists, and the records they came from.
struct LibraryLoadBatch {
    bool restart = false; // what earlier batches brought is void: a scan failed midway
    LibraryLists lists;
    QList<PRPicFileInfoPtr> records;
};

// How a load ended.
struct LibraryLoadOutcome {
    bool libraryRead = false; // the database gave records
    bool bScanNewPhotosLib = false;
    int itemCount = 0; // items handed back for the browser
    QString note;      // what could not be shown and why; empty for a normal load
    std::shared_ptr<LibraryWorkingCopy> workingCopy; // open when the database was read
};

// The whole load of a library package (or a folder or file chosen instead), on the calling
// worker thread: the database scan through a working copy, the filing of its records, the
// referenced-photo check, and the folder walk when the database gave no record. Batches go
// to `handBack` in order; nothing of the application's state is touched here.
LibraryLoadOutcome runLibraryLoad(const LibraryLoadSettings &settings,
                                  const std::function<void(LibraryLoadBatch &&)> &handBack,
                                  const std::atomic_bool *cancel = nullptr);
