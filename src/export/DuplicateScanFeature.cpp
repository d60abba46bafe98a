// The duplicate scan: refused until the library has loaded and while another program holds
// it; otherwise the window comes up over the main window while a job hashes a snapshot of
// the browser's list, and the groups are shown when it ends.
#include "export/DuplicateWindow.h"

#include "app/AppServices.h"
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

void DuplicateWindow::FindDuplicatePhotosAction() {
    const auto end3 = [this](QMessageBox *a, int c) { app.sheets().savePanelDidEnd3(a, c); };
    if (!app.library().scanComplete) {
        beginAlertSheet(app.mainWindow(), tr("The Scan is not completed."),
                        tr("Please wait a while to complete the scan."), {tr(" Ok ")}, end3);
        return;
    }
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    if (scanRunning())
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
    app.library().scanningcount = 0;
    if (!scanDupGifTimer) {
        scanDupGifTimer = new QTimer(dupWindow);
        scanDupGifTimer->setObjectName(QStringLiteral("scanDupGifTimer"));
        QObject::connect(scanDupGifTimer, &QTimer::timeout, dupWindow,
                         [this] { StartScanningDupGIFImageViewTimer(); });
    }
    scanDupGifTimer->start(100);
    hHasRemoved = false;

    // The tasks read only this copy, never the browser's list or items; each hashes one
    // thumbnail, so a Cancel leaves the rest unread.
    const QList<DuplicateScanEntry> entries =
        duplicateScanEntries(app.library().photoLibBroserArray);
    const QStringList paths = duplicateScanPaths(entries);
    JobRunner *runner = app.jobs().startJob(Jobs::OneAtATime::DuplicateScan);
    QObject::connect(
        runner, &JobRunner::finished, dupWindow,
        [this, runner, entries, paths](const QList<JobResult> &results, bool cancelled) {
            if (app.jobs().runningJob(Jobs::OneAtATime::DuplicateScan) != runner)
                return; // stopped from its window: nothing of it shows
            if (cancelled) {
                CLickCancleDupAction();
                return;
            }
            app.jobs().forgetJob(Jobs::OneAtATime::DuplicateScan);
            QList<ThumbnailKey> read;
            for (const JobResult &r : results)
                read << ThumbnailKey{r.ok ? r.data.toString() : QString(), r.reason};
            ScanDuplicateFinishedHanderToMainThread(duplicateScanResult(entries, paths, read));
        });
    runner->start(paths, [](const QString &path) {
        const ThumbnailKey k = thumbnailKey(path);
        return JobResult{-1, !k.key.isNull(), {}, k.why, k.key};
    });

    duplicateResultlab->hide();
    duplicateUnreadablelab->hide();
    static_cast<QDialog *>(dupWindow)->open();
}

DuplicateWindow::DuplicateWindow(AppServices &app, LibraryDatabase &database,
                                 LibraryWindows &libraryWindows)
    : app(app), database(database), libraryWindows(libraryWindows) {}

void DuplicateWindow::addFindItem(QMenu *libraryActions) {
    app.jobs().addMenuItem(libraryActions, tr("Find Duplicate Photos…"),
                           [this] { FindDuplicatePhotosAction(); });
}

bool DuplicateWindow::scanRunning() const {
    return app.jobs().runningJob(Jobs::OneAtATime::DuplicateScan);
}

void DuplicateWindow::stopDuplicateScan() {
    if (!scanRunning())
        return;
    // The thumbnails not begun are left unread; the ending sees it is no longer the scan.
    app.jobs().forgetJob(Jobs::OneAtATime::DuplicateScan)->cancel();
    if (scanDupGifTimer)
        scanDupGifTimer->stop();
    scanDupProcesser->hide();
    scanningDupinfolab->hide();
}

void DuplicateWindow::StartScanningDupGIFImageViewTimer() {
    const int n = app.library().scanningcount++;
    if (n <= 6)
        scanningDupinfolab->setText(QStringLiteral("Scanning.") + QString(n, QLatin1Char('.')));
    else if (n >= 8)
        app.library().scanningcount = 0;
}

void DuplicateWindow::ScanDuplicateFinishedHanderToMainThread(const DuplicateScanResult &result) {
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
        report.message = tr("No duplicate photos found.");
        report.nothingToDo = true;
        report.notWritten = result.unreadable;
        if (!result.unreadable.isEmpty())
            report.informative = tr("These thumbnails could not be read:\n%1")
                                     .arg(shortList(result.unreadable).join(QLatin1Char('\n')));
        app.jobs().finishJob(report, dupWindow);
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
        duplicateUnreadablelab->setText(n == 1 ? tr("1 thumbnail could not be read")
                                               : tr("%1 thumbnails could not be read").arg(n));
        duplicateUnreadablelab->setToolTip(duplicateUnreadable.join(QLatin1Char('\n')));
        duplicateUnreadablelab->show();
    }
}
