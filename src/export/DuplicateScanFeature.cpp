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
    if (duplicateWindow.duplicateScan)
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

    // The worker reads only this copy, never the browser's list or items.
    const QList<DuplicateScanEntry> entries = duplicateScanEntries(library.photoLibBroserArray);
    auto job = std::make_shared<DuplicateScanJob>();
    DuplicateScanJob *raw = job.get();
    // A weak reference, not the address: a later scan's job may be made at the same one.
    const std::weak_ptr<DuplicateScanJob> weak = job;
    duplicateWindow.duplicateScan = job;
    job->thread = QThread::create([this, raw, weak, entries] {
        auto result = std::make_shared<DuplicateScanResult>(
            findDuplicateFiles(entries, nullptr, &raw->cancel));
        QMetaObject::invokeMethod(
            this,
            [this, weak, result] {
                const std::shared_ptr<DuplicateScanJob> alive = weak.lock();
                if (!alive || alive != duplicateWindow.duplicateScan || alive->cancel)
                    return;
                ScanDuplicateFinishedHanderToMainThread(*result);
                duplicateWindow.duplicateScan
                    .reset(); // waits for the worker, which has only to return
                duplicateWindow.findDuplicatThreader = nullptr;
            },
            Qt::QueuedConnection);
    });
    job->thread->setObjectName(QStringLiteral("findDuplicatThreader"));
    duplicateWindow.findDuplicatThreader = job->thread;
    job->thread->start();

    duplicateWindow.duplicateResultlab->hide();
    duplicateWindow.duplicateUnreadablelab->hide();
    static_cast<QDialog *>(duplicateWindow.dupWindow)->open();
}

void AppDelegate::stopDuplicateScan() {
    if (!duplicateWindow.duplicateScan)
        return;
    duplicateWindow.duplicateScan->cancel = true;
    duplicateWindow.duplicateScan.reset(); // the hashing stops at its next thumbnail
    duplicateWindow.findDuplicatThreader = nullptr;
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
        // Over the duplicate window, which stays up; the program goes on meanwhile.
        auto *alert = new QMessageBox(duplicateWindow.dupWindow);
        alert->setObjectName(QStringLiteral("noDuplicatesAlert"));
        alert->setWindowModality(Qt::ApplicationModal);
        alert->setText(tr("No duplicate photos found."));
        alert->setInformativeText(QString());
        alert->addButton(tr(" OK "), QMessageBox::AcceptRole);
        connect(alert, &QDialog::finished, alert, &QObject::deleteLater);
        alert->open();
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
