#pragma once

#include "model/IKImageItem.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Byte copies of photos whose file dates change, and the exiftool date writer.

// One output path per item in the storage folder, under its file name; later items of one
// name get " (2)", " (3)"... so that no copy lands on another's. The copy itself still
// takes the next free name when a file of that name is there already.
QStringList dateCopyOutputPaths(const QList<IKImageItemPtr> &items, const QString &storageFolder);

// The output path below the storage folder that keeps a photo's place under an imported
// folder: the source path without the imported folder's parent `importParent`.
QString importedFolderOutputPath(const QString &storageFolder, const QString &sourcePath,
                                 const QString &importParent);

// Moves the written copy onto the original in one rename; the original stays when the copy
// is missing or the rename fails. The copy's dates go along.
bool replaceOriginalWithCopy(const QString &copy, const QString &original, QString *error);

struct DateCopyOutcome {
    bool written = false;
    QString finalPath; // the copy, or the original's path when it was replaced
    QString reason;
};

// The copy step of the file-date features: a fresh byte copy of `source`, its creation and
// modification dates set to the given ones (an invalid date is left as the copy made it),
// then either moved to `output`'s name (or its next free name) or, with `overwrite`, staged
// beside the original, with its mode and attributes, and renamed over it (never when another
// program changed the original meanwhile). The storage folder is left alone when overwriting.
DateCopyOutcome copyPhotoWithDates(const QString &source, const QString &output,
                                   const QDateTime &creation, const QDateTime &modification,
                                   bool overwrite);

// The argument list that sets every date of one file through exiftool.
QStringList exifToolDateArguments(const QString &dateText, const QString &path);
// Runs Debian's "exiftool" with the arguments, logs "ExifTool Output: %@" with its joined
// output and returns whether it ran and exited with status 0.
bool runExifToolCommandWithArguments(const QStringList &arguments, QString *output = nullptr);
