#pragma once

#include <QList>
#include <QString>
#include <functional>

// A process on this machine that holds a library database open, and how we know.
struct DatabaseHolder {
    qint64 pid = 0;
    QString name; // the process's command name
    QString how;  // "lock", "open file" or "lock file"
};

// The photo application and whatever else may have a library open. On Linux there is no
// Photos application, but a library copied from a Mac can still be held by another
// program (an SQLite browser, a second Photo Kestry, a sync tool): those are what matter.
class PhotosApplication {
  public:
    virtual ~PhotosApplication() = default;
    // Processes here holding `databasePath` (its -shm, -wal or lock plist included), our own
    // process excepted.
    virtual QList<DatabaseHolder> holders(const QString &databasePath) = 0;
    // Asks the process to end, forces it after five seconds; false with a reason when it
    // still runs.
    virtual bool endProcess(qint64 pid, QString *why) = 0;
};

class LinuxPhotosApplication : public PhotosApplication {
  public:
    QList<DatabaseHolder> holders(const QString &databasePath) override;
    bool endProcess(qint64 pid, QString *why) override;
    // How long endProcess waits before SIGKILL.
    int graceMilliseconds = 5000;
};

// Tests say who holds what, and see whom we ended.
class FakePhotosApplication : public PhotosApplication {
  public:
    QList<DatabaseHolder> heldBy;
    QList<qint64> ended;
    bool endSucceeds = true;
    QList<DatabaseHolder> holders(const QString &) override { return heldBy; }
    bool endProcess(qint64 pid, QString *why) override {
        ended << pid;
        if (!endSucceeds && why)
            *why = QStringLiteral("the process did not end");
        return endSucceeds;
    }
};

// The one the program uses; tests may replace it (nullptr restores the Linux one).
PhotosApplication &photosApplication();
void setPhotosApplication(PhotosApplication *replacement);

// Each holder as "name (pid)", joined with ", ".
QString describeHolders(const QList<DatabaseHolder> &holders);
