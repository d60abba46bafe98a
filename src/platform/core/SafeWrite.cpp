#include "platform/core/SafeWrite.h"

#include "platform/core/DirectWrite.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/MappingGuard.h"
#include "platform/core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace SafeWrite {
namespace {

bool fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

using Sink = std::function<void(const char *, size_t)>;

// Whether the file at `path` holds exactly `expected` followed by `rest`, handing each
// piece that does to `sink`. The file is mapped rather than copied out: the pages are the
// ones the write left in memory, and a piece at a time is compared and hashed while it is in
// the cache. A file another program cuts short meanwhile reads as different.
bool readsBackAs(const QString &path, QByteArrayView expected, QByteArrayView rest = {},
                 const Sink &sink = {}) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const size_t size = size_t(expected.size() + rest.size());
    bool same = ::fstat(fd, &st) == 0 && size_t(st.st_size) == size;
    constexpr size_t kPiece = 128 * 1024;
    // The expected bytes from `at` on; `n` is cut to the part they lie in.
    const auto expectedAt = [&](size_t at, size_t *n) {
        const size_t first = size_t(expected.size());
        *n = std::min(*n, at < first ? first - at : size - at);
        return at < first ? expected.data() + at : rest.data() + (at - first);
    };
    void *mapped = same && size > 0
                       ? ::mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0)
                       : MAP_FAILED;
    if (mapped != MAP_FAILED) {
        const char *bytes = static_cast<const char *>(mapped);
        const bool whole = MappingGuard::guarded([&] {
            for (size_t at = 0; same && at < size;) {
                size_t n = kPiece;
                const char *want = expectedAt(at, &n);
                same = std::memcmp(bytes + at, want, n) == 0;
                if (same && sink)
                    sink(bytes + at, n);
                at += n;
            }
        });
        same = same && whole;
        ::munmap(mapped, size);
        ::close(fd);
        return same;
    }
    // Where the file cannot be mapped, read a piece at a time into one buffer.
    same =
        same && DirectWrite::readsBackFrom(fd, expected, rest, sink) == DirectWrite::ReadBack::Same;
    ::close(fd);
    return same;
}

// The names of a file's extended attributes; empty when it has none or no support for them.
std::vector<std::string> attributeNames(int fd) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(size));
    const ssize_t got = ::flistxattr(fd, buffer.data(), buffer.size());
    std::vector<std::string> names;
    for (ssize_t i = 0; i < got;) {
        names.emplace_back(buffer.data() + i);
        i += ssize_t(names.back().size()) + 1;
    }
    return names;
}

// Permissions or owners the file system cannot keep: FAT keeps neither, exFAT no owner. The
// photo's bytes and times are what must be kept; the file then has what its mount gives.
bool keptByNoFileSystem(int code) {
    return code == EPERM || code == ENOTSUP || code == EOPNOTSUPP || code == ENOSYS;
}

// The permission bits `mode` on the open file `fd`, where its file system keeps any.
bool setMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0 || keptByNoFileSystem(errno);
}

// The process's umask, read without changing it (umask() would race other threads).
mode_t currentUmask() {
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("Umask:"))
                    return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
        return mode_t(022);
    }();
    return mask;
}

} // namespace

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::min<size_t>(size, size_t(1) << 30));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

FileStamp stampOf(const QString &path) {
    struct stat st {};
    FileStamp stamp;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.valid = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return stamp;
}

Temporary::Temporary() = default;

Temporary::~Temporary() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!path_.isEmpty())
        ::unlink(QFile::encodeName(path_).constData());
}

bool Temporary::create(const QString &folder, QString *error, Caching caching) {
    removeStaleTemporariesOnce(folder);
    const QDir dir(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1%2-%3")
                .arg(QLatin1String(kTemporaryPrefix))
                .arg(::getpid())
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const QString candidate = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            fd_ = fd;
            path_ = candidate;
            if (caching == Caching::PastTheCache && DirectWrite::enable(fd)) {
                direct_ = std::make_unique<DirectWrite::Writer>(fd);
                readPastTheCache_ = true;
            }
            return true;
        }
        if (errno != EEXIST)
            return fail(error,
                        QStringLiteral("cannot write in %1: %2").arg(folder, systemError(errno)));
    }
    return fail(error, QStringLiteral("no temporary name is free in %1").arg(folder));
}

