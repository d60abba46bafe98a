#include "browser/core/DragRules.h"

#include "base/FileTypes.h"

#include <QFileInfo>

namespace {
bool firstIsFolder(const QList<QUrl> &urls) {
    return !urls.isEmpty() && urls.first().isLocalFile() &&
           QFileInfo(urls.first().toLocalFile()).isDir();
}
} // namespace

bool acceptsDrag(const QList<QUrl> &urls, bool acceptFolders) {
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    const QString path = urls.first().toLocalFile();
    const QByteArray ext = QFileInfo(path).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0 || GetViedoType(ext.constData()) >= 0)
        return true;
    return acceptFolders && firstIsFolder(urls);
}

QString dropTargetNotification(const QList<QUrl> &urls) {
    return QLatin1String(firstIsFolder(urls) ? kNSDragOperationImageViewFolderNote
                                             : kNSDragOperationImageViewNote);
}
