#include "platform/core/JobRunner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Everything a job told the main thread, in the order it arrived.
struct Recorder {
    explicit Recorder(JobRunner &runner) {
        QObject::connect(&runner, &JobRunner::started, [this](int total) {
            events << QStringLiteral("started");
            startedTotal = total;
        });
        QObject::connect(&runner, &JobRunner::resultReady, [this](int index, const JobResult &r) {
            events << QStringLiteral("result");
            indices << index;
            EXPECT_EQ(r.index, index);
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
        });
        QObject::connect(&runner, &JobRunner::progress, [this](int done, int total) {
            events << QStringLiteral("progress");
            batchEnds << indices.size();
            lastDone = done;
            EXPECT_EQ(total, startedTotal);
        });
        QObject::connect(&runner, &JobRunner::finished,
                         [this](const QList<JobResult> &all, bool c) {
                             events << QStringLiteral("finished");
                             results = all;
                             cancelled = c;
                         });
    }
    QStringList events;
    QList<int> indices;
    QList<qsizetype> batchEnds;
    QList<JobResult> results;
    int startedTotal = -1;
    int lastDone = -1;
    bool cancelled = false;
};

bool waitForEnd(JobRunner &runner) {
    QSignalSpy spy(&runner, &JobRunner::finished);
    return spy.count() > 0 || spy.wait(60000);
}

JobResult okResult(const QString &out) {
    JobResult r;
    r.ok = true;
    r.outputPath = out;
    return r;
}

} // namespace

TEST(JobRunner, ReportsEveryInputOnceAndFinishesInInputOrder) {
    JobRunner runner;
    Recorder seen(runner);
    QList<int> inputs;
    for (int i = 0; i < 40; ++i)
        inputs << i;
    // Later inputs finish first.
    ASSERT_TRUE(runner.start(inputs, [](int n) {
        QThread::usleep(ulong((40 - n) * 200));
        return okResult(QString::number(n * n));
    }));
    EXPECT_FALSE(runner.start(1, [](qsizetype) { return JobResult{}; })) << "one job at a time";
    ASSERT_TRUE(waitForEnd(runner));

    EXPECT_EQ(seen.events.first(), "started");
    EXPECT_EQ(seen.events.last(), "finished");
    EXPECT_EQ(seen.startedTotal, 40);
    EXPECT_EQ(seen.lastDone, 40);
    EXPECT_EQ(seen.indices, inputs) << "results are handed back in input order";
    ASSERT_EQ(seen.results.size(), 40);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(seen.results[i].index, i);
        EXPECT_TRUE(seen.results[i].ok);
        EXPECT_EQ(seen.results[i].outputPath, QString::number(i * i));
    }
    EXPECT_FALSE(seen.cancelled);
    EXPECT_FALSE(runner.isRunning());
}

TEST(JobRunner, HandsBackInBatchesAfterTheirCommit) {
    JobRunner runner;
    Recorder seen(runner);
    std::atomic<int> commits{0}, inCommit{0};
    bool overlapped = false;
    const int total = 2000;
    ASSERT_TRUE(runner.start(
        total, [](qsizetype i) { return okResult(QString::number(i)); },
        [&](QList<JobResult> &batch) {
            if (inCommit.fetch_add(1) != 0)
                overlapped = true;
            ++commits;
            for (JobResult &r : batch)
                r.data = QStringLiteral("committed");
            inCommit.fetch_sub(1);
        }));
    ASSERT_TRUE(waitForEnd(runner));
    EXPECT_FALSE(overlapped);
    // One hand-back per committed batch, far fewer than one per input.
    EXPECT_EQ(seen.batchEnds.size(), commits.load());
    EXPECT_LT(seen.batchEnds.size(), total / 4);
    for (const JobResult &r : seen.results)
        EXPECT_EQ(r.data.toString(), "committed") << "a result left before its commit";
}

