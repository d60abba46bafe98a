#pragma once

#include <QString>
#include <QStringList>

// Files that arrive in a folder never take the place of a file already there: they take
// the next free name instead ("IMG_1.JPG", "IMG_1 (2).JPG", "IMG_1 (3).JPG"...). A link of
// that name, even a dangling one, counts as taken: nothing is ever written through it.

// The longest file name, in bytes, that Linux file systems take.
inline constexpr int kMaxFileNameBytes = 255;

// The longest start of `text` that takes at most `maxBytes` in UTF-8, cut between two
// characters (never inside one, nor between a letter and its accents). One cut, however long
// the text: a name of megabytes costs what its first few hundred characters cost.
QString utf8Prefix(const QString &text, qsizetype maxBytes);

// The n-th candidate for `name`: the name itself for n <= 1, else "base (n).ext". The base is
// shortened, whole characters at a time, so that the result fits kMaxFileNameBytes.
QString numberedFileName(const QString &name, int n);

// Names whose free candidates can meet in one folder share a group, whatever their
// extensions: the base without its " (n)" numbers, its start only (numbering shortens long
// bases), in case-folded form (some folders ignore case). Outputs of different groups may take
// their names in any order.
QString freeNameGroup(const QString &name);

// Whether `path` names anything at all, a dangling link included.
bool isTakenPath(const QString &path);

// The first candidate for `name` that is free in `folder` now, as a full path. Only a hint
// for showing a name: writers use moveToFreeName, which cannot lose a race.
QString freeFilePath(const QString &folder, const QString &name);

// Moves the finished file `tempPath` (in `folder`) onto the first free candidate for `name`,
// counting from `firstNumber`, without ever replacing an existing file or link, even one that
// appears meanwhile (renameWithoutReplacing). Returns the path it now has, or an empty
// string with `error` set (`tempPath` stays). The folder is not synced: a crash can lose the new
// name, never a file, so callers sync folders when they must (once per job is enough).
QString moveToFreeName(const QString &tempPath, const QString &folder, const QString &name,
                       QString *error, int firstNumber = 1);

// Renames `from` to `to` only while nothing has that name, a dangling link included: in one
// step where the file system can (renameat2 RENAME_NOREPLACE, or a hard link then the removal
// of `from`), else by creating `to` empty and exclusively, then renaming over that file of
// ours. 0, or the errno (EEXIST: the name is taken); `from` stays when it fails.
int renameWithoutReplacing(const QString &from, const QString &to);

// Moves `tempPath` onto `target` only while nothing has that name, never
// replacing anything (as moveToFreeName). False with `taken` set when the name is taken;
// false with `error` on other failures. `tempPath` stays when it fails.
bool moveToNameIfFree(const QString &tempPath, const QString &target, bool *taken, QString *error);

// "base n.ext" for n >= 2 (the name itself below), shortened like numberedFileName: the
// numbering of the library exports, whose copies sit beside files named that way.
QString spacedNumberedFileName(const QString &name, int n);

// Moves `tempPath` onto the first of `names` that is free in `folder`, then onto the first
// free "base n.ext" of the first name (n from 2), never replacing anything (as moveToFreeName).
QString moveToFirstFreeOf(const QString &tempPath, const QString &folder, const QStringList &names,
                          QString *error);
