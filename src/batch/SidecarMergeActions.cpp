// The Takeout JSON and XMP sidecar merges: their panels, runs and one ending each.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "batch/core/SidecarMerge.h"
#include "browser/PRButton.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>

#include <memory>

namespace {

// Opened from `from` when it is shown, so that the panel stays above the window it serves.
QFileDialog *folderPanel(AppDelegate &d, const QString &message, bool several,
                         QWidget *from = nullptr) {
    QWidget *owner = from && from->isVisible() ? from : d.window;
    auto *panel = new QFileDialog(owner, message, QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setFileMode(QFileDialog::Directory);
    panel->setLabelText(QFileDialog::LookIn, message);
    // The long message wraps rather than being cut beside the folder box.
    if (auto *lookIn = panel->findChild<QLabel *>(QStringLiteral("lookInLabel")))
        lookIn->setWordWrap(true);
    // Room for the folder box's path beside it.
    panel->resize(860, 520);
    // Qt's folder dialog picks one folder; its views take several when asked.
    if (several) {
        for (QAbstractItemView *view : panel->findChildren<QAbstractItemView *>())
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    d.mainWindowController().theOpenPanel = panel;
    return panel;
}

void showWindow(QWidget *w) {
    w->adjustSize();
    w->show();
    w->raise();
    w->activateWindow();
}

void showBusy(QWidget *window, QWidget *bar, PRButton *a, PRButton *b) {
    for (PRButton *button : {a, b}) {
        if (button)
            button->hide();
    }
    if (bar)
        bar->show();
    if (window)
        showWindow(window);
}

void showIdle(QWidget *window, QWidget *bar, PRButton *a, PRButton *b) {
    for (PRButton *button : {a, b}) {
        if (button)
            button->show();
    }
    if (bar)
        bar->hide();
    if (window)
        window->hide();
}

constexpr Jobs::OneAtATime mergeKind = Jobs::OneAtATime::SidecarMerge;

bool refuseSecondRun(AppDelegate &d) {
    if (!d.jobs().runningJob(mergeKind))
        return false;
    beginAlertSheet(d.window, AppDelegate::tr("A merge is already running."),
                    AppDelegate::tr("Wait until it has ended, then start the next one."),
                    {AppDelegate::tr(" Ok ")}, {});
    return true;
}

// The run's one ending: its summary, and the folder or first photo shown beside it.
void showSummary(AppDelegate &d, const QString &heading, const SidecarMergeSummary &summary,
                 const QString &revealPath, const QString &revealRoot) {
    JobReport report;
    report.message = heading;
    report.informative = summary.text();
    report.written = int(summary.merged.size());
    report.notWritten = summary.unpaired + summary.skipped;
    report.revealPath = revealPath;
    report.revealRoot = revealRoot;
    d.sidecarMerges.sidecarSummarySheet = d.jobs().finishJob(report);
}

// A merge of either kind as the one merge job; `end` gets the summary the task leaves.
JobRunner *startMergeJob(AppDelegate &d) {
    JobRunner *runner = d.jobs().startJob(mergeKind);
    // The merge window has its own bar and Cancel: the status bar shows no second pair.
    runner->setOwnProgress(true);
    return runner;
}

// The merge's walk on `runner`; its summary goes to `end`.
void runMerge(AppDelegate &d, JobRunner *runner,
              std::function<SidecarMergeSummary(JobControl &control)> walk,
              void (SidecarMergesPart::*end)(const SidecarMergeSummary &)) {
    d.jobs().startLong<SidecarMergeSummary>(runner, std::move(walk),
                                            [&d, runner, end](SidecarMergeSummary &&summary, bool) {
                                                // The next merge may start once the summary shows.
                                                if (d.jobs().runningJob(mergeKind) == runner)
                                                    d.jobs().forgetJob(mergeKind);
                                                (d.sidecarMerges.*end)(summary);
                                            });
}

void cancelMerge(AppDelegate &d) {
    if (JobRunner *runner = d.jobs().runningJob(mergeKind))
        runner->cancel();
}

} // namespace

void SidecarMergesPart::MergeJsonMetadataToPhotosAction() {
    BatchWriteJsonFileToPhotos();
}

void SidecarMergesPart::BatchWriteJsonFileToPhotos() {
    if (refuseSecondRun(d))
        return;
    QFileDialog *panel = folderPanel(
        d, AppDelegate::tr("Select one or more downloaded Google Takeout Photos folders to merge."),
        true, writeJsonWindow);
    d.connect(panel, &QFileDialog::finished, &d,
              [this, panel](int r) { openPanelDidEnd19(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void SidecarMergesPart::openPanelDidEnd19(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList folders = panel->selectedFiles();
    if (!folders.isEmpty())
        startJsonMerge(folders);
}

bool SidecarMergesPart::startJsonMerge(const QStringList &folders) {
    if (folders.isEmpty() || refuseSecondRun(d))
        return false;
    totalJsonFiles = countJsonFiles = 0;
    if (writeGooglePhotoLab) {
        writeGooglePhotoLab->setText(
            folders.size() == 1
                ? AppDelegate::tr(
                      "The merge process will match the json files and photos in the Google "
                      "Takeout folder, and automatically batch merge the json metadata into the "
                      "corresponding photos.")
                : AppDelegate::tr(
                      "The merge process first combines all selected Google Takeout folder "
                      "structures and files into a single Google Takeout folder. It then matches "
                      "all JSON files and photos within the Google Takeout folder and "
                      "automatically merges the JSON metadata into the corresponding photos in "
                      "batches."));
    }
    currentJosnFilePathStr = folders.first();
    if (writeJsonProcesser)
        writeJsonProcesser->setValue(0);
    showBusy(writeJsonWindow, writeJsonProcesser, writeJsonBtn, CancelJsonBtn);
    // The sheet's cancel stops the run at its next sidecar.
    if (CancelJsonBtn)
        CancelJsonBtn->show();

    JobRunner *runner = startMergeJob(d);
    d.connect(runner, &JobRunner::progress, &d,
              &AppDelegate::forward<&SidecarMergesPart::ScanJsonUpdatProgessItemToMainThread>);
    runMerge(
        d, runner,
        [folders](JobControl &control) {
            const QStringList notMoved = mergeFolderswithSourceArray(folders);
            SidecarMergeSummary summary = ScanJsonPhotosItemThreader(
                folders.first(),
                [&control](int done, int total) { control.setProgress(done, total); },
                control.cancelFlag());
            summary.skipped = notMoved + summary.skipped;
            return summary;
        },
        &SidecarMergesPart::BatchScanJsonPhotosItemToMainThread);
    return true;
}

void SidecarMergesPart::ScanJsonUpdatProgessItemToMainThread(int done, int total) {
    countJsonFiles = done;
    totalJsonFiles = total;
    if (writeJsonProcesser && total > 0)
        writeJsonProcesser->setValue(done * 95 / total);
}

void SidecarMergesPart::BatchScanJsonPhotosItemToMainThread(const SidecarMergeSummary &summary) {
    if (writeJsonProcesser)
        writeJsonProcesser->setValue(100);
    showIdle(writeJsonWindow, writeJsonProcesser, writeJsonBtn, CancelJsonBtn);
    showSummary(d, AppDelegate::tr("The Google Takeout merge has ended."), summary, QString(),
                currentJosnFilePathStr);
}

void SidecarMergesPart::CanelJsonMetadataToPhotosAction() {
    cancelMerge(d);
    if (writeJsonWindow)
        writeJsonWindow->hide();
}

void SidecarMergesPart::WriteXMPMetadataToPhotosAction() {
    if (refuseSecondRun(d))
        return;
    showIdle(nullptr, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    d.sheets().showOverMainWindow(writeXmpWindow);
}

void SidecarMergesPart::BatchWriteXMPFileToFile() {
    if (writeXmpWindow)
        writeXmpWindow->hide();
    if (refuseSecondRun(d))
        return;
    QFileDialog *panel =
        folderPanel(d, AppDelegate::tr("Choose an XMP folder to open."), false, writeXmpWindow);
    d.connect(panel, &QFileDialog::finished, &d,
              [this, panel](int r) { openPanelDidEnd9(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void SidecarMergesPart::CanelXMPMetadataToPhotosAction() {
    cancelMerge(d);
    if (writeXmpWindow)
        writeXmpWindow->hide();
}

void SidecarMergesPart::openPanelDidEnd9(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    startXmpMerge(panel->selectedFiles().first());
}

bool SidecarMergesPart::startXmpMerge(const QString &folder) {
    if (folder.isEmpty() || refuseSecondRun(d))
        return false;
    if (writeXmpProcesser)
        writeXmpProcesser->setRange(0, 0); // busy: the walk does not know its end
    showBusy(writeXmpWindow, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    if (CancelXmpBtn)
        CancelXmpBtn->show();
    runMerge(
        d, startMergeJob(d),
        [folder](JobControl &control) {
            return ScnXmpPhotosItemThreader(folder, {}, control.cancelFlag());
        },
        &SidecarMergesPart::BatchScanXmpPhotosItemToMainThread);
    return true;
}

void SidecarMergesPart::BatchScanXmpPhotosItemToMainThread(const SidecarMergeSummary &summary) {
    showIdle(writeXmpWindow, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    // One reveal for the run: its first merged photo.
    const QString first = summary.merged.value(0);
    showSummary(d, AppDelegate::tr("The XMP merge has ended."), summary, first,
                first.isEmpty() ? QString() : QFileInfo(first).absolutePath());
}
