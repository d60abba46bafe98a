#pragma once

#include "model/IKImageItem.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The rules every library export shares: which file goes out for a photo, under which name,
// into which folder, and which names it tries when that one is taken.

// One selected photo as the export sees it: a copy taken on the main thread, and its index
// in the whole browser list (the collision names number by it).
struct ExportEntry {
    IKImageItemPtr item;   // the copy the export reads and refreshes
    IKImageItemPtr source; // the browser's own item, for the main thread's hand-back
    int index = 0;
};
// Copies of the selected items (records included), so that workers read no list the main
// thread may change meanwhile.
QList<ExportEntry> snapshotSelection(const QList<IKImageItemPtr> &list, const QList<int> &selected);

// The edited render beside a current library's original ("originals/A/IMG_5.HEIC" gives
// "resources/renders/A/IMG_5_1_201_a.heic" or "..._a.jpeg"); empty when there is none.
// Originals under "Masters" (older libraries) have no render.
QString editedRenderPath(const QString &originalPath);

struct ExportSource {
    QString path;             // the file copied or read
    QString name;             // N, the name it goes out under
    bool substituted = false; // an iCloud photo's thumbnail stands in for its original
};
// The file that goes out for an item and its name. A render keeps its own extension, so a
// JPEG never goes out under a HEIC name; an iCloud photo whose original is not downloaded
// goes out as its large thumbnail (else its thumbnail), under its base name with the
// thumbnail's extension.
ExportSource exportSource(const IKImageItem &item, bool edited);

// "B n.E" of N, B shortened so that it fits the disk's 255 bytes.
QString clashName(const QString &name, int n);

// A library date text ("yyyy:MM:dd HH:mm:ss" or "yyyy-MM-dd HH:mm:ss", local time); invalid
// for anything else ("Unkown Date" among them).
QDateTime libraryDate(const QString &text);
// A file's creation date, else (where Linux does not know it) its modification date.
QDateTime creationOrModification(const QString &path);

// A library name (an album title) as one folder name of the storage folder: a "/" in it
// never makes two folders, and ".." never leaves it. Empty for an empty title (no album).
QString libraryFolderName(const QString &name);

// Whether files named `names` in `folder` lie inside `root`: by their names, and where
// `folder` exists, by where it really is. The last check before anything is written.
bool staysInside(const QString &root, const QString &folder, const QStringList &names);

// "Y/Y-M" (the plain copies) or "Y/M" (the copies with library metadata), unpadded.
QString yearMonthFolder(const QDateTime &date, bool yearInMonthFolder);

// Whether `folder` (created when missing) takes new files; `why` says why not.
bool storageFolderWritable(const QString &folder, QString *why);
