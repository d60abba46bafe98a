#pragma once

#include "app/AppDelegate.h"
#include "app/Jobs.h"

#include <QDeadlineTimer>
#include <QTest>

// Lets the window's jobs run to their ending (sheet and reveal included); false when one
// is still running after `ms`.
inline bool waitForJobs(AppDelegate &d, int ms = 120000) {
    QDeadlineTimer deadline(ms);
    while (d.jobs().runningJobCount() > 0 && !deadline.hasExpired())
        QTest::qWait(5);
    return d.jobs().runningJobCount() == 0;
}
