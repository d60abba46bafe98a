// The duplicate scan: refused until the library has loaded and while another program holds
// it; otherwise the window comes up over the main window while a worker hashes a snapshot
// of the browser's list, and the groups are shown when it hands back.
#include "app/AppDelegate.h"

#include "base/Logging.h"
#include "export/PRArrayController.h"
#include "export/core/DuplicateScan.h"
#include "platform/AlertSheet.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <atomic>

// The running scan: cancelled and waited for when the application object goes.
class DuplicateScanJob {
  public:
    ~DuplicateScanJob() {
        cancel = true;
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
    std::atomic_bool cancel{false};
    QThread *thread = nullptr;
};

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
    if (duplicateScan)
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
    library.scanningcount = 0;
    if (!scanDupGifTimer) {
        scanDupGifTimer = new QTimer(this);
        connect(scanDupGifTimer, &QTimer::timeout, this,
                &AppDelegate::StartScanningDupGIFImageViewTimer);
    }
    scanDupGifTimer->start(100);
    hHasRemoved = false;

    // The worker reads only this copy, never the browser's list or items.
    const QList<DuplicateScanEntry> entries = duplicateScanEntries(library.photoLibBroserArray);
    auto job = std::make_shared<DuplicateScanJob>();
    DuplicateScanJob *raw = job.get();
    // A weak reference, not the address: a later scan's job may be made at the same one.
    const std::weak_ptr<DuplicateScanJob> weak = job;
    duplicateScan = job;
    job->thread = QThread::create([this, raw, weak, entries] {
        auto result = std::make_shared<DuplicateScanResult>(
            findDuplicateFiles(entries, nullptr, &raw->cancel));
        QMetaObject::invokeMethod(
            this,
            [this, weak, result] {
                const std::shared_ptr<DuplicateScanJob> alive = weak.lock();
                if (!alive || alive != duplicateScan || alive->cancel)
                    return;
                ScanDuplicateFinishedHanderToMainThread(*result);
                duplicateScan.reset(); // waits for the worker, which has only to return
                findDuplicatThreader = nullptr;
            },
            Qt::QueuedConnection);
    });
    job->thread->setObjectName(QStringLiteral("findDuplicatThreader"));
    findDuplicatThreader = job->thread;
    job->thread->start();

    duplicateResultlab->hide();
    duplicateUnreadablelab->hide();
    static_cast<QDialog *>(dupWindow)->open();
}

void AppDelegate::stopDuplicateScan() {
    if (!duplicateScan)
        return;
    duplicateScan->cancel = true;
    duplicateScan.reset(); // the hashing stops at its next thumbnail
    findDuplicatThreader = nullptr;
    if (scanDupGifTimer)
        scanDupGifTimer->stop();
    scanDupProcesser->hide();
    scanningDupinfolab->hide();
}

void AppDelegate::StartScanningDupGIFImageViewTimer() {
    const int n = library.scanningcount++;
    if (n <= 6)
        scanningDupinfolab->setText(QStringLiteral("Scanning.") + QString(n, QLatin1Char('.')));
    else if (n >= 8)
        library.scanningcount = 0;
}

void AppDelegate::ScanDuplicateFinishedHanderToMainThread(const DuplicateScanResult &result) {
    sameFileArray = result.groups;
    duplicatePhotosNum = result.duplicatePhotosNum;
    duplicateVideosNum = result.duplicateVideosNum;
    duplicateUnreadable = result.unreadable;
    for (const QString &line : result.unreadable)
        qCInfo(lcExport).noquote() << "unreadableThumbnail==" << line;

    leftController->setContent(sameFileArray);
    if (sameFileArray.isEmpty()) {
        // Over the duplicate window, which stays up; the program goes on meanwhile.
        auto *alert = new QMessageBox(dupWindow);
        alert->setObjectName(QStringLiteral("noDuplicatesAlert"));
        alert->setWindowModality(Qt::ApplicationModal);
        alert->setText(tr("No duplicate photos found."));
        alert->setInformativeText(QString());
        alert->addButton(tr(" OK "), QMessageBox::AcceptRole);
        connect(alert, &QDialog::finished, alert, &QObject::deleteLater);
        alert->open();
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
