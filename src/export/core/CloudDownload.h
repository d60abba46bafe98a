#pragma once

#include "export/core/ExportRules.h"
#include "platform/core/CloudPhotoLibrary.h"

#include <QMutex>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// The uuid the photo service knows the photo by; empty when the library gives none.
QString photoUuidOf(const IKImageItem &item);

// One download run over a snapshot of the selection: local originals are copied into the
// storage folder, iCloud originals are fetched from the photo service; a photo the service
// cannot give goes out as its thumbnail and is named with the reason. Every file this run
// writes takes the photo's library creation date. Each photo is counted once, whatever the
// service's completions do, so the run always ends.
class CloudDownloadRun : public std::enable_shared_from_this<CloudDownloadRun> {
  public:
    struct Report {
        int total = 0;
        QStringList written;       // paths, in the order they were written
        QStringList notDownloaded; // "name: reason" of each iCloud photo not fetched
        QStringList notCopied;     // "name: reason" of each local original not copied
    };
    // Progress and the end may come on any thread; `done` once, after the last `progress`.
    using Progress = std::function<void(int finished, int total)>;
    using Done = std::function<void(const Report &report)>;

    // `stopped` is asked on the calling thread only, before each photo the run begins: once
    // it says yes, the photos not yet begun are named as cancelled and not written.
    static std::shared_ptr<CloudDownloadRun> start(const QList<ExportEntry> &entries,
                                                   const QString &storageFolder,
                                                   CloudPhotoLibrary &service, Progress progress,
                                                   Done done,
                                                   const std::function<bool()> &stopped = {});

    // The whole run on the calling thread (a job's worker), returning once every photo is
    // counted. `stopped` is asked there, also while the service's answers are awaited; a
    // photo under way when it says yes ends at its next answer, named as cancelled.
    static Report runToEnd(const QList<ExportEntry> &entries, const QString &storageFolder,
                           CloudPhotoLibrary &service, Progress progress,
                           const std::function<bool()> &stopped);

    std::atomic<int> hasDownloadediCloudNum{0};
    int allDownloadiCloudNum = 0;

  private:
    struct Photo {
        ExportEntry entry;
        std::atomic<bool> counted{false};
        std::atomic<bool> fetching{false};
        std::atomic<int> remaining{0};
        std::atomic<bool> anyWritten{false};
        QString lastError;
    };
    void run(CloudPhotoLibrary &service, const std::function<bool()> &stopped);
    void cancelPhoto(size_t i);
    void fetch(size_t i, CloudPhotoLibrary &service);
    void writeResource(size_t i, const CloudResource &resource, CloudPhotoLibrary &service);
    void fallBack(size_t i, const QString &why);
    void finishPhoto(size_t i);
    void noteWritten(const QString &path, const ExportEntry &entry);

    QString storage;
    Progress progress;
    Done done;
    std::atomic<bool> cancelled{false}; // read by the service's answers on any thread
    std::vector<std::unique_ptr<Photo>> photos;
    QMutex mutex;      // guards report and each photo's lastError
    QMutex countMutex; // one photo counted and told at a time
    Report report;
};
