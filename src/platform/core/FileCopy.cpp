#include "platform/core/FileCopy.h"

#include "platform/core/DirectWrite.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/JobRunner.h"
#include "platform/core/MappingGuard.h"
#include "platform/core/SafeWrite.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The windows a large file is copied in, several at once; files of fewer go in one stream.
constexpr off_t kWindow = off_t(16) << 20;
constexpr off_t kWindowedFrom = 4 * kWindow;

QString errnoText(int code = errno) {
    return SafeWrite::systemError(code);
}

enum class Copied { Whole, ReadFailed, WriteFailed };

// Copies what `in` holds from its offset on into `out` at its offset: in the kernel where the
// two file systems allow it, else a piece at a time through one buffer and SafeWrite's write
// loop. On failure errno says why.
Copied copyRest(int in, int out) {
    constexpr size_t kChunk = size_t(1) << 20;
    std::unique_ptr<char[]> buffer;
    bool kernel = true, movedInKernel = false;
    for (;;) {
        if (kernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
            if (n > 0) {
                movedInKernel = true;
                continue;
            }
            if (n == 0 && movedInKernel)
                return Copied::Whole;
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL &&
                errno != EOPNOTSUPP)
                return Copied::WriteFailed;
            // Refused before it moved anything (or nothing at all moved, as some file systems
            // say of files they fill as they are read): the offsets stand, the loop goes on.
            kernel = false;
            continue;
        }
        if (!buffer)
            buffer.reset(new char[kChunk]);
        const ssize_t n = ::read(in, buffer.get(), kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Copied::ReadFailed;
        if (n == 0)
            return Copied::Whole;
        if (!SafeWrite::writeAll(out, buffer.get(), size_t(n)))
            return Copied::WriteFailed;
    }
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
        if (!failed.load() && !copyIntoMapping(direct >= 0 ? direct : in, direct >= 0, out, from,
                                               size_t(std::min<off_t>(kWindow, size - from))))
            failed = true;
    });
    return !failed.load();
}

} // namespace

bool copyIntoMapping(int source, bool direct, int target, off_t from, size_t length) {
    void *mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, target, from);
    if (mapped == MAP_FAILED)
        return false;
    const DirectWrite::Buffer piece; // aligned, so that direct reads may land in it
    char *const buffer = piece.data();
    char *const into = static_cast<char *>(mapped);
    bool copied = false;
    MappingGuard::guarded([&] {
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
    });
    ::munmap(mapped, length);
    return copied;
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

namespace {

// A copy of `source` in a new temporary of `folder` with the permission bits `mode` (where its
// file system keeps them), durable and compared with the source; false with *why.
bool stageCopy(const QString &source, const QString &folder, mode_t mode,
               SafeWrite::Temporary &temp, QString *why) {
    const auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(QStringLiteral("\"%1\" cannot be read: %2").arg(source, errnoText()));
    QString error;
    if (!temp.create(folder, &error)) {
        ::close(in);
        return fail(QStringLiteral("No file can be written in \"%1\": %2").arg(folder, error));
    }
    (void)::fchmod(temp.fd(), mode);
    const Copied copied = copyRest(in, temp.fd());
    const int code = errno;
    ::close(in);
    if (copied == Copied::ReadFailed)
        return fail(QStringLiteral("\"%1\" cannot be read: %2").arg(source, errnoText(code)));
    if (copied == Copied::WriteFailed)
        return fail(
            QStringLiteral("\"%1\" could not be written: %2").arg(temp.path(), errnoText(code)));
    if (!temp.finish(&error))
        return fail(error);
    if (!sameFileContents(source, temp.path()))
        return fail(QStringLiteral("The copy of \"%1\" does not read back as written").arg(source));
    return true;
}

mode_t permissionsOf(const QString &path, mode_t otherwise) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : otherwise;
}

} // namespace

bool copyFileSafely(const QString &source, const QString &target, QString *why,
                    const std::function<bool(QString *why)> &beforeRename) {
    const auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QString folder = QFileInfo(target).absolutePath();
    SafeWrite::Temporary temp; // removed on every road that does not rename it
    if (!stageCopy(source, folder, permissionsOf(target, 0644), temp, why))
        return false;
    QString veto;
    if (beforeRename && !beforeRename(&veto))
        return fail(veto);
    if (::rename(QFile::encodeName(temp.path()).constData(),
                 QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("\"%1\" could not be replaced: %2").arg(target, errnoText()));
    temp.release();
    QString error;
    if (!SafeWrite::syncFolder(folder, &error))
        return fail(QStringLiteral("\"%1\" was written, but a crash may still undo it: %2")
                        .arg(target, error));
    return true;
}

bool copyFileAsNew(const QString &source, const QString &target, bool *taken, QString *why,
                   const std::function<bool(const QString &copy, QString *why)> &beforeNaming) {
    *taken = false;
    const QString folder = QFileInfo(target).absolutePath();
    SafeWrite::Temporary temp;
    if (!stageCopy(source, folder, permissionsOf(source, 0644), temp, why) ||
        (beforeNaming && !beforeNaming(temp.path(), why)) ||
        !moveToNameIfFree(temp.path(), target, taken, why))
        return false;
    temp.release();
    QString error;
    if (!SafeWrite::syncFolder(folder, &error)) {
        if (why)
            *why = QStringLiteral("\"%1\" was written, but a crash may still undo it: %2")
                       .arg(target, error);
        return false;
    }
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
    if (ok)
        ok = copyRest(in, out) == Copied::Whole;
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