TEST(JobRunner, CommitsInInputOrderWhenAsked) {
    JobRunner runner;
    Recorder seen(runner);
    runner.setCommitInOrder(true);
    QList<qsizetype> committed;
    QSemaphore firstMayEnd;
    ASSERT_TRUE(runner.start(
        6,
        [&](qsizetype i) {
            if (i == 0)
                firstMayEnd.acquire(); // the others finish first
            return okResult(QString::number(i));
        },
        [&](QList<JobResult> &batch) {
            for (const JobResult &r : batch)
                committed << r.index;
        }));
    QThread::msleep(100);
    firstMayEnd.release();
    ASSERT_TRUE(waitForEnd(runner));
    EXPECT_EQ(committed, (QList<qsizetype>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(seen.lastDone, 6);

    // In groups: only the inputs of the slow one's group wait for it.
    JobRunner grouped;
    grouped.setCommitGroups({"a", "b", "a", "b", "c", "a"});
    committed.clear();
    QSemaphore othersCommitted;
    ASSERT_TRUE(grouped.start(
        6,
        [&](qsizetype i) {
            if (i == 0)
                firstMayEnd.acquire();
            return okResult(QString::number(i));
        },
        [&](QList<JobResult> &batch) {
            for (const JobResult &r : batch)
                committed << r.index;
            if (committed.size() == 3)
                othersCommitted.release();
        }));
    EXPECT_TRUE(othersCommitted.tryAcquire(1, 30000)) << "b and c waited for a";
    EXPECT_EQ(committed, (QList<qsizetype>{1, 3, 4}));
    firstMayEnd.release();
    ASSERT_TRUE(waitForEnd(grouped));
    EXPECT_EQ(committed, (QList<qsizetype>{1, 3, 4, 0, 2, 5}));
}

TEST(JobRunner, ExceptionsBecomeTheReason) {
    JobRunner runner;
    Recorder seen(runner);
    ASSERT_TRUE(runner.start(QList<int>{0, 1, 2}, [](int n) -> JobResult {
        if (n == 1)
            throw std::runtime_error("disk on fire");
        if (n == 2)
            throw 42;
        return okResult("fine");
    }));
    ASSERT_TRUE(waitForEnd(runner));
    ASSERT_EQ(seen.results.size(), 3);
    EXPECT_TRUE(seen.results[0].ok);
    EXPECT_FALSE(seen.results[1].ok);
    EXPECT_EQ(seen.results[1].reason, "disk on fire");
    EXPECT_FALSE(seen.results[2].ok);
    EXPECT_FALSE(seen.results[2].reason.isEmpty());
}

TEST(JobRunner, AFailingCommitFailsItsBatch) {
    JobRunner runner;
    Recorder seen(runner);
    ASSERT_TRUE(runner.start(
        3, [](qsizetype) { return okResult("x"); },
        [](QList<JobResult> &) { throw std::runtime_error("no space left"); }));
    ASSERT_TRUE(waitForEnd(runner));
    for (const JobResult &r : seen.results) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, "no space left");
    }
}

TEST(JobRunner, CancelSkipsWhatHasNotStarted) {
    JobRunner runner;
    Recorder seen(runner);
    QSemaphore entered, release;
    const int total = 500;
    ASSERT_TRUE(runner.start(total, [&](qsizetype) {
        entered.release();
        release.acquire();
        return okResult("done");
    }));
    entered.acquire(); // at least one task runs
    runner.cancel();
    release.release(total);
    ASSERT_TRUE(waitForEnd(runner));
    EXPECT_TRUE(seen.cancelled);
    ASSERT_EQ(seen.results.size(), total);
    int done = 0, cancelled = 0;
    for (const JobResult &r : seen.results) {
        if (r.ok)
            ++done;
        else if (r.reason == "cancelled")
            ++cancelled;
    }
    EXPECT_GE(done, 1);
    EXPECT_GE(cancelled, 1);
    EXPECT_EQ(done + cancelled, total);
    EXPECT_EQ(seen.lastDone, total) << "cancelled inputs still get their result";
}

