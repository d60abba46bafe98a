// The library merge: listing two libraries, choosing the destination, the confirmation,
// the merge as a job and its end sheet.
#include "export/MergeWindow.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"

#include "export/core/LibraryMerge.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"
#include "platform/core/PhotosApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <memory>

namespace {

void front(QWidget *window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

bool isLibraryPackage(const QString &path) {
    const QFileInfo info(path);
    const QString ext = info.suffix();
    // Exactly these letters: Photos names its packages so.
    return info.exists() &&
           (ext == QLatin1String("photoslibrary") || ext == QLatin1String("photolibrary"));
}

PRPicFileInfoPtr libraryRecord(const QString &path) {
    auto r = std::make_shared<PRPicFileInfo>();
    const QFileInfo info(path);
    r->fileName = info.fileName();
    r->fileFullPath = info.absoluteFilePath();
    r->createDate.setText(
        QLocale(QStringLiteral("en_US"))
            .toString(info.lastModified(), QStringLiteral("yyyy:MM:dd HH:mm:ss")));
    return r;
}

} // namespace

MergeWindow::MergeWindow(AppServices &app) : app(app) {}

MergeWindow::~MergeWindow() {
    qDeleteAll(ownWindows);
}

void MergeWindow::build() {
    buildMergeWindow();
    buildProcessWindow();
}

// The source and the destination as the table shows them: the selected row is the
// destination, the other the source.
bool MergeWindow::mergePair(QString *source, QString *destination) const {
    const int row = photolibTableview->currentIndex().row();
    if (photolibraryAddedArray.size() != 2 || row < 0 || row > 1)
        return false;
    *destination = photolibraryAddedArray.at(row)->fileFullPath;
    *source = photolibraryAddedArray.at(1 - row)->fileFullPath;
    return true;
}

void MergeWindow::addMergeItem(QMenu *exports) {
    app.jobs().addMenuItem(exports, tr("Merge Photo Libraries..."),
                           [this] { ClickMergePhotoLibraryAction(); });
}

void MergeWindow::ClickMergePhotoLibraryAction() {
    photolibraryAddedArray.clear();
    importPhotoLibraryintoTableViewMainThreader();
    photolibDestLab->setText(QString());
    for (QCheckBox *box :
         {photolibDoNotImportDupBtn, photolibKeepAblumBtn, photolibKeepPhotoMetaBtn})
        box->setChecked(true);
    app.sheets().showOverMainWindow(photolibMergeWindow);
}

void MergeWindow::AddPhotoLibraryintoTableView() {
    // Above the merge window it adds to, not behind it on the main window.
    QWidget *owner = photolibMergeWindow && photolibMergeWindow->isVisible() ? photolibMergeWindow
                                                                             : app.mainWindow();
    auto *panel = new QFileDialog(owner, tr("Please select the photo libraries to merge."));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    // Library packages are folders.
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    QObject::connect(panel, &QFileDialog::finished, panel, [this, panel](int r) {
        openPanelDidEnd28(panel, r == QDialog::Accepted ? 1 : 0, nullptr);
    });
    panel->open();
}

void MergeWindow::openPanelDidEnd28(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    importPhotoLibraryintoTableViewThreader(panel->selectedFiles());
}

void MergeWindow::importPhotoLibraryintoTableViewThreader(const QStringList &paths) {
    // A few existence checks: quick enough for the main thread.
    for (const QString &path : paths)
        if (isLibraryPackage(path))
            photolibraryAddedArray << libraryRecord(path);
    importPhotoLibraryintoTableViewMainThreader();
    front(photolibMergeWindow);
}

void MergeWindow::importPhotoLibraryintoTableViewMainThreader() {
    photolibController->removeRows(0, photolibController->rowCount());
    for (const PRPicFileInfoPtr &r : photolibraryAddedArray) {
        auto *name = new QStandardItem(r->fileName);
        name->setToolTip(r->fileFullPath);
        photolibController->appendRow({name, new QStandardItem(r->createDate.text())});
    }
    photolibTableview->clearSelection();
    if (!photolibraryAddedArray.isEmpty())
        photolibTableview->selectRow(0);
    else
        photolibDestLab->setText(QString());
}

void MergeWindow::RemovePhotoLibraryFromTableView() {
    const int row = photolibTableview->currentIndex().row();
    if (row < 0 || row >= photolibraryAddedArray.size())
        return;
    photolibraryAddedArray.removeAt(row);
    importPhotoLibraryintoTableViewMainThreader();
}

void MergeWindow::ClickStartMergePhotoLibraryAction() {
    if (app.jobs().runningJob(Jobs::OneAtATime::LibraryMerge))
        return;
    QString source, destination;
    if (!mergePair(&source, &destination)) {
        beginAlertSheet(photolibMergeWindow,
                        tr("You need to add two photo libraries in the table view to merge the "
                           "photo libraries."),
                        QString(), {tr(" OK ")}, [](QMessageBox *, int) {});
        return;
    }
    QString info = tr("All photo library data will be merged into the Destination Photo Library.");
    const QString folder = exportFolderFor(source);
    if (dynamic_cast<LinuxPhotosApplication *>(&photosApplication()))
        info = tr("The photos of %1 are exported to %2. Neither library is changed: the Photos "
                  "application does not exist on Linux, so nothing is imported into %3.")
                   .arg(QFileInfo(source).fileName(), folder, QFileInfo(destination).fileName());
    else
        info += QLatin1Char(' ') +
                tr("The photos are exported to %1 first; the destination's database is not "
                   "written by this program.")
                    .arg(folder);
    beginAlertSheet(photolibMergeWindow,
                    tr("Are you sure you want to choose the %1?").arg(photolibDestLab->text()),
                    info, {tr(" YES "), tr(" Cancel ")},
                    [this](QMessageBox *alert, int code) { savePanelDidEnd36(alert, code); });
}

void MergeWindow::savePanelDidEnd36(QMessageBox *, int returnCode, void *) {
    if (returnCode != 1)
        return;
    StartMergePhotoLibraryThreader();
}

void MergeWindow::StartMergePhotoLibraryThreader() {
    LibraryMergeSettings settings;
    if (!mergePair(&settings.sourceLibrary, &settings.destinationLibrary))
        return;
    // Options are read here, on the main thread; the worker gets its own copy.
    settings.keepAlbums = photolibKeepAblumBtn->isChecked();
    settings.keepMetadata = photolibKeepPhotoMetaBtn->isChecked();
    photolibMergeProcesser->setRange(0, 0);
    photolibMergeProcessTipLab->setText(QString());
    photolibMergeProcessWindow->setWindowModality(Qt::ApplicationModal);
    front(photolibMergeProcessWindow);
    PhotosApplication *photos = &photosApplication();
    JobRunner *runner = app.jobs().startJob(Jobs::OneAtATime::LibraryMerge);
    // The merge window shows its own steps and Cancel: the status bar shows no second pair.
    runner->setOwnProgress(true);
    if (auto *cancel = photolibMergeProcessWindow->findChild<QPushButton *>(
            QStringLiteral("photolibMergeCancelBtn"))) {
        cancel->setEnabled(true);
        QObject::connect(cancel, &QPushButton::clicked, runner, [runner, cancel] {
            cancel->setEnabled(false);
            runner->cancel();
        });
    }
    QObject::connect(runner, &JobRunner::progressText, photolibMergeWindow,
                     [this](const QString &text) { MergePhotoLibraryProcessInMainThread(text); });
    app.jobs().startLong<LibraryMergeReport>(
        runner,
        [settings, photos](JobControl &control) {
            return ImportPhotosfromSourcePhotoLibrary(
                settings, *photos,
                [&control](const QString &text) { control.setProgress(0, 0, text); },
                [&control] { return control.isCancelled(); });
        },
        [this](LibraryMergeReport &&report, bool) {
            StartMergePhotoLibraryFinshMainThreader(report);
        },
        // What a merge cancelled before it began leaves.
        [folder = exportFolderFor(settings.sourceLibrary)] {
            LibraryMergeReport report;
            report.exportFolder = folder;
            report.cancelled = true;
            return report;
        });
}

void MergeWindow::MergePhotoLibraryProcessInMainThread(const QString &text) {
    photolibMergeProcessTipLab->setText(QStringLiteral("%1...").arg(text));
}

void MergeWindow::StartMergePhotoLibraryFinshMainThreader(const LibraryMergeReport &report) {
    app.jobs().forgetJob(Jobs::OneAtATime::LibraryMerge);
    photolibMergeProcesser->setRange(0, 1);
    photolibMergeProcessWindow->hide();
    QStringList lines;
    // What this merge did: an earlier one's copies in the folder are counted apart.
    const qsizetype copiedNow = report.exported.size() - report.alreadyThere;
    if (report.alreadyThere == 0)
        lines << tr("Exported to %1: %2 photos.")
                     .arg(report.exportFolder)
                     .arg(report.exported.size());
    else
        lines << tr("Exported to %1: %2 photos, %3 copied now and %4 already there "
                    "from an earlier merge.")
                     .arg(report.exportFolder)
                     .arg(report.exported.size())
                     .arg(copiedNow)
                     .arg(report.alreadyThere);
    if (report.besideOthers > 0)
        lines << tr("%1 of the copies went in under a new name beside another file "
                    "of their name.")
                     .arg(report.besideOthers);
    if (report.keptMetadata)
        lines << tr("%1 of the photos took the library's title, caption, keywords or "
                    "position; the others' files already held them.")
                     .arg(report.rewritten);
    lines << tr("Not in the destination library by name (what Photos would import): %1.")
                 .arg(report.lacking.size());
    if (report.imported > 0)
        lines << tr("Imported into the destination library: %1.").arg(report.imported);
    if (!report.importsNotTried.isEmpty())
        lines << tr("Nothing was imported: %1.").arg(report.importsNotTried);
    if (!report.stopped.isEmpty())
        lines << report.stopped;
    if (report.cancelled)
        lines << (report.imported == 0
                      ? tr("Nothing was imported: the destination library is as it was.")
                      : tr("The photos imported before the Cancel stay in the destination "
                           "library."));
    if (!report.failed.isEmpty())
        lines << tr("Not merged:") << shortList(report.failed);
    if (!report.remarks.isEmpty())
        lines << tr("Exported in part:") << shortList(report.remarks);
    JobReport ending;
    ending.message = report.cancelled            ? tr("The photo library merge was cancelled.")
                     : !report.stopped.isEmpty() ? tr("The photo library merge stopped.")
                     : report.imported == 0
                         ? tr("The photos were exported, not imported.")
                         : tr("The photo library merge task has been completed.");
    ending.informative = lines.join(QLatin1Char('\n'));
    ending.cancelled = report.cancelled;
    ending.written = int(report.exported.size());
    ending.revealRoot = report.exportFolder;
    // Only a merge that lost photos or stopped carries the warning sign.
    ending.notWritten = report.failed;
    for (const QString &why : {report.stopped, report.importsNotTried})
        if (!why.isEmpty())
            ending.notWritten << why;
    app.jobs().finishJob(ending, photolibMergeWindow);
}
