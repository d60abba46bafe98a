#include "base/THFileUtility.h"

#include <QFile>
#include <sys/stat.h>

namespace {
bool statOf(const QString &path, struct stat &st) {
    const QByteArray native = QFile::encodeName(path);
    return !native.isEmpty() && ::lstat(native.constData(), &st) == 0;
}
} // namespace

uint16_t THFileUtility::fileTypeByPath(const QString &path) {
    struct stat st {};
    if (!statOf(path, st))
        return 0xE000;
    return uint16_t(st.st_mode & 0xFFFF);
}

bool THFileUtility::fileIsRegular(const QString &path) {
    struct stat st {};
    return statOf(path, st) && S_ISREG(st.st_mode);
}

bool THFileUtility::fileIsDirectory(const QString &path) {
    struct stat st {};
    return statOf(path, st) && S_ISDIR(st.st_mode);
}

uint64_t THFileUtility::fileSizeByPath(const QString &path) {
    struct stat st {};
    if (statOf(path, st) && st.st_size > 0)
        return uint64_t(st.st_size);
    // Some special files report 0 in their status but still have an end to seek to.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.size() > 0 ? uint64_t(file.size()) : 0;
}
