#pragma once

#include "model/IKImageItem.h"

#include <QSet>
#include <QString>
#include <functional>

// One browser item for a local file: "Image" when the drop list knows its extension,
// "Movie" when the video list does, else the default type.
IKImageItemPtr makeLocalItem(const QString &path);
// Whether the folder walk takes the file: its extension is a photo's or a video's.
bool isImportableFile(const QString &path);

// Why a file the walk takes is no readable photo or video: it is missing (a dangling
// link), no regular file (a FIFO, a device), empty, unreadable, or an image whose data
// does not read. Empty when the file is fine. Reads image files whole.
QString unreadableReason(const QString &path);

// Walks a folder and its sub-folders (links to folders followed, each real folder
// visited once, so link loops end), calling `onFile` for every file entry in listing
// order, hidden ones included. `visited` holds the canonical paths already walked. A folder
// that cannot be listed is passed to `onSkipped` with the reason, and its entries are not.
void walkFolder(const QString &folder, const std::function<void(const QString &)> &onFile,
                QSet<QString> &visited,
                const std::function<void(const QString &, const QString &)> &onSkipped = {});
