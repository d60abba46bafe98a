#include "platform/core/JobRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QScopeGuard>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>
#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <vector>

Q_LOGGING_CATEGORY(lcJobs, "pk.jobs")

namespace {

Q_GLOBAL_STATIC(QThreadPool, workerPool)

// A pictures' lane: a core's worth of workers, gone with the application.
QThreadPool *picturePool() {
    auto *p = new QThreadPool(qApp);
    p->setMaxThreadCount(std::max(2, JobRunner::cores()));
    return p;
}

// The helpers of loops and later(): no job's task runs here, and every start gets a thread,
// so a task that waits for a loop or an answer never waits behind a full pool.
Q_GLOBAL_STATIC(QThreadPool, helpers)

QThreadPool *helperPool() {
    QThreadPool *p = helpers();
    static const bool sized = [p] {
        p->setMaxThreadCount(std::numeric_limits<int>::max());
        return true;
    }();
    Q_UNUSED(sized);
    return p;
}

QString unknownError() {
    return QStringLiteral("an unknown error stopped it");
}

} // namespace

struct JobRunner::Shared {
    qsizetype total = 0;
    Task task;
    Commit commit;
    std::atomic<bool> cancelled{false};

    QMutex mutex;
    QWaitCondition wake;
    std::vector<JobResult> results;
    QList<qsizetype> fresh; // finished, not yet committed
    qsizetype finishedCount = 0;

    void runOne(qsizetype index) {
        JobResult r;
        if (cancelled.load()) {
            r.reason = QStringLiteral("cancelled");
        } else {
            try {
                r = task(index);
            } catch (const std::exception &e) {
                qCWarning(lcJobs) << "task" << index << "failed==" << e.what();
                r = JobResult{};
                r.reason = QString::fromLocal8Bit(e.what());
                if (r.reason.isEmpty())
                    r.reason = unknownError();
            } catch (...) {
                qCWarning(lcJobs) << "task" << index << "failed with an unknown exception";
                r = JobResult{};
                r.reason = unknownError();
            }
        }
        r.index = index;
        if (!r.ok && r.reason.isEmpty())
            r.reason = QStringLiteral("not done");
        QMutexLocker lock(&mutex);
        results[size_t(index)] = std::move(r);
        fresh.append(index);
        ++finishedCount;
        wake.wakeAll();
    }

    void commitBatch(QList<JobResult> &batch) {
        if (!commit || batch.isEmpty())
            return;
        try {
            commit(batch);
        } catch (const std::exception &e) {
            qCWarning(lcJobs) << "commit failed==" << e.what();
            for (JobResult &r : batch) {
                r.ok = false;
                r.reason = QString::fromLocal8Bit(e.what());
            }
        } catch (...) {
            qCWarning(lcJobs) << "commit failed with an unknown exception";
            for (JobResult &r : batch) {
                r.ok = false;
                r.reason = unknownError();
            }
        }
    }
};

JobRunner::JobRunner(QObject *parent) : QObject(parent) {
    qRegisterMetaType<JobResult>();
    qRegisterMetaType<QList<JobResult>>();
}

JobRunner::~JobRunner() {
    cancel();
    if (coordinator) {
        coordinator->wait();
        delete coordinator;
    }
}

QThreadPool *JobRunner::pool() {
    QThreadPool *p = workerPool();
    static const bool sized = [p] {
        p->setMaxThreadCount(cores());
        return true;
    }();
    Q_UNUSED(sized);
    return p;
}

void JobRunner::runOn(Lane lane, std::function<void()> work) {
    static QThreadPool *const quick = picturePool();
    static QThreadPool *const slow = picturePool();
    QThreadPool *target = lane == Lane::Jobs ? pool() : lane == Lane::SlowPictures ? slow : quick;
    target->start(std::move(work), lane == Lane::Preview ? 1 : 0);
}

int JobRunner::cores() {
    return std::max(1, QThread::idealThreadCount());
}

void JobRunner::startHelper(std::function<void()> fn) {
    helperPool()->start(std::move(fn));
}

