// The library's export commands: each takes a snapshot of the selection, runs as a job of
// the window and ends with one reveal and the photos that did not go out.
#include "library/LibraryWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "export/core/LibraryMetadataExport.h"
#include "export/core/PlainExport.h"
#include "library/LibraryPanels.h"
#include "metadata/EditSheet.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

QList<ExportEntry> selectedEntries(AppServices &app) {
    return snapshotSelection(app.library().photoLibBroserArray,
                             app.browsers().selectedLibraryRows());
}

void finishExport(AppServices &app, LibraryWindows &windows, const ExportReport &report,
                  const QList<ExportEntry> &entries) {
    // The records read from the files go back to the browser's items, as a refresh on the
    // main thread would have left them.
    QSet<const IKImageItem *> shown;
    for (const IKImageItemPtr &i : std::as_const(app.library().photoLibBroserArray))
        shown.insert(i.get());
    for (const ExportEntry &e : entries)
        if (e.source && shown.contains(e.source.get()))
            e.source->originalFileNode = e.item->originalFileNode;
    JobReport job;
    job.written = report.writtenCount();
    job.revealPath = report.revealPath;
    job.revealRoot = report.revealRoot;
    job.sheetOnSuccess = false;
    job.notWritten = report.notWritten();
    if (report.photos.isEmpty() && !report.folderReason.isEmpty()) {
        job.message = LibraryWindows::tr("The photos could not be exported.");
        job.informative = report.folderReason;
    } else if (!job.notWritten.isEmpty()) {
        job.message = LibraryWindows::tr("Some photos were not exported.");
        job.informative = LibraryWindows::tr("%1 of %2 photos went out. Not exported:\n%3")
                              .arg(job.written)
                              .arg(report.photos.size())
                              .arg(shortList(job.notWritten).join(QLatin1Char('\n')));
    }
    if (job.written == 0) {
        // Nothing went out: nothing to show in the file manager.
        job.revealPath.clear();
        job.revealRoot.clear();
    }
    app.jobs().finishJob(job);
    if (report.notDownloaded)
        windows.showDownloadiCLoudPHotosonMainThread();
}

