// The library's export commands: each takes a snapshot of the selection, runs as a job of
// the window and ends with one reveal and the photos that did not go out.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "export/core/LibraryMetadataExport.h"
#include "export/core/PlainExport.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

QList<ExportEntry> selectedEntries(const AppDelegate &d) {
    QList<int> rows;
    if (d.mainWindowController().photoLibBrowserView &&
        d.mainWindowController().photoLibBrowserView->selectionModel())
        for (const QModelIndex &index :
             d.mainWindowController().photoLibBrowserView->selectionModel()->selectedIndexes())
            rows << index.row();
    return snapshotSelection(d.library().photoLibBroserArray, rows);
}

void finishExport(AppDelegate &d, const ExportReport &report, const QList<ExportEntry> &entries) {
    // The records read from the files go back to the browser's items, as a refresh on the
    // main thread would have left them.
    QSet<const IKImageItem *> shown;
    for (const IKImageItemPtr &i : std::as_const(d.library().photoLibBroserArray))
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
        job.message = AppDelegate::tr("The photos could not be exported.");
        job.informative = report.folderReason;
    } else if (!job.notWritten.isEmpty()) {
        job.message = AppDelegate::tr("Some photos were not exported.");
        job.informative = AppDelegate::tr("%1 of %2 photos went out. Not exported:\n%3")
                              .arg(job.written)
                              .arg(report.photos.size())
                              .arg(shortList(job.notWritten).join(QLatin1Char('\n')));
    }
    if (job.written == 0) {
        // Nothing went out: nothing to show in the file manager.
        job.revealPath.clear();
        job.revealRoot.clear();
    }
    d.jobs().finishJob(job);
    if (report.notDownloaded)
        d.libraryWindows.showDownloadiCLoudPHotosonMainThread();
}

