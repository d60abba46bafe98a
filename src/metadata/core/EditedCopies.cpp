#include "metadata/core/EditedCopies.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace EditedCopies {

namespace {

QByteArray attribute(int fd, const char *name) {
    char value[4096];
    const ssize_t got = ::fgetxattr(fd, name, value, sizeof value);
    return got > 0 ? QByteArray(value, int(got)) : QByteArray();
}

// The regular file at `path`, opened never through a link and never blocking on a FIFO or a
// device; -1 for anything else.
int openRegularFile(const QString &path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The digest of the open file in the kind of `like`, and its bytes when `keep` asks for them;
// false when it could not be read whole.
bool readAndHash(int fd, bool keep, const QByteArray &like, QByteArray *bytes,
                 QByteArray *digest) {
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return false;
    Digest hash(like);
    if (keep) {
        *bytes = file.readAll();
        hash.add(bytes->constData(), size_t(bytes->size()));
        *digest = hash.hex();
        return bytes->size() == st.st_size;
    }
    // A video is only hashed, a piece at a time.
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(piece.data(), piece.size())) > 0)
        hash.add(piece.constData(), size_t(got));
    *digest = hash.hex();
    return got == 0 && file.pos() == st.st_size;
}

constexpr char kXxhPrefix[] = "xxh128:";

} // namespace

struct Digest::State {
    bool older = false; // BLAKE2b-256, as records made before held
    XXH3_state_t xxh;
    std::optional<QCryptographicHash> blake;
};

Digest::Digest(const QByteArray &like) : state_(std::make_unique<State>()) {
    state_->older = !like.isEmpty() && !like.startsWith(kXxhPrefix);
    if (state_->older)
        state_->blake.emplace(QCryptographicHash::Blake2b_256);
    else
        XXH3_128bits_reset(&state_->xxh);
}

Digest::~Digest() = default;

void Digest::add(const char *data, size_t size) {
    if (state_->older)
        state_->blake->addData(QByteArrayView(data, qsizetype(size)));
    else
        XXH3_128bits_update(&state_->xxh, data, size);
}

QByteArray Digest::hex() {
    if (state_->older)
        return state_->blake->result().toHex();
    XXH128_canonical_t out;
    XXH128_canonicalFromHash(&out, XXH3_128bits_digest(&state_->xxh));
    return kXxhPrefix +
           QByteArray(reinterpret_cast<const char *>(out.digest), int(sizeof out.digest)).toHex();
}

QByteArray digestOf(const QByteArray &bytes) {
    Digest digest;
    digest.add(bytes.constData(), size_t(bytes.size()));
    return digest.hex();
}

QString recordPath(const QString &path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

QByteArray originalState(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qint64(st.st_size)) + ':' +
           QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

QString recordedSource(int fd) {
    return QString::fromUtf8(attribute(fd, kSourceAttribute));
}

bool record(int fd, const QString &originalPath, const QByteArray &digest,
            const QByteArray &originalState, QString *why) {
    const QByteArray source = recordPath(originalPath).toUtf8();
    if (::fsetxattr(fd, kSourceAttribute, source.constData(), size_t(source.size()), 0) != 0 ||
        (!originalState.isEmpty() && ::fsetxattr(fd, kOriginalAttribute, originalState.constData(),
                                                 size_t(originalState.size()), 0) != 0) ||
        ::fsetxattr(fd, kDigestAttribute, digest.constData(), size_t(digest.size()), 0) != 0) {
        if (why)
            *why = QString::fromLocal8Bit(std::strerror(errno));
        // Half a record must not survive: a source without its digest is never taken.
        ::fremovexattr(fd, kDigestAttribute);
        return false;
    }
    return true;
}

std::optional<Copy> findCopy(const QString &originalPath, const Remembered &remembered,
                             const QStringList &candidates, bool keepBytes) {
    const QString original = recordPath(originalPath);
    const QByteArray state = originalState(originalPath);
    QStringList tried;
    for (const QString &candidate : candidates) {
        if (candidate.isEmpty() || tried.contains(candidate))
            continue;
        tried << candidate;
        if (recordPath(candidate) == original)
            continue; // the photo itself, living in the storage folder
        const int fd = openRegularFile(candidate);
        if (fd < 0)
            continue;
        const QByteArray source = attribute(fd, kSourceAttribute);
        const QByteArray recorded = attribute(fd, kDigestAttribute);
        const QByteArray recordedState = attribute(fd, kOriginalAttribute);
        const bool isRemembered = !remembered.path.isEmpty() && !remembered.digest.isEmpty() &&
                                  recordPath(remembered.path) == recordPath(candidate) &&
                                  remembered.originalState == state;
        const bool byRecord = QString::fromUtf8(source) == original && !recorded.isEmpty() &&
                              !state.isEmpty() && recordedState == state;
        // Only a copy made from this original is read at all.
        // The file is hashed once, in the kind of the digest it must match.
        const QByteArray &expected = byRecord ? recorded : remembered.digest;
        QByteArray bytes, digest;
        const bool read = (byRecord || isRemembered) &&
                          readAndHash(fd, keepBytes, expected, &bytes, &digest);
        ::close(fd);
        if (!read)
            continue;
        // Changed since we wrote it (by another program, or by hand): it is the user's file
        // now, and an edit of the original must not replace it.
        if (!(byRecord && digest == recorded) && !(isRemembered && digest == remembered.digest))
            continue;
        return Copy{candidate, bytes};
    }
    return std::nullopt;
}

} // namespace EditedCopies
