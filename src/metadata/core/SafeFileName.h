#pragma once

#include <QString>

// A title or place name made fit to be one file name: no "/", no control characters, no
// leading dots or blanks, and with `extension` at most 255 bytes in UTF-8 (cut at a
// character boundary). Empty when nothing usable remains.
QString safeFileBaseName(const QString &name, const QString &extension);
