// Downloads of iCloud originals: the download window over a run, and the one-photo reveal.
#include "library/LibraryWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "base/SharedHelpers.h"
#include "export/core/CloudDownload.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"

#include <QDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QList<ExportEntry> selectedEntriesOf(AppServices &app) {
    return snapshotSelection(app.library().photoLibBroserArray,
                             app.browsers().selectedLibraryRows());
}

QString sizeText(quint64 bytes) {
    char buffer[100] = {};
    return QString::fromUtf8(size_to_unit(bytes, buffer));
}

} // namespace

// The download window's controls, added to the window the shell built.
void LibraryWindows::prepareDownloadWindow() {
    if (!downloadPhotosWindow)
        downloadPhotosWindow = downloadiCloudPhotosWindow;
    if (!downloadPhotosWindow || downloadPhotosProgressor)
        return;
    auto *column = downloadPhotosWindow->findChild<QVBoxLayout *>();
    QWidget *w = downloadPhotosWindow;
    downloadiCloudPhotoInfolab = new QLabel(w);
    downloadiCloudPhotoInfolab->setObjectName(QStringLiteral("downloadiCloudPhotoInfolab"));
    downloadiCloudPhotoInfolab->setWordWrap(true);
    downloadPhotosProgressor = new QProgressBar(w);
    downloadPhotosProgressor->setObjectName(QStringLiteral("downloadPhotosProgressor"));
    downloadPhotosProgressor->setRange(0, 100);
    downloadiCloudPhotoProcesslab = new QLabel(w);
    downloadiCloudPhotoProcesslab->setObjectName(QStringLiteral("downloadiCloudPhotoProcesslab"));
    auto *cancel = new QPushButton(tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("downloadPhotosCancelBtn"));
    if (column) {
        column->insertWidget(0, downloadiCloudPhotoInfolab);
        column->insertWidget(1, downloadPhotosProgressor);
        column->insertWidget(2, downloadiCloudPhotoProcesslab);
        column->insertWidget(3, cancel, 0, Qt::AlignRight);
    }
}

// The window's last words, before the job's one ending.
void LibraryWindows::endCloudDownloadWindow(int downloaded) {
    app.jobs().forgetJob(Jobs::OneAtATime::CloudDownload);
    if (downloadiCloudPhotoInfolab)
        downloadiCloudPhotoInfolab->setText(
            tr("%1 full-resolution iCloud photos total %2 have been successfully downloaded.")
                .arg(downloaded)
                .arg(sizeText(allDownloadiCloudPhotoSize)));
    if (downloadiCloudPhotoProcesslab)
        downloadiCloudPhotoProcesslab->clear();
    if (downloadPhotosWindow)
        downloadPhotosWindow->hide();
}

// The run on the job runner: `withWindow` drives the download window's bar, and its Cancel
// stops the run. The end goes through the one ending of jobs: the photos not written, each
// with its reason, and the storage folder shown.
void LibraryWindows::startCloudDownload(const QList<ExportEntry> &entries, bool withWindow) {
    JobRunner *runner =
        withWindow ? app.jobs().startJob(Jobs::OneAtATime::CloudDownload) : app.jobs().startJob();
    const QString storage = app.preferences().storagelocation;
    CloudPhotoLibrary *service = &cloudPhotoLibrary();
    if (withWindow) {
        // The window has its bar and Cancel: the status bar shows no second pair.
        runner->setOwnProgress(true);
        QObject::connect(runner, &JobRunner::progress, &app.jobs(),
                         [this](int finished, int total) {
                             downloadAssetResourceonMainThread(finished, total);
                         });
        if (auto *cancel = downloadPhotosWindow->findChild<QPushButton *>(
                QStringLiteral("downloadPhotosCancelBtn"))) {
            cancel->setEnabled(true);
            QObject::connect(cancel, &QPushButton::clicked, runner, [runner, cancel] {
                cancel->setEnabled(false);
                runner->cancel();
            });
        }
    }
    app.jobs().startLong<CloudDownloadRun::Report>(
        runner,
        [entries, storage, service](JobControl &control) {
            return CloudDownloadRun::runToEnd(
                entries, storage, *service,
                [&control](int finished, int total) { control.setProgress(finished, total); },
                [&control] { return control.isCancelled(); });
        },
        [this, storage, withWindow](CloudDownloadRun::Report &&report, bool cancelled) {
            if (withWindow)
                endCloudDownloadWindow(report.total -
                                       int(report.notDownloaded.size() + report.notCopied.size()));
            JobReport ending;
            ending.written = int(report.written.size());
            ending.notWritten = report.notDownloaded + report.notCopied;
            ending.cancelled = cancelled;
            ending.revealRoot = storage;
            ending.sheetOnSuccess = false;
            if (!ending.notWritten.isEmpty()) {
                ending.message = cancelled ? tr("The download was cancelled.")
                                           : tr("Some originals were not downloaded.");
                ending.informative = shortList(ending.notWritten).join(QLatin1Char('\n'));
            }
            app.jobs().finishJob(ending);
        },
        // What a run cancelled before it began leaves: every photo named as cancelled.
        [entries] {
            CloudDownloadRun::Report report;
            report.total = int(entries.size());
            for (const ExportEntry &e : entries)
                report.notDownloaded << QStringLiteral("%1: cancelled").arg(e.item->fileName);
            return report;
        });
}

