#include "platform/core/Thumbnails.h"

#include "base/FileTypes.h"
#include "platform/core/ImageSource.h"
#include "platform/core/VideoFrame.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {
constexpr int kLargeSide = 256;
// Qt maps a PNG "quality" of 80 onto zlib level 1.
constexpr int kFastPngQuality = 80;

QString cacheRoot() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/thumbnails");
}

QString fileUri(const QString &path) {
    return QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString mtimeText(const QString &path) {
    return QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch());
}

void storeInCache(const QString &path, const QImage &image) {
    const QString target = Thumbnails::cachePathFor(path);
    if (target.isEmpty() || path.startsWith(cacheRoot()))
        return;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::setPermissions(QFileInfo(target).absolutePath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QImage tagged = image;
    tagged.setText(QStringLiteral("Thumb::URI"), fileUri(path));
    tagged.setText(QStringLiteral("Thumb::MTime"), mtimeText(path));
    tagged.setText(QStringLiteral("Thumb::Size"), QString::number(QFileInfo(path).size()));
    tagged.setText(QStringLiteral("Software"), QStringLiteral("Photo Kestry"));
    tagged.setText(QStringLiteral("X-PhotoKestry-Upright"), QStringLiteral("1"));
    // Written whole, then moved into place: a reader never sees half a thumbnail.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return;
    // zlib's fastest level: the cache is read far more often than its size matters, and
    // the default level costs more than decoding the photo.
    if (tagged.save(&file, "PNG", kFastPngQuality))
        file.commit();
    else
        file.cancelWriting();
}
} // namespace

QString Thumbnails::cachePathFor(const QString &path) {
    if (path.isEmpty())
        return {};
    const QByteArray digest =
        QCryptographicHash::hash(fileUri(path).toUtf8(), QCryptographicHash::Md5).toHex();
    return cacheRoot() + QStringLiteral("/large/") + QString::fromLatin1(digest) +
           QStringLiteral(".png");
}

QImage Thumbnails::cached(const QString &path) {
    const QString file = cachePathFor(path);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return {};
    QImageReader reader(file, "PNG");
    const QImage image = reader.read();
    // Our edits keep a file's modification time, so its size tells a rewrite too.
    const QString size = image.text(QStringLiteral("Thumb::Size"));
    if (image.isNull() || image.text(QStringLiteral("Thumb::MTime")) != mtimeText(path) ||
        image.text(QStringLiteral("Thumb::URI")) != fileUri(path) ||
        (!size.isEmpty() && size != QString::number(QFileInfo(path).size())))
        return {};
    // Our older video thumbnails ignored the track's rotation and may lie sideways.
    if (GetViedoType(path) >= 0 && image.text(QStringLiteral("Software")) == "Photo Kestry" &&
        image.text(QStringLiteral("X-PhotoKestry-Upright")).isEmpty())
        return {};
    return image;
}

bool Thumbnails::isSlowToMake(const QString &path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == QLatin1String("heic") || ext == QLatin1String("heif") ||
           GetRAWImageType(ext) >= 0 || GetViedoType(ext) >= 0;
}

QImage Thumbnails::make(const QString &path, int maxSide) {
    QImage large;
    QImage image = make(path, maxSide, &large);
    store(path, large);
    return image;
}

void Thumbnails::store(const QString &path, const QImage &image) {
    if (!image.isNull())
        storeInCache(path, image);
}

QImage Thumbnails::make(const QString &path, int maxSide, QImage *toStore) {
    *toStore = QImage();
    QImage image = GetViedoType(path) >= 0 ? firstVideoFrame(path)
                                           : ImageSource::fromPath(path).thumbnail(
                                                 std::max(maxSide, kLargeSide), maxSide * 9 / 10);
    if (image.isNull())
        return {};
    if (image.width() > kLargeSide || image.height() > kLargeSide)
        image = image.scaled(kLargeSide, kLargeSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // A small embedded preview is good enough for our cells, but would lower the desktop's
    // large thumbnails: only full-size ones are shared.
    if (std::max(image.width(), image.height()) == kLargeSide)
        *toStore = image;
    if (image.width() > maxSide || image.height() > maxSide)
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
