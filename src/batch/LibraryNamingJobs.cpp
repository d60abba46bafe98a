// Batch titles, captions and names of library photos: workers make the texts from each
// photo's record and original file; the main thread writes them in one transaction of the
// working copy, copied back once, and only then changes the records that were written.
#include "batch/NamingWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "batch/NamingSettings.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/LibraryWriter.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>
#include <algorithm>

namespace {

using Job = NamingWindows::LibraryJob;

// What a worker may read of one selected library photo, copied on the main thread.
struct LibraryPhoto {
    LibraryPhotoKeys keys;
    QString fileName; // the item's
    QString filePath; // the original inside the library, or the referenced file
    QString title, description, keywords, recordFileName;
};

// The selected photos that are the library's.
QList<IKImageItemPtr> selectedLibraryItems(AppServices &app) {
    QList<IKImageItemPtr> out = app.browsers().selectedLibraryItems();
    out.removeIf([](const IKImageItemPtr &item) { return !item->photoLibFileNode; });
    return out;
}

QString withoutBlanks(QString text) {
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char(' '));
    return text;
}

// The values of the tag words: the record's title, keywords and caption, the rest from the
// original file (all empty when it cannot be read).
naming::PhotoValues valuesOf(const LibraryPhoto &p) {
    naming::PhotoValues v;
    const ImageSource source = ImageSource::fromPath(p.filePath);
    if (source.isValid())
        v = naming::photoValues(source.properties(0), p.fileName,
                                FileDates::creationDate(p.filePath), naming::Missing::Empty);
    v.baseName = baseNameOf(p.fileName);
    v.title = p.title;
    v.keywords = withoutBlanks(p.keywords);
    v.caption = v.hasTiff ? p.description : QString();
    return v;
}

QString textFor(Job job, const naming::TitleSettings &t, const naming::RenameSettings &r,
                const LibraryPhoto &p, int counter) {
    if (job == Job::Rename) {
        naming::PhotoValues v;
        if (r.useCustomName)
            v.baseName = baseNameOf(p.fileName);
        else
            v = valuesOf(p);
        return safeFileBaseName(naming::newFileName(r, v, counter), QFileInfo(p.filePath).suffix());
    }
    if (t.fileNameMode)
        return naming::fileNameModeText(t, baseNameOf(p.fileName));
    return naming::cleanUp(naming::replaceTitleTokens(t.kind, t.templateText, valuesOf(p)), false);
}

LibraryWriteResult write(LibraryDatabase &database, Job job, const LibraryPhoto &p,
                         const QString &text) {
    LibraryWriter &writer = database.session().writer();
    switch (job) {
    case Job::Title:
        return writer.title(p.keys, text);
    case Job::Caption:
        return writer.caption(p.keys, text);
    case Job::Rename:
        return writer.fileName(p.keys, text, p.recordFileName);
    }
    return LibraryWriteResult::failed(QStringLiteral("unknown job"));
}

// Writes every text in one transaction, copies back once, then changes the records.
JobReport writeTexts(LibraryDatabase &database, Job job, const QList<IKImageItemPtr> &items,
                     const QList<LibraryPhoto> &photos, const QList<JobResult> &results) {
    JobReport report;
    QString why;
    if (!database.session().begin(&why)) {
        for (const IKImageItemPtr &item : items)
            report.notWritten << QStringLiteral("%1: %2").arg(item->fileName, why);
        return report;
    }
    struct Change {
        IKImageItemPtr item;
        QString text;
    };
    QList<Change> changes;
    for (const JobResult &r : results) {
        const LibraryPhoto &p = photos[r.index];
        const QString text = r.data.toString();
        // An empty text changes neither the library nor the record.
        if (text.isEmpty())
            continue;
        const LibraryWriteResult w = write(database, job, p, text);
        if (!w.ok) {
            // One failed step undoes the whole action: a writer of several statements may
            // have done half of its work.
            database.session().abandon();
            report.notWritten << QStringLiteral("%1: %2").arg(p.fileName, w.reason);
            for (const Change &c : changes)
                report.notWritten << QCoreApplication::translate("LibraryNaming",
                                                                 "%1: not written, as %2 failed")
                                         .arg(c.item->fileName, p.fileName);
            return report;
        }
        QString stored = text;
        if (job == Job::Rename) {
            const QString extension = QFileInfo(p.filePath).suffix();
            stored = w.stored.isEmpty() ? (extension.isEmpty() ? text : text + '.' + extension)
                                        : w.stored;
        }
        changes << Change{items[r.index], stored};
    }
    // One commit and one copy back; a library that does not take the change leaves the
    // working copy as it was too, and the records unchanged.
    const LibraryStepResult end = database.session().end();
    if (!end.ok) {
        for (const Change &c : changes)
            report.notWritten << QStringLiteral("%1: %2").arg(c.item->fileName, end.reason);
        return report;
    }
    for (const Change &c : changes) {
        PRPicFileInfo &record = *c.item->photoLibFileNode;
        switch (job) {
        case Job::Title:
            record.fileTitle = c.text;
            break;
        case Job::Caption:
            record.fileDescription = c.text;
            break;
        case Job::Rename:
            c.item->fileName = c.text;
            record.fileName = c.text;
            if (c.item->originalFileNode)
                c.item->originalFileNode->fileName = c.text;
            break;
        }
    }
    report.written = int(changes.size());
    return report;
}

} // namespace

void NamingWindows::startLibraryJob(LibraryJob job) {
    const QList<IKImageItemPtr> items = selectedLibraryItems(app);
    QList<LibraryPhoto> photos;
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfo &record = *item->photoLibFileNode;
        photos << LibraryPhoto{record,           item->fileName,         item->filePath,
                               record.fileTitle, record.fileDescription, record.fileKeywords,
                               record.fileName};
    }
    const naming::TitleSettings t =
        titleSettings(job == Job::Caption ? naming::TextKind::Caption : naming::TextKind::Title);
    const naming::RenameSettings r = renameSettings();
    JobRunner *runner = app.jobs().startJob();
    connectRenameProgress(runner);
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
                     [this, job, items, photos](const QList<JobResult> &results, bool cancelled) {
                         JobReport report = writeTexts(database, job, items, photos, results);
                         report.cancelled = cancelled;
                         if (job == Job::Rename)
                             RenamePhotoFinishedHanderToMainThread(report);
                         else
                             ChangePhotoTitlePhotoLibraryCompleteToMainThread(report);
                     });
    runner->start(photos.size(), [job, t, r, photos](qsizetype i) {
        JobResult result;
        result.ok = true;
        result.data = textFor(job, t, r, photos[i], int(i) + 1);
        return result;
    });
}

void NamingWindows::ChangePhotoTitlePhotoLibrarywithFileThreader() {
    startLibraryJob(Job::Title);
}

void NamingWindows::ChangePhotoCaptionPhotoLibrarywithFileThreader() {
    startLibraryJob(Job::Caption);
}

void NamingWindows::ReNamePhotoLibrarywithFileThreader() {
    startLibraryJob(Job::Rename);
}
