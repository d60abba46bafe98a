// The Takeout JSON and XMP sidecar merges: their panels, runs and one ending each.
#include "batch/SidecarMerges.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"

#include "batch/core/SidecarMerge.h"
#include "browser/PRButton.h"
#include "platform/AlertSheet.h"
#include "platform/Artwork.h"
#include "platform/ImageView.h"
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

} // namespace

SidecarMerges::SidecarMerges(AppServices &services) : app(services) {}

SidecarMerges::~SidecarMerges() {
    qDeleteAll(ownWindows);
}

void SidecarMerges::build() {
    buildXmpMergeWindow();
    buildJsonMergeWindow();
    for (PKImageView *v : {writeXmpImgView, writeJsonImgView})
        v->setImage(namedImage(QStringLiteral("editimageview.png")));
    // The XMP walk's bar shows only while it runs.
    writeXmpProcesser->hide();
}

// Opened from `from` when it is shown, so that the panel stays above the window it serves.
QFileDialog *SidecarMerges::folderPanel(const QString &message, bool several, QWidget *from) {
    QWidget *owner = from && from->isVisible() ? from : app.mainWindow();
    auto *panel = new QFileDialog(owner, message, QDir::homePath());
    panel->setObjectName(QStringLiteral("sidecarFolderPanel"));
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
    return panel;
}

bool SidecarMerges::refuseSecondRun() {
    if (!app.jobs().runningJob(mergeKind))
        return false;
    beginAlertSheet(app.mainWindow(), tr("A merge is already running."),
                    tr("Wait until it has ended, then start the next one."), {tr(" Ok ")}, {});
    return true;
}

// The run's one ending: its summary, and the folder or first photo shown beside it.
void SidecarMerges::showSummary(const QString &heading, const SidecarMergeSummary &summary,
                                const QString &revealPath, const QString &revealRoot) {
    JobReport report;
    report.message = heading;
    report.informative = summary.text();
    report.written = int(summary.merged.size());
    report.notWritten = summary.unpaired + summary.skipped;
    report.revealPath = revealPath;
    report.revealRoot = revealRoot;
    app.jobs().finishJob(report);
}

// A merge of either kind as the one merge job.
JobRunner *SidecarMerges::startMergeJob() {
    JobRunner *runner = app.jobs().startJob(mergeKind);
    // The merge window has its own bar and Cancel: the status bar shows no second pair.
    runner->setOwnProgress(true);
    return runner;
}

// The merge's walk on `runner`; its summary goes to `end`.
void SidecarMerges::runMerge(JobRunner *runner,
                             std::function<SidecarMergeSummary(JobControl &control)> walk,
                             void (SidecarMerges::*end)(const SidecarMergeSummary &)) {
    app.jobs().startLong<SidecarMergeSummary>(
        runner, std::move(walk), [this, runner, end](SidecarMergeSummary &&summary, bool) {
            // The next merge may start once the summary shows.
            if (app.jobs().runningJob(mergeKind) == runner)
                app.jobs().forgetJob(mergeKind);
            (this->*end)(summary);
        });
}

void SidecarMerges::cancelMerge() {
    if (JobRunner *runner = app.jobs().runningJob(mergeKind))
        runner->cancel();
}

void SidecarMerges::MergeJsonMetadataToPhotosAction() {
    BatchWriteJsonFileToPhotos();
}

