#pragma once

#include <QString>

// A title or place name made fit to be one file name: no "/", no control characters, no
// leading dots or blanks, and with `extension` at most 255 bytes in UTF-8 (cut at a
// character boundary). Empty when nothing usable remains.
QString safeFileBaseName(const QString &name, const QString &extension);

// "folder/base.ext", or when a file of that name exists "folder/base 2.ext",
// "folder/base 3.ext"...: the first name not yet taken, so no file is ever replaced.
// The number is kept within the 255-byte limit too.
QString freeFilePath(const QString &folder, const QString &base, const QString &extension);
