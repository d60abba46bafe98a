#pragma once

#include <QString>

#include <functional>
#include <sys/types.h>

// Copies of whole files: a checked one that takes its target's place only once it is durable
// and reads back as its source, and a quick one for copies whose loss a crash would not make
// matter. Their temporaries, write loop and folder syncs are SafeWrite's.

// Copies `source` to `target` without ever leaving a partial target: the bytes go to a
// temporary file beside the target, are flushed to disk and compared with the source, and
// only then renamed over the target. The target keeps its permission bits. `beforeRename`,
// when given, may still call it off (with its reason) after the copy is complete. On failure
// the target is as it was and *why says what went wrong; only a failed sync of the folder
// after the rename leaves the copy in place, and *why then says a crash may undo it.
bool copyFileSafely(const QString &source, const QString &target, QString *why,
                    const std::function<bool(QString *why)> &beforeRename = {});
// A copy of `source` as a new file `target`, with the source's permission bits, made durable
// and compared with the source (as copyFileSafely) and then given the name only while nothing
// has it (renameWithoutReplacing): false with `taken` when the name is taken, or with *why.
// `beforeNaming` may still work on the finished copy (its dates), or call it off.
bool copyFileAsNew(const QString &source, const QString &target, bool *taken, QString *why,
                   const std::function<bool(const QString &copy, QString *why)> &beforeNaming = {});
// A plain copy of a file we own, as a new file `target` (a stale one is replaced), through
// the kernel where it can; not flushed to disk. For copies whose loss a crash would not make
// matter, such as a working copy's state before an action.
bool copyFileQuickly(const QString &source, const QString &target, QString *why);
// Copies `length` bytes at `from` of the open file `source` to the same place of `target`,
// through a mapping of `target` (open for reading and writing); with `direct`, `source` was
// opened with O_DIRECT and `from` is a multiple of 4096. False when the bytes could not all be
// read, or written: a write the file cannot take (past its end, a failed disk) ends the copy
// instead of the program.
bool copyIntoMapping(int source, bool direct, int target, off_t from, size_t length);
// Byte-for-byte equality of two files.
bool sameFileContents(const QString &a, const QString &b);
// Removes a file that may be missing; false with a reason when it stays.
bool removeIfPresent(const QString &path, QString *why);