TEST(JobRunner, ALongTaskSaysHowFarItIsHandsBackBatchesAndSeesCancel) {
    JobRunner runner;
    QStringList seen;
    QObject::connect(&runner, &JobRunner::progressText, [&](const QString &t) { seen << t; });
    QObject::connect(&runner, &JobRunner::batchReady, [&](const QList<JobResult> &batch) {
        seen << QStringLiteral("batch %1").arg(batch.size());
    });
    bool endedCancelled = false;
    QList<JobResult> results;
    QObject::connect(&runner, &JobRunner::finished, [&](const QList<JobResult> &r, bool cancelled) {
        seen << "finished";
        results = r;
        endedCancelled = cancelled;
    });
    QSemaphore handedBack;
    ASSERT_TRUE(runner.startLong([&handedBack, &seen](JobControl &control) {
        control.setProgress(1, 2, QStringLiteral("half"));
        control.handBack({okResult("a"), okResult("b")});
        control.handBack(QStringLiteral("any type"), [&seen](QString &&s) { seen << s; });
        handedBack.release();
        while (!*control.cancelFlag())
            QThread::msleep(1);
        JobResult r;
        r.reason = QStringLiteral("cancelled");
        return r;
    }));
    handedBack.acquire();
    runner.cancel();
    ASSERT_TRUE(waitForEnd(runner));
    EXPECT_EQ(seen, (QStringList{"half", "batch 2", "any type", "finished"}));
    EXPECT_TRUE(endedCancelled);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].reason, "cancelled");
}

TEST(JobRunner, PicturesReachTheMainThreadWhileTheirContextLivesAndPassSlowOnes) {
    // Every slow worker busy: a quick picture and a preview still get made.
    // Shared: the slow tasks outlive the test.
    auto slowMayEnd = std::make_shared<QSemaphore>(), quickMade = std::make_shared<QSemaphore>();
    for (int i = 0; i < 64; ++i)
        JobRunner::runOn(JobRunner::Lane::SlowPictures, [slowMayEnd] { slowMayEnd->acquire(); });
    auto *kept = new QObject;
    auto *gone = new QObject;
    const QPointer<QObject> keptRef(kept), goneRef(gone);
    QStringList arrived;
    for (auto lane : {JobRunner::Lane::Pictures, JobRunner::Lane::Preview, JobRunner::Lane::Jobs})
        JobRunner::runOn(lane, [&arrived, quickMade, keptRef, goneRef] {
            JobRunner::handTo(keptRef, [&arrived] {
                EXPECT_EQ(QThread::currentThread(), qApp->thread());
                arrived << QStringLiteral("kept");
            });
            JobRunner::handTo(goneRef, [&arrived] { arrived << QStringLiteral("gone"); });
            quickMade->release();
        });
    const bool made = quickMade->tryAcquire(3, 60000);
    slowMayEnd->release(64);
    ASSERT_TRUE(made) << "slow pictures held back quick ones";
    delete gone;
    QCoreApplication::processEvents();
    EXPECT_EQ(arrived, QStringList(3, QStringLiteral("kept")));
    delete kept;
}

TEST(JobRunner, ALongTaskWaitingForTasksOfItsOwnPoolNeverHoldsTheirSlot) {
    // A one-core machine: the long task and the job it waits for share one slot.
    const int threads = JobRunner::pool()->maxThreadCount();
    JobRunner::pool()->setMaxThreadCount(1);
    JobRunner outer;
    std::atomic<int> inner{0};
    ASSERT_TRUE(outer.startLong([&inner](JobControl &) {
        JobRunner batch;
        batch.start(4, [](qsizetype) { return okResult("x"); });
        for (const JobResult &r : batch.waitForResults())
            inner += r.ok;
        return okResult("done");
    }));
    const QList<JobResult> results = outer.waitForResults();
    JobRunner::pool()->setMaxThreadCount(threads);
    EXPECT_EQ(inner.load(), 4);
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].ok);
}