void SidecarMerges::BatchWriteJsonFileToPhotos() {
    if (refuseSecondRun())
        return;
    QFileDialog *panel =
        folderPanel(tr("Select one or more downloaded Google Takeout Photos folders to merge."),
                    true, writeJsonWindow);
    QObject::connect(panel, &QFileDialog::finished, &app.jobs(), [this, panel](int r) {
        openPanelDidEnd19(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void SidecarMerges::openPanelDidEnd19(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList folders = panel->selectedFiles();
    if (!folders.isEmpty())
        startJsonMerge(folders);
}

bool SidecarMerges::startJsonMerge(const QStringList &folders) {
    if (folders.isEmpty() || refuseSecondRun())
        return false;
    totalJsonFiles = countJsonFiles = 0;
    if (writeGooglePhotoLab) {
        writeGooglePhotoLab->setText(
            folders.size() == 1
                ? tr("The merge process will match the json files and photos in the Google "
                     "Takeout folder, and automatically batch merge the json metadata into the "
                     "corresponding photos.")
                : tr("The merge process first combines all selected Google Takeout folder "
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

    JobRunner *runner = startMergeJob();
    QObject::connect(runner, &JobRunner::progress, &app.jobs(), [this](int done, int total) {
        ScanJsonUpdatProgessItemToMainThread(done, total);
    });
    runMerge(
        runner,
        [folders](JobControl &control) {
            const QStringList notMoved = mergeFolderswithSourceArray(folders);
            SidecarMergeSummary summary = ScanJsonPhotosItemThreader(
                folders.first(),
                [&control](int done, int total) { control.setProgress(done, total); },
                control.cancelFlag());
            summary.skipped = notMoved + summary.skipped;
            return summary;
        },
        &SidecarMerges::BatchScanJsonPhotosItemToMainThread);
    return true;
}

void SidecarMerges::ScanJsonUpdatProgessItemToMainThread(int done, int total) {
    countJsonFiles = done;
    totalJsonFiles = total;
    if (writeJsonProcesser && total > 0)
        writeJsonProcesser->setValue(done * 95 / total);
}

void SidecarMerges::BatchScanJsonPhotosItemToMainThread(const SidecarMergeSummary &summary) {
    if (writeJsonProcesser)
        writeJsonProcesser->setValue(100);
    showIdle(writeJsonWindow, writeJsonProcesser, writeJsonBtn, CancelJsonBtn);
    showSummary(tr("The Google Takeout merge has ended."), summary, QString(),
                currentJosnFilePathStr);
}

void SidecarMerges::CanelJsonMetadataToPhotosAction() {
    cancelMerge();
    if (writeJsonWindow)
        writeJsonWindow->hide();
}

void SidecarMerges::WriteXMPMetadataToPhotosAction() {
    if (refuseSecondRun())
        return;
    showIdle(nullptr, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    app.sheets().showOverMainWindow(writeXmpWindow);
}

void SidecarMerges::BatchWriteXMPFileToFile() {
    if (writeXmpWindow)
        writeXmpWindow->hide();
    if (refuseSecondRun())
        return;
    QFileDialog *panel = folderPanel(tr("Choose an XMP folder to open."), false, writeXmpWindow);
    QObject::connect(panel, &QFileDialog::finished, &app.jobs(), [this, panel](int r) {
        openPanelDidEnd9(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void SidecarMerges::CanelXMPMetadataToPhotosAction() {
    cancelMerge();
    if (writeXmpWindow)
        writeXmpWindow->hide();
}

void SidecarMerges::openPanelDidEnd9(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return;
    startXmpMerge(panel->selectedFiles().first());
}

bool SidecarMerges::startXmpMerge(const QString &folder) {
    if (folder.isEmpty() || refuseSecondRun())
        return false;
    if (writeXmpProcesser)
        writeXmpProcesser->setRange(0, 0); // busy: the walk does not know its end
    showBusy(writeXmpWindow, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    if (CancelXmpBtn)
        CancelXmpBtn->show();
    runMerge(
        startMergeJob(),
        [folder](JobControl &control) {
            return ScnXmpPhotosItemThreader(folder, {}, control.cancelFlag());
        },
        &SidecarMerges::BatchScanXmpPhotosItemToMainThread);
    return true;
}

void SidecarMerges::BatchScanXmpPhotosItemToMainThread(const SidecarMergeSummary &summary) {
    showIdle(writeXmpWindow, writeXmpProcesser, writeXmpBtn, CancelXmpBtn);
    // One reveal for the run: its first merged photo.
    const QString first = summary.merged.value(0);
    showSummary(tr("The XMP merge has ended."), summary, first,
                first.isEmpty() ? QString() : QFileInfo(first).absolutePath());
}
