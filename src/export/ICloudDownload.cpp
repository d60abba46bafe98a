// Downloads of iCloud originals: the download window over a run, and the one-photo reveal.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

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

QList<ExportEntry> selectedEntriesOf(const AppDelegate &d) {
    QList<int> rows;
    if (d.mainWindowController().photoLibBrowserView &&
        d.mainWindowController().photoLibBrowserView->selectionModel())
        for (const QModelIndex &index :
             d.mainWindowController().photoLibBrowserView->selectionModel()->selectedIndexes())
            rows << index.row();
    return snapshotSelection(d.library().photoLibBroserArray, rows);
}

QString sizeText(quint64 bytes) {
    char buffer[100] = {};
    return QString::fromUtf8(size_to_unit(bytes, buffer));
}

// The download window's controls, added to the window the shell built.
void prepareDownloadWindow(AppDelegate &d) {
    if (!d.libraryWindows.downloadPhotosWindow)
        d.libraryWindows.downloadPhotosWindow = d.libraryWindows.downloadiCloudPhotosWindow;
    if (!d.libraryWindows.downloadPhotosWindow || d.libraryWindows.downloadPhotosProgressor)
        return;
    auto *column = d.libraryWindows.downloadPhotosWindow->findChild<QVBoxLayout *>();
    QWidget *w = d.libraryWindows.downloadPhotosWindow;
    d.libraryWindows.downloadiCloudPhotoInfolab = new QLabel(w);
    d.libraryWindows.downloadiCloudPhotoInfolab->setObjectName(
        QStringLiteral("downloadiCloudPhotoInfolab"));
    d.libraryWindows.downloadiCloudPhotoInfolab->setWordWrap(true);
    d.libraryWindows.downloadPhotosProgressor = new QProgressBar(w);
    d.libraryWindows.downloadPhotosProgressor->setObjectName(
        QStringLiteral("downloadPhotosProgressor"));
    d.libraryWindows.downloadPhotosProgressor->setRange(0, 100);
    d.libraryWindows.downloadiCloudPhotoProcesslab = new QLabel(w);
    d.libraryWindows.downloadiCloudPhotoProcesslab->setObjectName(
        QStringLiteral("downloadiCloudPhotoProcesslab"));
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("downloadPhotosCancelBtn"));
    if (column) {
        column->insertWidget(0, d.libraryWindows.downloadiCloudPhotoInfolab);
        column->insertWidget(1, d.libraryWindows.downloadPhotosProgressor);
        column->insertWidget(2, d.libraryWindows.downloadiCloudPhotoProcesslab);
        column->insertWidget(3, cancel, 0, Qt::AlignRight);
    }
}

// The window's last words, then the one ending: the photos not written, each with its
// reason, and the storage folder shown.
void endCloudDownload(AppDelegate &d, const CloudDownloadRun::Report &report,
                      const QString &storage, bool withWindow, bool cancelled) {
    if (withWindow) {
        d.jobs().forgetJob(Jobs::OneAtATime::CloudDownload);
        if (d.libraryWindows.downloadiCloudPhotoInfolab)
            d.libraryWindows.downloadiCloudPhotoInfolab->setText(
                AppDelegate::tr("%1 full-resolution iCloud photos total %2 have been "
                                "successfully downloaded.")
                    .arg(report.total - int(report.notDownloaded.size() + report.notCopied.size()))
                    .arg(sizeText(d.libraryWindows.allDownloadiCloudPhotoSize)));
        if (d.libraryWindows.downloadiCloudPhotoProcesslab)
            d.libraryWindows.downloadiCloudPhotoProcesslab->clear();
        if (d.libraryWindows.downloadPhotosWindow)
            d.libraryWindows.downloadPhotosWindow->hide();
    }
    JobReport ending;
    ending.written = int(report.written.size());
    ending.notWritten = report.notDownloaded + report.notCopied;
    ending.cancelled = cancelled;
    ending.revealRoot = storage;
    ending.sheetOnSuccess = false;
    if (!ending.notWritten.isEmpty()) {
        ending.message = cancelled ? AppDelegate::tr("The download was cancelled.")
                                   : AppDelegate::tr("Some originals were not downloaded.");
        ending.informative = shortList(ending.notWritten).join(QLatin1Char('\n'));
    }
    d.jobs().finishJob(ending);
}

