#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

// A process that holds a library database open, and how we know: one on this machine, or
// the photo application of another computer whose lock file names it.
struct DatabaseHolder {
    qint64 pid = 0;
    QString name; // the process's command name
    QString how;  // "lock", "open file" or "lock file"
    // Another computer's name, from its lock file (`lockFile`); empty for this machine. Its
    // process cannot be seen from here: the lock stands until the user takes it over.
    QString host, lockFile;

    DatabaseHolder(qint64 id = 0, const QString &command = {}, const QString &found = {},
                   const QString &computer = {}, const QString &lock = {})
        : pid(id), name(command), how(found), host(computer), lockFile(lock) {}
    bool onAnotherComputer() const { return !host.isEmpty(); }
};

// What the Photos application answered to a request: done, unavailable (it cannot be
// asked here, with the reason) or failed (it was asked and refused, with its error).
struct PhotosAnswer {
    enum Kind { Done, Unavailable, Failed };
    Kind kind = Done;
    QString text; // the reason or the error; empty when done
    static PhotosAnswer done() { return {}; }
    static PhotosAnswer unavailable(const QString &why) { return {Unavailable, why}; }
    static PhotosAnswer failed(const QString &error) { return {Failed, error}; }
    bool isDone() const { return kind == Done; }
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
    // Has the application open the library package at `path`. Paths and album names are
    // values handed over whole, never text of a script.
    virtual PhotosAnswer openLibrary(const QString &path) = 0;
    // Imports one file into the library the application has open, into the album `album`
    // (made when missing) unless it is empty.
    virtual PhotosAnswer importFile(const QString &path, const QString &album) = 0;
};

class LinuxPhotosApplication : public PhotosApplication {
  public:
    QList<DatabaseHolder> holders(const QString &databasePath) override;
    bool endProcess(qint64 pid, QString *why) override;
    // Unavailable: there is no Photos application on Linux.
    PhotosAnswer openLibrary(const QString &path) override;
    PhotosAnswer importFile(const QString &path, const QString &album) override;
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
    // The requests as made, and what to answer them (done unless told otherwise).
    QStringList openedLibraries;
    QList<QPair<QString, QString>> imports; // path, album
    PhotosAnswer openAnswer, importAnswer;
    PhotosAnswer openLibrary(const QString &path) override {
        openedLibraries << path;
        return openAnswer;
    }
    PhotosAnswer importFile(const QString &path, const QString &album) override {
        imports << qMakePair(path, album);
        return importAnswer;
    }
};

// The one the program uses; tests may replace it (nullptr restores the Linux one).
PhotosApplication &photosApplication();
void setPhotosApplication(PhotosApplication *replacement);

// Each holder as "name (pid)", or "name (pid) on the computer "host"", joined with ", ".
QString describeHolders(const QList<DatabaseHolder> &holders);
// Whether the holder is the photo application itself ("Photos") on this machine, the one
// program we may offer to end: any other holder is the user's to close.
bool isPhotosApplication(const DatabaseHolder &holder);

// Whether the photo application's lock file at `path` still stands: it names another
// computer, or a live process here. A lock of a process here that has ended, one naming no
// computer and one that is no lock file at all hold nothing.
bool lockFileStands(const QString &path);
// The user says the library is no longer open on `holder`'s computer: its lock file goes,
// as long as it still names that computer and process. False with the reason otherwise.
bool takeOverLockFile(const DatabaseHolder &holder, QString *why);

// The reason every request of the Linux layer is unavailable.
QString photosApplicationMissingReason();