bool Temporary::adopt(const QString &path, QString *error) {
    path_ = path;
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0)
        return fail(error, QStringLiteral("cannot open %1: %2").arg(path, systemError(errno)));
    return true;
}

bool Temporary::write(QByteArrayView bytes, QString *error) {
    if (fd_ < 0)
        return fail(error, QStringLiteral("the temporary file is not open"));
    if (direct_ ? !direct_->write(bytes.constData(), size_t(bytes.size()))
                : !writeAll(fd_, bytes.constData(), size_t(bytes.size())))
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path_, systemError(errno)));
    return true;
}

bool Temporary::flush(QString *error) {
    if (fd_ < 0)
        return fail(error, QStringLiteral("the temporary file is not open"));
    if (!direct_)
        return true;
    const bool ok = direct_->flush();
    const int code = errno;
    direct_.reset();
    if (!ok)
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path_, systemError(code)));
    return true;
}

bool Temporary::readsBack(QByteArrayView expected, QByteArrayView rest, const Sink &sink) {
    if (readPastTheCache_) {
        const DirectWrite::ReadBack r = DirectWrite::readsBackAs(path_, expected, rest, sink);
        if (r != DirectWrite::ReadBack::Unsupported)
            return r == DirectWrite::ReadBack::Same;
    }
    return readsBackAs(path_, expected, rest, sink);
}

bool Temporary::keepAttributesOf(const QString &original, QString *error) {
    const int from = ::open(QFile::encodeName(original).constData(),
                            O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (from < 0)
        return fail(error, QStringLiteral("cannot read %1: %2").arg(original, systemError(errno)));
    struct stat st {};
    ::fstat(from, &st);
    // Only root may give a file away; the group often still fits.
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0)
        (void)!::fchown(fd_, uid_t(-1), st.st_gid);
    for (const std::string &name : attributeNames(from)) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        std::vector<char> value(size_t(std::max<ssize_t>(size, 0)));
        const ssize_t got =
            size < 0 ? -1 : ::fgetxattr(from, name.c_str(), value.data(), value.size());
        const bool copied =
            got >= 0 && ::fsetxattr(fd_, name.c_str(), value.data(), size_t(got), 0) == 0;
        // security.* and system.* belong to the system; the user's own must all come along.
        if (!copied && name.rfind("user.", 0) == 0) {
            const int code = errno;
            ::close(from);
            return fail(error, QStringLiteral("cannot keep the attribute %1 of %2: %3")
                                   .arg(QString::fromStdString(name), original, systemError(code)));
        }
    }
    ::close(from);
    if (!setMode(fd_, st.st_mode & 07777))
        return fail(error, QStringLiteral("cannot keep the permissions of %1: %2")
                               .arg(original, systemError(errno)));
    return true;
}

bool Temporary::useDefaultMode(QString *error) {
    if (fd_ < 0 || !setMode(fd_, 0666 & ~currentUmask()))
        return fail(error, QStringLiteral("cannot set the permissions of %1: %2")
                               .arg(path_, systemError(fd_ < 0 ? EBADF : errno)));
    return true;
}

bool Temporary::finish(QString *error) {
    if (!flush(error))
        return false;
    const int rc = ::fdatasync(fd_);
    const int code = errno;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (rc != 0 || closed != 0)
        return fail(
            error,
            QStringLiteral("cannot write %1: %2").arg(path_, systemError(rc != 0 ? code : errno)));
    return true;
}

bool Temporary::finish(const QByteArray &expected, QString *error) {
    if (!finish(error))
        return false;
    if (!readsBack(expected, {}, {}))
        return fail(error, QStringLiteral("%1 did not read back as written").arg(path_));
    return true;
}

bool Temporary::readBack(const QByteArray &expected, QByteArrayView rest, const Sink &sink,
                         QString *error) {
    if (!flush(error))
        return false;
    if (!readsBack(expected, rest, sink))
        return fail(error, QStringLiteral("%1 did not read back as written").arg(path_));
    return true;
}

void Temporary::startWriteback() {
    // A direct writer's bytes are on their way already, or still gathered for flush().
    if (fd_ >= 0 && !direct_)
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool Temporary::closeUnsynced(QString *error) {
    if (!flush(error))
        return false;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path_, systemError(errno)));
    return true;
}

