#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/types.h>

// How a database file looked at one moment: enough to tell whether anyone wrote it since.
struct DatabaseFileState {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 inode = 0;
    QByteArray header;   // the first 100 bytes: change counter, page count, journal mode
    qint64 walSize = -1; // -1: no -wal beside it
    bool operator==(const DatabaseFileState &) const = default;
};
DatabaseFileState databaseFileState(const QString &path);

// Copies `source` to `target` without ever leaving a partial target: the bytes go to a
// temporary file beside the target, are flushed to disk and compared with the source, and
// only then renamed over the target. The target keeps its permission bits. On failure the
// target is as it was and *why says what went wrong. `beforeRename`, when given, may still
// call it off (with its reason) after the copy is complete.
bool copyFileSafely(const QString &source, const QString &target, QString *why,
                    const std::function<bool(QString *why)> &beforeRename = {});
// Removes the copies that copyFileSafely left in `folder` when its run was killed
// ("<file>.pk-<pid>-XXXXXX", our user's, its process gone). With `olderNames` also the
// "<file>.pk-XXXXXX" beside its <file> that copies had before they named their run: only
// for a library's own folder, where nothing else of ours has such a name. Returns how many
// went.
int removeStaleCopies(const QString &folder, bool olderNames = false);
// Byte-for-byte equality of two files.
bool sameFileContents(const QString &a, const QString &b);
// Removes a file that may be missing; false with a reason when it stays.
bool removeIfPresent(const QString &path, QString *why);
// Flushes a folder's entries (a rename in it) to disk.
void syncFolder(const QString &folder);
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