// The run on the job runner: `withWindow` drives the download window's bar, and its Cancel
// stops the run. The end goes through the one ending of jobs.
void startCloudDownload(AppDelegate &d, const QList<ExportEntry> &entries, bool withWindow) {
    JobRunner *runner =
        withWindow ? d.jobs().startJob(Jobs::OneAtATime::CloudDownload) : d.jobs().startJob();
    const QString storage = d.preferences().storagelocation;
    CloudPhotoLibrary *service = &cloudPhotoLibrary();
    if (withWindow) {
        // The window has its bar and Cancel: the status bar shows no second pair.
        runner->setOwnProgress(true);
        QObject::connect(
            runner, &JobRunner::progress, &d,
            &AppDelegate::forward<&LibraryWindowsPart::downloadAssetResourceonMainThread>);
        if (auto *cancel = d.libraryWindows.downloadPhotosWindow->findChild<QPushButton *>(
                QStringLiteral("downloadPhotosCancelBtn"))) {
            cancel->setEnabled(true);
            QObject::connect(cancel, &QPushButton::clicked, runner, [runner, cancel] {
                cancel->setEnabled(false);
                runner->cancel();
            });
        }
    }
    d.jobs().startLong<CloudDownloadRun::Report>(
        runner,
        [entries, storage, service](JobControl &control) {
            return CloudDownloadRun::runToEnd(
                entries, storage, *service,
                [&control](int finished, int total) { control.setProgress(finished, total); },
                [&control] { return control.isCancelled(); });
        },
        [&d, storage, withWindow](CloudDownloadRun::Report &&report, bool cancelled) {
            endCloudDownload(d, report, storage, withWindow, cancelled);
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

} // namespace

void LibraryWindowsPart::DownloadICloudsfromphotolibraryAction() {
    allDownloadiCloudPhotoSize = 0;
    allDownloadiCloudNum = 0;
    if (d.jobs().runningJob(Jobs::OneAtATime::CloudDownload))
        return; // one run at a time: its counters are the window's
    const QList<ExportEntry> entries = selectedEntriesOf(d);
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
    prepareDownloadWindow(d);
    allDownloadiCloudNum = int(entries.size());
    if (downloadPhotosProgressor)
        downloadPhotosProgressor->setValue(0);
    if (downloadiCloudPhotoProcesslab)
        downloadiCloudPhotoProcesslab->clear();
    if (downloadiCloudPhotoInfolab)
        downloadiCloudPhotoInfolab->setText(
            AppDelegate::tr("%1 full-resolution iCloud photos total %2 are being downloaded.")
                .arg(allDownloadiCloudNum)
                .arg(sizeText(allDownloadiCloudPhotoSize)));
    if (auto *sheet = qobject_cast<QDialog *>(downloadPhotosWindow)) {
        sheet->setWindowModality(Qt::WindowModal);
        sheet->open();
    } else if (downloadPhotosWindow) {
        downloadPhotosWindow->show();
    }
    startCloudDownload(d, entries, true);
}

void LibraryWindowsPart::downloadAssetResourceonMainThread(int finished, int total) {
    const int shown = std::min(finished, total);
    const int percent = total > 0 ? shown * 100 / total : 100;
    if (downloadPhotosProgressor)
        downloadPhotosProgressor->setValue(percent);
    if (downloadiCloudPhotoProcesslab)
        downloadiCloudPhotoProcesslab->setText(QStringLiteral("%1%").arg(percent));
}

void LibraryWindowsPart::ShowphotoinFinderAction() {
    const QList<ExportEntry> entries = selectedEntriesOf(d);
    for (const ExportEntry &e : entries) {
        if (e.item->bICloudDownloadPhoto) {
            Workspace::selectFile(e.item->filePath, QFileInfo(e.item->filePath).absolutePath());
            continue;
        }
        const QString message =
            AppDelegate::tr("The original iCloud photo is stored in iCloud. It may take "
                            "some time to download.");
        QString why;
        if (!cloudPhotoLibrary().isAvailable(&why)) {
            beginAlertSheet(
                d.window, message, why, {AppDelegate::tr(" Ok ")},
                [this](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
            continue;
        }
        const ExportEntry one = e;
        beginAlertSheet(d.window, message, AppDelegate::tr("Do you want to download it locally?"),
                        {AppDelegate::tr(" Download "), AppDelegate::tr(" Cancel ")},
                        [this, one](QMessageBox *alert, int code) {
                            if (alert)
                                alert->close();
                            if (code != 1)
                                return;
                            startCloudDownload(d, {one}, false);
                        });
    }
}
