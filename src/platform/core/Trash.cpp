// GIO first: its D-Bus headers name a field "signals", which Qt makes a keyword.
#include <gio/gio.h>

#include "platform/core/Trash.h"

#include "platform/core/FreeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool GioTrash::moveToTrash(const QString &path, QString *why) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        if (why)
            *why = QStringLiteral("there is no such file");
        return false;
    }
    // Only files: a folder's contents were never the library's to throw away.
    if (info.isDir() && !info.isSymLink()) {
        if (why)
            *why = QStringLiteral("it is a folder");
        return false;
    }
    GFile *file = g_file_new_for_path(QFile::encodeName(path).constData());
    GError *error = nullptr;
    const bool ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (!ok) {
        if (why)
            *why = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
        if (error)
            g_error_free(error);
        return false;
    }
    return true;
}

namespace {
Trash *replacementTrash = nullptr;

struct TrashedFile {
    QString file, info, deletionDate;
};

// The top folder of the file system that holds `path` (which may be missing).
QString fileSystemTop(const QString &path) {
    QString folder = QFileInfo(path).absolutePath();
    struct stat st {};
    while (::stat(QFile::encodeName(folder).constData(), &st) != 0 && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    for (;;) {
        const QString parent = QFileInfo(folder).absolutePath();
        struct stat up {};
        if (parent == folder || ::stat(QFile::encodeName(parent).constData(), &up) != 0 ||
            up.st_dev != st.st_dev)
            return folder;
        folder = parent;
    }
}

// Every file of one trash folder by the path its .trashinfo names, the newest for each;
// a volume's trash names paths from the volume's top folder.
void readTrashFolder(const QString &trash, const QString &top, QHash<QString, TrashedFile> &out) {
    const QDir info(trash + QStringLiteral("/info"));
    for (const QString &name : info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files)) {
        QFile f(info.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QString path, date;
        for (const QByteArray &line : f.read(64 * 1024).split('\n')) {
            if (line.startsWith("Path="))
                path = QUrl::fromPercentEncoding(line.mid(5).trimmed());
            else if (line.startsWith("DeletionDate="))
                date = QString::fromLatin1(line.mid(13).trimmed());
        }
        if (path.isEmpty())
            continue;
        if (!path.startsWith(QLatin1Char('/')))
            path = top + QLatin1Char('/') + path;
        path = QDir::cleanPath(path);
        const auto known = out.constFind(path);
        if (known != out.constEnd() && known->deletionDate > date)
            continue;
        out.insert(path, {trash + QStringLiteral("/files/") + name.chopped(10), info.filePath(name),
                          date});
    }
}

QString homeTrashFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Trash");
}

} // namespace

TrashPutBack putBackFromTrash(const QStringList &originalPaths) {
    TrashPutBack out;
    QHash<QString, TrashedFile> trashed;
    QSet<QString> tops;
    readTrashFolder(homeTrashFolder(), QString(), trashed);
    for (const QString &path : originalPaths) {
        const QString top = fileSystemTop(path);
        if (tops.contains(top))
            continue;
        tops.insert(top);
        const QString uid = QString::number(::getuid());
        readTrashFolder(top + QStringLiteral("/.Trash/") + uid, top, trashed);
        readTrashFolder(top + QStringLiteral("/.Trash-") + uid, top, trashed);
    }
    for (const QString &path : originalPaths) {
        const auto failed = [&](const QString &why) {
            out.notReturned << QStringLiteral("%1: %2").arg(path, why);
        };
        const auto found = trashed.constFind(QDir::cleanPath(path));
        if (found == trashed.constEnd()) {
            failed(QStringLiteral("it is not in the Trash"));
            continue;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (const int error = renameWithoutReplacing(found->file, path); error != 0) {
            failed(error == EEXIST ? QStringLiteral("another file has taken its place")
                                   : QString::fromLocal8Bit(std::strerror(error)));
            continue;
        }
        QFile::remove(found->info);
        out.returned << path;
    }
    return out;
}

Trash &trash() {
    static GioTrash gio;
    return replacementTrash ? *replacementTrash : gio;
}

void setTrash(Trash *replacement) {
    replacementTrash = replacement;
}
