#include "browser/core/CameraItems.h"
#include "base/Logging.h"

#include "base/FileTypes.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/SafeWrite.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

QString cameraThumbnailRoot() {
    // Private to this user: a shared folder would let another user plant links or swap files.
    return PrivateFolder::subfolder(QStringLiteral("cameras"));
}

QString cameraThumbnailPath(const QString &deviceIdentifier, const PKCameraFile &file) {
    const QString root = cameraThumbnailRoot();
    if (root.isEmpty())
        return {};
    // Device identifiers and folders are names, never a way out of our own folder.
    QStringList parts;
    for (const QString &part : (deviceIdentifier + QLatin1Char('/') + file.folder)
                                   .split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part != QLatin1String(".") && part != QLatin1String(".."))
            parts << part;
    QString path = root;
    for (const QString &part : parts)
        path += QLatin1Char('/') + part;
    return path + QLatin1Char('/') + QFileInfo(file.name).fileName();
}

IKImageItemPtr makeCameraItem(const PKCameraFilePtr &file, const QImage &picture,
                              const QString &deviceIdentifier) {
    if (!file || picture.isNull() || QFileInfo(file->name).fileName().isEmpty())
        return nullptr;
    const QString path = cameraThumbnailPath(deviceIdentifier, *file);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return nullptr;
    QByteArray tiff;
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    QString why;
    if (!writer.write(picture) || !SafeWrite::replaceFileContents(path, tiff, &why)) {
        qCWarning(lcBrowser) << "camera thumbnail not written==" << path << why;
        return nullptr;
    }

    auto item = std::make_shared<IKImageItem>();
    item->editRare().fileImage = picture;
    item->fileName = file->name;
    const QByteArray ext = QFileInfo(file->name).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Image");
    else if (GetViedoType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Movie");
    item->filePath = path;
    item->editRare().cameraItem = file;
    return item;
}
