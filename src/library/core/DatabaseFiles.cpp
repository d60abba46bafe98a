#include "library/core/DatabaseFiles.h"

#include "platform/core/DirectWrite.h"
#include "platform/core/JobRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The windows a large file is copied in, several at once; files of fewer go in one stream.
constexpr off_t kWindow = off_t(16) << 20;
constexpr off_t kWindowedFrom = 4 * kWindow;

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
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

// Whether most of an open file's pages are in the page cache already.
bool mostlyInTheCache(int fd, off_t size) {
    void *mapped = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED)
        return true;
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size_t(size) + page - 1) / page);
    const bool known = ::mincore(mapped, size_t(size), resident.data()) == 0;
    ::munmap(mapped, size_t(size));
    const auto cached =
        std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; });
    return !known || size_t(cached) * 2 >= resident.size();
}

// A write through a mapping that the file system cannot take (the disk failed, or another
// program cut the file short) raises SIGBUS instead of returning an error. While a thread
// copies into a mapping, that signal ends the copy of its window instead of the program.
thread_local sigjmp_buf *mappedCopyEscape = nullptr;
struct sigaction busHandlerBefore {};

void onBusError(int signal, siginfo_t *info, void *context) {
    if (sigjmp_buf *escape = mappedCopyEscape) {
        mappedCopyEscape = nullptr;
        siglongjmp(*escape, 1);
    }
    // Not a copy's: what the signal did before. Returning runs the faulting instruction
    // again, which then meets the default action.
    if (busHandlerBefore.sa_flags & SA_SIGINFO) {
        busHandlerBefore.sa_sigaction(signal, info, context);
        return;
    }
    if (busHandlerBefore.sa_handler != SIG_DFL && busHandlerBefore.sa_handler != SIG_IGN) {
        busHandlerBefore.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
}

void catchBusErrors() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &busHandlerBefore);
    });
}

// Copies the first `size` bytes of `in` into `out` (already that long) in windows, several at
// once. Written with write(), every writer of a file waits on its one lock, and one thread
// fills the page cache at a fraction of the memory's speed (0.6 GB/s on a virtual machine
// handing out fresh pages); written through mappings, the threads fill it side by side. The
// copy's blocks are allocated first, so that no write through a mapping finds the disk full.
// Where `source` is mostly not in the page cache it is read past it (`direct`, a descriptor
// of it opened so): the copy then fills the cache once, with its own pages, instead of with
// the source's too. False when the file system refuses, or a window could not be copied
// whole; the caller then copies it all again.
bool copyInWindows(int in, int direct, int out, off_t size) {
    if (::fallocate(out, 0, 0, size) != 0)
        return false;
    const qsizetype windows = qsizetype((size + kWindow - 1) / kWindow);
    std::atomic_bool failed{false}; // the windows not yet begun are left
    JobRunner::sideBySide(windows, std::min(8, JobRunner::cores()), [&](qsizetype i) {
        const off_t from = off_t(i) * kWindow;
        if (!failed.load() &&
            !copyIntoMapping(direct >= 0 ? direct : in, direct >= 0, out, from,
                             size_t(std::min<off_t>(kWindow, size - from))))
            failed = true;
    });
    return !failed.load();
}

} // namespace

bool copyIntoMapping(int source, bool direct, int target, off_t from, size_t length) {
    catchBusErrors();
    void *mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, target, from);
    if (mapped == MAP_FAILED)
        return false;
    const DirectWrite::Buffer piece; // aligned, so that direct reads may land in it
    char *const buffer = piece.data();
    char *const into = static_cast<char *>(mapped);
    volatile bool copied = false;
    sigjmp_buf escape;
    if (sigsetjmp(escape, 1) == 0) {
        mappedCopyEscape = &escape;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        size_t at = 0;
        while (at < length) {
            using DirectWrite::kBlock;
            size_t want = std::min(DirectWrite::kPiece, length - at);
            if (direct) // whole blocks: the last one of the file comes back short
                want = (want + kBlock - 1) / kBlock * kBlock;
            const ssize_t n = ::pread(source, buffer, want, from + off_t(at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break; // an error, or the file ended before its length
            const size_t take = std::min(size_t(n), length - at);
            std::memcpy(into + at, buffer, take);
            at += take;
        }
        copied = at == length;
    }
    std::atomic_signal_fence(std::memory_order_seq_cst);
    mappedCopyEscape = nullptr;
    ::munmap(mapped, length);
    return copied;
}

DatabaseFileState databaseFileState(const QString &path) {
    DatabaseFileState s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = qint64(st.st_ino);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        s.header = file.read(100);
    struct stat wal {};
    if (::stat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &wal) == 0)
        s.walSize = wal.st_size;
    return s;
}

