// Dates from file names and the copies of one date of a photo into another place.
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/CameraCopies.h"
#include "browser/MainWindow.h"

#include "base/FileTypes.h"
#include "base/Logging.h"
#include "base/SharedHelpers.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/DateCopies.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/FileNameDate.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"
#include "platform/core/VideoMetadata.h"
#include "platform/core/Workspace.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <memory>

using namespace datefeature;

namespace {

QString nameOf(const IKImageItemPtr &item) {
    return QFileInfo(item->filePath).fileName();
}

// The camera date of a photo: the first valid of "DateTimeOriginal" and "DateTimeDigitized";
// without either tag, TIFF "DateTime"; without that too, the file's creation date.
QDateTime cameraDateOf(const QVariantMap &properties, const QString &sourcePath) {
    const QVariantMap exif = subDictionary(properties, QStringLiteral("{Exif}"));
    const QString o = exif.value(QStringLiteral("DateTimeOriginal")).toString();
    const QString g = exif.value(QStringLiteral("DateTimeDigitized")).toString();
    if (!o.isEmpty() || !g.isEmpty()) {
        for (const QString &t : {o, g})
            if (CheckDateFormatWithDateString(t))
                return ConvertDateWithDateString(t);
        return {}; // tags that hold no date give none
    }
    const QString tiff = subDictionary(properties, QStringLiteral("{TIFF}"))
                             .value(QStringLiteral("DateTime"))
                             .toString();
    if (!tiff.isEmpty())
        return ConvertDateWithDateString(tiff);
    return FileDates::creationDate(sourcePath);
}

// A video's copy in the storage folder with its creation date as file dates; a video is
// never written over its original. `data` says whether it had a date to give.
JobResult copyVideoWithItsDate(const DateCopyStart &start) {
    JobResult r;
    if (!QFileInfo(start.source).isFile()) {
        r.reason = DateWindows::tr("cannot be copied");
        return r;
    }
    const QDateTime date = VideoMetadata::creationDate(start.source);
    const DateCopyOutcome c = copyPhotoWithDates(start, date, date, false);
    if (!c.written) {
        qCWarning(lcMetadata) << "video copy failed==" << start.source << c.reason;
        r.reason = DateWindows::tr("cannot be copied");
        return r;
    }
    r.ok = true;
    r.outputPath = c.finalPath;
    r.data = date.isValid();
    return r;
}

// A downloaded camera copy takes its camera date as its file dates, in place. Its own
// creation date is only the time of its download, so it is no fallback.
JobResult cameraDateToFileDates(const QString &copy) {
    JobResult r;
    if (GetViedoType(copy) >= 0) {
        r.reason = DateWindows::tr("videos are not handled here");
        return r;
    }
    const ImageSource source = ImageSource::fromPath(copy);
    const QDateTime date =
        source.isValid() ? cameraDateOf(source.properties(0), QString()) : QDateTime();
    if (!date.isValid()) {
        r.reason = source.isValid() ? DateWindows::tr("has no camera date")
                                    : DateWindows::tr("not an image we can read");
        return r;
    }
    if (!FileDates::setCreationDate(copy, date) || !FileDates::setModificationDate(copy, date)) {
        r.reason = DateWindows::tr("its dates cannot be set");
        return r;
    }
    r.ok = true;
    r.outputPath = copy;
    return r;
}

} // namespace

void DateWindows::ClickSetCameraDateFromFileNameAction() {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return;
    auto table = std::make_shared<PhotoDateTable>();
    auto found = std::make_shared<QHash<const IKImageItem *, FileNameDate>>();
    for (const IKImageItemPtr &item : items) {
        const FileNameDate date =
            dateFromFileName(item->fileName.isEmpty() ? nameOf(item) : item->fileName);
        found->insert(item.get(), date);
        const QDateTime d = parseMetadataDate(date.text);
        table->put(item.get(), {d, d});
    }
    WriteRecipeOptions options;
    // Read-only on the workers: the table was filled before they start.
    options.change = [found](QVariantMap &working, const IKImageItem &item) {
        const FileNameDate date = found->value(&item);
        if (!date.valid)
            return false;
        setCameraDateTags(working, date.text, date.text);
        if (date.detected.isValid())
            setIptcDates(working, date.detected);
        return true;
    };
    options.destinationDictionary.clear();
    options.verify = true;
    options.dates = WriteRecipeOptions::Dates::Keep;
    options.skippedCountsAsHandled = true;
    app.jobs().startRecipeJob(
        items, overwriteOn(app), options,
        [this, items, found, table](WriteRecipeReport report, bool) {
            for (qsizetype i = 0; i < items.size() && i < report.photos.size(); ++i)
                if (!report.photos[i].written && !found->value(items[i].get()).valid)
                    report.photos[i].reason = DateWindows::tr("no date in the file name");
            datefeature::finishJob(app, report.revealPath, report.revealRoot, report.writtenCount(),
                                   report.notWritten() + applyPhotoDates(items, report, *table));
        });
}

