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

// Walks a folder and its sub-folders (links to folders followed, each real folder
// visited once, so link loops end), calling `onFile` for every file entry in listing
// order, hidden ones included. `visited` holds the canonical paths already walked.
void walkFolder(const QString &folder, const std::function<void(const QString &)> &onFile,
                QSet<QString> &visited);
