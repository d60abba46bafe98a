#include "platform/core/ExiftoolSession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Running, and not merely a zombie waiting for its new parent to collect it.
bool running(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
}

} // namespace

TEST(ExiftoolSession, AKilledProgramLeavesNoExiftoolRunning) {
    QProcess program;
    program.start(QStringLiteral(PK_EXIFTOOL_CHILD));
    ASSERT_TRUE(program.waitForStarted());
    QDeadlineTimer started(60000);
    while (!program.canReadLine() && !started.hasExpired() && program.state() == QProcess::Running)
        program.waitForReadyRead(1000);
    const qint64 exiftool = program.readLine().trimmed().toLongLong();
    ASSERT_GT(exiftool, 0) << program.readAllStandardError().toStdString();
    ASSERT_TRUE(running(exiftool));

    ::kill(pid_t(program.processId()), SIGKILL);
    program.waitForFinished();
    QDeadlineTimer gone(20000);
    while (running(exiftool) && !gone.hasExpired())
        QThread::msleep(50);
    const bool left = running(exiftool);
    if (left)
        ::kill(pid_t(exiftool), SIGKILL);
    EXPECT_FALSE(left);
}

TEST(ExiftoolSession, ARunAfterShutdownStartsAFreshProcess) {
    ExiftoolSession session;
    QByteArray out;
    QString error;
    ASSERT_TRUE(session.run({QStringLiteral("-ver")}, &out, &error)) << error.toStdString();
    const qint64 first = session.processId();
    EXPECT_GT(first, 0);
    session.shutdown();
    EXPECT_EQ(session.processId(), 0);
    ASSERT_TRUE(session.run({QStringLiteral("-ver")}, &out, &error)) << error.toStdString();
    EXPECT_GT(session.processId(), 0);
}
