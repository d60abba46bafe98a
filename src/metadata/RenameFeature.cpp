// Copies of the selected local photos named after their title or their place.
#include "metadata/MetadataMenus.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindow.h"
#include "metadata/GpsWindow.h"

#include "base/Coordinates.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/SafeFileName.h"
#include "metadata/core/TagCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/core/DurableBatch.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointF>
#include <memory>
#include <optional>

namespace {

bool readPhoto(const QString &path, QByteArray *bytes, QVariantMap *properties) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    const ImageSource source(*bytes);
    if (bytes->isEmpty() || !source.isValid())
        return false;
    *properties = source.properties(0);
    return true;
}

// One photo's copy, written beside its folder under a temporary name by a task; the
// batch's commit gives it the free name it wants.
struct NamedCopy {
    std::shared_ptr<SafeWrite::Temporary> temporary; // removed unless it takes its name
    QString folder, base, extension;
    bool noGps = false;
    std::optional<QPointF> coords;
};

// The copy's name: `name` made safe; the photo's own name when `name` gives nothing usable.
QString wantedBase(const QString &name, const QString &fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    QString base = safeFileBaseName(name, extension);
    if (base.isEmpty())
        base = safeFileBaseName(fileNameWithoutExtension(fileName), extension);
    if (base.isEmpty())
        base = QStringLiteral("Photo");
    return base;
}

// Writes the unchanged bytes beside `folder`, with the photo's dates.
// Each photo as edited so far (its latest copy, else its own file), read on the main
// thread: the workers never look at an item the window may change.
QStringList currentPaths(const QList<IKImageItemPtr> &items) {
    QStringList paths;
    for (const IKImageItemPtr &item : items)
        paths << item->currentPath();
    return paths;
}

JobResult prepareCopy(const QString &source, const QByteArray &bytes, NamedCopy copy) {
    JobResult r;
    QDir().mkpath(copy.folder);
    QString why;
    // Written as the write recipe writes a new copy: an exclusive temporary in the folder,
    // read back, synced with its batch.
    const auto staged = DurableBatch::stageNewFile(copy.folder, bytes, &why);
    if (!staged) {
        r.reason = why;
        return r;
    }
    copy.temporary = staged;
    FileDates::copyDates(source, staged->path());
    r.ok = true;
    r.data = QVariant::fromValue(copy);
    return r;
}

// One sync for the batch, then each copy takes the first free name: never one that a
// file took meanwhile.
void commitCopies(QList<JobResult> &batch) {
    QStringList temporaries;
    for (const JobResult &r : batch)
        if (r.ok)
            temporaries << r.data.value<NamedCopy>().temporary->path();
    if (temporaries.isEmpty())
        return;
    DurableBatch::Commit commit;
    commit.syncTemporaries(temporaries);
    for (JobResult &r : batch) {
        if (!r.ok)
            continue;
        const NamedCopy copy = r.data.value<NamedCopy>();
        QString why;
        const QString path = commit.place(
            *copy.temporary,
            [&](const QString &from, QString *w) {
                return moveToFreeName(from, copy.folder,
                                      copy.base + QLatin1Char('.') + copy.extension, w);
            },
            &why);
        if (path.isEmpty()) {
            r.ok = false;
            r.reason = why;
            continue;
        }
        r.outputPath = path;
    }
    commit.syncFolders(batch);
}

JobReport reportOf(const QList<IKImageItemPtr> &items, const QList<JobResult> &results,
                   const QString &storage) {
    JobReport job;
    for (const JobResult &r : results) {
        if (!r.ok) {
            job.notWritten << QStringLiteral("%1: %2").arg(items[r.index]->fileName, r.reason);
            continue;
        }
        if (++job.written == 1) {
            job.revealPath = r.outputPath;
            job.revealRoot = storage;
        }
    }
    return job;
}

} // namespace

Q_DECLARE_METATYPE(NamedCopy)