bool Temporary::closeUnsynced(const QByteArray &expected, QString *error, QByteArrayView rest) {
    if (!flush(error))
        return false;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path_, systemError(errno)));
    if (!readsBack(expected, rest, {}))
        return fail(error, QStringLiteral("%1 did not read back as written").arg(path_));
    return true;
}

int renameKeepingTimes(const QByteArray &from, const QByteArray &to) {
    struct stat before {};
    const bool known = ::lstat(from.constData(), &before) == 0;
    if (::rename(from.constData(), to.constData()) != 0)
        return errno;
    struct stat after {};
    if (known && ::lstat(to.constData(), &after) == 0 &&
        (after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
         after.st_mtim.tv_nsec != before.st_mtim.tv_nsec)) {
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        ::utimensat(AT_FDCWD, to.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    return 0;
}

bool syncFileSystemOf(const QString &folder, QString *error) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, QStringLiteral("cannot open %1: %2").arg(folder, systemError(errno)));
    const int rc = ::syncfs(fd);
    const int code = errno;
    ::close(fd);
    if (rc != 0)
        return fail(error, QStringLiteral("cannot write to %1: %2").arg(folder, systemError(code)));
    return true;
}

QStringList syncFiles(const QStringList &paths) {
    QStringList errors;
    std::vector<int> fds;
    for (const QString &path : paths) {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        errors << (fd < 0 ? QStringLiteral("cannot open %1: %2").arg(path, systemError(errno))
                          : QString());
        // Only a start: the data of every file is on its way before the first wait below.
        if (fd >= 0)
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        fds.push_back(fd);
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const int fd = fds[size_t(i)];
        if (fd < 0)
            continue;
        if (::fdatasync(fd) != 0)
            errors[i] = QStringLiteral("cannot write %1: %2").arg(paths[i], systemError(errno));
        ::close(fd);
    }
    return errors;
}

QStringList syncTogether(const QStringList &paths) {
    constexpr decltype(statfs::f_type) kFuse = 0x65735546;
    QStringList errors(paths.size());
    QHash<dev_t, QString> wholeSyncs; // file system -> why its sync failed
    QStringList oneByOne;
    QList<qsizetype> oneByOneAt;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString folder = QFileInfo(paths[i]).absolutePath();
        const QByteArray native = QFile::encodeName(folder);
        struct stat st {};
        struct statfs fs {};
        if (::stat(native.constData(), &st) != 0 || ::statfs(native.constData(), &fs) != 0) {
            errors[i] = QStringLiteral("cannot open %1: %2").arg(folder, systemError(errno));
        } else if (fs.f_type == kFuse) {
            oneByOne << paths[i];
            oneByOneAt << i;
        } else {
            if (!wholeSyncs.contains(st.st_dev)) {
                QString why;
                syncFileSystemOf(folder, &why);
                wholeSyncs.insert(st.st_dev, why);
            }
            errors[i] = wholeSyncs.value(st.st_dev);
        }
    }
    const QStringList fileErrors = syncFiles(oneByOne);
    for (qsizetype k = 0; k < oneByOne.size(); ++k)
        errors[oneByOneAt[k]] = fileErrors[k];
    return errors;
}

bool syncFolder(const QString &folder, QString *error) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, QStringLiteral("cannot open %1: %2").arg(folder, systemError(errno)));
    const int rc = ::fsync(fd);
    const int code = errno;
    ::close(fd);
    // EINVAL: a file system that syncs no folders; its renames are as durable as it makes them.
    if (rc != 0 && code != EINVAL)
        return fail(error,
                    QStringLiteral("cannot sync the folder %1: %2").arg(folder, systemError(code)));
    return true;
}

