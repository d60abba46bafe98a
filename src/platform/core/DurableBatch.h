#pragma once

#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Writing many files safely at the cost of one sync per batch instead of one per file:
// each file is first written into an exclusive temporary beside its target without syncing,
// then a batch is made durable at once, then moved into place, then its folders synced.
namespace DurableBatch {

// `bytes` as a new file in an exclusive temporary of `folder`, with an ordinary new file's
// permissions, read back and closed unsynced for its batch's Commit; null with `error` set.
std::shared_ptr<SafeWrite::Temporary> stageNewFile(const QString &folder, const QByteArray &bytes,
                                                   QString *error);

// The commit of one batch of finished temporaries (SafeWrite::Temporary, closed unsynced):
// made durable together (SafeWrite::syncTogether) before any of them moves, then, once every
// one has taken its name, one sync per folder moved into, so the new names survive a crash.
class Commit {
  public:
    void syncTemporaries(const QStringList &temporaries);
    // Why `temporary` is not durable, so must not take a name; empty when it is.
    QString syncError(const QString &temporary) const;
    // Gives a synced `temporary` the name `move` finds for it (its new path, or empty with a
    // reason); one that takes no name is removed. Returns the path, or empty with `why`.
    QString place(SafeWrite::Temporary &temporary,
                  const std::function<QString(const QString &path, QString *why)> &move,
                  QString *why);
    // `path` has taken its name.
    void placed(const QString &path);
    // The folders whose new names may not survive a crash, each with why; empty when all will.
    QHash<QString, QString> syncFolders();
    // The same for a batch of a job: a result placed in such a folder is not done, and says
    // why.
    void syncFolders(QList<JobResult> &batch);

  private:
    QHash<QString, QString> syncErrors_; // temporary -> why its sync failed
    QSet<QString> placedFolders_;
};

} // namespace DurableBatch
