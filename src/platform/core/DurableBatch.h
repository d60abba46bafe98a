#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
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

// The commit of one batch of finished temporaries (SafeWrite::Temporary, closed unsynced):
// one sync per folder that holds them before any of them moves, then, once every one has
// taken its name, one sync per folder moved into, so the new names survive a crash.
class Commit {
  public:
    void syncTemporaries(const QStringList &temporaries);
    // Why `temporary` is not durable, so must not take a name; empty when it is.
    QString syncError(const QString &temporary) const;
    // `path` has taken its name.
    void placed(const QString &path);
    void syncFolders();

  private:
    QHash<QString, QString> syncErrors_; // temporary's folder -> why its sync failed
    QSet<QString> placedFolders_;
};

} // namespace DurableBatch
