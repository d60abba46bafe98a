#include "platform/core/PhotosApplication.h"

#include "platform/core/PropertyList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QSet>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QString processName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QStringLiteral("process");
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

bool processAlive(qint64 pid) {
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    // A zombie has ended; only its parent has not collected it yet.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        if (close > 0 && close + 2 < line.size() && line.at(close + 2) == 'Z')
            return false;
    }
    return true;
}

// The process holding a lock that a write lock on [start, start+len) would meet. Opening
// and closing a descriptor drops this process's own POSIX locks on the file, so callers
// must not hold a connection to it; and F_GETLK never reports our own locks anyway.
qint64 lockHolder(const QString &path, off_t start, off_t len) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = len;
    qint64 pid = 0;
    if (::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK)
        pid = lock.l_pid;
    ::close(fd);
    return pid;
}

// "iPhotoLock.data" of the package whose catalogue is "Database/apdb/<name>.apdb"; empty for
// other databases.
QString iPhotoLockFile(const QString &databasePath) {
    QDir folder = QFileInfo(databasePath).absoluteDir();
    if (folder.dirName() != QLatin1String("apdb") || !folder.cdUp() ||
        folder.dirName() != QLatin1String("Database") || !folder.cdUp())
        return {};
    const QString lock = folder.absoluteFilePath(QStringLiteral("iPhotoLock.data"));
    return QFileInfo(lock).isFile() ? lock : QString();
}

// What a lock file of the photo application names: its computer and process.
struct LockOwner {
    bool read = false; // a property list with a computer's name
    bool here = false; // that computer is this one
    qint64 pid = 0;
    QString host, process;
};

LockOwner lockOwner(const QString &path) {
    LockOwner owner;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return owner;
    const PropertyList::Document lock = PropertyList::read(path);
    if (!lock.ok)
        return owner;
    const QVariantMap dict = lock.root.toMap();
    owner.host = dict.value(QStringLiteral("hostname")).toString();
    owner.pid = dict.value(QStringLiteral("pid")).toLongLong();
    owner.process = dict.value(QStringLiteral("processname")).toString();
    if (owner.host.isEmpty())
        return owner;
    owner.read = true;
    // "Mac-mini.local" and "Mac-mini" are one computer.
    const QString here = QHostInfo::localHostName();
    owner.here = owner.host.compare(here, Qt::CaseInsensitive) == 0 ||
                 owner.host.section(QLatin1Char('.'), 0, 0)
                         .compare(here.section(QLatin1Char('.'), 0, 0), Qt::CaseInsensitive) == 0;
    return owner;
}

QString canonical(const QString &path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

} // namespace

QList<DatabaseHolder> LinuxPhotosApplication::holders(const QString &databasePath) {
    QList<DatabaseHolder> out;
    QSet<qint64> seen;
    const qint64 self = ::getpid();
    const auto add = [&](qint64 pid, const QString &how) {
        if (pid <= 0 || pid == self || seen.contains(pid) || !processAlive(pid))
            return;
        seen.insert(pid);
        out << DatabaseHolder{pid, processName(pid), how};
    };
    // Every WAL connection holds a read lock on byte 128 of the -shm; a connection in a
    // transaction holds the database's own lock bytes at 1 GiB.
    add(lockHolder(databasePath + QStringLiteral("-shm"), 128, 1), QStringLiteral("lock"));
    add(lockHolder(databasePath, 0x40000000, 512), QStringLiteral("lock"));

    QSet<QString> targets = {canonical(databasePath),
                             canonical(databasePath + QStringLiteral("-wal")),
                             canonical(databasePath + QStringLiteral("-shm"))};
    // iPhoto and Aperture lock the whole package with one file beside their catalogue.
    const QString packageLock = iPhotoLockFile(databasePath);
    if (!packageLock.isEmpty()) {
        add(lockHolder(packageLock, 0, 0), QStringLiteral("lock"));
        targets.insert(canonical(packageLock));
    }
    if (DIR *proc = ::opendir("/proc")) {
        while (const dirent *entry = ::readdir(proc)) {
            char *end = nullptr;
            const qint64 pid = std::strtoll(entry->d_name, &end, 10);
            if (!end || *end || pid <= 0 || pid == self || seen.contains(pid))
                continue;
            const QByteArray fdDir = "/proc/" + QByteArray::number(pid) + "/fd";
            DIR *fds = ::opendir(fdDir.constData());
            if (!fds)
                continue;
            while (const dirent *fd = ::readdir(fds)) {
                if (fd->d_name[0] == '.')
                    continue;
                char target[4096];
                const ssize_t n =
                    ::readlink((fdDir + '/' + fd->d_name).constData(), target, sizeof target - 1);
                if (n <= 0)
                    continue;
                if (targets.contains(QFile::decodeName(QByteArray(target, int(n))))) {
                    add(pid, QStringLiteral("open file"));
                    break;
                }
            }
            ::closedir(fds);
        }
        ::closedir(proc);
    }

    // The photo application's lock plist. One naming this computer holds the library while its
    // process lives. One naming another computer holds it too: that computer may have the
    // library open over a shared disk, and whether its process lives cannot be asked from
    // here. One naming no computer is stale.
    for (const QString &lockFile : {databasePath + QStringLiteral(".lock"), packageLock}) {
        const LockOwner owner = lockOwner(lockFile);
        if (!owner.read)
            continue;
        if (owner.here)
            add(owner.pid, QStringLiteral("lock file"));
        else
            out << DatabaseHolder{
                owner.pid, owner.process.isEmpty() ? QStringLiteral("Photos") : owner.process,
                QStringLiteral("lock file"), owner.host, lockFile};
    }
    return out;
}

