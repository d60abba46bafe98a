// Recompression, resizing and conversion to JPEG of the selected local photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "batch/core/ImageOutputs.h"
#include "batch/core/StampLayout.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QFileInfo>
#include <QSet>

#include <vector>

namespace {

QString nameOf(const IKImageItemPtr &item) {
    return item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName() : item->fileName;
}

} // namespace

void AppDelegate::startImageOutputJob(const QList<IKImageItemPtr> &items, PrepareOutput prepare,
                                      OutputReveal reveal, const QStringList &failedBefore,
                                      const IKImageItemPtr &firstListItem) {
    JobRunner *runner = jobs().startJob();
    // One slot per photo: its task fills it, the commit writes and empties it.
    auto prepared = std::make_shared<std::vector<PreparedOutput>>(size_t(items.size()));
    const QString storage = preferences().storagelocation;
    connect(runner, &JobRunner::finished, this,
            [this, items, reveal, failedBefore, firstListItem,
             storage](const QList<JobResult> &results, bool cancelled) {
                JobReport report;
                report.sheetOnSuccess = false;
                report.cancelled = cancelled;
                report.notWritten = failedBefore;
                QString firstOutput;
                for (const JobResult &r : results) {
                    const IKImageItemPtr item = items.value(r.index);
                    if (!r.ok) {
                        report.notWritten << QStringLiteral("%1: %2").arg(
                            QFileInfo(item->filePath).fileName(), r.reason);
                        continue;
                    }
                    if (++report.written == 1)
                        firstOutput = r.outputPath;
                    if (reveal == OutputReveal::FirstOutputIfFirstItem && item == firstListItem)
                        report.revealPath = r.outputPath;
                }
                if (reveal == OutputReveal::StorageFolder && report.written > 0)
                    report.revealRoot = storage;
                if (reveal == OutputReveal::FirstOutput)
                    report.revealPath = firstOutput;
                if (!report.revealPath.isEmpty())
                    report.revealRoot = QFileInfo(report.revealPath).absolutePath();
                jobs().finishJob(report);
            });
    // Only outputs whose names can meet wait for one another: the first keeps the name.
    QStringList groups;
    for (const IKImageItemPtr &item : items)
        groups << freeNameGroup(nameOf(item));
    runner->setCommitGroups(groups);
    runner->start(
        items.size(),
        [items, prepare, prepared](qsizetype i) {
            (*prepared)[size_t(i)] = prepare(items[i]);
            stagePrepared((*prepared)[size_t(i)]);
            JobResult r;
            r.index = i;
            r.ok = (*prepared)[size_t(i)].ok();
            r.reason = (*prepared)[size_t(i)].reason;
            return r;
        },
        [prepared](QList<JobResult> &batch) {
            QSet<QString> folders; // synced once per batch, before any result says written
            for (JobResult &r : batch) {
                if (!r.ok)
                    continue;
                PreparedOutput &output = (*prepared)[size_t(r.index)];
                const OutputResult written = writePrepared(output, false);
                if (written.ok())
                    folders.insert(output.folder);
                output = PreparedOutput();
                r.ok = written.ok();
                r.outputPath = written.path;
                r.reason = written.ok() ? QString() : written.reason;
            }
            for (const QString &folder : folders) {
                QString why;
                if (SafeWrite::syncFolder(folder, &why))
                    continue;
                for (JobResult &r : batch)
                    if (r.ok && QFileInfo(r.outputPath).absolutePath() == folder) {
                        r.ok = false;
                        r.reason =
                            QStringLiteral("written to %1, but a crash may still undo it: %2")
                                .arg(r.outputPath, why);
                    }
            }
        });
}

void ImageOutputPart::CompressPhotosWithOptions(const QString &title) {
    d.preferences().currentCompressNum =
        compressQualityForTitle(title, d.preferences().currentCompressNum);
    const float quality = d.preferences().currentCompressNum;
    const QString storage = d.preferences().storagelocation;
    d.startImageOutputJob(
        d.browsers().selectedLocalItems(),
        [quality, storage](const IKImageItemPtr &item) {
            return prepareRecompression(item->filePath, nameOf(item), storage, quality);
        },
        AppDelegate::OutputReveal::StorageFolder);
}

void ImageOutputPart::ResizePhotosWithOptions(const QString &title) {
    compressReSizePhotowithArrayThreader(d.browsers().selectedLocalItems(), title);
}

void ImageOutputPart::compressReSizePhotowithArrayThreader(const QList<IKImageItemPtr> &items,
                                                           const QString &title) {
    // The quality of the last recompression applies to every later resize.
    const float quality = d.preferences().currentCompressNum;
    const QString storage = d.preferences().storagelocation;
    d.startImageOutputJob(
        items,
        [quality, storage, title](const IKImageItemPtr &item) {
            return prepareResize(item->filePath, nameOf(item), storage, title, quality);
        },
        AppDelegate::OutputReveal::StorageFolder);
}

void ImageOutputPart::ClickConvertHEICtoJPEGAction() {
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    const bool firstSelected = !items.isEmpty() && !d.localLists().localPhotoItemArray.isEmpty() &&
                               items.first() == d.localLists().localPhotoItemArray.first();
    ConvertHEICtoJPEGThreader(items, firstSelected);
}

void ImageOutputPart::ConvertHEICtoJPEGThreader(const QList<IKImageItemPtr> &items,
                                                bool revealFirst) {
    const QString storage = d.preferences().storagelocation;
    d.startImageOutputJob(
        items,
        [storage](const IKImageItemPtr &item) {
            return prepareJpegConversion(item->filePath, nameOf(item), storage);
        },
        AppDelegate::OutputReveal::FirstOutputIfFirstItem, {},
        revealFirst && !items.isEmpty() ? items.first() : IKImageItemPtr());
}
