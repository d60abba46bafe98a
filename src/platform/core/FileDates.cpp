#include "platform/core/FileDates.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

bool fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QDateTime FileDates::creationDate(const QString &path) {
    const QByteArray native = QFile::encodeName(path);
    char buffer[128];
    const ssize_t n = getxattr(native.constData(), kCreationAttribute, buffer, sizeof buffer - 1);
    if (n > 0) {
        const QDateTime stored =
            QDateTime::fromString(QString::fromLatin1(buffer, int(n)), Qt::ISODateWithMs);
        if (stored.isValid())
            return stored.toLocalTime();
    }
    struct statx sx {};
    if (statx(AT_FDCWD, native.constData(), 0, STATX_BTIME, &sx) == 0 &&
        (sx.stx_mask & STATX_BTIME)) {
        return QDateTime::fromMSecsSinceEpoch(qint64(sx.stx_btime.tv_sec) * 1000 +
                                              sx.stx_btime.tv_nsec / 1000000);
    }
    return {};
}

QDateTime FileDates::modificationDate(const QString &path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
}

bool FileDates::keepsCreationDates(const QString &path) {
    char value[1];
    return getxattr(QFile::encodeName(path).constData(), kCreationAttribute, value, 0) >= 0 ||
           errno != ENOTSUP;
}

bool FileDates::setCreationDate(const QString &path, const QDateTime &date, QString *error) {
    if (!date.isValid())
        return fail(error, QStringLiteral("no date"));
    const QByteArray value = date.toUTC().toString(Qt::ISODateWithMs).toLatin1();
    if (setxattr(QFile::encodeName(path).constData(), kCreationAttribute, value.constData(),
                 size_t(value.size()), 0) != 0 &&
        errno != ENOTSUP)
        return fail(error, errnoText());
    return true;
}

bool FileDates::setModificationDate(const QString &path, const QDateTime &date, QString *error) {
    if (!date.isValid())
        return fail(error, QStringLiteral("no date"));
    const QByteArray native = QFile::encodeName(path);
    struct stat before {};
    if (stat(native.constData(), &before) != 0)
        return fail(error, errnoText());
    const qint64 ms = date.toMSecsSinceEpoch();
    struct timespec times[2];
    // The access time as it is: FUSE drivers of the older library (exFAT, FAT) set no time
    // unless they are given both.
    times[0] = before.st_atim;
    times[1].tv_sec = time_t(ms / 1000);
    times[1].tv_nsec = long((ms % 1000) * 1000000);
    if (times[1].tv_nsec < 0) {
        times[1].tv_sec -= 1;
        times[1].tv_nsec += 1000000000L;
    }
    if (utimensat(AT_FDCWD, native.constData(), times, 0) != 0)
        return fail(error, errnoText());
    // Some file systems take a date they cannot hold (FAT: 1980 to 2107) or one they ignore
    // without a word. FAT keeps two seconds at a time.
    const QDateTime kept = modificationDate(path);
    if (!kept.isValid() || std::abs(kept.msecsTo(date)) > 2000)
        return fail(error, QStringLiteral("the file system did not keep the date %1 (it holds %2)")
                               .arg(date.toString(Qt::ISODate), kept.toString(Qt::ISODate)));
    return true;
}

bool FileDates::setDates(const QString &path, const QDateTime &date, QString *error) {
    return setCreationDate(path, date, error) && setModificationDate(path, date, error);
}

bool FileDates::copyDates(const QString &source, const QString &target, QString *error) {
    const QDateTime created = creationDate(source);
    const QDateTime modified = modificationDate(source);
    if (!modified.isValid())
        return fail(error, QStringLiteral("the source's dates cannot be read"));
    if (created.isValid() && !setCreationDate(target, created, error))
        return false;
    return setModificationDate(target, modified, error);
}