bool LinuxPhotosApplication::endProcess(qint64 pid, QString *why) {
    if (pid <= 0 || pid == ::getpid()) {
        if (why)
            *why = QStringLiteral("no such process");
        return false;
    }
    if (!processAlive(pid))
        return true;
    if (::kill(pid_t(pid), SIGTERM) != 0 && errno != ESRCH) {
        if (why)
            *why = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < graceMilliseconds) {
        if (!processAlive(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_t(pid), SIGKILL);
    for (int i = 0; i < 40; ++i) {
        if (!processAlive(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (why)
        *why = QStringLiteral("%1 (%2) did not end").arg(processName(pid)).arg(pid);
    return false;
}

namespace {
PhotosApplication *replacementApplication = nullptr;
}

QString photosApplicationMissingReason() {
    return QStringLiteral("The Photos application does not exist on Linux");
}

PhotosAnswer LinuxPhotosApplication::openLibrary(const QString &) {
    return PhotosAnswer::unavailable(photosApplicationMissingReason());
}

PhotosAnswer LinuxPhotosApplication::importFile(const QString &, const QString &) {
    return PhotosAnswer::unavailable(photosApplicationMissingReason());
}

PhotosApplication &photosApplication() {
    static LinuxPhotosApplication onLinux;
    return replacementApplication ? *replacementApplication : onLinux;
}

void setPhotosApplication(PhotosApplication *replacement) {
    replacementApplication = replacement;
}

QString describeHolders(const QList<DatabaseHolder> &holders) {
    QStringList parts;
    for (const DatabaseHolder &h : holders)
        parts << (h.onAnotherComputer() ? QStringLiteral("%1 (%2) on the computer \"%3\"")
                                              .arg(h.name)
                                              .arg(h.pid)
                                              .arg(h.host)
                                        : QStringLiteral("%1 (%2)").arg(h.name).arg(h.pid));
    return parts.join(QStringLiteral(", "));
}

bool isPhotosApplication(const DatabaseHolder &holder) {
    return holder.name == QLatin1String("Photos") && !holder.onAnotherComputer();
}

bool lockFileStands(const QString &path) {
    const LockOwner owner = lockOwner(path);
    return owner.read && (!owner.here || (owner.pid != ::getpid() && processAlive(owner.pid)));
}

bool takeOverLockFile(const DatabaseHolder &holder, QString *why) {
    const auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (!holder.onAnotherComputer() || holder.lockFile.isEmpty())
        return refuse(
            QStringLiteral("%1 is no lock of another computer").arg(describeHolders({holder})));
    if (!QFileInfo::exists(holder.lockFile))
        return true;
    const LockOwner owner = lockOwner(holder.lockFile);
    if (!owner.read || owner.host != holder.host || owner.pid != holder.pid)
        return refuse(QStringLiteral("the lock file \"%1\" changed since it named %2")
                          .arg(holder.lockFile, describeHolders({holder})));
    QFile lock(holder.lockFile);
    if (!lock.remove())
        return refuse(QStringLiteral("the lock file \"%1\" could not be removed: %2")
                          .arg(holder.lockFile, lock.errorString()));
    return true;
}
