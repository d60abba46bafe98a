#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <type_traits>

class QThreadPool;
class JobRunner;

// What one input of a job came to.
struct JobResult {
    qsizetype index = -1; // the input's place in the job's list
    bool ok = false;
    QString outputPath;
    QString reason; // why it was not done; empty when ok
    QVariant data;  // whatever else the task wants the ending to know
};

// What one long task sees of its job, from its worker thread: whether Cancel was pressed,
// and a way to say how far it is and to hand finished batches back while it runs.
class JobControl {
  public:
    bool isCancelled() const;
    // Emits progress(done, total) and progressText(text) on the starting thread.
    void setProgress(int done, int total, const QString &text = {});
    // Emits batchReady(batch) on the starting thread, before finished().
    void handBack(const QList<JobResult> &batch);
    // The same for a batch of any type, given to `receive` on the starting thread in order
    // with the other hand-backs; dropped once the runner is gone.
    template <class Batch, class Receive> void handBack(Batch batch, Receive receive);
    // What isCancelled() reads, for core code that takes a flag.
    const std::atomic_bool *cancelFlag() const;

  private:
    friend class JobRunner;
    explicit JobControl(JobRunner *r) : runner(r) {}
    JobRunner *runner;
};

// Runs one task per input of a job on a pool of worker threads and reports back to the
// thread that started it (the main thread for features).
//
// Signals, all on the starting thread, in this order:
//   started(total)                  once, before anything else
//   resultReady(index, result)      once per input, in input order, a batch at a time
//   progress(done, total)           after each batch (done counts every result handed
//                                   back, also those held for an earlier one)
//   finished(results, cancelled)    once; every input's result, in input order
// The batches come at most every 50 ms, so a job of thousands of small files does not
// flood the event loop. Inputs not started when cancel() is called come back with the
// reason "cancelled"; tasks already running are finished and committed.
//
// A task must only use what it captured (an immutable settings value and its input) and
// never touch widgets. An exception leaving a task becomes that input's reason.
class JobRunner : public QObject {
    Q_OBJECT
  public:
    using Task = std::function<JobResult(qsizetype index)>;
    // Runs on a worker thread, one batch of finished tasks at a time, never two at once;
    // it may change the results (a write made durable and moved into place turns ok only
    // here). Results reach the starting thread only after their batch was committed.
    using Commit = std::function<void(QList<JobResult> &batch)>;

    explicit JobRunner(QObject *parent = nullptr);
    // Cancels and waits for the running tasks.
    ~JobRunner() override;

    // Starts `count` tasks. A runner runs one job at a time: returns false while busy.
    bool start(qsizetype count, Task task, Commit commit = {});

    // One task per element of `inputs`, each called with its input.
    template <class Input, class Fn>
    bool start(const QList<Input> &inputs, Fn fn, Commit commit = {}) {
        return start(
            inputs.size(),
            [inputs, fn](qsizetype i) {
                JobResult r = fn(inputs.at(i));
                r.index = i;
                return r;
            },
            std::move(commit));
    }

    // The other shape: one long task that checks for Cancel itself, says how far it is and
    // may hand back a stream of batches (JobControl). finished() then carries the one
    // result the task returns; `cancelled` is true when Cancel was pressed while it ran.
    using LongTask = std::function<JobResult(JobControl &control)>;
    bool startLong(LongTask task);

    // Commits (and so hands back) results only in input order, for a commit whose outcome
    // depends on order (free names taken one after the other). Set before start().
    void setCommitInOrder(bool inOrder) { commitInOrder = inOrder; }
    // Commits inputs of one group (`groups[i]` for input i) in input order, and inputs of
    // different groups as they finish: for free names that only some outputs can share, so
    // one slow input holds back only those. Set before start(); in-order commits win.
    void setCommitGroups(const QStringList &groups) { commitGroups = groups; }

    // The job shows its progress and Cancel in a window of its own, so a window's status bar
    // adds none.
    void setOwnProgress(bool own) { ownProgress = own; }
    bool hasOwnProgress() const { return ownProgress; }

    void cancel();
    bool isRunning() const;
    bool isCancelled() const;
    // Blocks until the workers are done and returns every result in input order; the
    // signals still arrive later through the event loop. For core callers without a window.
    QList<JobResult> waitForResults();

    // The workers' pool, shared by all runners and sized to the machine's cores.
    static QThreadPool *pool();
    // The shortest time between two hand-backs.
    static constexpr int batchIntervalMs = 50;

