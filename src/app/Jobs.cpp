// The long jobs of the window: their runner, their progress bar, the words of the action
// that started them and their one ending.
#include "app/Jobs.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Sheets.h"
#include "metadata/core/CompletionTexts.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/Workspace.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace {

// A job that ends sooner shows no bar: it would only flicker.
constexpr int progressDelayMs = 500;

constexpr char kWindowTitleProperty[] = "pkJobActionTitle";

void attachProgress(QMainWindow *window, JobRunner *runner) {
    if (!window)
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
    auto *cancel = new QPushButton(Jobs::tr("Cancel"), box);
    cancel->setObjectName(QStringLiteral("JobCancelButton"));
    layout->addWidget(bar);
    layout->addWidget(cancel);
    box->hide();
    window->statusBar()->addPermanentWidget(box);

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

QSet<QWidget *> shownWindows() {
    QSet<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

} // namespace

Jobs::Jobs(AppServices &services) : app(services) {}

JobRunner *Jobs::startJob() {
    auto *runner = new JobRunner(this);
    trackJobTitle(runner);
    ++runningJobs;
    attachProgress(app.mainWindow(), runner);
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

JobRunner *Jobs::startJob(OneAtATime kind) {
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

void Jobs::startRecipeJob(const QList<IKImageItemPtr> &items, bool overwrite,
                          const WriteRecipeOptions &options,
                          std::function<void(const WriteRecipeReport &, bool cancelled)> then) {
    JobRunner *runner = startJob();
    startWriteRecipe(
        *runner, items, app.preferences().storagelocation, overwrite, options,
        [this, then = std::move(then)](const WriteRecipeReport &report, bool cancelled) {
            app.browsers().showEditedPhotos(report);
            if (then)
                then(report, cancelled);
        });
}

void Jobs::startPhotoJob(const QList<IKImageItemPtr> &items,
                         std::function<JobResult(qsizetype index)> task, const QString &revealRoot,
                         bool sheetOnSuccess, const QStringList &failedBefore) {
    JobRunner *runner = startJob();
    connect(runner, &JobRunner::finished, this,
            [this, items, revealRoot, sheetOnSuccess, failedBefore](const QList<JobResult> &results,
                                                                    bool cancelled) {
                app.browsers().showRewrittenPhotos(items, results);
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

QMessageBox *Jobs::finishJob(const JobReport &report, QWidget *over) {
    return showJobEnding(report, over);
}

QMessageBox *Jobs::showJobEnding(const JobReport &given, QWidget *over) {
    Sheets &sheets = app.sheets();
    if (!given.message.isEmpty())
        return sheets.ownWordsSheet(given, over);
    JobReport report = given;
    if (report.actionTitle.isEmpty())
        report.actionTitle = jobActionTitle();
    const bool due = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty() ||
                     !report.message.isEmpty() || (report.written > 0 && report.sheetOnSuccess);
    // A sheet offers the reveal on its button; without a sheet the result is shown at once,
    // or the job would leave no trace on the screen.
    if (due)
        if (QMessageBox *sheet = sheets.completionSheet(report, false, over))
            return sheet;
    if (report.quiet)
        return nullptr;
    if (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty()) {
        // Where no file manager answers, the sheet tells what was done and where.
        QPointer<Jobs> self(this);
        QPointer<QWidget> window(over);
        Workspace::selectFile(report.revealPath, report.revealRoot, [self, report, window] {
            if (self)
                self->app.sheets().completionSheet(report, true, window);
        });
    } else if (report.written > 0 && !due) {
        // Nothing to reveal: the sheet is the only trace of the job.
        return sheets.completionSheet(report, false, over);
    }
    return nullptr;
}

void Jobs::revealJobResult(int written, const QString &path, const QString &root) {
    if (written <= 0)
        return;
    // A file written for the user (a property list) is no changed photo: where no file manager
    // answers, the sheet names the file and the folder it was written to.
    QPointer<Jobs> self(this);
    Workspace::selectFile(path, root, [self, path, root] {
        if (self)
            self->app.sheets().fileNotShown(path, root);
    });
}

QString Jobs::jobActionTitle() {
    if (!currentActionTitle.isEmpty())
        return currentActionTitle;
    if (auto *widget = qobject_cast<QWidget *>(sender())) {
        const QString opened = widget->window()->property(kWindowTitleProperty).toString();
        if (!opened.isEmpty())
            return opened;
    }
    return endingJobTitle;
}

void Jobs::setJobActionTitle(QWidget *window, const QString &title) {
    if (window)
        window->setProperty(kWindowTitleProperty, title);
}

void Jobs::trackJobTitle(JobRunner *runner) {
    const QString title = jobActionTitle();
    // Connected before the job's own ending: the ending, and any job it starts, know it.
    connect(runner, &JobRunner::finished, this, [this, title] { endingJobTitle = title; });
    connect(
        runner, &JobRunner::finished, this, [this] { endingJobTitle.clear(); },
        Qt::QueuedConnection);
}

QAction *Jobs::addMenuItem(QMenu *menu, const QString &text, std::function<void()> handler) {
    QAction *item = menu->addAction(text);
    connect(item, &QAction::triggered, this,
            [this, words = menuWords(text, menu->title()), handler = std::move(handler)] {
                const QString outer = std::exchange(currentActionTitle, words);
                const QSet<QWidget *> before = shownWindows();
                handler();
                // A window the item opened starts the item's job from its buttons; its
                // questions and menus are no such window.
                for (QWidget *w : shownWindows())
                    if (!before.contains(w) && !qobject_cast<QMenu *>(w) &&
                        !qobject_cast<QMessageBox *>(w))
                        setJobActionTitle(w, words);
                currentActionTitle = outer;
            });
    return item;
}
