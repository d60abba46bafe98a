#include "browser/core/LocalImport.h"

#include "app/core/FileTypes.h"

#include <QDir>
#include <QFileInfo>

IKImageItemPtr makeLocalItem(const QString &path) {
    auto item = std::make_shared<IKImageItem>();
    const QByteArray ext = QFileInfo(path).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Image");
    else if (GetViedoType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Movie");
    item->fileName = QFileInfo(path).fileName();
    item->filePath = path;
    item->fileThumbPath = path;
    item->fileLargeThumbPath = path;
    return item;
}

bool isImportableFile(const QString &path) {
    const QByteArray ext = QFileInfo(path).suffix().toUtf8();
    return GetDragImageType(ext.constData()) >= 0 || GetViedoType(ext.constData()) >= 0;
}

void walkFolder(const QString &folder, const std::function<void(const QString &)> &onFile,
                QSet<QString> &visited) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo(path).isDir())
            walkFolder(path, onFile, visited);
        else
            onFile(path);
    }
}
