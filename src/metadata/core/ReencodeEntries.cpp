#include "metadata/core/ReencodeEntries.h"

#include "metadata/core/Recompression.h"
#include "metadata/core/TiffFallback.h"
#include "platform/core/ImageSource.h"
#include "platform/core/SafeWrite.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace {
QString writeBeside(const QString &outputPath, const QByteArray &bytes, QString *why) {
    const QFileInfo target(outputPath);
    QString error;
    const QString written =
        SafeWrite::writeNewFile(target.absolutePath(), target.fileName(), bytes, &error);
    if (written.isEmpty() && why)
        *why = error;
    return written;
}
} // namespace

bool TiffImageDestination::addImageFromSource(const ImageSource &source,
                                              const QVariantMap &properties) {
    if (!encoded_.isEmpty()) {
        error_ = QStringLiteral("a TIFF destination takes the pages of one photo");
        return false;
    }
    encoded_ = createTiffFromSource(source, properties, &error_);
    return !encoded_.isEmpty();
}

QString TiffImageDestination::finalize() {
    if (encoded_.isEmpty()) {
        if (error_.isEmpty())
            error_ = QStringLiteral("no picture was added");
        return {};
    }
    return writeBeside(path_, encoded_, &error_);
}

std::unique_ptr<TiffImageDestination> createTiffImageDestination(const QString &outputPath) {
    if (outputPath.isEmpty())
        return nullptr;
    return std::make_unique<TiffImageDestination>(outputPath);
}

QString compressPhotowithFilePath(const QString &path, QString *why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = file.errorString();
        return {};
    }
    const QByteArray original = file.readAll();
    const ImageSource source(original);
    if (source.count() < 1) {
        if (why)
            *why = QStringLiteral("\"%1\" is not a picture").arg(path);
        return {};
    }
    QString error;
    const QByteArray encoded = recompressPhoto(original, source.properties(0), path, &error);
    if (encoded.isEmpty()) {
        if (why)
            *why = error;
        return {};
    }
    const QFileInfo info(path);
    return writeBeside(info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                           QStringLiteral("_.") + info.suffix(),
                       encoded, why);
}

QString CompressPngWithImageData(const QByteArray &imageData, const QString &outputPath,
                                 QString *why) {
    const QImage image = QImage::fromData(imageData);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        if (why)
            *why = QStringLiteral("the picture cannot be decoded");
        return {};
    }
    return writeBeside(outputPath, png, why);
}
