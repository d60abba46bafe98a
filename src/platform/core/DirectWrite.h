#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

// Writing and reading a file past the page cache (O_DIRECT). A photo written in a batch of a
// thousand is not read again soon: put in the cache it costs the kernel a fresh page for
// every 4 KB and pushes out what the user had there, and read back from the cache it proves
// only that memory holds the bytes. Written directly the bytes go from our buffer to the
// disk, and read back directly they come from the disk.
//
// Offsets and lengths of direct transfers are multiples of kBlock; the last piece of a file
// shorter than that is written through the cache. A file system that refuses direct
// transfers (tmpfs, some FUSE ones) gets the same bytes through the cache.
namespace DirectWrite {

inline constexpr size_t kBlock = 4096;
inline constexpr size_t kPiece = size_t(1) << 20;

// A kPiece buffer aligned to kBlock, from a small pool shared by every thread, so that its
// pages are ones the process has used before.
class Buffer {
  public:
    Buffer();
    ~Buffer();
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;
    char *data() const { return data_; }

  private:
    char *data_;
};

// Turns direct transfers on for an open file; false (and nothing changed) where its file
// system refuses them.
bool enable(int fd);

// The bytes of one file on their way to it through an open descriptor: gathered into whole
// pieces, each written past the cache as it fills.
class Writer {
  public:
    explicit Writer(int fd) : fd_(fd) {}
    bool write(const char *data, size_t size);
    // Writes what is gathered: the whole blocks directly, the rest through the cache.
    bool flush();

  private:
    bool writeOut(const char *data, size_t size);
    int fd_;
    bool direct_ = true;
    std::unique_ptr<Buffer> buffer_;
    size_t filled_ = 0;
};

using Sink = std::function<void(const char *, size_t)>;

enum class ReadBack { Same, Different, Unsupported };
// Reads an open file from its start, a piece at a time into a pooled buffer, and compares it
// with `expected` followed by `rest`, handing each piece that compared equal to `sink`.
// Direct or not; Unsupported when a direct first read is refused, before `sink` saw anything.
ReadBack readsBackFrom(int fd, QByteArrayView expected, QByteArrayView rest, const Sink &sink);
// The same for the file at `path`, read from the disk. Unsupported where the file cannot be
// opened for direct reads: the caller reads it another way.
ReadBack readsBackAs(const QString &path, QByteArrayView expected, QByteArrayView rest,
                     const Sink &sink);

} // namespace DirectWrite
