#include "platform/core/DurableBatch.h"

#include "platform/core/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeAll(int fd, const QByteArray &bytes) {
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

namespace DurableBatch {

QString writeTemporaryBeside(const QString &target, const QByteArray &bytes, QString *error) {
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    struct stat existing {};
    const bool targetExists = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            QStringLiteral("%1/.%2.%3.pktmp")
                .arg(folder, info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray name = QFile::encodeName(path);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            if (error)
                *error = QStringLiteral("cannot write %1: %2").arg(target, systemError(errno));
            return {};
        }
        bool ok = writeAll(fd, bytes);
        int code = ok ? 0 : errno;
        if (ok && targetExists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
            ok = false;
            code = errno;
        }
        if (::close(fd) != 0 && ok) {
            ok = false;
            code = errno;
        }
        if (!ok) {
            ::unlink(name.constData());
            if (error)
                *error = QStringLiteral("cannot write %1: %2").arg(target, systemError(code));
            return {};
        }
        return path;
    }
    if (error)
        *error = QStringLiteral("cannot write %1: no free temporary name").arg(target);
    return {};
}

bool syncFiles(const QStringList &paths, QString *error) {
    QSet<dev_t> synced;
    for (const QString &path : paths) {
        const QByteArray name = QFile::encodeName(path);
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (error)
                *error = QStringLiteral("cannot sync %1: %2").arg(path, systemError(errno));
            return false;
        }
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0;
        if (ok && !synced.contains(st.st_dev)) {
            // One flush of the whole file system covers every file of the batch on it.
            if (::syncfs(fd) == 0)
                synced.insert(st.st_dev);
            else
                ok = ::fdatasync(fd) == 0;
        }
        const int code = errno;
        ::close(fd);
        if (!ok) {
            if (error)
                *error = QStringLiteral("cannot sync %1: %2").arg(path, systemError(code));
            return false;
        }
    }
    return true;
}

bool syncFolders(const QStringList &folders, QString *error) {
    bool all = true;
    for (const QString &folder : QSet<QString>(folders.begin(), folders.end())) {
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            all = false;
            if (error)
                *error =
                    QStringLiteral("cannot sync the folder %1: %2").arg(folder, systemError(errno));
        }
        if (fd >= 0)
            ::close(fd);
    }
    return all;
}

bool replaceWith(const QString &tempPath, const QString &target, QString *error) {
    if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(target).constData()) ==
        0)
        return true;
    if (error)
        *error =
            QStringLiteral("cannot move %1 to %2: %3").arg(tempPath, target, systemError(errno));
    return false;
}

bool moveNoReplace(const QString &tempPath, const QString &target, bool *taken, QString *error) {
    const QByteArray from = QFile::encodeName(tempPath), to = QFile::encodeName(target);
    *taken = false;
    int code = 0;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    code = errno;
#else
    code = EINVAL;
#endif
    if (code == EINVAL || code == ENOSYS || code == ENOTSUP) {
        // File systems that cannot rename without replacing still refuse a link onto a name.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return true;
        }
        code = errno;
    }
    *taken = code == EEXIST;
    if (error)
        *error =
            QStringLiteral("cannot move %1 to %2: %3").arg(tempPath, target, systemError(code));
    return false;
}

void Commit::syncTemporaries(const QStringList &temporaries) {
    for (const QString &temporary : temporaries) {
        const QString folder = QFileInfo(temporary).absolutePath();
        if (syncErrors_.contains(folder))
            continue;
        QString why;
        SafeWrite::syncFileSystemOf(folder, &why);
        syncErrors_.insert(folder, why);
    }
}

QString Commit::syncError(const QString &temporary) const {
    return syncErrors_.value(QFileInfo(temporary).absolutePath());
}

void Commit::placed(const QString &path) {
    placedFolders_.insert(QFileInfo(path).absolutePath());
}

void Commit::syncFolders() {
    for (const QString &folder : std::as_const(placedFolders_))
        SafeWrite::syncFolder(folder);
    placedFolders_.clear();
}

} // namespace DurableBatch