// Runs `work` over a snapshot of the selection as one job of the window.
void runExport(
    AppDelegate &d,
    std::function<ExportReport(const QList<ExportEntry> &entries, const JobControl &control)>
        work) {
    if (d.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(d);
    if (entries.isEmpty())
        return;
    d.jobs().startLong<ExportReport>(
        d.jobs().startJob(),
        [entries, work](JobControl &control) { return work(entries, control); },
        [&d, entries](ExportReport &&report, bool) { finishExport(d, report, entries); });
}

void plainExport(AppDelegate &d, PlainLayout layout, bool edited) {
    PlainExportSettings settings;
    settings.storageFolder = d.preferences().storagelocation;
    settings.layout = layout;
    settings.edited = edited;
    runExport(d, [settings](const QList<ExportEntry> &entries, const JobControl &control) {
        return exportPlainCopies(entries, settings, [&control] { return control.isCancelled(); });
    });
}

bool stillsOnly(const QList<ExportEntry> &entries, const LibraryExportSettings &settings) {
    return libraryStillEntries(entries, settings).size() == entries.size();
}

// The copies with library values go through the write recipe, photos side by side.
void metadataExport(AppDelegate &d, LibraryExportSettings settings) {
    if (d.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(d);
    if (entries.isEmpty())
        return;
    settings.storageFolder = d.preferences().storagelocation;
    if (d.editSheet.gpsAitlab) {
        settings.altitudeText = d.editSheet.gpsAitlab->text();
        settings.shownAltitudeText = d.selection().oldGpsAitStr;
    }
    ExportReport refused;
    if (!storageFolderWritable(settings.storageFolder, &refused.folderReason))
        return finishExport(d, refused, {});
    // Photos go through the write recipe; then the videos, in a job of their own.
    const QList<ExportEntry> stills = libraryStillEntries(entries, settings);
    const auto videos = [&d, entries, settings](const ExportReport &photos, bool cancelled) {
        // A cancel stops the whole export: its videos are not sent out as a second job.
        const auto stop = [] { return true; };
        if (stillsOnly(entries, settings) || cancelled)
            return finishExport(d, withLibraryVideos(entries, settings, photos, stop), entries);
        // One video after another, each after a look at Cancel.
        d.jobs().startLong<ExportReport>(
            d.jobs().startJob(),
            [entries, settings, photos](JobControl &control) {
                return withLibraryVideos(
                    entries, settings, photos, [&control] { return control.isCancelled(); },
                    [&control](int done, int total) { control.setProgress(done, total); });
            },
            [&d, entries](ExportReport &&report, bool) { finishExport(d, report, entries); },
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
    d.jobs().startRecipeJob(
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

void LibraryWindowsPart::ExportphotosfromphotolibraryAction() {
    plainExport(d, PlainLayout::Flat, false);
}
void LibraryWindowsPart::ExportEditedphotosfromphotolibraryAction() {
    plainExport(d, PlainLayout::Flat, true);
}
void LibraryWindowsPart::ExportAllphotosfromphotolibrarywithAlbumsAction() {
    plainExport(d, PlainLayout::Album, false);
}
void LibraryWindowsPart::ExportphotosfromphotolibrarywithYearandMonthAction() {
    plainExport(d, PlainLayout::YearMonth, false);
}
void LibraryWindowsPart::ExportEditedphotosfromphotolibrarywithYearandMonthAction() {
    plainExport(d, PlainLayout::YearMonth, true);
}

void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaAction() {
    metadataExport(d, LibraryExportSettings{});
}
void LibraryWindowsPart::ExportEditedPhotoWithPhotoLibraryMetaAction() {
    LibraryExportSettings s;
    s.edited = true;
    metadataExport(d, s);
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryTitleAction() {
    metadataExport(d, onlyKeys(keysOf(true, false, false, false, false)));
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction() {
    runExport(d, [storage = d.preferences().storagelocation](const QList<ExportEntry> &entries,
                                                             const JobControl &control) {
        return exportWithLibraryCreationDate(entries, storage,
                                             [&control] { return control.isCancelled(); });
    });
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaCameraDateAction() {
    LibraryExportSettings s;
    s.keys = keysOf(false, false, false, true, false);
    metadataExport(d, s);
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaDescripAction() {
    metadataExport(d, onlyKeys(keysOf(false, true, false, false, false)));
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaKeyWordsAction() {
    metadataExport(d, onlyKeys(keysOf(false, false, true, false, false)));
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaGPSinfoAction() {
    metadataExport(d, onlyKeys(keysOf(false, false, false, false, true), false));
}

void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction() {
    metadataExport(d, sorted(false, LibraryLayout::YearMonth));
}
void LibraryWindowsPart::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAction() {
    metadataExport(d, sorted(true, LibraryLayout::YearMonth));
}
void LibraryWindowsPart::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction() {
    metadataExport(d, sorted(false, LibraryLayout::AlbumOrYearMonth));
}
void LibraryWindowsPart::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction() {
    metadataExport(d, sorted(true, LibraryLayout::AlbumOrYearMonth));
}

void LibraryWindowsPart::showDownloadiCLoudPHotosonMainThread() {
    beginAlertSheet(
        d.window,
        AppDelegate::tr("The currently selected photos include one or more iCloud Photos that "
                        "have not been downloaded."),
        AppDelegate::tr("Their thumbnails were exported in their place. Download the originals "
                        "into the library from iCloud, then export them again."),
        {AppDelegate::tr(" Ok ")},
        [this](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
}

void LibraryWindowsPart::ApplyOriginalPhotoMetadataChangeAction() {
    if (d.library().photoLibBroserArray.isEmpty())
        return;
    const QList<ExportEntry> entries = selectedEntries(d);
    if (entries.isEmpty())
        return;
    const auto text = [](const QLineEdit *field) { return field ? field->text() : QString(); };
    PanelValues panel;
    panel.latitude = text(d.libraryPanels.originalPhotolibgpsLatilab);
    panel.longitude = text(d.libraryPanels.originalPhotolibgpsLongtlab);
    panel.cameraDate = text(d.libraryPanels.originalPhotolibCameraDatelab);
    panel.artist = text(d.libraryPanels.originalPhotolibArtistlab);
    panel.description = text(d.libraryPanels.originalPhotolibDescriplab);
    panel.copyright = text(d.libraryPanels.originalPhotolibCopyrightlab);
    panel.make = text(d.libraryPanels.originalPhotolibCameraMakelab);
    panel.model = text(d.libraryPanels.originalPhotolibCameraModelab);
    panel.lensMake = text(d.libraryPanels.originalPhotolibLenMakelab);
    panel.lensModel = text(d.libraryPanels.originalPhotolibLenModelab);
    panel.comment = text(d.libraryPanels.originalPhotolibCommendlab);
    panel.keywords = text(d.libraryPanels.originalPhotolibkeywordslab);
    panel.title = text(d.libraryPanels.originalPhotolibTitlelab);
    const QString storage = d.preferences().storagelocation;
    ExportReport refused;
    if (!storageFolderWritable(storage, &refused.folderReason))
        return finishExport(d, refused, {});
    QList<IKImageItemPtr> items;
    for (const ExportEntry &e : entries)
        items << e.item;
    LibraryExportSettings flat;
    flat.storageFolder = storage;
    d.jobs().startRecipeJob(items, false, panelRecipeOptions(entries, storage, panel),
                            [this, entries, flat](const WriteRecipeReport &written, bool) {
                                ExportReport report = libraryExportReport(entries, flat, written);
                                // The panel's values go out as typed; no photo is said to be
                                // missing from iCloud here.
                                report.notDownloaded = false;
                                finishExport(d, report, entries);
                            });
}