// Runs `work` over a snapshot of the selection as one job of the window.
void runExport(
    AppServices &app, LibraryWindows &windows,
    std::function<ExportReport(const QList<ExportEntry> &entries, const JobControl &control)>
        work) {
    if (app.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(app);
    if (entries.isEmpty())
        return;
    app.jobs().startLong<ExportReport>(
        app.jobs().startJob(),
        [entries, work](JobControl &control) { return work(entries, control); },
        [&app, &windows, entries](ExportReport &&report, bool) {
            finishExport(app, windows, report, entries);
        });
}

void plainExport(AppServices &app, LibraryWindows &windows, PlainLayout layout, bool edited) {
    PlainExportSettings settings;
    settings.storageFolder = app.preferences().storagelocation;
    settings.layout = layout;
    settings.edited = edited;
    runExport(app, windows,
              [settings](const QList<ExportEntry> &entries, const JobControl &control) {
                  return exportPlainCopies(entries, settings,
                                           [&control] { return control.isCancelled(); });
              });
}

bool stillsOnly(const QList<ExportEntry> &entries, const LibraryExportSettings &settings) {
    return libraryStillEntries(entries, settings).size() == entries.size();
}

// The copies with library values go through the write recipe, photos side by side.
void metadataExport(AppServices &app, LibraryWindows &windows, const EditSheet &sheet,
                    LibraryExportSettings settings) {
    if (app.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(app);
    if (entries.isEmpty())
        return;
    settings.storageFolder = app.preferences().storagelocation;
    if (const std::optional<QString> altitude = sheet.typedAltitude()) {
        settings.altitudeText = *altitude;
        settings.shownAltitudeText = app.selection().oldGpsAitStr;
    }
    ExportReport refused;
    if (!storageFolderWritable(settings.storageFolder, &refused.folderReason))
        return finishExport(app, windows, refused, {});
    // Photos go through the write recipe; then the videos, in a job of their own.
    const QList<ExportEntry> stills = libraryStillEntries(entries, settings);
    const auto videos = [&app, &windows, entries, settings](const ExportReport &photos,
                                                            bool cancelled) {
        // A cancel stops the whole export: its videos are not sent out as a second job.
        const auto stop = [] { return true; };
        if (stillsOnly(entries, settings) || cancelled)
            return finishExport(app, windows, withLibraryVideos(entries, settings, photos, stop),
                                entries);
        // One video after another, each after a look at Cancel.
        app.jobs().startLong<ExportReport>(
            app.jobs().startJob(),
            [entries, settings, photos](JobControl &control) {
                return withLibraryVideos(
                    entries, settings, photos, [&control] { return control.isCancelled(); },
                    [&control](int done, int total) { control.setProgress(done, total); });
            },
            [&app, &windows, entries](ExportReport &&report, bool) {
                finishExport(app, windows, report, entries);
            },
            // Cancelled before a worker took it up: every video is named as not sent.
            [entries, settings, photos, stop] {
                return withLibraryVideos(entries, settings, photos, stop);
            });
    };
    if (stills.isEmpty())
        return videos(ExportReport{}, false);
    QList<IKImageItemPtr> items;
    for (const ExportEntry &e : stills)
        items << e.item;
    app.jobs().startRecipeJob(
        items, false, libraryRecipeOptions(stills, settings),
        [videos, stills, settings](const WriteRecipeReport &written, bool cancelled) {
            videos(libraryExportReport(stills, settings, written), cancelled);
        });
}

LibraryExportSettings onlyKeys(LibraryKeys keys, bool altitude = true) {
    LibraryExportSettings s;
    keys.altitude = keys.gps && altitude;
    s.keys = keys;
    s.dateRule = LibraryDateRule::FileCreation;
    return s;
}

LibraryKeys keysOf(bool title, bool description, bool keywords, bool cameraDate, bool gps) {
    LibraryKeys k = LibraryKeys::none();
    k.title = title;
    k.description = description;
    k.keywords = keywords;
    k.cameraDate = cameraDate;
    k.gps = gps;
    return k;
}

LibraryExportSettings sorted(bool edited, LibraryLayout layout) {
    LibraryExportSettings s;
    s.edited = edited;
    s.layout = layout;
    return s;
}

} // namespace

void LibraryWindows::ExportphotosfromphotolibraryAction() {
    plainExport(app, *this, PlainLayout::Flat, false);
}
void LibraryWindows::ExportEditedphotosfromphotolibraryAction() {
    plainExport(app, *this, PlainLayout::Flat, true);
}
void LibraryWindows::ExportAllphotosfromphotolibrarywithAlbumsAction() {
    plainExport(app, *this, PlainLayout::Album, false);
}
void LibraryWindows::ExportphotosfromphotolibrarywithYearandMonthAction() {
    plainExport(app, *this, PlainLayout::YearMonth, false);
}
void LibraryWindows::ExportEditedphotosfromphotolibrarywithYearandMonthAction() {
    plainExport(app, *this, PlainLayout::YearMonth, true);
}

void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction() {
    metadataExport(app, *this, editSheet, LibraryExportSettings{});
}
void LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaAction() {
    LibraryExportSettings s;
    s.edited = true;
    metadataExport(app, *this, editSheet, s);
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryTitleAction() {
    metadataExport(app, *this, editSheet, onlyKeys(keysOf(true, false, false, false, false)));
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction() {
    runExport(app, *this,
              [storage = app.preferences().storagelocation](const QList<ExportEntry> &entries,
                                                            const JobControl &control) {
                  return exportWithLibraryCreationDate(
                      entries, storage, [&control] { return control.isCancelled(); });
              });
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCameraDateAction() {
    LibraryExportSettings s;
    s.keys = keysOf(false, false, false, true, false);
    metadataExport(app, *this, editSheet, s);
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaDescripAction() {
    metadataExport(app, *this, editSheet, onlyKeys(keysOf(false, true, false, false, false)));
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaKeyWordsAction() {
    metadataExport(app, *this, editSheet, onlyKeys(keysOf(false, false, true, false, false)));
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaGPSinfoAction() {
    metadataExport(app, *this, editSheet,
                   onlyKeys(keysOf(false, false, false, false, true), false));
}

void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction() {
    metadataExport(app, *this, editSheet, sorted(false, LibraryLayout::YearMonth));
}
void LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAction() {
    metadataExport(app, *this, editSheet, sorted(true, LibraryLayout::YearMonth));
}
void LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction() {
    metadataExport(app, *this, editSheet, sorted(false, LibraryLayout::AlbumOrYearMonth));
}
void LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction() {
    metadataExport(app, *this, editSheet, sorted(true, LibraryLayout::AlbumOrYearMonth));
}

void LibraryWindows::showDownloadiCLoudPHotosonMainThread() {
    app.sheets().alert(tr("The currently selected photos include one or more iCloud Photos that "
                          "have not been downloaded."),
                       tr("Their thumbnails were exported in their place. Download the originals "
                          "into the library from iCloud, then export them again."));
}

void LibraryWindows::ApplyOriginalPhotoMetadataChangeAction() {
    if (app.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(app);
    if (entries.isEmpty())
        return;
    const PanelValues panel = panels.originalPanelValues();
    const QString storage = app.preferences().storagelocation;
    ExportReport refused;
    if (!storageFolderWritable(storage, &refused.folderReason))
        return finishExport(app, *this, refused, {});
    QList<IKImageItemPtr> items;
    for (const ExportEntry &e : entries)
        items << e.item;
    LibraryExportSettings flat;
    flat.storageFolder = storage;
    app.jobs().startRecipeJob(items, false, panelRecipeOptions(entries, storage, panel),
                              [this, entries, flat](const WriteRecipeReport &written, bool) {
                                  ExportReport report = libraryExportReport(entries, flat, written);
                                  // The panel's values go out as typed; no photo is said to be
                                  // missing from iCloud here.
                                  report.notDownloaded = false;
                                  finishExport(app, *this, report, entries);
                              });
}

void LibraryWindows::addExportItems(QMenu *exports) {
    const std::pair<const char *, void (LibraryWindows::*)()> items[] = {
        {QT_TR_NOOP("Export Originals"), &LibraryWindows::ExportphotosfromphotolibraryAction},
        {QT_TR_NOOP("Export Edited Photos"),
         &LibraryWindows::ExportEditedphotosfromphotolibraryAction},
        {QT_TR_NOOP("Export Originals into Album Folders"),
         &LibraryWindows::ExportAllphotosfromphotolibrarywithAlbumsAction},
        {QT_TR_NOOP("Export Originals by Year and Month"),
         &LibraryWindows::ExportphotosfromphotolibrarywithYearandMonthAction},
        {QT_TR_NOOP("Export Edited Photos by Year and Month"),
         &LibraryWindows::ExportEditedphotosfromphotolibrarywithYearandMonthAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Export Originals with Library Metadata"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction},
        {QT_TR_NOOP("Export Edited Photos with Library Metadata"),
         &LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaAction},
        {QT_TR_NOOP("Export Originals with Library Title"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryTitleAction},
        {QT_TR_NOOP("Export Originals with Library Creation Date"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction},
        {QT_TR_NOOP("Export Originals with Library Camera Date"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCameraDateAction},
        {QT_TR_NOOP("Export Originals with Library Caption"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaDescripAction},
        {QT_TR_NOOP("Export Originals with Library Keywords"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaKeyWordsAction},
        {QT_TR_NOOP("Export Originals with Library Position"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaGPSinfoAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Export Originals with Library Metadata by Year and Month"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction},
        {QT_TR_NOOP("Export Edited Photos with Library Metadata by Year and Month"),
         &LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAction},
        {QT_TR_NOOP("Export Originals with Library Metadata by Album"),
         &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction},
        {QT_TR_NOOP("Export Edited Photos with Library Metadata by Album"),
         &LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Export Originals' Metadata as a Property List"),
         &LibraryWindows::ExportOriginaPhotoLibraryMetaToPlistAction},
        {QT_TR_NOOP("Export Library Metadata as a Property List"),
         &LibraryWindows::ExportPhotoLibraryMetaToPlistAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Download Full-resolution iCloud Photos"),
         &LibraryWindows::DownloadICloudsfromphotolibraryAction},
    };
    for (const auto &[title, action] : items) {
        if (!title)
            exports->addSeparator();
        else
            app.jobs().addMenuItem(exports, tr(title),
                                   [this, action = action] { (this->*action)(); });
    }
}

void LibraryWindows::addShowOriginalItem(QMenu *exports) {
    app.jobs().addMenuItem(exports, tr("Show Original in the File Manager"),
                           [this] { ShowphotoinFinderAction(); });
}
