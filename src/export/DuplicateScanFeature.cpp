// The duplicate scan: refused until the library has loaded and while another program holds
// it; otherwise the window comes up over the main window while a job hashes a snapshot of
// the browser's list, and the groups are shown when it ends.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "library/LibraryDatabase.h"

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

void DuplicateWindowPart::FindDuplicatePhotosAction() {
    const auto end3 = [this](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); };
    if (!d.library().scanComplete) {
        beginAlertSheet(d.window, AppDelegate::tr("The Scan is not completed."),
                        AppDelegate::tr("Please wait a while to complete the scan."),
                        {AppDelegate::tr(" Ok ")}, end3);
        return;
    }
    if (d.libraryDatabase().CheckPhotosApplicationRun()) {
        d.libraryDatabase().showQuitPhotosOffer();
        return;
    }
    if (d.duplicateScanRunning())
        return; // the sheet of the running scan is up; nothing can start a second one

    sameFileArray.clear();
    duplicateUnreadable.clear();
    // A library opened again may carry new thumbnails under the old paths.
    imageCache.clear();
    leftController->removeAllObjects();
    rightController->removeAllObjects();
    reloadDuplicateTable(leftTableView);
    reloadDuplicateTable(rightTableView);
    scanDupProcesser->show();
    scanningDupinfolab->show();
    d.library().scanningcount = 0;
    if (!scanDupGifTimer) {
        scanDupGifTimer = new QTimer(&d);
        d.connect(scanDupGifTimer, &QTimer::timeout, &d,
                  &AppDelegate::forward<&DuplicateWindowPart::StartScanningDupGIFImageViewTimer>);
    }
    scanDupGifTimer->start(100);
    hHasRemoved = false;

    // The tasks read only &d copy, never the browser's list or items; each hashes one
    // thumbnail, so a Cancel leaves the rest unread.
    const QList<DuplicateScanEntry> entries = duplicateScanEntries(d.library().photoLibBroserArray);
    const QStringList paths = duplicateScanPaths(entries);
    JobRunner *runner = d.jobs().startJob(Jobs::OneAtATime::DuplicateScan);
    d.connect(runner, &JobRunner::finished, &d,
              [this, runner, entries, paths](const QList<JobResult> &results, bool cancelled) {
                  if (d.jobs().runningJob(Jobs::OneAtATime::DuplicateScan) != runner)
                      return; // stopped from its window: nothing of it shows
                  if (cancelled) {
                      CLickCancleDupAction();
                      return;
                  }
                  d.jobs().forgetJob(Jobs::OneAtATime::DuplicateScan);
                  QList<ThumbnailKey> read;
                  for (const JobResult &r : results)
                      read << ThumbnailKey{r.ok ? r.data.toString() : QString(), r.reason};
                  ScanDuplicateFinishedHanderToMainThread(
                      duplicateScanResult(entries, paths, read));
              });
    runner->start(paths, [](const QString &path) {
        const ThumbnailKey k = thumbnailKey(path);
        return JobResult{-1, !k.key.isNull(), {}, k.why, k.key};
    });

    duplicateResultlab->hide();
    duplicateUnreadablelab->hide();
    static_cast<QDialog *>(dupWindow)->open();
}

void DuplicateWindowPart::stopDuplicateScan() {
    if (!d.duplicateScanRunning())
        return;
    // The thumbnails not begun are left unread; the ending sees it is no longer the scan.
    d.jobs().forgetJob(Jobs::OneAtATime::DuplicateScan)->cancel();
    if (scanDupGifTimer)
        scanDupGifTimer->stop();
    scanDupProcesser->hide();
    scanningDupinfolab->hide();
}

void DuplicateWindowPart::StartScanningDupGIFImageViewTimer() {
    const int n = d.library().scanningcount++;
    if (n <= 6)
        scanningDupinfolab->setText(QStringLiteral("Scanning.") + QString(n, QLatin1Char('.')));
    else if (n >= 8)
        d.library().scanningcount = 0;
}

void DuplicateWindowPart::ScanDuplicateFinishedHanderToMainThread(
    const DuplicateScanResult &result) {
    sameFileArray = result.groups;
    duplicatePhotosNum = result.duplicatePhotosNum;
    duplicateVideosNum = result.duplicateVideosNum;
    duplicateUnreadable = result.unreadable;
    for (const QString &line : result.unreadable)
        qCInfo(lcExport).noquote() << "unreadableThumbnail==" << line;

    leftController->setContent(sameFileArray);
    if (sameFileArray.isEmpty()) {
        // Over the duplicate window, which stays up; the thumbnails left out are named.
        JobReport report;
        report.message = AppDelegate::tr("No duplicate photos found.");
        report.nothingToDo = true;
        report.notWritten = result.unreadable;
        if (!result.unreadable.isEmpty())
            report.informative = AppDelegate::tr("These thumbnails could not be read:\n%1")
                                     .arg(shortList(result.unreadable).join(QLatin1Char('\n')));
        d.jobs().finishJob(report, dupWindow);
    }
    leftTableView->clearSelection();
    reloadDuplicateTable(leftTableView);
    if (!sameFileArray.isEmpty())
        leftTableView->selectRow(0);

    scanDupProcesser->hide();
    scanningDupinfolab->hide();
    if (scanDupGifTimer)
        scanDupGifTimer->stop();
    duplicateResultlab->setText(
        QStringLiteral("%1 Photos, %2 Videos").arg(duplicatePhotosNum).arg(duplicateVideosNum));
    duplicateResultlab->show();
    if (!duplicateUnreadable.isEmpty()) {
        const qsizetype n = duplicateUnreadable.size();
        duplicateUnreadablelab->setText(
            n == 1 ? AppDelegate::tr("1 thumbnail could not be read")
                   : AppDelegate::tr("%1 thumbnails could not be read").arg(n));
        duplicateUnreadablelab->setToolTip(duplicateUnreadable.join(QLatin1Char('\n')));
        duplicateUnreadablelab->show();
    }
}