void syncFolder(const QString &folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool sameFileContents(const QString &a, const QString &b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || fa.size() != fb.size())
        return false;
    // Two buffers for the whole comparison: a gigabyte read a megabyte at a time into new
    // arrays would ask the system for fresh memory a thousand times.
    constexpr qint64 chunk = 1 << 20;
    std::vector<char> x(chunk), y(chunk);
    for (;;) {
        const qint64 n = fa.read(x.data(), chunk);
        if (n < 0 || fb.read(y.data(), n) != n || std::memcmp(x.data(), y.data(), size_t(n)) != 0)
            return false;
        if (n == 0)
            return fb.read(y.data(), 1) == 0;
    }
}

bool removeIfPresent(const QString &path, QString *why) {
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return true;
    if (why)
        *why = QStringLiteral("\"%1\" could not be removed: %2").arg(path, errnoText());
    return false;
}

bool copyFileSafely(const QString &source, const QString &target, QString *why,
                    const std::function<bool(QString *why)> &beforeRename) {
    const auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(QStringLiteral("\"%1\" cannot be read: %2").arg(source, errnoText()));
    // Our process id in the name tells a crashed run's copy from one still being written.
    QByteArray tmpl =
        QFile::encodeName(target) + ".pk-" + QByteArray::number(::getpid()) + "-XXXXXX";
    const int out = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (out < 0) {
        const QString reason =
            QStringLiteral("No file can be written beside \"%1\": %2").arg(target, errnoText());
        ::close(in);
        return fail(reason);
    }
    const QString temp = QFile::decodeName(tmpl);
    const auto abandon = [&](const QString &reason) {
        ::close(in);
        ::close(out);
        ::unlink(tmpl.constData());
        return fail(reason);
    };
    struct stat targetStat {};
    if (::stat(QFile::encodeName(target).constData(), &targetStat) == 0)
        ::fchmod(out, targetStat.st_mode & 07777);
    else
        ::fchmod(out, 0644);

    // The kernel copies without the bytes passing through us; where it cannot (another file
    // system, an old kernel) the plain loop below does the rest.
    bool copiedInKernel = false;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            copiedInKernel = true;
            continue;
        }
        if (n == 0 && copiedInKernel)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return abandon(
                QStringLiteral("\"%1\" could not be written: %2").arg(temp, errnoText()));
        // Nothing was copied yet (or an empty file): start again with the plain loop.
        if (::lseek(in, 0, SEEK_SET) < 0 || ::lseek(out, 0, SEEK_SET) < 0 ||
            ::ftruncate(out, 0) != 0)
            return abandon(
                QStringLiteral("\"%1\" could not be written: %2").arg(temp, errnoText()));
        copiedInKernel = false;
        break;
    }
    static constexpr size_t chunk = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[chunk]);
    while (!copiedInKernel) {
        const ssize_t n = ::read(in, buffer.get(), chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(QStringLiteral("\"%1\" cannot be read: %2").arg(source, errnoText()));
        }
        if (n == 0)
            break;
        if (!writeAll(out, buffer.get(), size_t(n)))
            return abandon(
                QStringLiteral("\"%1\" could not be written: %2").arg(temp, errnoText()));
    }
    if (::fsync(out) != 0)
        return abandon(QStringLiteral("\"%1\" could not be flushed: %2").arg(temp, errnoText()));
    ::close(in);
    if (::close(out) != 0) {
        ::unlink(tmpl.constData());
        return fail(QStringLiteral("\"%1\" could not be written: %2").arg(temp, errnoText()));
    }
    if (!sameFileContents(source, temp)) {
        ::unlink(tmpl.constData());
        return fail(QStringLiteral("The copy of \"%1\" does not read back as written").arg(source));
    }
    QString veto;
    if (beforeRename && !beforeRename(&veto)) {
        ::unlink(tmpl.constData());
        return fail(veto);
    }
    if (::rename(tmpl.constData(), QFile::encodeName(target).constData()) != 0) {
        const QString reason =
            QStringLiteral("\"%1\" could not be replaced: %2").arg(target, errnoText());
        ::unlink(tmpl.constData());
        return fail(reason);
    }
    syncFolder(QFileInfo(target).absolutePath());
    return true;
}