bool replaceWith(const QString &tempPath, const QString &target, const FileStamp &expected,
                 QString *error, bool syncTheFolder) {
    const QByteArray to = QFile::encodeName(target);
    struct stat st {};
    if (::lstat(to.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            return fail(error, QStringLiteral("%1 is a link; it is left as it is").arg(target));
        if (!S_ISREG(st.st_mode))
            return fail(error, QStringLiteral("%1 is not a regular file").arg(target));
    } else if (errno != ENOENT) {
        return fail(error, QStringLiteral("cannot read %1: %2").arg(target, systemError(errno)));
    }
    if (expected.valid && !(stampOf(target) == expected))
        return fail(error, QStringLiteral("%1 was changed by another program meanwhile; it is "
                                          "left as it is")
                               .arg(target));
    // The replaced file is freed when its last reference goes. Were that the rename's, the
    // freeing (a truncation and, where the file system discards freed blocks, a wait on the
    // disk) would happen while the rename holds the folder, stalling every other write there.
    // Held open here, it is freed by the close after.
    const int old = ::open(to.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int code = renameKeepingTimes(QFile::encodeName(tempPath), to);
    const bool renamed = code == 0;
    if (old >= 0)
        ::close(old);
    if (!renamed)
        return fail(error, QStringLiteral("cannot replace %1: %2").arg(target, systemError(code)));
    QString why;
    if (syncTheFolder && !syncFolder(QFileInfo(target).absolutePath(), &why))
        return fail(
            error,
            QStringLiteral("%1 was replaced, but a crash may still undo it: %2").arg(target, why));
    return true;
}

QString writeNewFile(const QString &folder, const QString &name, const QByteArray &bytes,
                     QString *error, int firstNumber) {
    if (!QDir().mkpath(folder)) {
        fail(error, QStringLiteral("the folder %1 cannot be created").arg(folder));
        return {};
    }
    Temporary temp;
    if (!temp.create(folder, error) || !temp.useDefaultMode(error) || !temp.write(bytes, error) ||
        !temp.finish(bytes, error))
        return {};
    const QString landed = moveToFreeName(temp.path(), folder, name, error, firstNumber);
    if (landed.isEmpty())
        return {};
    temp.release();
    QString why;
    if (!syncFolder(folder, &why)) {
        fail(error,
             QStringLiteral("%1 was written, but a crash may still undo it: %2").arg(landed, why));
        return {};
    }
    return landed;
}

bool replaceFileContents(const QString &target, const QByteArray &bytes, QString *error) {
    const QFileInfo info(target);
    Temporary temp;
    if (!temp.create(info.absolutePath(), error) || !temp.write(bytes, error))
        return false;
    const FileStamp before = stampOf(target);
    if (before.valid ? !temp.keepAttributesOf(target, error) : !temp.useDefaultMode(error))
        return false;
    if (!temp.finish(bytes, error) || !replaceWith(temp.path(), target, before, error, true))
        return false;
    temp.release();
    return true;
}

void removeStaleTemporariesOnce(const QString &folder) {
    static QMutex mutex;
    static QSet<QString> swept;
    {
        QMutexLocker lock(&mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    removeStaleTemporaries(folder);
}

int removeStaleTemporaries(const QString &folder, EarlierCopies earlier) {
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const size_t prefixLength = std::strlen(kTemporaryPrefix);
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        long pid = 0;
        bool unnumbered = false;
        if (std::strncmp(entry->d_name, kTemporaryPrefix, prefixLength) == 0) {
            pid = std::strtol(entry->d_name + prefixLength, nullptr, 10);
        } else if (earlier != EarlierCopies::None) {
            // "<file>.pk-<pid>-XXXXXX", before that "<file>.pk-XXXXXX".
            const QString name = QFile::decodeName(entry->d_name);
            const qsizetype at = name.lastIndexOf(QLatin1String(".pk-"));
            if (at <= 0)
                continue;
            const QStringList parts = name.mid(at + 4).split(QLatin1Char('-'));
            bool isNumber = false;
            const long number = parts.value(0).toLong(&isNumber);
            if (parts.size() == 2 && isNumber && parts[1].size() == 6)
                pid = number;
            else if (earlier == EarlierCopies::NumberedAndUnnumbered && parts.size() == 1 &&
                     parts[0].size() == 6 &&
                     RegularFile::isRegular(folder + QLatin1Char('/') + name.left(at)))
                unnumbered = true;
            else
                continue;
        } else {
            continue;
        }
        struct stat st {};
        if ((pid <= 0 && !unnumbered) ||
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (!unnumbered && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH))
            continue; // its writer may still be at work
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace SafeWrite
