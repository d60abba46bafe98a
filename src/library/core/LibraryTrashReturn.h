#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The files our deletions moved to the Trash, kept beside the library's backups, so that a
// restore of its database can put back the files that its restored rows name.
void recordTrashedLibraryFiles(const QString &originalDatabase, const QStringList &files);

struct TrashReturnReport {
    QStringList returned;
    QStringList notReturned; // "path: why"
};
// Puts back from the Trash each file that a deletion of ours trashed, that `named` (the
// files the library's rows now name) holds and that is missing from its place.
TrashReturnReport returnTrashedLibraryFiles(const QString &originalDatabase,
                                            const QSet<QString> &named);
// The files (and Live Photo companions) that the records of the database at `databasePath`,
// a working copy of the library at `libraryPath`, name.
QSet<QString> filesNamedByLibrary(const QString &libraryPath, const QString &databasePath,
                                  bool currentSchema);
