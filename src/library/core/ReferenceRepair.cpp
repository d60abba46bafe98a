#include "library/core/ReferenceRepair.h"

#include "library/core/LibraryScan.h"
#include "platform/core/FreeFileName.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString cause(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The size of a regular file at `path`, or -1 for anything else (links included).
int64_t regularFileSize(const QString &path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return int64_t(st.st_size);
}

bool sizeFits(int64_t size, uint64_t recorded) {
    return size > 0 && (recorded == 0 || uint64_t(size) == recorded);
}

// The one file of `folder` of `size` bytes; `*ambiguous` when several have it.
QString onlyFileOfSize(const QString &folder, const QStringList &names, uint64_t size,
                       bool *ambiguous) {
    QString match;
    for (const QString &name : names) {
        const int64_t s = regularFileSize(folder + QLatin1Char('/') + name);
        if (s <= 0 || uint64_t(s) != size)
            continue;
        if (!match.isEmpty()) {
            *ambiguous = true;
            return {};
        }
        match = name;
    }
    return match;
}

QString withoutTrailingSlashes(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

bool namesPlainReferencedFile(const PRPicFileInfo &record, const QString &path, QString *why) {
    if (path.startsWith(QLatin1Char('/')) && hasNoDotSegments(path) &&
        isPlainFileName(record.fileName) && isPlainFileName(QFileInfo(path).fileName()))
        return true;
    if (why)
        *why = QStringLiteral("the library's name of its file leads out of its folder");
    return false;
}

bool listRegularFiles(const QString &folder, QStringList *names, QString *why) {
    names->clear();
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        if (why)
            *why = QStringLiteral("%1 cannot be read: %2").arg(folder, cause(errno));
        return false;
    }
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String("..") &&
            regularFileSize(folder + QLatin1Char('/') + name) >= 0)
            *names << name;
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        if (why)
            *why = QStringLiteral("%1 cannot be read: %2").arg(folder, cause(error));
        return false;
    }
    names->sort();
    return true;
}

ReferenceSearch findMovedReferenceFolder(const QString &rootIn, const PRPicFileInfo &record) {
    ReferenceSearch result;
    const QString root = withoutTrailingSlashes(rootIn);
    const QFileInfo old(record.fileFullPath);
    const QString name = old.fileName();
    if (root.isEmpty() || name.isEmpty()) {
        result.why = QStringLiteral("the library names no file for this photo");
        return result;
    }
    // A root we cannot read would make every photo look absent: say so instead.
    if (DIR *dir = ::opendir(QFile::encodeName(root).constData()))
        ::closedir(dir);
    else {
        result.why = QStringLiteral("%1 cannot be read: %2").arg(root, cause(errno));
        return result;
    }
    const uint64_t size = record.originalfilesize;
    const auto nameFits = [&](const QString &folder) {
        return sizeFits(regularFileSize(folder + QLatin1Char('/') + name), size);
    };
    if (nameFits(root)) {
        result.found = root;
        return result;
    }
    const QStringList folders = old.path().split(QLatin1Char('/'));
    QStringList problems;
    QString tail;
    for (qsizetype j = folders.size() - 1; j >= 1; --j) {
        if (folders.at(j).isEmpty() || folders.at(j) == QLatin1String(".") ||
            folders.at(j) == QLatin1String(".."))
            continue;
        tail = tail.isEmpty() ? folders.at(j) : folders.at(j) + QLatin1Char('/') + tail;
        const QString candidate = root + QLatin1Char('/') + tail;
        if (nameFits(candidate)) {
            result.found = candidate;
            return result;
        }
        if (size == 0 || !QFileInfo(candidate).isDir())
            continue;
        QStringList names;
        QString why;
        if (!listRegularFiles(candidate, &names, &why)) {
            problems << why;
            continue;
        }
        bool ambiguous = false;
        if (!onlyFileOfSize(candidate, names, size, &ambiguous).isEmpty()) {
            result.found = candidate;
            return result;
        }
        if (ambiguous)
            problems
                << QStringLiteral("%1 holds several files of %2 bytes").arg(candidate).arg(size);
    }
    result.why = problems.isEmpty() ? QStringLiteral("no file of it was found under %1").arg(root)
                                    : problems.join(QStringLiteral("; "));
    return result;
}

ReferenceSearch findRenamedReferenceFile(const QString &folder, const PRPicFileInfo &record) {
    ReferenceSearch result;
    if (record.originalfilesize == 0) {
        result.why = QStringLiteral("the library does not know the size of its file");
        return result;
    }
    QStringList names;
    if (!listRegularFiles(folder, &names, &result.why))
        return result;
    bool ambiguous = false;
    result.found = onlyFileOfSize(folder, names, record.originalfilesize, &ambiguous);
    if (result.found.isEmpty())
        result.why = ambiguous ? QStringLiteral("%1 holds several files of %2 bytes")
                                     .arg(folder)
                                     .arg(record.originalfilesize)
                               : QStringLiteral("%1 holds no file of %2 bytes")
                                     .arg(folder)
                                     .arg(record.originalfilesize);
    return result;
}

bool renameWithoutReplacing(const QString &from, const QString &to, QString *why) {
    const int error = renameWithoutReplacing(from, to);
    if (error != 0 && why)
        *why = QStringLiteral("%1 cannot be renamed to %2: %3").arg(from, to, cause(error));
    return error == 0;
}
