#pragma once

#include "model/PRPicFileInfo.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// Finding the files of referenced photos that were moved or renamed behind the library's
// back. Only regular files count (no links, folders or devices); folders are read in name
// order, so the same disk gives the same answer.

// One search's answer: the folder or file found, or why none was taken.
struct ReferenceSearch {
    QString found; // the folder (moved photos) or file name (renamed photos); empty: none
    QString why;   // when nothing was found: what stood in the way
    bool ok() const { return !found.isEmpty(); }
};

// The regular files of `folder` (not "." and ".."), sorted by name; false with the cause when
// the folder cannot be read.
bool listRegularFiles(const QString &folder, QStringList *names, QString *why);

// Whether `path`, where the library says a referenced photo's file is, names one plain file
// in one folder: absolute, no "." or ".." on the way, and the record's file name a plain
// name. A repair works only inside that folder, so a name that climbs out is never repaired.
bool namesPlainReferencedFile(const PRPicFileInfo &record, const QString &path, QString *why);

// The folder under `root` that now holds the file of `record` (a referenced photo whose
// fileFullPath is where the library last saw it). Tried in order: the file's name in the
// root itself, then for tails of the old folder growing leftwards ("Trip", "Pictures/Trip",
// ...) the name in root/tail, then in that folder the one file whose size is the record's.
// A name counts only when its size is the record's (when that is known); two files of that
// size in one folder are ambiguous and neither is taken.
ReferenceSearch findMovedReferenceFolder(const QString &root, const PRPicFileInfo &record);

// The one file of `folder` whose size is the record's originalfilesize: a renamed photo in
// its old folder. None when the size is unknown, or when several files have it.
ReferenceSearch findRenamedReferenceFile(const QString &folder, const PRPicFileInfo &record);

// Renames `from` to `to` in place, never over an existing file or link; false with the cause.
bool renameWithoutReplacing(const QString &from, const QString &to, QString *why);

// What a repair did: how many photos were relinked, and why each other was not; or, when
// the library could not be changed, why nothing was.
struct ReferenceRepairReport {
    int relinked = 0;
    QStringList others;
    QString reason;
};
