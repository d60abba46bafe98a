#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writing many files safely at the cost of one sync per batch instead of one per file:
// each file is first written beside its target under a temporary name without syncing,
// then a batch is made durable at once, then moved into place, then its folders synced.
namespace DurableBatch {

// Writes `bytes` into a new hidden file in the folder of `target` and returns its path.
// The file takes the permissions of `target` when that exists. Nothing is synced.
QString writeTemporaryBeside(const QString &target, const QByteArray &bytes, QString *error);

// Makes the contents of `paths` durable: one syncfs per file system, or an fdatasync per
// file where syncfs fails. Returns false with a reason when it could not.
bool syncFiles(const QStringList &paths, QString *error);

// Makes renames inside `folders` durable. Returns false with a reason when it could not.
bool syncFolders(const QStringList &folders, QString *error);

// Moves `tempPath` onto `target`, replacing it, in one step.
bool replaceWith(const QString &tempPath, const QString &target, QString *error);

// Moves `tempPath` onto `target` only while `target` does not exist, in one step. False
// with `taken` set when it does; false with a reason on other failures.
bool moveNoReplace(const QString &tempPath, const QString &target, bool *taken, QString *error);

} // namespace DurableBatch