void LibraryWindows::DownloadICloudsfromphotolibraryAction() {
    allDownloadiCloudPhotoSize = 0;
    allDownloadiCloudNum = 0;
    if (app.jobs().runningJob(Jobs::OneAtATime::CloudDownload))
        return; // one run at a time: its counters are the window's
    const QList<ExportEntry> entries = selectedEntriesOf(app);
    if (entries.isEmpty())
        return;
    bool anyInCloud = false;
    for (const ExportEntry &e : entries) {
        if (e.item->photoLibFileNode)
            allDownloadiCloudPhotoSize += e.item->photoLibFileNode->originalfilesize;
        anyInCloud |= !e.item->bICloudDownloadPhoto;
    }
    if (!anyInCloud)
        return ExportphotosfromphotolibraryAction();
    prepareDownloadWindow();
    allDownloadiCloudNum = int(entries.size());
    if (downloadPhotosProgressor)
        downloadPhotosProgressor->setValue(0);
    if (downloadiCloudPhotoProcesslab)
        downloadiCloudPhotoProcesslab->clear();
    if (downloadiCloudPhotoInfolab)
        downloadiCloudPhotoInfolab->setText(
            tr("%1 full-resolution iCloud photos total %2 are being downloaded.")
                .arg(allDownloadiCloudNum)
                .arg(sizeText(allDownloadiCloudPhotoSize)));
    if (auto *sheet = qobject_cast<QDialog *>(downloadPhotosWindow)) {
        sheet->setWindowModality(Qt::WindowModal);
        sheet->open();
    } else if (downloadPhotosWindow) {
        downloadPhotosWindow->show();
    }
    startCloudDownload(entries, true);
}

void LibraryWindows::downloadAssetResourceonMainThread(int finished, int total) {
    const int shown = std::min(finished, total);
    const int percent = total > 0 ? shown * 100 / total : 100;
    if (downloadPhotosProgressor)
        downloadPhotosProgressor->setValue(percent);
    if (downloadiCloudPhotoProcesslab)
        downloadiCloudPhotoProcesslab->setText(QStringLiteral("%1%").arg(percent));
}

void LibraryWindows::ShowphotoinFinderAction() {
    const QList<ExportEntry> entries = selectedEntriesOf(app);
    for (const ExportEntry &e : entries) {
        if (e.item->bICloudDownloadPhoto) {
            Workspace::selectFile(e.item->filePath, QFileInfo(e.item->filePath).absolutePath());
            continue;
        }
        const QString message = tr("The original iCloud photo is stored in iCloud. It may take "
                                   "some time to download.");
        QString why;
        if (!cloudPhotoLibrary().isAvailable(&why)) {
            app.sheets().alert(message, why);
            continue;
        }
        const ExportEntry one = e;
        beginAlertSheet(app.mainWindow(), message, tr("Do you want to download it locally?"),
                        {tr(" Download "), tr(" Cancel ")},
                        [this, one](QMessageBox *alert, int code) {
                            if (alert)
                                alert->close();
                            if (code != 1)
                                return;
                            startCloudDownload({one}, false);
                        });
    }
}
