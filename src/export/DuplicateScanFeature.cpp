// The duplicate scan: refused until the library has loaded and while another program holds
// it; otherwise the window comes up over the main window while a job hashes a snapshot of
// the browser's list, and the groups are shown when it ends.
#include "app/AppDelegate.h"

#include "base/Logging.h"
#include "export/PRArrayController.h"
#include "export/core/DuplicateScan.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>
#include <utility>

void AppDelegate::FindDuplicatePhotosAction() {
    const auto end3 = [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); };
    if (!library.scanComplete) {
        beginAlertSheet(window, tr("The Scan is not completed."),
                        tr("Please wait a while to complete the scan."), {tr(" Ok ")}, end3);
        return;
    }
    if (CheckPhotosApplicationRun()) {
        showQuitPhotosOffer();
        return;
    }
    if (duplicateScanRunning())
        return; // the sheet of the running scan is up; nothing can start a second one

    duplicateWindow.sameFileArray.clear();
    duplicateWindow.duplicateUnreadable.clear();
    // A library opened again may carry new thumbnails under the old paths.
    duplicateWindow.imageCache.clear();
    duplicateWindow.leftController->removeAllObjects();
    duplicateWindow.rightController->removeAllObjects();
    reloadDuplicateTable(duplicateWindow.leftTableView);
    reloadDuplicateTable(duplicateWindow.rightTableView);
    duplicateWindow.scanDupProcesser->show();
    duplicateWindow.scanningDupinfolab->show();
    library.scanningcount = 0;
    if (!duplicateWindow.scanDupGifTimer) {
        duplicateWindow.scanDupGifTimer = new QTimer(this);
        connect(duplicateWindow.scanDupGifTimer, &QTimer::timeout, this,
                &AppDelegate::StartScanningDupGIFImageViewTimer);
    }
    duplicateWindow.scanDupGifTimer->start(100);
    duplicateWindow.hHasRemoved = false;

    // The tasks read only this copy, never the browser's list or items; each hashes one
    // thumbnail, so a Cancel leaves the rest unread.
    const QList<DuplicateScanEntry> entries = duplicateScanEntries(library.photoLibBroserArray);
    const QStringList paths = duplicateScanPaths(entries);
    JobRunner *runner = startJob(OneAtATime::DuplicateScan);
    connect(runner, &JobRunner::finished, this,
            [this, runner, entries, paths](const QList<JobResult> &results, bool cancelled) {
                if (runningJob(OneAtATime::DuplicateScan) != runner)
                    return; // stopped from its window: nothing of it shows
                if (cancelled) {
                    CLickCancleDupAction();
                    return;
                }
                forgetJob(OneAtATime::DuplicateScan);
                QList<ThumbnailKey> read;
                for (const JobResult &r : results)
                    read << ThumbnailKey{r.ok ? r.data.toString() : QString(), r.reason};
                ScanDuplicateFinishedHanderToMainThread(duplicateScanResult(entries, paths, read));
            });
    runner->start(paths, [](const QString &path) {
        const ThumbnailKey k = thumbnailKey(path);
        return JobResult{-1, !k.key.isNull(), {}, k.why, k.key};
    });

    duplicateWindow.duplicateResultlab->hide();
    duplicateWindow.duplicateUnreadablelab->hide();
    static_cast<QDialog *>(duplicateWindow.dupWindow)->open();
}

void AppDelegate::stopDuplicateScan() {
    if (!duplicateScanRunning())
        return;
    // The thumbnails not begun are left unread; the ending sees it is no longer the scan.
    forgetJob(OneAtATime::DuplicateScan)->cancel();
    if (duplicateWindow.scanDupGifTimer)
        duplicateWindow.scanDupGifTimer->stop();
    duplicateWindow.scanDupProcesser->hide();
    duplicateWindow.scanningDupinfolab->hide();
}

void AppDelegate::StartScanningDupGIFImageViewTimer() {
    const int n = library.scanningcount++;
    if (n <= 6)
        duplicateWindow.scanningDupinfolab->setText(QStringLiteral("Scanning.") +
                                                    QString(n, QLatin1Char('.')));
    else if (n >= 8)
        library.scanningcount = 0;
}

void AppDelegate::ScanDuplicateFinishedHanderToMainThread(const DuplicateScanResult &result) {
    duplicateWindow.sameFileArray = result.groups;
    duplicateWindow.duplicatePhotosNum = result.duplicatePhotosNum;
    duplicateWindow.duplicateVideosNum = result.duplicateVideosNum;
    duplicateWindow.duplicateUnreadable = result.unreadable;
    for (const QString &line : result.unreadable)
        qCInfo(lcExport).noquote() << "unreadableThumbnail==" << line;

    duplicateWindow.leftController->setContent(duplicateWindow.sameFileArray);
    if (duplicateWindow.sameFileArray.isEmpty()) {
        // Over the duplicate window, which stays up; the thumbnails left out are named.
        JobReport report;
        report.message = tr("No duplicate photos found.");
        report.nothingToDo = true;
        report.notWritten = result.unreadable;
        if (!result.unreadable.isEmpty())
            report.informative = tr("These thumbnails could not be read:\n%1")
                                     .arg(shortList(result.unreadable).join(QLatin1Char('\n')));
        finishJob(report, duplicateWindow.dupWindow);
    }
    duplicateWindow.leftTableView->clearSelection();
    reloadDuplicateTable(duplicateWindow.leftTableView);
    if (!duplicateWindow.sameFileArray.isEmpty())
        duplicateWindow.leftTableView->selectRow(0);

    duplicateWindow.scanDupProcesser->hide();
    duplicateWindow.scanningDupinfolab->hide();
    if (duplicateWindow.scanDupGifTimer)
        duplicateWindow.scanDupGifTimer->stop();
    duplicateWindow.duplicateResultlab->setText(QStringLiteral("%1 Photos, %2 Videos")
                                                    .arg(duplicateWindow.duplicatePhotosNum)
                                                    .arg(duplicateWindow.duplicateVideosNum));
    duplicateWindow.duplicateResultlab->show();
    if (!duplicateWindow.duplicateUnreadable.isEmpty()) {
        const qsizetype n = duplicateWindow.duplicateUnreadable.size();
        duplicateWindow.duplicateUnreadablelab->setText(
            n == 1 ? tr("1 thumbnail could not be read")
                   : tr("%1 thumbnails could not be read").arg(n));
        duplicateWindow.duplicateUnreadablelab->setToolTip(
            duplicateWindow.duplicateUnreadable.join(QLatin1Char('\n')));
        duplicateWindow.duplicateUnreadablelab->show();
    }
}
