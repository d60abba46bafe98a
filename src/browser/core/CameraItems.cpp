#include "browser/core/CameraItems.h"
#include "base/Logging.h"

#include "base/FileTypes.h"
#include "platform/core/PrivateFolder.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool isPhotoOrVideo(const PKCameraFile &file) {
    return file.UTI == QLatin1String("public.image") || file.UTI == QLatin1String("public.movie");
}

// The cell of a file the device has no picture of: a tile with its type's extension.
QImage placeholderPicture(const QString &name) {
    QImage image(kCameraThumbSide, kCameraThumbSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 150, 150), 4));
    painter.setBrush(QColor(72, 72, 72));
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(14, 6, -14, -6), 12, 12);
    QFont font = painter.font();
    font.setPixelSize(36);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(225, 225, 225));
    const QString ext = QFileInfo(name).suffix().toUpper().left(5);
    painter.drawText(image.rect(), Qt::AlignCenter, ext.isEmpty() ? QStringLiteral("?") : ext);
    return image;
}

// Replaces `path` with `bytes` through a temporary beside it. A thumbnail is a cache that
// is made again when lost, so nothing waits for the disk; the rename replaces a link
// planted at `path` instead of writing through it.
bool writeCacheFile(const QString &path, const QByteArray &bytes, QString *why) {
    QTemporaryFile temporary(QFileInfo(path).absolutePath() + QStringLiteral("/.thumb.XXXXXX"));
    if (!temporary.open() || temporary.write(bytes) != bytes.size() || !temporary.flush()) {
        *why = temporary.errorString();
        return false;
    }
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        *why = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

} // namespace

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

bool cacheCameraThumbnail(PKCameraFile &file, const QString &deviceIdentifier) {
    file.thumbnailPath.clear();
    if (!isPhotoOrVideo(file) || QFileInfo(file.name).fileName().isEmpty())
        return false;
    QImage picture = file.thumbnail.isNull() ? placeholderPicture(file.name) : file.thumbnail;
    if (picture.width() > kCameraThumbSide || picture.height() > kCameraThumbSide)
        picture = picture.scaled(kCameraThumbSide, kCameraThumbSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
    // Drawn at half its size, as the local browser's pictures: sharp on dense screens.
    picture.setDevicePixelRatio(2.0);
    const QString path = cameraThumbnailPath(deviceIdentifier, file);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QByteArray tiff;
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    QString why;
    if (!writer.write(picture) || !writeCacheFile(path, tiff, &why)) {
        qCWarning(lcBrowser) << "camera thumbnail not written==" << path << writer.errorString()
                             << why;
        return false;
    }
    file.thumbnail = picture;
    file.thumbnailPath = path;
    return true;
}

IKImageItemPtr makeCameraItem(const PKCameraFilePtr &file) {
    if (!file || file->thumbnailPath.isEmpty() || file->thumbnail.isNull())
        return nullptr;
    auto item = std::make_shared<IKImageItem>();
    item->editRare().fileImage = file->thumbnail;
    item->fileName = file->name;
    const QByteArray ext = QFileInfo(file->name).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Image");
    else if (GetViedoType(ext.constData()) >= 0)
        item->fileType = QStringLiteral("Movie");
    item->filePath = file->thumbnailPath;
    item->editRare().cameraItem = file;
    return item;
}
