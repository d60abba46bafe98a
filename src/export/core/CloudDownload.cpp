#include "export/core/CloudDownload.h"

#include "export/core/PlainExport.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/SafeWrite.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QWaitCondition>

QString photoUuidOf(const IKImageItem &item) {
    if (item.photoLibFileNode && !item.photoLibFileNode->rare().photouuid.isEmpty())
        return item.photoLibFileNode->rare().photouuid;
    // Current libraries name each original after its photo's uuid.
    const QString base = QFileInfo(item.filePath).completeBaseName();
    return QUuid::fromString(base).isNull() ? QString() : base.toUpper();
}

std::shared_ptr<CloudDownloadRun> CloudDownloadRun::start(const QList<ExportEntry> &entries,
                                                          const QString &storageFolder,
                                                          CloudPhotoLibrary &service,
                                                          Progress progress, Done done,
                                                          const std::function<bool()> &stopped) {
    std::shared_ptr<CloudDownloadRun> r(new CloudDownloadRun);
    r->storage = storageFolder;
    r->progress = std::move(progress);
    r->done = std::move(done);
    for (const ExportEntry &e : entries) {
        auto p = std::make_unique<Photo>();
        p->entry = e;
        r->photos.push_back(std::move(p));
    }
    r->allDownloadiCloudNum = int(entries.size());
    r->report.total = r->allDownloadiCloudNum;
    r->run(service, stopped);
    return r;
}

CloudDownloadRun::Report CloudDownloadRun::runToEnd(const QList<ExportEntry> &entries,
                                                    const QString &storageFolder,
                                                    CloudPhotoLibrary &service, Progress progress,
                                                    const std::function<bool()> &stopped) {
    // Shared with the service's answers, which may come after this function returned.
    struct End {
        QMutex mutex;
        QWaitCondition wake;
        bool over = false;
        Report report;
    };
    auto end = std::make_shared<End>();
    const auto run = start(
        entries, storageFolder, service, std::move(progress),
        [end](const Report &report) {
            QMutexLocker lock(&end->mutex);
            end->report = report;
            end->over = true;
            end->wake.wakeAll();
        },
        stopped);
    QMutexLocker lock(&end->mutex);
    while (!end->over) {
        end->wake.wait(&end->mutex, 50);
        if (stopped && !run->cancelled && stopped())
            run->cancelled = true;
    }
    return end->report;
}

void CloudDownloadRun::run(CloudPhotoLibrary &service, const std::function<bool()> &stopped) {
    if (photos.empty()) {
        if (done)
            done(report);
        return;
    }
    QString why;
    if (!storageFolderWritable(storage, &why)) {
        for (auto &p : photos)
            report.notCopied << QStringLiteral("%1: %2").arg(p->entry.item->fileName, why);
        hasDownloadediCloudNum = allDownloadiCloudNum;
        if (done)
            done(report);
        return;
    }
    const bool reachable = service.isAvailable(&why);
    for (size_t i = 0; i < photos.size(); ++i) {
        const IKImageItem &item = *photos[i]->entry.item;
        if (cancelled || (stopped && stopped())) {
            cancelled = true;
            cancelPhoto(i);
        } else if (item.bICloudDownloadPhoto) {
            QString error;
            const QString path =
                copyIntoFolder(item.filePath, storage,
                               {plainFileName(item.fileName, QStringLiteral("Photo"))}, &error);
            if (path.isEmpty()) {
                QMutexLocker lock(&mutex);
                report.notCopied << QStringLiteral("%1: %2").arg(item.fileName, error);
            } else {
                noteWritten(path, photos[i]->entry);
            }
            finishPhoto(i);
        } else if (!reachable) {
            fallBack(i, why);
        } else {
            fetch(i, service);
        }
    }
}

