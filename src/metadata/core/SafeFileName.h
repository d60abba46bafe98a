#pragma once

#include <QString>

// A title or place name made fit to be one file name: no "/", no control characters, no
// leading dots or blanks, and with `extension` at most 255 bytes in UTF-8 (cut at a
// character boundary). Empty when nothing usable remains.
QString safeFileBaseName(const QString &name, const QString &extension);

// A name that a library gives (a photo's original file name, an album or folder title) as
// one plain name inside a folder of ours: "/" and "\" become "-", control characters go, and
// no leading dot, blank or "-" stays, so it is never "." or ".." nor read as an option; at
// most 255 bytes in UTF-8, cut between characters, keeping a file's extension when
// `keepExtension`. `standIn` (a plain name) takes the place of a name with nothing usable.
QString plainFileName(const QString &name, const QString &standIn = QStringLiteral("Untitled"),
                      bool keepExtension = true);