void DateWindows::ClickCopyExifDateToCreateDateAction() {
    ensureExiv2Initialised();
    if (camera.cameraIsSource()) {
        // Camera photos: the downloaded copies take their camera dates as file dates, each
        // on a worker, with progress and Cancel, once the copies are in.
        QPointer<Jobs> alive(&app.jobs()); // gone with the application
        camera.withCameraCopies([this, alive](const QList<IKImageItemPtr> &copies,
                                              const QStringList &downloadFailures) {
            if (!alive)
                return;
            app.jobs().startPhotoJob(
                copies,
                [copies](qsizetype i) { return cameraDateToFileDates(copies[i]->filePath); },
                app.preferences().storagelocation, true, downloadFailures);
        });
        return;
    }
    // Each photo is read and copied on a worker: a few hundred would freeze the window.
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const bool overwrite = overwriteOn(app);
    const QString storage = app.preferences().storagelocation;
    const DateCopyStarts starts(items, storage, overwrite);
    const QString importedPath = mainWindow.importedFolder(); // empty: not one folder
    JobRunner *runner = app.jobs().startJob();
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
                     [this, items, overwrite, storage](const QList<JobResult> &results) {
                         app.browsers().showRewrittenPhotos(items, results);
                         QString revealPath, revealRoot;
                         QStringList failures;
                         int written = 0;
                         for (const JobResult &r : results) {
                             const IKImageItemPtr &item = items[r.index];
                             if (!r.ok) {
                                 failures << QStringLiteral("%1: %2").arg(nameOf(item), r.reason);
                                 continue;
                             }
                             ++written;
                             // A video shows its copy at once, as a photo's copy waits for the
                             // sheet.
                             if (GetViedoType(item->filePath) >= 0) {
                                 if (r.data.toBool())
                                     Workspace::selectFile(r.outputPath, storage);
                             } else if (revealPath.isEmpty()) {
                                 revealPath = r.outputPath;
                                 revealRoot =
                                     overwrite ? QFileInfo(r.outputPath).absolutePath() : storage;
                             }
                         }
                         datefeature::finishJob(app, revealPath, revealRoot, written, failures);
                     });
    runner->start(items.size(), [items, starts, overwrite, storage, importedPath](qsizetype i) {
        const IKImageItemPtr &item = items[i];
        if (GetViedoType(item->filePath) >= 0)
            return copyVideoWithItsDate(starts.at(i));
        JobResult r;
        const DateCopyStart start =
            starts.at(i, importedPath.isEmpty()
                             ? QString()
                             : importedFolderOutputPath(storage, item->filePath, importedPath));
        const QString readPath = GetSupportRAWImageType(start.source) >= 0
                                     ? GetJPGImageFromRAWPhotowithImagePath(start.source)
                                     : start.source;
        const ImageSource source = ImageSource::fromPath(readPath);
        if (!source.isValid()) {
            r.reason = DateWindows::tr("not an image we can read");
            return r;
        }
        const QDateTime date = cameraDateOf(source.properties(0), start.source);
        if (!date.isValid()) {
            r.reason = DateWindows::tr("has no camera date");
            return r;
        }
        // The copy is of the photo itself, also for a RAW photo.
        return dateCopyResult(copyPhotoWithDates(start, date, date, overwrite));
    });
}

void DateWindows::ClickCopyCreatedDateToCameraDateAction() {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    auto texts = std::make_shared<QHash<const IKImageItem *, QString>>();
    for (const IKImageItemPtr &item : items) {
        const QDateTime created = FileDates::creationDate(item->filePath);
        if (created.isValid())
            texts->insert(item.get(), exifDateText(created));
    }
    WriteRecipeOptions options;
    options.change = [texts](QVariantMap &working, const IKImageItem &item) {
        const QString t = texts->value(&item);
        if (t.isEmpty())
            return false; // no creation date: no tag is set from a missing date
        setCameraDateTags(working, t, t);
        return true;
    };
    options.verify = true;
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.skippedCountsAsHandled = true;
    app.jobs().startRecipeJob(
        items, overwriteOn(app), options, [this, items, texts](WriteRecipeReport report, bool) {
            for (qsizetype i = 0; i < items.size() && i < report.photos.size(); ++i)
                if (!report.photos[i].written && !texts->contains(items[i].get()))
                    report.photos[i].reason = DateWindows::tr("has no creation date");
            datefeature::finishJob(app, report.revealPath, report.revealRoot, report.writtenCount(),
                                   report.notWritten());
        });
}

// One file date of a byte copy from the other date of its original.
void DateWindows::copyOneFileDate(bool creationToModification) {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const bool overwrite = overwriteOn(app);
    const DateCopyStarts starts(items, app.preferences().storagelocation, overwrite);
    app.jobs().startPhotoJob(
        items,
        [starts, overwrite, creationToModification](qsizetype i) {
            const DateCopyStart start = starts.at(i);
            const QDateTime from = creationToModification
                                       ? FileDates::creationDate(start.source)
                                       : FileDates::modificationDate(start.source);
            if (!from.isValid()) {
                JobResult r;
                r.reason = DateWindows::tr("has no such file date");
                return r;
            }
            return dateCopyResult(creationToModification
                                      ? copyPhotoWithDates(start, QDateTime(), from, overwrite)
                                      : copyPhotoWithDates(start, from, QDateTime(), overwrite));
        },
        overwrite ? QString() : app.preferences().storagelocation, true);
}

void DateWindows::ClickCopyCreatedDateToModifyDateAction() {
    copyOneFileDate(true);
}

void DateWindows::ClickCopyModiyDateToCreateDateAction() {
    copyOneFileDate(false);
}

bool DateWindows::ChangeRawPhotoWithDate(const QString &dateText, const QString &path) {
    // Only a real date reaches the file's date tags.
    const QDateTime date = parseMetadataDate(dateText.trimmed());
    if (!date.isValid())
        return false;
    return runExifToolCommandWithArguments(exifToolDateArguments(exifDateText(date), path));
}

bool DateWindows::runExifToolCommandWithArguments(const QStringList &arguments) {
    return ::runExifToolCommandWithArguments(arguments);
}
