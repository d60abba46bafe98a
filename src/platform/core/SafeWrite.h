#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <sys/types.h>

namespace DirectWrite {
class Writer;
}

// Writing files without ever losing or redirecting one: new bytes go into an exclusive
// temporary file beside their target (O_CREAT|O_EXCL|O_NOFOLLOW, so a planted link or file
// makes the write fail instead of landing elsewhere), are synced and read back, and only then
// take their name: a free one (moveToFreeName) or, for a replacement, the target's own in one
// rename that never goes through a link.
namespace SafeWrite {

// The system's text for an errno value ("No space left on device", ...).
QString systemError(int code);

// Writes all of `data` to `fd`, through interruptions and short writes; false with errno set.
bool writeAll(int fd, const char *data, size_t size);

// Names of our temporaries start with this, then our process id: ".pk-tmp-<pid>-<random>".
inline constexpr char kTemporaryPrefix[] = ".pk-tmp-";

// What a file was when it was read, to notice another program changing it meanwhile.
struct FileStamp {
    bool valid = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
// The stamp of `path` itself, never of a link's target; invalid when it cannot be read.
FileStamp stampOf(const QString &path);

class Temporary {
  public:
    Temporary();
    Temporary(const Temporary &) = delete;
    Temporary &operator=(const Temporary &) = delete;
    // Removes the file unless it was moved away (release()).
    ~Temporary();

    // Buffered: through the page cache. PastTheCache: the bytes of write() go to the disk
    // past the page cache and are read back from the disk (where the file system allows;
    // else as Buffered), for large files written by the hundred and not read again soon.
    enum class Caching { Buffered, PastTheCache };
    // A new, empty file of mode 0600 in `folder`, under a name of ours nobody else holds.
    bool create(const QString &folder, QString *error, Caching caching = Caching::Buffered);
    bool write(QByteArrayView bytes, QString *error);
    // Takes over a finished file of ours that another program wrote (exiftool's -o) and
    // opens it, so that it gets the attributes below; it is removed like one we created,
    // also when it cannot be opened.
    bool adopt(const QString &path, QString *error);
    // Mode, owner (where allowed) and every extended attribute of `original`, whose
    // user.creation_date among them. A user attribute that cannot be copied is an error; a
    // mode or owner the file system keeps for no file (FAT, exFAT) is not.
    bool keepAttributesOf(const QString &original, QString *error);
    // The permissions of an ordinary new file (0666 less the umask), for a file that
    // replaces nothing; where the file system keeps none, it has its mount's.
    bool useDefaultMode(QString *error);
    // Reads the file back while it is still open: it must hold exactly `expected`. `sink`
    // gets every piece once it compared equal, so a digest of the file is of the bytes it
    // holds without another pass over them.
    // `rest` is what follows `expected` when the bytes were written in two parts.
    bool readBack(const QByteArray &expected, QByteArrayView rest,
                  const std::function<void(const char *, size_t)> &sink, QString *error);
    // Syncs and closes the file, then reads it back: it must hold exactly `expected`.
    bool finish(const QByteArray &expected, QString *error);
    // Syncs and closes without a read-back (for files written through fd()).
    bool finish(QString *error);
    // Starts putting the bytes written so far on the disk, without waiting: the later sync
    // of a batch then finds most of them there. For a Buffered file.
    void startWriteback();
    // Closes and reads back without a sync, for a batch that syncs its files together
    // (syncTogether) before it moves any of them into place.
    bool closeUnsynced(const QByteArray &expected, QString *error, QByteArrayView rest = {});
    // The same for a file its writer has already read back.
    bool closeUnsynced(QString *error);

    QString path() const { return path_; }
    // For attributes, and for the bytes of a Buffered file only: a PastTheCache one may
    // still gather bytes of write() that fd() would overtake.
    int fd() const { return fd_; }
    // The file has moved to its final name: nothing left to clean up.
    void release() { path_.clear(); }

  private:
    // Writes out what a direct writer still gathers.
    bool flush(QString *error);
    bool readsBack(QByteArrayView expected, QByteArrayView rest,
                   const std::function<void(const char *, size_t)> &sink);
    QString path_;
    int fd_ = -1;
    std::unique_ptr<DirectWrite::Writer> direct_;
    bool readPastTheCache_ = false;
};

// rename(2), which keeps the file's times also where a driver sets them anew on a rename (FAT
// through FUSE): they are put back. 0, or the errno of the rename.
int renameKeepingTimes(const QByteArray &from, const QByteArray &to);

// Syncs the whole file system that holds `folder`: one call makes every temporary of a batch
// durable, where a sync per file would wait on the disk once per photo.
bool syncFileSystemOf(const QString &folder, QString *error);

// Makes the closed files at `paths` durable together: the writes of all of them start before
// the first wait, so a batch costs about one wait on the disk rather than one a file, and
// nothing else on the file system is flushed with them. Returns why each one is not durable,
// in the order of `paths`; empty where it is.
QStringList syncFiles(const QStringList &paths);

// Makes the closed files at `paths` durable at the least cost: one syncFileSystemOf per file
// system that holds some, except through FUSE (exFAT, FAT and NTFS drives), whose servers are
// asked to sync single files only and take a file system's sync for nothing: those files go
// through syncFiles. Returns why each one is not durable, in the order of `paths`; empty where
// it is.
QStringList syncTogether(const QStringList &paths);

// Syncs a folder, so that a rename in it survives a crash; false, with the reason, when the
// disk did not take it.
bool syncFolder(const QString &folder, QString *error = nullptr);

// Replaces `target` by the finished temporary `tempPath` (same folder) in one rename, then
// syncs the folder when `syncTheFolder` is set. Refuses,
// leaving both as they were, when `target` is a link or no regular file, or when `expected`
// is valid and the target no longer matches it (another program changed it meanwhile). A
// failed sync of the folder is reported too, with the target already replaced.
bool replaceWith(const QString &tempPath, const QString &target, const FileStamp &expected,
                 QString *error, bool syncTheFolder = false);

// `bytes` as a new file named `name` (or its next free name, counting from `firstNumber`) in
// `folder`, which is created when missing and synced. Returns the path written, or empty with
// `error` (also when only the folder's sync failed: the file is there, but may not survive a
// crash).
QString writeNewFile(const QString &folder, const QString &name, const QByteArray &bytes,
                     QString *error, int firstNumber = 1);

// `bytes` in place of the regular file `target` (or as a new file when there is none), in one
// rename, keeping the target's mode, owner and extended attributes; never through a link. The
// folder is synced.
bool replaceFileContents(const QString &target, const QByteArray &bytes, QString *error);

// Which names of copies that earlier versions made a sweep takes too: "<file>.pk-<pid>-XXXXXX"
// (Numbered), and before those "<file>.pk-XXXXXX" beside their <file>, which only a library's
// own folder may hold (NumberedAndUnnumbered).
enum class EarlierCopies { None, Numbered, NumberedAndUnnumbered };
// Removes temporaries of ours in `folder` that a process no longer running left behind: our
// prefix, our user, a dead process id. Returns how many went.
int removeStaleTemporaries(const QString &folder, EarlierCopies earlier = EarlierCopies::None);
// The same, the first time this run writes into `folder`: a crash may have left some beside
// the photos it was writing.
void removeStaleTemporariesOnce(const QString &folder);

} // namespace SafeWrite
