#include "platform/core/FreeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QString numberedFileName(const QString &name, int n) {
    if (n <= 1)
        return name;
    const QFileInfo info(name);
    // A leading dot is part of the base name, not an extension.
    const QString suffix = info.completeBaseName().isEmpty() ? QString() : info.suffix();
    const QString base = suffix.isEmpty() ? name : info.completeBaseName();
    return QStringLiteral("%1 (%2)%3")
        .arg(base)
        .arg(n)
        .arg(suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

QString freeFilePath(const QString &folder, const QString &name) {
    const QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString candidate = dir.filePath(numberedFileName(name, n));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

namespace {
// 0 on success, else errno; never replaces `to`.
int renameNoReplace(const QByteArray &from, const QByteArray &to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    // Folders that cannot rename without replacing still refuse a link onto a taken name.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    return errno;
}
} // namespace

QString moveToFreeName(const QString &tempPath, const QString &folder, const QString &name,
                       QString *error) {
    const QByteArray from = QFile::encodeName(tempPath);
    const QDir dir(folder);
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = dir.filePath(numberedFileName(name, n));
        const int rc = renameNoReplace(from, QFile::encodeName(candidate));
        if (rc == 0)
            return candidate;
        if (rc != EEXIST) {
            if (error)
                *error = QStringLiteral("Cannot move %1 to %2: %3")
                             .arg(tempPath, candidate, QString::fromLocal8Bit(std::strerror(rc)));
            return {};
        }
    }
    if (error)
        *error = QStringLiteral("No free name for %1 in %2").arg(name, folder);
    return {};
}
