#include "platform/core/FreeFileName.h"

#include "platform/core/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// `base` cut at a character boundary so that `rest` fits after it.
QString fittedBase(const QString &base, const QString &rest) {
    return utf8Prefix(base, kMaxFileNameBytes - rest.toUtf8().size());
}

// A rename or link the file system cannot make (exFAT, FAT and NTFS through FUSE, some network
// folders), as opposed to a name that is taken.
bool refusedByTheFileSystem(int code) {
    return code == EINVAL || code == ENOSYS || code == EPERM || code == ENOTSUP ||
           code == EOPNOTSUPP;
}

// Whether `path` is still the empty regular file that `reserved` was when it was made.
bool stillReserved(const QByteArray &path, const struct stat &reserved) {
    struct stat now {};
    return ::lstat(path.constData(), &now) == 0 && S_ISREG(now.st_mode) &&
           now.st_dev == reserved.st_dev && now.st_ino == reserved.st_ino && now.st_size == 0;
}

// Where neither can be had: the name is reserved by creating it (O_EXCL, so a file or link
// already there refuses), and `from` is renamed over that empty file of ours, after checking
// that the name still holds it. A crash between the two leaves that empty file, which no
// later write takes for its own.
int reserveThenRename(const QByteArray &from, const QByteArray &to) {
    const int fd =
        ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    struct stat reserved {};
    int code = ::fstat(fd, &reserved) == 0 ? 0 : errno;
    if (code == 0 && !stillReserved(to, reserved))
        code = EEXIST; // another program took the name meanwhile: its file stays
    // Closed before the rename: FUSE drivers hide a replaced file that is still open under a
    // name of their own until it is closed.
    ::close(fd);
    if (code == 0 && (code = SafeWrite::renameKeepingTimes(from, to)) != 0 &&
        stillReserved(to, reserved))
        ::unlink(to.constData());
    return code;
}

// 0 on success, else errno; never replaces `to`, a link included.
int renameNoReplace(const QByteArray &from, const QByteArray &to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!refusedByTheFileSystem(errno))
        return errno;
#endif
    // Folders that cannot rename without replacing still refuse a hard link onto a taken name.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (!refusedByTheFileSystem(errno))
        return errno;
    return reserveThenRename(from, to);
}

} // namespace

QString utf8Prefix(const QString &text, qsizetype maxBytes) {
    if (maxBytes <= 0)
        return {};
    // No UTF-16 unit takes more than 3 bytes; a pair takes 4 for its two units.
    if (text.size() * 3 <= maxBytes)
        return text;
    // Every unit takes a byte at least: only the first maxBytes units can fit, and one more
    // tells whether the cut falls inside a character.
    const QString head = text.left(maxBytes + 1);
    qsizetype bytes = 0, cut = 0;
    for (qsizetype i = 0; i < head.size();) {
        const bool pair =
            head[i].isHighSurrogate() && i + 1 < head.size() && head[i + 1].isLowSurrogate();
        const char16_t u = head[i].unicode();
        bytes += pair ? 4 : u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        if (bytes > maxBytes)
            break;
        i += pair ? 2 : 1;
        cut = i;
    }
    if (cut >= text.size())
        return text;
    // Back to the start of a letter whose accents would be cut off; a "letter" of hundreds
    // of accents is cut where the bytes end.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, head);
    graphemes.setPosition(cut);
    if (!graphemes.isAtBoundary()) {
        const qsizetype previous = graphemes.toPreviousBoundary();
        if (previous > 0)
            cut = previous;
    }
    return text.left(cut);
}

QString numberedFileName(const QString &name, int n) {
    const QFileInfo info(name);
    // A leading dot is part of the base name, not an extension.
    const QString suffix = info.completeBaseName().isEmpty() ? QString() : info.suffix();
    const QString base = suffix.isEmpty() ? name : info.completeBaseName();
    const QString rest = (n <= 1 ? QString() : QStringLiteral(" (%1)").arg(n)) +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    if (n <= 1 && name.toUtf8().size() <= kMaxFileNameBytes)
        return name;
    return fittedBase(base, rest).trimmed() + rest;
}

