// GIO first: its D-Bus headers name a field "signals", which Qt makes a keyword.
#include <gio/gio.h>

#include "platform/core/Trash.h"

#include <QFile>
#include <QFileInfo>

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
}

Trash &trash() {
    static GioTrash gio;
    return replacementTrash ? *replacementTrash : gio;
}

void setTrash(Trash *replacement) {
    replacementTrash = replacement;
}