void JobRunner::sideBySide(qsizetype count, int maxThreads,
                           const std::function<void(qsizetype)> &fn) {
    if (count <= 0)
        return;
    // Each thread takes the next index until none is left. The caller takes part, so the loop
    // ends even before a helper starts; a helper that starts late finds nothing left and
    // leaves without touching `fn`, which may be gone by then.
    struct Loop {
        std::atomic<qsizetype> next{0};
        std::atomic<bool> failed{false};
        QMutex mutex;
        QWaitCondition allDone;
        qsizetype ended = 0; // indices taken and finished or skipped
        std::exception_ptr error;
    };
    auto loop = std::make_shared<Loop>();
    const auto work = [count](Loop &l, const std::function<void(qsizetype)> &f) {
        for (;;) {
            const qsizetype i = l.next.fetch_add(1);
            if (i >= count)
                return;
            std::exception_ptr error;
            if (!l.failed.load()) {
                try {
                    f(i);
                } catch (...) {
                    error = std::current_exception();
                }
            }
            QMutexLocker lock(&l.mutex);
            if (error && !l.error) {
                l.error = error;
                l.failed = true;
            }
            if (++l.ended == count)
                l.allDone.wakeAll();
        }
    };
    const int threads = int(std::min<qsizetype>(count, maxThreads > 0 ? maxThreads : cores()));
    const std::function<void(qsizetype)> *shared = &fn;
    for (int t = 1; t < threads; ++t)
        startHelper([loop, work, shared] { work(*loop, *shared); });
    work(*loop, fn);
    QMutexLocker lock(&loop->mutex);
    while (loop->ended < count)
        loop->allDone.wait(&loop->mutex);
    if (loop->error)
        std::rethrow_exception(loop->error);
}

void JobRunner::post(QObject *receiver, std::function<void()> fn) {
    QMetaObject::invokeMethod(receiver ? receiver : qApp, std::move(fn), Qt::QueuedConnection);
}

bool JobRunner::start(qsizetype count, Task task, Commit commit) {
    if (running)
        return false;
    if (coordinator) {
        coordinator->wait();
        delete coordinator;
        coordinator = nullptr;
    }
    running = true;
    held.clear();
    nextToHandBack = 0;
    auto s = std::make_shared<Shared>();
    s->total = std::max<qsizetype>(0, count);
    s->task = std::move(task);
    s->commit = std::move(commit);
    s->results.resize(size_t(s->total));
    shared = s;

    const int total = int(s->total);
    // Queued, so that connections made right after start() still see it first.
    QMetaObject::invokeMethod(
        this, [this, total] { emit started(total); }, Qt::QueuedConnection);

    for (qsizetype i = 0; i < s->total; ++i)
        pool()->start([s, i] { s->runOne(i); });

    // The earlier input of the same commit group that each input waits for, or -1.
    std::vector<qsizetype> after(size_t(s->total), -1);
    if (!commitInOrder && !commitGroups.isEmpty()) {
        QHash<QString, qsizetype> lastOfGroup;
        for (qsizetype i = 0; i < s->total && i < commitGroups.size(); ++i) {
            const auto last = lastOfGroup.constFind(commitGroups[i]);
            if (last != lastOfGroup.cend())
                after[size_t(i)] = *last;
            lastOfGroup.insert(commitGroups[i], i);
        }
    }
    coordinator = QThread::create([this, s, inOrder = commitInOrder, after = std::move(after)] {
        QElapsedTimer sinceHandBack;
        qsizetype committed = 0;
        QList<qsizetype> finished; // not yet committed
        std::vector<bool> chosen(size_t(s->total), false);
        for (;;) {
            if (sinceHandBack.isValid() && sinceHandBack.elapsed() < batchIntervalMs)
                QThread::msleep(ulong(batchIntervalMs - sinceHandBack.elapsed()));
            QList<qsizetype> indices;
            {
                QMutexLocker lock(&s->mutex);
                while (s->fresh.isEmpty() && s->finishedCount < s->total)
                    s->wake.wait(&s->mutex);
                finished += s->fresh;
                s->fresh.clear();
            }
            std::sort(finished.begin(), finished.end());
            if (inOrder) {
                qsizetype n = 0;
                while (n < finished.size() && finished[n] == committed + n)
                    ++n;
                indices = finished.mid(0, n);
                finished.remove(0, n);
            } else {
                // Ascending, so an input and the one it waits for can share a batch.
                QList<qsizetype> waiting;
                for (qsizetype i : finished) {
                    const qsizetype before = after[size_t(i)];
                    if (before >= 0 && !chosen[size_t(before)]) {
                        waiting.append(i);
                        continue;
                    }
                    chosen[size_t(i)] = true;
                    indices.append(i);
                }
                finished.swap(waiting);
            }
            if (indices.isEmpty() && committed < s->total)
                continue; // waiting for an earlier input
            QList<JobResult> batch;
            batch.reserve(indices.size());
            {
                QMutexLocker lock(&s->mutex);
                for (qsizetype i : indices)
                    batch.append(s->results[size_t(i)]);
            }
            s->commitBatch(batch);
            {
                QMutexLocker lock(&s->mutex);
                for (const JobResult &r : batch)
                    if (r.index >= 0 && r.index < s->total)
                        s->results[size_t(r.index)] = r;
            }
            committed += batch.size();
            const bool last = committed == s->total;
            const int done = int(committed);
            QMetaObject::invokeMethod(
                this, [this, batch, done, last] { deliver(batch, done, last); },
                Qt::QueuedConnection);
            sinceHandBack.start();
            if (last)
                return;
        }
    });
    coordinator->start();
    return true;
}