QString freeNameGroup(const QString &name) {
    const QFileInfo info(QFileInfo(name).fileName());
    QString base = info.completeBaseName().isEmpty() || info.suffix().isEmpty()
                       ? info.fileName()
                       : info.completeBaseName();
    static const QRegularExpression number(QStringLiteral("\\s*\\(\\d+\\)\\s*$"));
    for (qsizetype before = -1; before != base.size();) {
        before = base.size();
        base.remove(number);
    }
    // Well below the shortest base a numbered name of 255 bytes keeps.
    return utf8Prefix(base.trimmed(), 100).toCaseFolded();
}

bool isTakenPath(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 || errno != ENOENT;
}

QString freeFilePath(const QString &folder, const QString &name) {
    const QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString candidate = dir.filePath(numberedFileName(name, n));
        if (!isTakenPath(candidate))
            return candidate;
    }
}

QString moveToFreeName(const QString &tempPath, const QString &folder, const QString &name,
                       QString *error, int firstNumber) {
    const QByteArray from = QFile::encodeName(tempPath);
    const QDir dir(folder);
    for (int n = std::max(1, firstNumber); n < 100000; ++n) {
        const QString candidate = dir.filePath(numberedFileName(name, n));
        const int rc = renameNoReplace(from, QFile::encodeName(candidate));
        if (rc == 0)
            return candidate;
        if (rc != EEXIST) {
            if (error)
                *error = QStringLiteral("cannot move %1 to %2: %3")
                             .arg(tempPath, candidate, SafeWrite::systemError(rc));
            return {};
        }
    }
    if (error)
        *error = QStringLiteral("no free name for %1 in %2").arg(name, folder);
    return {};
}

int renameWithoutReplacing(const QString &from, const QString &to) {
    return renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
}

bool moveToNameIfFree(const QString &tempPath, const QString &target, bool *taken, QString *error) {
    const int rc = renameNoReplace(QFile::encodeName(tempPath), QFile::encodeName(target));
    *taken = rc == EEXIST;
    if (rc != 0 && error)
        *error = QStringLiteral("cannot move %1 to %2: %3")
                     .arg(tempPath, target, SafeWrite::systemError(rc));
    return rc == 0;
}

QString spacedNumberedFileName(const QString &name, int n) {
    const QFileInfo info(name);
    const QString suffix = info.completeBaseName().isEmpty() ? QString() : info.suffix();
    const QString base = suffix.isEmpty() ? name : info.completeBaseName();
    const QString rest = (n <= 1 ? QString() : QStringLiteral(" %1").arg(n)) +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    if (n <= 1 && name.toUtf8().size() <= kMaxFileNameBytes)
        return name;
    return fittedBase(base, rest).trimmed() + rest;
}

QString moveToFirstFreeOf(const QString &tempPath, const QString &folder, const QStringList &names,
                          QString *error) {
    if (names.isEmpty()) {
        if (error)
            *error = QStringLiteral("no name for %1").arg(tempPath);
        return {};
    }
    const QByteArray from = QFile::encodeName(tempPath);
    const QDir dir(folder);
    for (qsizetype k = 0, n = 2; n < 100000; ++k) {
        const QString candidate = dir.filePath(
            k < names.size() ? names[k] : spacedNumberedFileName(names.first(), int(n++)));
        const int rc = renameNoReplace(from, QFile::encodeName(candidate));
        if (rc == 0)
            return candidate;
        if (rc != EEXIST) {
            if (error)
                *error = QStringLiteral("cannot move %1 to %2: %3")
                             .arg(tempPath, candidate, SafeWrite::systemError(rc));
            return {};
        }
    }
    if (error)
        *error = QStringLiteral("no free name for %1 in %2").arg(names.first(), folder);
    return {};
}
