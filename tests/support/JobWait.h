#pragma once

#include "app/AppDelegate.h"
#include "app/Jobs.h"

#include <QDeadlineTimer>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

// Lets the window's jobs run to their ending (sheet and reveal included); false when one
// is still running after `ms`.
inline bool waitForJobs(AppDelegate &d, int ms = 120000) {
    QDeadlineTimer deadline(ms);
    while (d.jobs().runningJobCount() > 0 && !deadline.hasExpired())
        QTest::qWait(5);
    return d.jobs().runningJobCount() == 0;
}

// The Cancel of the running job, once the status bar shows it (a job that lasts); null when
// none shows within `ms`. A job that has ended leaves its hidden bar until its runner is
// deleted, so the first button by name alone may be that job's, whose Cancel does nothing.
inline QPushButton *shownJobCancel(AppDelegate &d, int ms = 20000) {
    QDeadlineTimer deadline(ms);
    for (;;) {
        for (QPushButton *b : d.window->statusBar()->findChildren<QPushButton *>("JobCancelButton"))
            if (b->isVisibleTo(d.window))
                return b;
        if (deadline.hasExpired())
            return nullptr;
        QTest::qWait(10);
    }
}
