#include "browser/core/CameraItems.h"

#include "app/core/FileTypes.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

QString cameraThumbnailRoot() {
    return QDir::tempPath() + QStringLiteral("/PhotoKestry-cameras");
}

QString cameraThumbnailPath(const QString &deviceIdentifier, const PKCameraFile &file) {
    QString folder = file.folder;
    // Device folders are names, never a way out of our own folder.
    QStringList parts;
    for (const QString &part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part != QLatin1String(".") && part != QLatin1String(".."))
            parts << part;
    QString path = cameraThumbnailRoot() + QLatin1Char('/') + deviceIdentifier;
    for (const QString &part : parts)
        path += QLatin1Char('/') + part;
    return path + QLatin1Char('/') + QFileInfo(file.name).fileName();
}

IKImageItemPtr makeCameraItem(const PKCameraFilePtr &file, const QImage &picture,
                              const QString &deviceIdentifier) {
    if (!file || picture.isNull() || QFileInfo(file->name).fileName().isEmpty())
        return nullptr;
    const QString path = cameraThumbnailPath(deviceIdentifier, *file);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return nullptr;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return nullptr;
    QImageWriter writer(&out, "tiff");
    if (!writer.write(picture) || !out.commit())
        return nullptr;

    auto item = std::make_shared<IKImageItem>();
    item->fileImage = picture;
    item->fileName = file->name;
    const QByteArray ext = QFileInfo(file->name).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Image");
    else if (GetViedoType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Movie");
    item->filePath = path;
    item->cameraItem = file;
    return item;
}
