// The long jobs of the window: their runner, their progress bar and their one ending.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"

#include "metadata/core/RecipeJobReport.h"
#include "platform/core/JobRunner.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

// A job that ends sooner shows no bar: it would only flicker.
constexpr int progressDelayMs = 500;

void attachProgress(AppDelegate &d, JobRunner *runner) {
    if (!d.window)
        return;
    // Checked when the bar would show: the caller says so right after startJob().
    auto *box = new QWidget;
    box->setObjectName(QStringLiteral("JobProgress"));
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QProgressBar(box);
    bar->setObjectName(QStringLiteral("JobProgressBar"));
    bar->setRange(0, 0);
    bar->setMaximumWidth(220);
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), box);
    cancel->setObjectName(QStringLiteral("JobCancelButton"));
    layout->addWidget(bar);
    layout->addWidget(cancel);
    box->hide();
    d.window->statusBar()->addPermanentWidget(box);

    QObject::connect(runner, &JobRunner::progress, bar, [bar](int done, int total) {
        bar->setRange(0, total);
        bar->setValue(done);
    });
    QObject::connect(cancel, &QPushButton::clicked, runner, [runner, cancel] {
        cancel->setEnabled(false);
        runner->cancel();
    });
    QObject::connect(runner, &JobRunner::finished, box, &QWidget::hide);
    QObject::connect(runner, &QObject::destroyed, box, &QObject::deleteLater);
    QTimer::singleShot(progressDelayMs, box, [box, runner] {
        if (runner->isRunning() && !runner->hasOwnProgress())
            box->show();
    });
}

} // namespace

JobRunner *AppDelegate::startJob() {
    auto *runner = new JobRunner(this);
    trackJobTitle(runner);
    ++runningJobs;
    attachProgress(*this, runner);
    // Queued: the caller's own handlers of `finished` (its ending) run first.
    connect(
        runner, &JobRunner::finished, this,
        [this, runner] {
            --runningJobs;
            runner->deleteLater();
        },
        Qt::QueuedConnection);
    return runner;
}

JobRunner *AppDelegate::startJob(OneAtATime kind) {
    JobRunner *runner = startJob();
    jobsOfKind.insert(int(kind), runner);
    // Queued, as the count: the job's own ending runs first and may let go of it sooner.
    connect(
        runner, &JobRunner::finished, this,
        [this, runner, kind] {
            if (jobsOfKind.value(int(kind)) == runner)
                jobsOfKind.remove(int(kind));
        },
        Qt::QueuedConnection);
    return runner;
}

void AppDelegate::startRecipeJob(
    const QList<IKImageItemPtr> &items, bool overwrite, const WriteRecipeOptions &options,
    std::function<void(const WriteRecipeReport &, bool cancelled)> then) {
    JobRunner *runner = startJob();
    startWriteRecipe(
        *runner, items, preferences.storagelocation, overwrite, options,
        [this, then = std::move(then)](const WriteRecipeReport &report, bool cancelled) {
            showEditedPhotos(report);
            if (then)
                then(report, cancelled);
        });
}

void AppDelegate::showEditedPhotos(const WriteRecipeReport &report) {
    bool shownChanged = false;
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    for (const WriteRecipeResult &photo : report.photos) {
        if (!photo.item || photo.outputPath.isEmpty())
            continue;
        if (mainWindow.localPhotoModel)
            mainWindow.localPhotoModel->refreshItem(photo.item);
        shownChanged = shownChanged || (!selected.isEmpty() && selected.first() == photo.item);
    }
    // The panels and the edit sheet read the photo as now written.
    if (shownChanged && mainWindow.localImageBrowserView)
        mainWindow.imageBrowserSelectionDidChange(mainWindow.localImageBrowserView);
}

void AppDelegate::showRewrittenPhotos(const QList<IKImageItemPtr> &items,
                                      const QList<JobResult> &results) {
    WriteRecipeReport rewritten;
    for (const JobResult &r : results) {
        const IKImageItemPtr item = items.value(r.index);
        if (!r.ok || !item || r.outputPath != item->currentPath())
            continue;
        WriteRecipeResult photo;
        photo.item = item;
        photo.outputPath = r.outputPath;
        rewritten.photos << photo;
    }
    showEditedPhotos(rewritten);
}

void AppDelegate::startPhotoJob(const QList<IKImageItemPtr> &items,
                                std::function<JobResult(qsizetype index)> task,
                                const QString &revealRoot, bool sheetOnSuccess,
                                const QStringList &failedBefore) {
    JobRunner *runner = startJob();
    connect(runner, &JobRunner::finished, this,
            [this, items, revealRoot, sheetOnSuccess, failedBefore](const QList<JobResult> &results,
                                                                    bool cancelled) {
                showRewrittenPhotos(items, results);
                JobReport report;
                report.sheetOnSuccess = sheetOnSuccess;
                report.cancelled = cancelled;
                report.notWritten = failedBefore;
                for (const JobResult &r : results) {
                    const QString name = QFileInfo(items.value(r.index)->filePath).fileName();
                    if (!r.ok) {
                        report.notWritten << QStringLiteral("%1: %2").arg(name, r.reason);
                        continue;
                    }
                    if (r.outputPath == items.value(r.index)->filePath)
                        report.replaced << r.outputPath;
                    if (++report.written == 1) {
                        report.revealPath = r.outputPath;
                        report.revealRoot = revealRoot.isEmpty()
                                                ? QFileInfo(r.outputPath).absolutePath()
                                                : revealRoot;
                    }
                }
                finishJob(report);
            });
    runner->start(items.size(), std::move(task));
}

QMessageBox *AppDelegate::finishJob(const JobReport &report, QWidget *over) {
    return showJobEnding(report, over);
}
