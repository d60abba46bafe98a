#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// Makes the child that `process` starts receive SIGKILL when the thread that started it ends,
// our program killed included, so no helper outlives us.
void endWithParent(QProcess &process);

// One long-lived `exiftool -stay_open True -@ -` process, so a batch pays exiftool's start-up
// cost once. Commands run one at a time; any thread may call run().
class ExiftoolSession {
  public:
    explicit ExiftoolSession(const QString &program = QStringLiteral("exiftool"));
    ~ExiftoolSession();
    ExiftoolSession(const ExiftoolSession &) = delete;
    ExiftoolSession &operator=(const ExiftoolSession &) = delete;

    // The process-wide session; it is shut down when the application object goes away.
    static ExiftoolSession &shared();

    // Runs one command (arguments without the program name). False with *error set when
    // exiftool is missing, died, timed out or reported an error; *out gets its stdout. Values
    // ("-Tag=value") may hold line breaks: such a command runs under exiftool's -ec, which
    // also prints its values C-escaped; a line break anywhere else is refused.
    bool run(const QStringList &args, QByteArray *out, QString *error, int timeoutMs = 60000);
    // Asks the process to leave; the next run() starts a new one.
    void shutdown();
    // The running exiftool's process id; 0 when none runs.
    qint64 processId();

  private:
    struct Private;
    std::unique_ptr<Private> d;
};
