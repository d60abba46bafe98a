// Recompression, resizing and conversion to JPEG of the selected local photos.
#include "batch/ImageOutput.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "batch/core/ImageOutputs.h"
#include "batch/core/StampLayout.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QFileInfo>
#include <QMenu>
#include <QSet>

#include <vector>

namespace {

QString nameOf(const IKImageItemPtr &item) {
    return item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName() : item->fileName;
}

} // namespace

ImageOutput::ImageOutput(AppServices &services) : app(services) {}

QMenu *ImageOutput::buildMenu(QWidget *owner) {
    imageOutputMenu = new QMenu(tr("Image Output"), owner);
    imageOutputMenu->setObjectName(QStringLiteral("imageOutputMenu"));
    // The recompression and resize items pass their own titles.
    QMenu *compress = imageOutputMenu->addMenu(tr("Recompress Photos"));
    compress->setObjectName(QStringLiteral("compressPhotoMenu"));
    for (const char *title : {"20%", "40%", "80%"})
        app.jobs().addMenuItem(compress, QLatin1String(title),
                               [this, title] { CompressPhotosWithOptions(QLatin1String(title)); });
    QMenu *resize = imageOutputMenu->addMenu(tr("Resize Photos"));
    resize->setObjectName(QStringLiteral("resizePhotoMenu"));
    for (const QString &title : resizeTitles())
        app.jobs().addMenuItem(resize, title, [this, title] { ResizePhotosWithOptions(title); });
    app.jobs().addMenuItem(imageOutputMenu, tr("Convert HEIC to JPEG"),
                           [this] { ClickConvertHEICtoJPEGAction(); });
    imageOutputMenu->addSeparator();
    app.jobs().addMenuItem(imageOutputMenu, tr("Add Date Stamp"),
                           [this] { AddDateStampsOnPhotoAction(); });
    app.jobs().addMenuItem(imageOutputMenu, tr("Add Copyright Stamp"),
                           [this] { AddCopyrightOnPhotoAction(); });
    app.jobs().addMenuItem(imageOutputMenu, tr("Add Place Stamp"),
                           [this] { AddLocationPlaceOnPhotoAction(); });
    return imageOutputMenu;
}

void ImageOutput::startImageOutputJob(const QList<IKImageItemPtr> &items, PrepareOutput prepare,
                                      OutputReveal reveal, const QStringList &failedBefore,
                                      const IKImageItemPtr &firstListItem) {
    JobRunner *runner = app.jobs().startJob();
    // One slot per photo: its task fills it, the commit writes and empties it.
    auto prepared = std::make_shared<std::vector<PreparedOutput>>(size_t(items.size()));
    const QString storage = app.preferences().storagelocation;
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
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
                             if (reveal == OutputReveal::FirstOutputIfFirstItem &&
                                 item == firstListItem)
                                 report.revealPath = r.outputPath;
                         }
                         if (reveal == OutputReveal::StorageFolder && report.written > 0)
                             report.revealRoot = storage;
                         if (reveal == OutputReveal::FirstOutput)
                             report.revealPath = firstOutput;
                         if (!report.revealPath.isEmpty())
                             report.revealRoot = QFileInfo(report.revealPath).absolutePath();
                         app.jobs().finishJob(report);
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

void ImageOutput::CompressPhotosWithOptions(const QString &title) {
    app.preferences().currentCompressNum =
        compressQualityForTitle(title, app.preferences().currentCompressNum);
    const float quality = app.preferences().currentCompressNum;
    const QString storage = app.preferences().storagelocation;
    startImageOutputJob(
        app.browsers().selectedLocalItems(),
        [quality, storage](const IKImageItemPtr &item) {
            return prepareRecompression(item->filePath, nameOf(item), storage, quality);
        },
        OutputReveal::StorageFolder);
}

void ImageOutput::ResizePhotosWithOptions(const QString &title) {
    compressReSizePhotowithArrayThreader(app.browsers().selectedLocalItems(), title);
}

void ImageOutput::compressReSizePhotowithArrayThreader(const QList<IKImageItemPtr> &items,
                                                       const QString &title) {
    // The quality of the last recompression applies to every later resize.
    const float quality = app.preferences().currentCompressNum;
    const QString storage = app.preferences().storagelocation;
    startImageOutputJob(
        items,
        [quality, storage, title](const IKImageItemPtr &item) {
            return prepareResize(item->filePath, nameOf(item), storage, title, quality);
        },
        OutputReveal::StorageFolder);
}

void ImageOutput::ClickConvertHEICtoJPEGAction() {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const bool firstSelected = !items.isEmpty() &&
                               !app.localLists().localPhotoItemArray.isEmpty() &&
                               items.first() == app.localLists().localPhotoItemArray.first();
    ConvertHEICtoJPEGThreader(items, firstSelected);
}

void ImageOutput::ConvertHEICtoJPEGThreader(const QList<IKImageItemPtr> &items, bool revealFirst) {
    const QString storage = app.preferences().storagelocation;
    startImageOutputJob(
        items,
        [storage](const IKImageItemPtr &item) {
            return prepareJpegConversion(item->filePath, nameOf(item), storage);
        },
        OutputReveal::FirstOutputIfFirstItem, {},
        revealFirst && !items.isEmpty() ? items.first() : IKImageItemPtr());
}
