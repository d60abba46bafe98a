#pragma once

#include "batch/core/NamingEngine.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

// Renaming local photos in a batch. No file is ever replaced: with overwriting off a
// complete copy under the new name goes into the storage folder, or nothing does; with it
// on the photo itself is renamed in its own folder. Either way a name already taken gives
// the next free one.
namespace batchrename {

struct Settings {
    naming::RenameSettings naming;
    bool overwrite = false;
    QString storage;
};

// What a task reads of one selected photo, copied on the main thread.
struct Photo {
    QString filePath;
    QString fileName;
};

// What a task leaves for the commit of its batch (JobResult::data).
struct Prepared {
    QString source;    // the photo's path
    QString folder;    // where the new name goes
    QString base;      // the new name without extension, made safe
    QString extension; // the photo's own
    // The finished copy, closed unsynced in the storage folder; none when renaming in place.
    std::shared_ptr<SafeWrite::Temporary> temporary;
    bool templateFamily = false;
    int counter = 0;
};

// The task of the `counter`-th photo (from 1): reads it, makes its name and, with
// overwriting off, writes the copy with the photo's dates under a hidden temporary name.
// Not ok, with a reason, when the photo cannot be read or its name is empty.
JobResult prepare(const Settings &settings, const Photo &photo, int counter);

// Gives each prepared photo of a batch its free name, in order, as a DurableBatch::Commit:
// one sync for the copies, then the moves, then one sync of the folders. A result turns ok only
// when its file has its new name; outputPath is then where it is. Keeps the last number used per
// name, so equal names of one job cost one try each.
class Placer {
  public:
    void commit(QList<JobResult> &batch);

  private:
    QString place(const Prepared &p, const QString &from, QString *why);
    QHash<QString, int> lastNumber; // full wanted path -> last number given
};

// The whole job without a window: runs on `runner`, commits in order. `placer` must live
// until the job ends.
bool start(JobRunner &runner, const Settings &settings, const QList<Photo> &photos,
           std::shared_ptr<Placer> placer = std::make_shared<Placer>());

} // namespace batchrename

Q_DECLARE_METATYPE(batchrename::Prepared)
