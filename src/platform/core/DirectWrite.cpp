#include "platform/core/DirectWrite.h"

#include <QFile>
#include <QMutex>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace DirectWrite {
namespace {

// Buffers given back, for the next file. More than the threads ever hold at once is freed.
// Never destroyed, so a worker that gives its buffer back while the program exits finds it,
// and the buffers stay reachable to the end instead of counting as leaks.
QMutex poolMutex;
std::vector<char *> &pool() {
    static auto *buffers = new std::vector<char *>;
    return *buffers;
}
constexpr size_t kPoolKeeps = 32;
constexpr size_t kCompared = 128 * 1024;

} // namespace

Buffer::Buffer() {
    {
        const QMutexLocker lock(&poolMutex);
        if (!pool().empty()) {
            data_ = pool().back();
            pool().pop_back();
            return;
        }
    }
    data_ = static_cast<char *>(std::aligned_alloc(kBlock, kPiece));
    if (!data_)
        throw std::bad_alloc();
}

Buffer::~Buffer() {
    const QMutexLocker lock(&poolMutex);
    if (pool().size() < kPoolKeeps)
        pool().push_back(data_);
    else
        std::free(data_);
}

bool enable(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
}

namespace {

bool disable(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
}

} // namespace

bool Writer::writeOut(const char *data, size_t size) {
    while (size > 0) {
        // A direct transfer needs whole blocks: the last piece of a file goes through the cache.
        if (direct_ && size % kBlock != 0) {
            direct_ = false;
            if (!disable(fd_))
                return false;
        }
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // A file system may refuse direct transfers only when the first one comes.
            if (errno == EINVAL && direct_) {
                direct_ = false;
                if (!disable(fd_))
                    return false;
                continue;
            }
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool Writer::write(const char *data, size_t size) {
    while (size > 0) {
        if (!buffer_)
            buffer_ = std::make_unique<Buffer>();
        const size_t take = std::min(size, kPiece - filled_);
        std::memcpy(buffer_->data() + filled_, data, take);
        filled_ += take;
        data += take;
        size -= take;
        if (filled_ == kPiece) {
            filled_ = 0;
            if (!writeOut(buffer_->data(), kPiece))
                return false;
        }
    }
    return true;
}

bool Writer::flush() {
    const size_t whole = filled_ - filled_ % kBlock;
    const bool ok = writeOut(buffer_ ? buffer_->data() : nullptr, whole) &&
                    writeOut(buffer_ ? buffer_->data() + whole : nullptr, filled_ - whole);
    filled_ = 0;
    buffer_.reset();
    return ok;
}

ReadBack readsBackFrom(int fd, QByteArrayView expected, QByteArrayView rest, const Sink &sink) {
    struct stat st {};
    const size_t size = size_t(expected.size() + rest.size());
    if (::fstat(fd, &st) != 0 || size_t(st.st_size) != size)
        return ReadBack::Different;
    const Buffer buffer;
    size_t at = 0;
    ReadBack result = ReadBack::Same;
    // One read past the end too: a file that grew meanwhile reads as different.
    for (;;) {
        // Never more than the file's last block: a read past the end fills the rest with zeros.
        const size_t left = size > at ? size - at : 0;
        const size_t ask = std::min(kPiece, (left / kBlock + 1) * kBlock);
        const ssize_t got = ::read(fd, buffer.data(), ask);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EINVAL && at == 0) {
            result = ReadBack::Unsupported;
            break;
        }
        if (got <= 0) {
            if (got < 0 || at != size)
                result = ReadBack::Different;
            break;
        }
        if (at + size_t(got) > size) {
            result = ReadBack::Different;
            break;
        }
        // The piece may straddle the rewritten part and what follows it.
        for (size_t done = 0; done < size_t(got);) {
            const size_t from = at + done;
            const bool first = from < size_t(expected.size());
            const char *want =
                first ? expected.data() + from : rest.data() + (from - size_t(expected.size()));
            // A piece small enough to be compared and then digested while in the cache.
            const size_t n = std::min({size_t(got) - done, kCompared,
                                       first ? size_t(expected.size()) - from : size - from});
            if (std::memcmp(buffer.data() + done, want, n) != 0) {
                result = ReadBack::Different;
                break;
            }
            if (sink)
                sink(buffer.data() + done, n);
            done += n;
        }
        if (result != ReadBack::Same)
            break;
        at += size_t(got);
    }
    return result;
}

ReadBack readsBackAs(const QString &path, QByteArrayView expected, QByteArrayView rest,
                     const Sink &sink) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_DIRECT);
    if (fd < 0)
        return errno == EINVAL ? ReadBack::Unsupported : ReadBack::Different;
    const ReadBack result = readsBackFrom(fd, expected, rest, sink);
    ::close(fd);
    return result;
}

} // namespace DirectWrite