void CloudDownloadRun::fetch(size_t i, CloudPhotoLibrary &service) {
    auto self = shared_from_this();
    service.requestAuthorization([self, i, &service](bool granted) {
        Photo &p = *self->photos[i];
        if (p.counted)
            return; // an answer that came twice
        if (self->cancelled && !p.fetching)
            return self->cancelPhoto(i);
        if (!granted && !p.fetching)
            return self->fallBack(i, QStringLiteral("access to iCloud Photos was refused"));
        const QString uuid = photoUuidOf(*p.entry.item);
        QList<CloudResource> originals;
        for (const CloudResource &r : service.resources(uuid))
            if (r.type == 1 || r.type == 2)
                originals << r;
        if (uuid.isEmpty() || originals.isEmpty())
            return self->fallBack(i, QStringLiteral("iCloud Photos holds no original of it"));
        if (p.fetching.exchange(true))
            return; // already fetching
        p.remaining = int(originals.size());
        for (const CloudResource &r : originals)
            self->writeResource(i, r, service);
    });
}

void CloudDownloadRun::writeResource(size_t i, const CloudResource &resource,
                                     CloudPhotoLibrary &service) {
    auto self = shared_from_this();
    // The service writes into a name of ours; the file takes a free name only when whole, so
    // two resources of one name never write over each other.
    const QString temp = storage + QLatin1Char('/') + QLatin1String(SafeWrite::kTemporaryPrefix) +
                         QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
                         QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto once = std::make_shared<std::atomic<bool>>(false);
    service.writeResource(resource, temp, [self, i, resource, temp, once](const QString &error) {
        if (once->exchange(true))
            return; // the service called back twice for one write
        Photo &p = *self->photos[i];
        QString why = error;
        if (why.isEmpty()) {
            const QString placed = moveToFirstFreeOf(
                temp, self->storage,
                {plainFileName(resource.originalFilename, QStringLiteral("Photo"))}, &why);
            if (!placed.isEmpty()) {
                self->noteWritten(placed, p.entry);
                p.anyWritten = true;
            }
        }
        if (!why.isEmpty()) {
            QFile::remove(temp);
            QMutexLocker lock(&self->mutex);
            p.lastError = why;
        }
        if (--p.remaining == 0) {
            if (p.anyWritten)
                self->finishPhoto(i);
            else
                self->fallBack(i, p.lastError);
        }
    });
}

void CloudDownloadRun::fallBack(size_t i, const QString &why) {
    Photo &p = *photos[i];
    if (p.counted)
        return;
    const IKImageItem &item = *p.entry.item;
    // Not downloaded: the thumbnail goes out as the exports send it.
    const ExportSource thumb = exportSource(item, false);
    QString error;
    const QString path = copyIntoFolder(thumb.path, storage, {thumb.name}, &error);
    QString line = QStringLiteral("%1: %2").arg(item.fileName, why);
    if (!path.isEmpty()) {
        noteWritten(path, p.entry);
        line += QStringLiteral(" (its thumbnail is %1)").arg(QFileInfo(path).fileName());
    }
    {
        QMutexLocker lock(&mutex);
        report.notDownloaded << line;
    }
    finishPhoto(i);
}

void CloudDownloadRun::cancelPhoto(size_t i) {
    const IKImageItem &item = *photos[i]->entry.item;
    {
        QMutexLocker lock(&mutex);
        (item.bICloudDownloadPhoto ? report.notCopied : report.notDownloaded)
            << QStringLiteral("%1: cancelled").arg(item.fileName);
    }
    finishPhoto(i);
}

void CloudDownloadRun::noteWritten(const QString &path, const ExportEntry &entry) {
    const QDateTime date = entry.item->photoLibFileNode
                               ? libraryDate(entry.item->photoLibFileNode->createDate.text())
                               : QDateTime();
    if (date.isValid())
        FileDates::setDates(path, date);
    QMutexLocker lock(&mutex);
    report.written << path;
}

void CloudDownloadRun::finishPhoto(size_t i) {
    if (photos[i]->counted.exchange(true))
        return;
    // Counts are told in order, and none after the end: whoever waits for the end may be
    // gone once it came.
    QMutexLocker order(&countMutex);
    const int finished = ++hasDownloadediCloudNum;
    if (progress)
        progress(finished, allDownloadiCloudNum);
    if (finished == allDownloadiCloudNum && done) {
        Report copy;
        {
            QMutexLocker lock(&mutex);
            copy = report;
        }
        done(copy);
    }
}
