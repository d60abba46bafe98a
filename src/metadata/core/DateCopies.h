#pragma once

#include "metadata/core/WriteRecipe.h"
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

// Where the file-date copy of one photo starts and lands. Edits add up: the copy an earlier
// edit wrote into the storage folder, still as written, is read and takes its dates in its
// place; otherwise the photo's own file goes to its output, or over itself when overwriting.
struct DateCopyStart {
    QString source; // the file whose bytes, and dates, the copy takes
    QString output;
    bool inPlace = false; // the source is that earlier copy
};

// The starts of one job's photos: their items are read on the calling thread, their copies
// looked up on the workers. Overwriting always starts from the photo's own file.
class DateCopyStarts {
  public:
    DateCopyStarts(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                   bool overwrite);
    // Photo i's start, with `output` (when given) in place of its name in the storage folder.
    DateCopyStart at(qsizetype i, const QString &output = {}) const;

  private:
    QList<EditedPhoto> photos_;
    QStringList outputs_;
    QString storageFolder_;
    bool overwrite_;
};

// copyPhotoWithDates from a start: an earlier copy is replaced where it is, whatever
// `overwrite` says.
DateCopyOutcome copyPhotoWithDates(const DateCopyStart &start, const QDateTime &creation,
                                   const QDateTime &modification, bool overwrite);

// The argument list that sets every date of one file through exiftool.
QStringList exifToolDateArguments(const QString &dateText, const QString &path);
// Runs Debian's "exiftool" with the arguments, logs "ExifTool Output: %@" with its joined
// output and returns whether it ran and exited with status 0.
bool runExifToolCommandWithArguments(const QStringList &arguments, QString *output = nullptr);
