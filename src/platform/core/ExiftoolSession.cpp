#include "platform/core/ExiftoolSession.h"

#include "platform/core/JobRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

void endWithParent(QProcess &process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent may have died before the signal was asked for.
        if (::getppid() != parent)
            ::_exit(127);
    });
}

namespace {

bool hasLineBreak(const QString &arg) {
    return arg.contains(QLatin1Char('\n')) || arg.contains(QLatin1Char('\r'));
}

// "-Tag=", "-Group:Tag+=", "-Keys:GPSCoordinates#=": the arguments that carry a value.
qsizetype valueStart(const QString &arg) {
    static const QRegularExpression re(QStringLiteral("^-[A-Za-z0-9_:.*-]+#?[+^-]?="));
    const QRegularExpressionMatch m = re.match(arg);
    return m.hasMatch() ? m.capturedEnd() : -1;
}

// A value as exiftool's -ec reads it back: backslashes and control characters escaped, and a
// leading blank too, which the argument stream would otherwise drop.
QString cEscaped(const QString &value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 || (i == 0 && c == QLatin1Char(' ')))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// The argument stream takes one argument a line. A value with a line break goes C-escaped
// under -ec, and then every value of the command does, since -ec unescapes them all.
bool commandLines(const QStringList &args, QByteArray *command, QString *error) {
    const bool escape = std::any_of(args.cbegin(), args.cend(), hasLineBreak);
    if (escape)
        *command += "-ec\n";
    for (const QString &arg : args) {
        const qsizetype start = escape ? valueStart(arg) : -1;
        const QString line = start < 0 ? arg : arg.left(start) + cEscaped(arg.mid(start));
        if (hasLineBreak(line)) {
            *error = QStringLiteral("exiftool arguments cannot contain line breaks outside values");
            return false;
        }
        *command += line.toUtf8() + '\n';
    }
    return true;
}

// QProcess may only be used from the thread it lives in, so it lives in a thread of its own
// and callers hand it their commands.
class Worker {
  public:
    explicit Worker(const QString &program) : program_(program) {}

    bool run(const QStringList &args, QByteArray *out, QString *error, int timeoutMs) {
        if (!ensureStarted(error))
            return false;
        const QByteArray marker =
            QByteArrayLiteral("{ready") + QByteArray::number(++serial_) + QByteArrayLiteral("}");
        QByteArray command;
        if (!commandLines(args, &command, error))
            return false;
        // -echo4 puts the marker on stderr after the command, so its messages can be told apart.
        command += "-echo4\n" + marker + "\n-execute" + QByteArray::number(serial_) + '\n';
        process_->write(command);

        QByteArray stdoutData, stderrData;
        const QDeadlineTimer deadline(timeoutMs);
        const QByteArray endMark = marker + '\n';
        while (!stdoutData.contains(endMark) || !stderrData.contains(endMark)) {
            stdoutData += process_->readAllStandardOutput();
            stderrData += process_->readAllStandardError();
            if (stdoutData.contains(endMark) && stderrData.contains(endMark))
                break;
            if (process_->state() != QProcess::Running) {
                *error = QStringLiteral("exiftool stopped unexpectedly: %1")
                             .arg(QString::fromUtf8(stderrData).trimmed());
                process_.reset();
                return false;
            }
            if (deadline.hasExpired()) {
                *error = QStringLiteral("exiftool did not answer in time");
                stopNow();
                return false;
            }
            process_->setReadChannel(stdoutData.contains(endMark) ? QProcess::StandardError
                                                                  : QProcess::StandardOutput);
            process_->waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 1000)));
        }
        stdoutData.truncate(stdoutData.indexOf(endMark));
        stderrData.truncate(stderrData.indexOf(endMark));
        if (out)
            *out = stdoutData;
        const QString messages = QString::fromUtf8(stderrData).trimmed();
        // Warnings are fine; "Error:" lines and "files weren't updated" mean the command failed.
        for (const QString &line : messages.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("Error")) ||
                line.contains(QLatin1String("weren't updated"))) {
                *error = messages;
                return false;
            }
        }
        if (stdoutData.contains("weren't updated")) {
            *error = QString::fromUtf8(stdoutData).trimmed();
            return false;
        }
        return true;
    }

    void shutdown() {
        if (!process_)
            return;
        process_->write("-stay_open\nFalse\n");
        process_->closeWriteChannel();
        if (!process_->waitForFinished(5000))
            stopNow();
        process_.reset();
    }

    qint64 processId() const {
        return process_ && process_->state() == QProcess::Running ? process_->processId() : 0;
    }

  private:
    bool ensureStarted(QString *error) {
        if (process_ && process_->state() == QProcess::Running)
            return true;
        process_ = std::make_unique<QProcess>();
        // A -stay_open exiftool would otherwise poll its input forever after a crash of ours.
        endWithParent(*process_);
        // Text in and out is UTF-8 whatever the locale, IPTC included.
        process_->start(program_,
                        {QStringLiteral("-stay_open"), QStringLiteral("True"), QStringLiteral("-@"),
                         QStringLiteral("-"), QStringLiteral("-common_args"),
                         QStringLiteral("-charset"), QStringLiteral("UTF8"),
                         QStringLiteral("-charset"), QStringLiteral("iptc=UTF8"),
                         QStringLiteral("-charset"), QStringLiteral("filename=UTF8")});
        if (!process_->waitForStarted(30000)) {
            *error = process_->error() == QProcess::FailedToStart
                         ? QStringLiteral("exiftool is not installed")
                         : QStringLiteral("exiftool could not be started: %1")
                               .arg(process_->errorString());
            process_.reset();
            return false;
        }
        return true;
    }

    void stopNow() {
        process_->kill();
        process_->waitForFinished(5000);
        process_.reset();
    }

    QString program_;
    std::unique_ptr<QProcess> process_;
    qint64 serial_ = 0;
};

} // namespace

struct ExiftoolSession::Private {
    QMutex mutex;
    JobRunner::OwnThread thread{QStringLiteral("exiftool")};
    Worker *worker = nullptr;
};

ExiftoolSession::ExiftoolSession(const QString &program) : d(std::make_unique<Private>()) {
    d->worker = new Worker(program);
}

ExiftoolSession::~ExiftoolSession() {
    shutdown();
    // Its process, if any, is the thread's to end.
    Worker *worker = d->worker;
    d->thread.post([worker] { delete worker; });
}

ExiftoolSession &ExiftoolSession::shared() {
    // Left alive on purpose: the post routine stops the process and thread while Qt still runs.
    static ExiftoolSession *session = [] {
        auto *s = new ExiftoolSession();
        if (QCoreApplication::instance())
            qAddPostRoutine([] { shared().shutdown(); });
        return s;
    }();
    return *session;
}

bool ExiftoolSession::run(const QStringList &args, QByteArray *out, QString *error, int timeoutMs) {
    QMutexLocker lock(&d->mutex);
    bool ok = false;
    QString why;
    d->thread.call([&] { ok = d->worker->run(args, out, &why, timeoutMs); });
    if (!ok && error)
        *error = why;
    return ok;
}

void ExiftoolSession::shutdown() {
    QMutexLocker lock(&d->mutex);
    d->thread.call([&] { d->worker->shutdown(); });
}

qint64 ExiftoolSession::processId() {
    QMutexLocker lock(&d->mutex);
    qint64 pid = 0;
    d->thread.call([&] { pid = d->worker->processId(); });
    return pid;
}
