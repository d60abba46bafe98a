#include "platform/core/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

QString notRegularReason(mode_t mode) {
    if (S_ISFIFO(mode))
        return QStringLiteral("not a regular file (a FIFO)");
    if (S_ISDIR(mode))
        return QStringLiteral("not a regular file (a folder)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("not a regular file (a device)");
    if (S_ISSOCK(mode))
        return QStringLiteral("not a regular file (a socket)");
    return QStringLiteral("not a regular file");
}

} // namespace

bool RegularFile::isRegular(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

std::optional<QByteArray> RegularFile::readAll(const QString &path, QString *error,
                                               QByteArray *room) {
    if (path.isEmpty()) {
        fail(error, QStringLiteral("no file"));
        return std::nullopt;
    }
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    // Checked before opening too: opening some devices already does something.
    if (::stat(native.constData(), &st) != 0) {
        fail(error, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        fail(error, notRegularReason(st.st_mode));
        return std::nullopt;
    }
    // O_NONBLOCK lets the open of a FIFO that took the file's place return at once.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail(error, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fail(error, notRegularReason(st.st_mode));
        ::close(fd);
        return std::nullopt;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (room && room->isDetached() && room->capacity() > qsizetype(st.st_size)) {
        QByteArray bytes = std::move(*room);
        // One byte more than the size seen, to see the file end.
        bytes.resize(qsizetype(st.st_size) + 1);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                fail(error, QString::fromLocal8Bit(std::strerror(errno)));
                ::close(fd);
                return std::nullopt;
            }
            if (n == 0)
                break;
            got += n;
        }
        if (got < bytes.size()) {
            bytes.truncate(got);
            ::close(fd);
            return bytes;
        }
        // It grew meanwhile: read whole below.
        ::lseek(fd, 0, SEEK_SET);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        fail(error, file.errorString());
        ::close(fd);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, file.errorString());
        return std::nullopt;
    }
    return bytes;
}
