#include "browser/core/LocalImport.h"

#include "base/FileTypes.h"
#include "platform/core/ImageSource.h"

#include <QDir>
#include <QFile>
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

namespace {
// JPEG, PNG, GIF, BMP, WebP, TIFF and the TIFF-based raw formats, ISO media (HEIC, HEIF,
// AVIF, CR3), Fujifilm, Olympus and Panasonic raw files.
bool hasKnownImageHeader(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = file.read(32);
    const auto at = [&](int offset, const char *magic) {
        return h.mid(offset, qsizetype(qstrlen(magic))) == QByteArray(magic);
    };
    return at(0, "\xFF\xD8\xFF") || at(0, "\x89PNG\r\n\x1A\n") || at(0, "GIF8") || at(0, "BM") ||
           (at(0, "RIFF") && at(8, "WEBP")) || at(0, "II*") || at(0, "MM\x00*") || at(0, "IIRO") ||
           at(0, "IIRS") || at(0, "MMOR") || at(0, "IIU") || at(0, "FUJIFILMCCD-RAW") ||
           (at(4, "ftyp") && (at(8, "heic") || at(8, "heix") || at(8, "mif1") || at(8, "msf1") ||
                              at(8, "avif") || at(8, "crx ")));
}
} // namespace

QString unreadableReason(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? QStringLiteral("the link leads to no file")
                                : QStringLiteral("the file is missing");
    // A FIFO or a device would block or never end when read.
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (!info.isReadable())
        return QStringLiteral("no permission to read it");
    if (info.size() == 0)
        return QStringLiteral("the file is empty");
    const QByteArray ext = info.suffix().toUtf8();
    if (GetDragImageType(ext.constData()) < 0)
        return QString(); // a video: FFmpeg reads it when it is shown
    // The common kinds are told by their first bytes: reading and parsing every photo of a
    // large import in full would cost seconds before the grid fills.
    if (hasKnownImageHeader(path))
        return QString();
    const ImageSource source = ImageSource::fromPath(path);
    if (!source.isValid())
        return source.errorString().isEmpty()
                   ? QStringLiteral("not a readable photo")
                   : QStringLiteral("not a readable photo (%1)").arg(source.errorString());
    return QString();
}

void walkFolder(const QString &folder, const std::function<void(const QString &)> &onFile,
                QSet<QString> &visited,
                const std::function<void(const QString &, const QString &)> &onSkipped) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    // Without read and search permission the listing is empty or its entries cannot be
    // looked at; the folder is named rather than taken as holding nothing.
    if (!info.isReadable() || !info.isExecutable()) {
        if (onSkipped)
            onSkipped(folder, QStringLiteral("no permission to read the folder"));
        return;
    }
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo(path).isDir())
            walkFolder(path, onFile, visited, onSkipped);
        else
            onFile(path);
    }
}
