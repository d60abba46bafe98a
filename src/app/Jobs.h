#pragma once

#include "model/IKImageItem.h"
#include "platform/core/JobRunner.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class AppServices;
class QAction;
class QMenu;
class QMessageBox;
class QWidget;
struct JobReport;
struct WriteRecipeOptions;
struct WriteRecipeReport;

// The long jobs of the window. A job runs on the job runner's pool, shows a progress bar with
// a cancel button in the status bar once it lasts, and ends in finishJob: one sheet naming
// every photo not written and why, one reveal of its first result. The sheet is titled with
// the words of the menu item that started the job.
class Jobs : public QObject {
    Q_OBJECT
  public:
    explicit Jobs(AppServices &app);

    // The jobs of which one runs at a time.
    enum class OneAtATime {
        DuplicateScan,
        CloudDownload,
        LibraryMerge,
        SidecarMerge, // the Takeout and the XMP merge alike
        PlaceStamp,   // the place stamp's geocoding walk
        LocalSort,    // a newer sort of the local list cancels the one still running
    };
    // A runner for a new job, gone after its end; `finishJob` (or the caller's own ending)
    // runs before runningJobCount drops. A job of `kind` is the running one of its kind
    // until its end.
    JobRunner *startJob();
    JobRunner *startJob(OneAtATime kind);
    // The running job of `kind`, if any.
    JobRunner *runningJob(OneAtATime kind) const { return jobsOfKind.value(int(kind)); }
    // Lets go of the running job of `kind` at once, returning it: its end is no longer the
    // kind's (a stopped scan whose last results must not show).
    JobRunner *forgetJob(OneAtATime kind) { return jobsOfKind.take(int(kind)); }
    int runningJobCount() const { return runningJobs; }

    // One long task on `runner` whose ending receives the report the task returned; when
    // Cancel came before a worker took the task up, it receives `notRun()` instead.
    template <class Report>
    void startLong(
        JobRunner *runner, std::function<Report(JobControl &control)> task,
        std::function<void(Report &&report, bool cancelled)> ending,
        std::function<Report()> notRun = [] { return Report{}; });

    // The write recipe as a job of the window; `then` runs on the main thread when it ends.
    void startRecipeJob(const QList<IKImageItemPtr> &items, bool overwrite,
                        const WriteRecipeOptions &options,
                        std::function<void(const WriteRecipeReport &, bool cancelled)> then);
    // One task per photo as a job of the window; a task's ok result names the file written.
    // The ending reveals the first one (in `revealRoot`, or its own folder when empty) and
    // names each photo not written, after those of `failedBefore`.
    void startPhotoJob(const QList<IKImageItemPtr> &items,
                       std::function<JobResult(qsizetype index)> task, const QString &revealRoot,
                       bool sheetOnSuccess, const QStringList &failedBefore = {});

    // The one ending of a job: the completion sheet with its reveal button, or, when no
    // sheet is due, one reveal without waiting for the file manager (showJobEnding). The
    // sheet opens on `over` when the job belongs to a window of its own; it is returned.
    QMessageBox *finishJob(const JobReport &report, QWidget *over = nullptr);
    QMessageBox *showJobEnding(const JobReport &report, QWidget *over = nullptr);
    // The ending of a job whose `written` results need no sheet: `path` shown in the file
    // manager (under `root`), or, where none answers, the sheet naming what and where.
    void revealJobResult(int written, const QString &path, const QString &root);

    // The menu words of the action that started a job: the menu item being handled, the one
    // that opened the window whose button starts the job, or the job whose ending starts
    // this one.
    QString jobActionTitle();
    // Gives the window's buttons `title` for their jobs until a menu item opens it again.
    void setJobActionTitle(QWidget *window, const QString &title);
    // Hands the title of a starting job to its ending.
    void trackJobTitle(JobRunner *runner);
    // A menu item added to `menu` with `text`. While its handler runs, a job it starts is
    // named by the item's words, and so are the jobs started later from the buttons of a
    // window it opened.
    QAction *addMenuItem(QMenu *menu, const QString &text, std::function<void()> handler);

  private:
    AppServices &app;
    // Whether jobs run is recorded here alone: how many, and the one of each kind.
    int runningJobs = 0;
    QHash<int, JobRunner *> jobsOfKind;
    QString currentActionTitle; // while a triggered menu item is handled
    QString endingJobTitle;     // while a job's ending runs
};

template <class Report>
void Jobs::startLong(JobRunner *runner, std::function<Report(JobControl &control)> task,
                     std::function<void(Report &&report, bool cancelled)> ending,
                     std::function<Report()> notRun) {
    // Filled on the worker before `finished` is posted to this thread.
    auto report = std::make_shared<std::optional<Report>>();
    connect(runner, &JobRunner::finished, this,
            [report, ending = std::move(ending),
             notRun = std::move(notRun)](const QList<JobResult> &, bool cancelled) {
                ending(report->has_value() ? std::move(**report) : notRun(), cancelled);
            });
    runner->startLong([report, task = std::move(task)](JobControl &control) {
        *report = task(control);
        JobResult done;
        done.ok = true;
        return done;
    });
}
