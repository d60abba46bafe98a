#include "library/core/DatabaseFiles.h"

#include <QFile>
#include <sys/stat.h>

DatabaseFileState databaseFileState(const QString &path) {
    DatabaseFileState s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = qint64(st.st_ino);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        s.header = file.read(100);
    struct stat wal {};
    if (::stat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &wal) == 0)
        s.walSize = wal.st_size;
    return s;
}
