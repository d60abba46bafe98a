#include "platform/core/PrivateFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFolder {
namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

} // namespace

bool isPrivate(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString root(QString *error) {
    static QMutex mutex;
    static QString made;
    QMutexLocker lock(&mutex);
    if (!made.isEmpty() && isPrivate(made))
        return made;
    // Absolute, so that no path handed to a helper program can be read as one of its options.
    QByteArray pattern = QFile::encodeName(QDir(QDir::tempPath()).absolutePath() +
                                           QLatin1Char('/') + QLatin1String(kPrefix) +
                                           QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        fail(error, QStringLiteral("no private temporary folder: %1").arg(systemError()));
        return {};
    }
    made = QFile::decodeName(pattern);
    // Gone with a normal exit; after a crash the next start removes it (removeStale).
    if (QCoreApplication::instance())
        qAddPostRoutine([] { QDir(made).removeRecursively(); });
    return made;
}

QString temporaryTemplate(const QString &name) {
    return QDir(QDir::tempPath()).absolutePath() + QLatin1Char('/') + QLatin1String(kPrefix) +
           QString::number(::getpid()) + QLatin1Char('-') + name + QStringLiteral("-XXXXXX");
}

QString subfolder(const QString &name, QString *error) {
    const QString base = root(error);
    if (base.isEmpty())
        return {};
    const QString path = base + QLatin1Char('/') + name;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
        fail(error, QStringLiteral("cannot make %1: %2").arg(path, systemError()));
        return {};
    }
    if (!isPrivate(path)) {
        fail(error, QStringLiteral("%1 is not a private folder of ours").arg(path));
        return {};
    }
    return path;
}

int removeStale(const QString &tempRoot) {
    const QDir dir(tempRoot.isEmpty() ? QDir::tempPath() : tempRoot);
    int removed = 0;
    const QStringList names =
        dir.entryList({QLatin1String(kPrefix) + QLatin1Char('*')},
                      QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool ok = false;
        const qint64 pid =
            name.mid(int(std::strlen(kPrefix))).section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid() || !isPrivate(dir.filePath(name)))
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue; // that run is still going
        // removeRecursively deletes links themselves, never what they point to.
        if (QDir(dir.filePath(name)).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace PrivateFolder