void MetadataMenus::ClickCopyPhotoTitleToFilenameAction() {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const QString storage = app.preferences().storagelocation;
    JobRunner *runner = app.jobs().startJob();
    // Clashing names are numbered in list order.
    runner->setCommitInOrder(true);
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
                     [this, items, storage](const QList<JobResult> &results) {
                         app.jobs().finishJob(reportOf(items, results, storage));
                     });
    const QStringList sources = currentPaths(items);
    runner->start(
        items.size(),
        [items, sources, storage](qsizetype i) {
            const IKImageItemPtr &item = items[i];
            QByteArray bytes;
            QVariantMap properties;
            if (!readPhoto(sources[i], &bytes, &properties)) {
                JobResult r;
                r.reason = MetadataMenus::tr("not an image we can read");
                return r;
            }
            const QString title = subDictionary(properties, QStringLiteral("{IPTC}"))
                                      .value(QStringLiteral("ObjectName"))
                                      .toString();
            NamedCopy copy;
            copy.folder = storage;
            copy.base = wantedBase(title, item->fileName);
            copy.extension = QFileInfo(item->fileName).suffix();
            return prepareCopy(sources[i], bytes, copy);
        },
        commitCopies);
}

void MetadataMenus::ClickCopyPhotoGPSNameToFilenameAction() {
    gps.forgetPlaceFound();
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const QString storage = app.preferences().storagelocation;
    const QString folder = mainWindow.importedFolder();
    const QString root = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    // The place names the geocoder found, read here: workers never touch the items.
    QStringList places;
    for (const IKImageItemPtr &item : items)
        places << item->rare().GPSLocationfileName;
    JobRunner *runner = app.jobs().startJob();
    // Clashing names are numbered in list order.
    runner->setCommitInOrder(true);
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
                     [this, items, storage](const QList<JobResult> &results) {
                         JobReport job = reportOf(items, results, storage);
                         job.sheetOnSuccess = false;
                         int withoutGps = 0;
                         for (const JobResult &r : results) {
                             const NamedCopy copy = r.data.value<NamedCopy>();
                             withoutGps += copy.noGps ? 1 : 0;
                             if (copy.coords)
                                 app.selection().currentCoords = *copy.coords;
                         }
                         if (withoutGps == items.size()) {
                             beginAlertSheet(
                                 app.mainWindow(), MetadataMenus::tr("No GPS data"),
                                 MetadataMenus::tr("Please select a photo that contains GPS data."),
                                 {MetadataMenus::tr(" Ok ")}, [this](QMessageBox *alert, int code) {
                                     app.sheets().savePanelDidEnd3(alert, code);
                                 });
                             return;
                         }
                         app.jobs().finishJob(job);
                     });
    const QStringList sources = currentPaths(items);
    runner->start(
        items.size(),
        [items, sources, places, storage, root](qsizetype i) {
            const IKImageItemPtr &item = items[i];
            JobResult r;
            QByteArray bytes;
            QVariantMap properties;
            if (!readPhoto(sources[i], &bytes, &properties)) {
                r.reason = MetadataMenus::tr("not an image we can read");
                return r;
            }
            NamedCopy copy;
            if (!properties.contains(QStringLiteral("{GPS}"))) {
                // One photo without a position leaves the others of the batch to be named.
                copy.noGps = true;
                r.reason = MetadataMenus::tr("no GPS data");
                r.data = QVariant::fromValue(copy);
                return r;
            }
            const SignedGpsCoordinates c =
                signedCoordinates(subDictionary(properties, QStringLiteral("{GPS}")));
            const double lat = c.latitude.value_or(0.0), lon = c.longitude.value_or(0.0);
            copy.coords = QPointF(lat, lon);
            copy.extension = QFileInfo(item->fileName).suffix();
            // Any position but the null island counts, west and south included.
            if ((lat != 0 || lon != 0) && !places[i].isEmpty()) {
                copy.folder = storage;
                copy.base = wantedBase(places[i], item->fileName);
            } else {
                // Without a place the copy keeps its name, below the imported folder's mirror.
                copy.folder = storage;
                if (!root.isEmpty() && item->filePath.startsWith(root + QLatin1Char('/')))
                    copy.folder =
                        QDir::cleanPath(storage + QLatin1Char('/') +
                                        QFileInfo(item->filePath.mid(root.size() + 1)).path());
                copy.base = wantedBase(QString(), item->fileName);
            }
            JobResult done = prepareCopy(sources[i], bytes, copy);
            if (!done.ok)
                done.data = QVariant::fromValue(copy); // the position still counts
            return done;
        },
        commitCopies);
}