    // Work outside any job: a picture for a cell or a preview, made on a worker of its lane
    // and handed to the main thread with handTo(). Pictures have lanes of their own, so they
    // never wait behind a job, and slow decodes (HEVC, RAW, video) never hold up quick ones.
    enum class Lane {
        Jobs,         // pool()
        Pictures,     // the quick pictures
        Preview,      // the quick pictures' workers, ahead of the pictures waiting there
        SlowPictures, // the slow pictures
    };
    static void runOn(Lane lane, std::function<void()> work);
    // Calls `fn` on the main thread once its event loop gets there, unless `context` is gone
    // by then. Safe from any thread; make the QPointer where the context lives.
    template <class T> static void handTo(const QPointer<T> &context, std::function<void()> fn) {
        post(nullptr, [context, fn = std::move(fn)] {
            if (context)
                fn();
        });
    }

    // The threads the machine runs at once: what a decoder or a loop sizes itself by.
    static int cores();

    // Calls `fn(i)` for every i in [0, count) and returns once all are done, at most
    // `maxThreads` of them at once (cores() when not positive): the calling thread and
    // helpers from a pool of their own that no job waits in, so a job's task may call it
    // however full pool() is. The first exception leaving `fn` stops the indices not yet
    // begun and is thrown here once those under way have ended. Cancel is `fn`'s to check.
    static void sideBySide(qsizetype count, int maxThreads,
                           const std::function<void(qsizetype)> &fn);
    // The same over a list: `fn(inputs[i])` in the result's place i.
    template <class Input, class Fn>
    static auto sideBySideMapped(const QList<Input> &inputs, int maxThreads, Fn fn) {
        QList<std::decay_t<std::invoke_result_t<Fn &, const Input &>>> out(inputs.size());
        auto *places = out.data(); // detached once, before the threads write their places
        sideBySide(inputs.size(), maxThreads, [&](qsizetype i) { places[i] = fn(inputs.at(i)); });
        return out;
    }

    // Runs `fn` beside the caller, on the helpers' pool (never one a job may wait in), and
    // gives its answer or exception through the future. Dropping the future does not wait.
    template <class Fn> static auto later(Fn fn) {
        using Answer = std::invoke_result_t<Fn &>;
        auto task = std::make_shared<std::packaged_task<Answer()>>(std::move(fn));
        std::future<Answer> answer = task->get_future();
        startHelper([task] { (*task)(); });
        return answer;
    }

    // A long-lived thread of its own with an event loop, for what must stay on one thread
    // (a QProcess answers only the thread that made it). Its work runs one call at a time.
    class OwnThread;

  signals:
    void started(int total);
    void resultReady(int index, const JobResult &result);
    void progress(int done, int total);
    void finished(const QList<JobResult> &results, bool cancelled);
    // Only from a long task (startLong): its own words for how far it is, and its batches.
    void progressText(const QString &text);
    void batchReady(const QList<JobResult> &batch);

  private:
    friend class JobControl;
    struct Shared;
    void deliver(const QList<JobResult> &batch, int done, bool last);
    // Queues `fn` on `receiver`'s thread (the application's when null).
    static void post(QObject *receiver, std::function<void()> fn);
    // Starts `fn` on the helpers' pool.
    static void startHelper(std::function<void()> fn);
    std::shared_ptr<Shared> shared;
    class QThread *coordinator = nullptr;
    bool running = false;
    bool commitInOrder = false;
    QStringList commitGroups;
    bool ownProgress = false;
    QMap<qsizetype, JobResult> held;
    qsizetype nextToHandBack = 0;
};

class JobRunner::OwnThread {
  public:
    explicit OwnThread(const QString &name);
    // Ends the thread once the work queued before has run.
    ~OwnThread();
    OwnThread(const OwnThread &) = delete;
    OwnThread &operator=(const OwnThread &) = delete;

    // Runs `fn` on the thread and returns when it has; from the thread itself it just runs.
    void call(const std::function<void()> &fn);
    // Queues `fn` on the thread and returns at once.
    void post(std::function<void()> fn);

  private:
    class QThread *thread;
    QObject *context; // lives on the thread; calls are queued to it
};

template <class Batch, class Receive> void JobControl::handBack(Batch batch, Receive receive) {
    // Shared, since a queued call's function must be copyable.
    auto kept = std::make_shared<Batch>(std::move(batch));
    JobRunner::post(runner, [kept, receive]() mutable { receive(std::move(*kept)); });
}

Q_DECLARE_METATYPE(JobResult)