bool copyFileQuickly(const QString &source, const QString &target, QString *why) {
    const auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(QStringLiteral("\"%1\" cannot be read: %2").arg(source, errnoText()));
    const QByteArray out8 = QFile::encodeName(target);
    ::unlink(out8.constData());
    const int out =
        ::open(out8.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        const QString reason = QStringLiteral("\"%1\" cannot be made: %2").arg(target, errnoText());
        ::close(in);
        return fail(reason);
    }
    bool ok = true;
    bool kernel = true;
    struct stat st {};
    if (::fstat(in, &st) == 0 && st.st_size >= kWindowedFrom && ::ftruncate(out, st.st_size) == 0) {
        // Whatever was not copied in windows is copied again below, from the start; bytes the
        // source gained meanwhile follow the windows.
        // Opened again through the descriptor, not the name: the very file `in` reads, even
        // should another take its name meanwhile.
        const int direct =
            mostlyInTheCache(in, st.st_size)
                ? -1
                : ::open(QByteArray("/proc/self/fd/" + QByteArray::number(in)).constData(),
                         O_RDONLY | O_DIRECT | O_CLOEXEC);
        const bool windowed = copyInWindows(in, direct, out, st.st_size);
        if (direct >= 0)
            ::close(direct);
        const off_t at = windowed ? st.st_size : 0;
        if (!windowed && ::ftruncate(out, 0) != 0)
            ok = false;
        if (::lseek(in, at, SEEK_SET) != at || ::lseek(out, at, SEEK_SET) != at)
            ok = false;
    }
    static constexpr size_t chunk = 1 << 20;
    std::unique_ptr<char[]> buffer;
    while (ok) {
        ssize_t n = -1;
        if (kernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
            if (n < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                kernel = false; // copy_file_range moved nothing; the offsets stand
                continue;
            }
        } else {
            if (!buffer)
                buffer.reset(new char[chunk]);
            n = ::read(in, buffer.get(), chunk);
            if (n > 0 && !writeAll(out, buffer.get(), size_t(n)))
                n = -1;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
    }
    const QString reason =
        ok ? QString() : QStringLiteral("\"%1\" could not be written: %2").arg(target, errnoText());
    ::close(in);
    if (::close(out) != 0 && ok)
        return fail(QStringLiteral("\"%1\" could not be written: %2").arg(target, errnoText()));
    if (!ok) {
        ::unlink(out8.constData());
        return fail(reason);
    }
    return true;
}

int removeStaleCopies(const QString &folder, bool olderNames) {
    const QDir dir(folder);
    int removed = 0;
    const QStringList names =
        dir.entryList({QStringLiteral("*.pk-*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const int at = name.lastIndexOf(QLatin1String(".pk-"));
        const QString target = name.left(at);
        const QStringList parts = name.mid(at + 4).split(QLatin1Char('-'));
        bool isPid = false;
        const qint64 pid = parts.value(0).toLongLong(&isPid);
        // Before copies carried their writer's id they were "<file>.pk-XXXXXX".
        const bool legacy = olderNames && parts.size() == 1 && parts[0].size() == 6;
        const bool ours = legacy || (parts.size() == 2 && isPid && pid > 0 && parts[1].size() == 6);
        if (!ours || target.isEmpty() || (legacy && !QFileInfo(dir.filePath(target)).isFile()))
            continue;
        struct stat st {};
        if (::lstat(QFile::encodeName(dir.filePath(name)).constData(), &st) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (!legacy && (pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH))
            continue; // its writer may still be at work
        if (::unlink(QFile::encodeName(dir.filePath(name)).constData()) == 0)
            ++removed;
    }
    return removed;
}