TEST(JobRunner, AnEmptyJobStillStartsAndFinishes) {
    JobRunner runner;
    Recorder seen(runner);
    ASSERT_TRUE(runner.start(0, [](qsizetype) { return JobResult{}; }));
    ASSERT_TRUE(waitForEnd(runner));
    EXPECT_EQ(seen.events.first(), "started");
    EXPECT_EQ(seen.events.last(), "finished");
    EXPECT_TRUE(seen.results.isEmpty());
}

TEST(JobRunner, WaitingReturnsTheResultsWithoutAnEventLoop) {
    JobRunner runner;
    ASSERT_TRUE(runner.start(QList<QString>{"a", "b"}, [](const QString &s) {
        JobResult r;
        r.reason = s; // not ok: the reason is kept as given
        return r;
    }));
    const QList<JobResult> results = runner.waitForResults();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].reason, "a");
    EXPECT_EQ(results[1].reason, "b");
}

TEST(JobRunner, DestroyingARunningJobWaitsForItsTasks) {
    std::atomic<int> finished{0};
    {
        JobRunner runner;
        runner.start(64, [&](qsizetype) {
            QThread::msleep(2);
            ++finished;
            return okResult("x");
        });
    }
    const int atEnd = finished.load();
    QThread::msleep(20);
    EXPECT_EQ(finished.load(), atEnd) << "no task may run after its runner is gone";
}

TEST(JobRunner, SideBySideLoopsAndLaterAnswersNeverWaitForAFullPool) {
    // Every index once, never more than maxThreads at once.
    std::vector<std::atomic<int>> calls(500);
    std::atomic<int> now{0}, most{0};
    JobRunner::sideBySide(qsizetype(calls.size()), 3, [&](qsizetype i) {
        const int in = ++now;
        int seen = most.load();
        while (in > seen && !most.compare_exchange_weak(seen, in)) {
        }
        ++calls[size_t(i)];
        QThread::usleep(200);
        --now;
    });
    EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](auto &c) { return c.load() == 1; }));
    EXPECT_LE(most.load(), 3);

    // The first exception reaches the caller, and the indices not begun are left.
    std::atomic<int> ran{0};
    try {
        JobRunner::sideBySide(10000, 2, [&ran](qsizetype i) {
            ++ran;
            if (i == 3)
                throw std::runtime_error("index 3 failed");
        });
        ADD_FAILURE() << "the exception was lost";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "index 3 failed");
    }
    EXPECT_LT(ran.load(), 10000);
    std::future<int> thrown = JobRunner::later([]() -> int { throw std::runtime_error("no"); });
    EXPECT_THROW(thrown.get(), std::runtime_error);

    // Each task of a job filling the whole pool waits until all hold their slot, then runs a
    // loop and waits for a later answer: neither may need a slot of that pool.
    const int width = JobRunner::pool()->maxThreadCount();
    auto holding = std::make_shared<QSemaphore>();
    JobRunner job;
    job.start(width, [width, holding](qsizetype) {
        holding->release();
        if (!holding->tryAcquire(width, 60000))
            return JobResult{};
        holding->release(width);
        const QList<int> squares =
            JobRunner::sideBySideMapped(QList<int>{1, 2, 3, 4}, 4, [](int n) { return n * n; });
        std::future<int> last = JobRunner::later([squares] { return squares.last(); });
        if (last.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return JobResult{};
        return okResult(squares == QList<int>{1, 4, 9, 16} && last.get() == 16 ? "x" : "");
    });
    for (const JobResult &r : job.waitForResults())
        EXPECT_EQ(r.outputPath, "x") << "a loop or a later answer waited for the full pool";
}
