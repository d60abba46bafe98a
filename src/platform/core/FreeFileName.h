#pragma once

#include <QString>

// Files that arrive in a folder never take the place of a file already there: they take
// the next free name instead ("IMG_1.JPG", "IMG_1 (2).JPG", "IMG_1 (3).JPG"...).

// The n-th candidate for `name`: the name itself for n <= 1, else "base (n).ext".
QString numberedFileName(const QString &name, int n);

// The first candidate for `name` that does not exist in `folder` now, as a full path.
QString freeFilePath(const QString &folder, const QString &name);

// Moves the finished file `tempPath` (in `folder`) onto the first free candidate for
// `name` without ever replacing an existing file, even one that appears meanwhile.
// Returns the path it now has, or an empty string with `error` set (`tempPath` stays).
QString moveToFreeName(const QString &tempPath, const QString &folder, const QString &name,
                       QString *error);
