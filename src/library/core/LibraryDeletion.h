#pragma once

#include "library/core/LibraryLists.h"
#include "model/IKImageItem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// A Live Photo's video half: "<folder>/<name without extension>_3.mov" beside the photo.
QString livePhotoCompanionPath(const QString &photoPath);

// The files to move to the Trash once the rows of `deleted` are gone from the library.
struct LibraryTrashPlan {
    QStringList files;   // each once, in the order of the photos
    QStringList kept;    // files a photo that stays still uses
    QStringList foreign; // files a record names that are not its photo's own: left alone
};
// Each deleted photo's file that exists, the other master's file of a RAW+JPEG pair, and
// with `companions` its "_3.mov" when there is one; a file that a photo of `remaining` uses is kept
// instead. Only a photo's own file goes: one inside the package at `libraryPath`, or a referenced
// photo's file whose real path is the one the library records. A record whose path is relative or
// climbs with ".." names no file: its rows go, nothing of it is trashed.
LibraryTrashPlan libraryTrashPlan(const QList<IKImageItemPtr> &deleted,
                                  const QList<IKImageItemPtr> &remaining, bool companions,
                                  const QString &libraryPath);

// Whether `path` is a file of the photo `item` that its deletion may trash (the rule above).
bool isPhotosOwnFile(const IKImageItem &item, const QString &path, const QString &libraryPath);

// Drops the items from every list and dictionary of `lists` (a dictionary entry left
// without items goes too).
void removeLibraryItems(LibraryLists &lists, const QSet<const IKImageItem *> &items);
void removeLibraryItems(QList<IKImageItemPtr> &list, const QSet<const IKImageItem *> &items);

// What a deletion did: the photos whose rows went (all or none), and of their files those
// that went to the Trash, those that stay because they cannot be trashed ("path: why"),
// and those kept because a photo that stays uses them.
struct LibraryDeletionReport {
    bool ok = false;
    QString reason; // why no photo was deleted
    QList<IKImageItemPtr> deleted;
    QStringList trashed, notTrashed, kept;
};