bool JobRunner::startLong(LongTask task) {
    return start(1, [this, task = std::move(task)](qsizetype) {
        // A long task counts as a thread of its own: it often waits for work it gave the same
        // pool (a batch of writes), which must never wait for the slot it holds.
        pool()->releaseThread();
        const auto giveBack = qScopeGuard([] { pool()->reserveThread(); });
        // The runner outlives the task: its destructor waits for the workers.
        JobControl control(this);
        return task(control);
    });
}

bool JobControl::isCancelled() const {
    return runner->shared && runner->shared->cancelled.load();
}

const std::atomic_bool *JobControl::cancelFlag() const {
    return runner->shared ? &runner->shared->cancelled : nullptr;
}

void JobControl::setProgress(int done, int total, const QString &text) {
    JobRunner *r = runner;
    QMetaObject::invokeMethod(
        r,
        [r, done, total, text] {
            emit r->progress(done, total);
            emit r->progressText(text);
        },
        Qt::QueuedConnection);
}

void JobControl::handBack(const QList<JobResult> &batch) {
    JobRunner *r = runner;
    QMetaObject::invokeMethod(
        r, [r, batch] { emit r->batchReady(batch); }, Qt::QueuedConnection);
}

void JobRunner::deliver(const QList<JobResult> &batch, int done, bool last) {
    if (!shared)
        return;
    // Results leave in input order: one that finished early waits for those before it.
    for (const JobResult &r : batch)
        held.insert(r.index, r);
    while (!held.isEmpty() && held.firstKey() == nextToHandBack) {
        const JobResult r = held.take(nextToHandBack);
        ++nextToHandBack;
        emit resultReady(int(r.index), r);
    }
    emit progress(done, int(shared->total));
    if (!last)
        return;
    QList<JobResult> all;
    {
        QMutexLocker lock(&shared->mutex);
        all = QList<JobResult>(shared->results.begin(), shared->results.end());
    }
    const bool wasCancelled = shared->cancelled.load();
    running = false;
    emit finished(all, wasCancelled);
}

void JobRunner::cancel() {
    if (shared)
        shared->cancelled = true;
}

bool JobRunner::isRunning() const {
    return running;
}

bool JobRunner::isCancelled() const {
    return shared && shared->cancelled.load();
}

QList<JobResult> JobRunner::waitForResults() {
    if (!shared)
        return {};
    if (coordinator)
        coordinator->wait();
    QMutexLocker lock(&shared->mutex);
    return QList<JobResult>(shared->results.begin(), shared->results.end());
}

JobRunner::OwnThread::OwnThread(const QString &name) : thread(new QThread), context(new QObject) {
    thread->setObjectName(name);
    context->moveToThread(thread);
    QObject::connect(thread, &QThread::finished, context, &QObject::deleteLater);
    thread->start();
}

JobRunner::OwnThread::~OwnThread() {
    // Queued behind the work posted before, so that work still runs.
    QThread *t = thread;
    QMetaObject::invokeMethod(
        context, [t] { t->quit(); }, Qt::QueuedConnection);
    thread->wait();
    delete thread;
}

void JobRunner::OwnThread::call(const std::function<void()> &fn) {
    if (QThread::currentThread() == thread)
        fn();
    else
        QMetaObject::invokeMethod(context, fn, Qt::BlockingQueuedConnection);
}

void JobRunner::OwnThread::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}
